#include "bindings/call_outs.h"

#include "bindings/script_values.h"

namespace mapwright {

std::string ResolveScriptPath(ScriptHost& host, const char* path) {
  HeldObject util(host.GetGlobal("util"));
  if (util.get() == nullptr) return std::string();
  HeldObject resolve(util.get()->GetMember("RelativePathToFull"));
  if (resolve.get() == nullptr) return std::string();
  resolve.get()->Push();
  host.PushString(path != nullptr ? path : "");
  host.Call(1, 1);
  HeldObject result(host.GetReturn(0));
  const char* text = result.get() != nullptr ? result.get()->GetString() : nullptr;
  return text != nullptr ? text : "";
}

void ReportParseFailure(ScriptHost& host, const char* kind, const char* message) {
  HeldObject report(host.GetGlobal("VMFParseFailure"));
  if (report.get() == nullptr) return;
  report.get()->Push();
  host.PushString(kind);
  host.PushString(message);
  host.Call(2, 0);
}

int PushTrue(ScriptHost& host) {
  {
    HeldObject equal(host.GetGlobal("rawequal"));
    if (equal.get() == nullptr) return 0;
    equal.get()->Push();
  }
  host.PushNumber(0);
  host.PushNumber(0);
  host.Call(2, 1);
  HeldObject result(host.GetReturn(0));
  if (result.get() == nullptr) return 0;
  result.get()->Push();
  return 1;
}

int PushFailure(ScriptHost& host, std::string_view message) {
  const std::string text(message);  // the caller's text may die in a collection
  {
    HeldObject select(host.GetGlobal("select"));
    if (select.get() == nullptr) return 0;
    select.get()->Push();
  }
  host.PushNumber(2);
  host.PushNumber(0);
  host.Call(2, 1);
  HeldObject none(host.GetReturn(0));
  if (none.get() == nullptr) return 0;
  none.get()->Push();
  host.PushString(text.c_str());
  return 2;
}

int PushWrongArgument(ScriptHost& host, const WrongArgument& wrong) {
  std::string message = wrong.index == 1
                            ? "the method must be called on "
                            : "argument " + std::to_string(wrong.index - 1) + " must be ";
  message += wrong.wanted;
  return PushFailure(host, message);
}

}  // namespace mapwright
