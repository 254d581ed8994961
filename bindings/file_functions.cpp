#include "bindings/file_functions.h"

#include <string>

#include "bindings/arguments.h"
#include "bindings/call_outs.h"
#include "bindings/script_values.h"
#include "fileio/file_access.h"

namespace mapwright {

int ScriptReadFile(ScriptHost& host) {
  auto args = ReadArguments<arg::Text>(host);
  if (!args) return 0;
  std::string path = ResolveScriptPath(host, std::string(std::get<0>(*args)).c_str());
  std::optional<std::string> content = ReadOrCreateFile(path.c_str());
  if (!content) return 0;
  host.PushString(content->c_str());  // the script gets the bytes up to the first zero byte
  return 1;
}

// True when the whole text is stored under the path; nothing otherwise, and
// nothing is written without a text to write.
int ScriptWriteFile(ScriptHost& host) {
  auto args = ReadArguments<arg::Text, arg::Text>(host);
  if (!args) return 0;
  // Both texts are the host's, alive until the function returns, whatever
  // the resolver runs.
  auto [given, text] = *args;
  std::string path = ResolveScriptPath(host, std::string(given).c_str());
  if (!WriteNewFile(path.c_str(), text.data())) return 0;
  return PushTrue(host);
}

}  // namespace mapwright
