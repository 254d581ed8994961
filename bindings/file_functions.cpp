#include "bindings/file_functions.h"

#include <string>

#include "bindings/call_outs.h"
#include "bindings/script_values.h"
#include "fileio/file_access.h"

namespace mapwright {

int ScriptReadFile(ScriptHost& host) {
  std::string path = ResolveScriptPath(host, host.GetStringArg(1));
  std::optional<std::string> content = ReadOrCreateFile(path.c_str());
  if (!content) return 0;
  host.PushString(content->c_str());  // the script gets the bytes up to the first zero byte
  return 1;
}

int ScriptWriteFile(ScriptHost& host) {
  std::string path = ResolveScriptPath(host, host.GetStringArg(1));
  NewFile file;
  if (!file.Create(path.c_str())) return 0;
  // TODO: a failed write leaves a cut file behind; the write becomes
  // all-or-nothing with the temporary-file publish.
  static_cast<void>(file.WriteAll(StringArg(host, 2)));
  return 0;
}

}  // namespace mapwright
