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

namespace {

// Pushes the first result of the global function called with two numbers:
// the way to values the host interface has no push for. False when there is
// no such function.
bool PushResultOf(ScriptHost& host, const char* function, float first, float second) {
  {
    HeldObject called(host.GetGlobal(function));
    if (called.get() == nullptr) return false;
    called.get()->Push();
  }
  host.PushNumber(first);
  host.PushNumber(second);
  host.Call(2, 1);
  HeldObject result(host.GetReturn(0));
  if (result.get() == nullptr) return false;
  result.get()->Push();
  return true;
}

}  // namespace

int PushTrue(ScriptHost& host) {
  return PushResultOf(host, "rawequal", 0, 0) ? 1 : 0;
}

int PushFailure(ScriptHost& host, std::string_view message) {
  const std::string text(message);                    // the caller's text may die in a collection
  if (!PushResultOf(host, "select", 2, 0)) return 0;  // nothing after the second: nil
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
