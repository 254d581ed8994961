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

// True when the whole text is stored under the path; nothing otherwise, and
// nothing is written without a text to write.
int ScriptWriteFile(ScriptHost& host) {
  std::string path = ResolveScriptPath(host, host.GetStringArg(1));
  const char* text = host.GetStringArg(2);
  if (text == nullptr || !WriteNewFile(path.c_str(), text)) return 0;
  return PushTrue(host);
}

}  // namespace mapwright
