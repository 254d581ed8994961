#ifndef MAPWRIGHT_BINDINGS_REGISTRATION_H
#define MAPWRIGHT_BINDINGS_REGISTRATION_H

#include "mapwright/script_host.h"

namespace mapwright {

// Makes every script-visible name of the module known to the host.
void RegisterScriptNames(ScriptHost& host);

}  // namespace mapwright

#endif
