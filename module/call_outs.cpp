#include "module/call_outs.h"

#include "module/script_values.h"

namespace mapwright {

std::string ResolveScriptPath(ScriptHost& host, const char* path) {
  ScriptObject* util = host.GetGlobal("util");
  ScriptObject* resolve = util != nullptr ? util->GetMember("RelativePathToFull") : nullptr;
  if (resolve == nullptr) {
    GiveBack(util);
    return std::string();
  }
  resolve->Push();
  host.PushString(path);
  host.Call(1, 1);
  ScriptObject* result = host.GetReturn(0);
  const char* text = result != nullptr ? result->GetString() : nullptr;
  std::string fullPath = text != nullptr ? text : "";
  GiveBack(result);
  GiveBack(resolve);
  GiveBack(util);
  return fullPath;
}

void ReportParseFailure(ScriptHost& host, const char* kind, const char* message) {
  ScriptObject* report = host.GetGlobal("VMFParseFailure");
  if (report == nullptr) return;
  report->Push();
  host.PushString(kind);
  host.PushString(message);
  host.Call(2, 0);
  GiveBack(report);
}

}  // namespace mapwright
