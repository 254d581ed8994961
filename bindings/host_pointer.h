// The one module-wide pointer to the host's scripting interface: set by
// gmod_open, cleared by gmod_close.
#ifndef MAPWRIGHT_BINDINGS_HOST_POINTER_H
#define MAPWRIGHT_BINDINGS_HOST_POINTER_H

#include "mapwright/script_host.h"

namespace mapwright {

ScriptHost* HostPointer();
void SetHostPointer(ScriptHost* host);

}  // namespace mapwright

#endif
