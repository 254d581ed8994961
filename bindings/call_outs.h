// The module's calls into script functions. Each looks its function up anew
// on every call, so scripts may replace it at any time.
#ifndef MAPWRIGHT_BINDINGS_CALL_OUTS_H
#define MAPWRIGHT_BINDINGS_CALL_OUTS_H

#include <string>
#include <string_view>

#include "bindings/arguments.h"
#include "bindings/parse_messages.h"
#include "map/read/map_parser.h"
#include "mapwright/script_host.h"

namespace mapwright {

// util.RelativePathToFull(path). The result is copied before the handles are
// given back; a result that is no text comes back empty.
std::string ResolveScriptPath(ScriptHost& host, const char* path);

// VMFParseFailure(kind, message).
void ReportParseFailure(ScriptHost& host, const char* kind, const char* message);

// A parse's reports, told to VMFParseFailure.
class ScriptReporter final : public ParseReporter {
 public:
  explicit ScriptReporter(ScriptHost& host) : host_(host) {}
  void Report(const ParseReport& report) override {
    ReportParseFailure(host_, report.Kind(), MessageOf(report).c_str());
  }

 private:
  ScriptHost& host_;
};

// Pushes the boolean true, which the host interface has no call for: it is
// the result of rawequal(0, 0). Returns the count of results, 1.
int PushTrue(ScriptHost& host);

// Pushes nil and the message, as Lua's own io.open answers a failure; nil is
// what select(2, 0) yields. Returns the count of results, 2.
int PushFailure(ScriptHost& host, std::string_view message);
// The failure for an argument that is not what the method takes: argument 1
// is the object the method was called on.
int PushWrongArgument(ScriptHost& host, const WrongArgument& wrong);

}  // namespace mapwright

#endif
