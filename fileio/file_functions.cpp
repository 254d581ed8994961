#include "fileio/file_functions.h"

#include <string>

#include "fileio/file_access.h"
#include "module/call_outs.h"
#include "module/script_values.h"

namespace mapwright {

int ScriptReadFile(ScriptHost& host) {
  std::string path = ResolveScriptPath(host, host.GetStringArg(1));
  std::optional<std::string> content = ReadFileOpenAlways(path.c_str());
  if (!content) return 0;
  host.PushString(content->c_str());  // the script gets the bytes up to the first zero byte
  return 1;
}

int ScriptWriteFile(ScriptHost& host) {
  std::string path = ResolveScriptPath(host, host.GetStringArg(1));
  NewFile file;
  if (!file.Create(path.c_str())) return 0;
  file.WriteAll(StringArg(host, 2));
  return 0;
}

}  // namespace mapwright
