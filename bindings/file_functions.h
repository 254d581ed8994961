// Mapwright.ReadFile(path) and Mapwright.WriteFile(path, text). Paths pass
// through util.RelativePathToFull first.
#ifndef MAPWRIGHT_BINDINGS_FILE_FUNCTIONS_H
#define MAPWRIGHT_BINDINGS_FILE_FUNCTIONS_H

#include "mapwright/script_host.h"

namespace mapwright {

int ScriptReadFile(ScriptHost& host);
int ScriptWriteFile(ScriptHost& host);

}  // namespace mapwright

#endif
