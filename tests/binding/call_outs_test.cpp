#include "bindings/call_outs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"

namespace mapwright::testing {
namespace {

TEST(CallOuts, ResolveScriptPathCallsTheScriptAndGivesEveryHandleBack) {
  FakeHost host;
  std::vector<std::string> seen;
  host.Table("util").members["RelativePathToFull"] =
      FakeValue::Function([&](const std::vector<FakeValue>& args) {
        seen.push_back(args.at(0).text);
        return std::vector<FakeValue>{FakeValue::String("/full/" + args.at(0).text)};
      });
  EXPECT_EQ(ResolveScriptPath(host, "maps/a.vmf"), "/full/maps/a.vmf");
  EXPECT_EQ(seen, std::vector<std::string>{"maps/a.vmf"});
  EXPECT_EQ(host.log, (std::vector<std::string>{
                          "GetGlobal util", "GetMember util.RelativePathToFull",
                          "Push util.RelativePathToFull", "PushString maps/a.vmf", "Call 1 1",
                          "GetReturn 0", "GetString return0", "UnReference return0",
                          "UnReference util.RelativePathToFull", "UnReference util"}));
  EXPECT_EQ(host.liveHandles, 0);
}

TEST(CallOuts, ResolveScriptPathLooksTheFunctionUpAnewEachTime) {
  FakeHost host;
  auto answer = [](std::string text) {
    return FakeValue::Function([text](const std::vector<FakeValue>&) {
      return std::vector<FakeValue>{FakeValue::String(text)};
    });
  };
  host.Table("util").members["RelativePathToFull"] = answer("first");
  EXPECT_EQ(ResolveScriptPath(host, "x"), "first");
  host.Table("util").members["RelativePathToFull"] = answer("second");
  EXPECT_EQ(ResolveScriptPath(host, "x"), "second");
}

TEST(CallOuts, ResolveScriptPathOfANonTextResultIsEmpty) {
  FakeHost host;
  host.Table("util").members["RelativePathToFull"] =
      FakeValue::Function([](const std::vector<FakeValue>&) { return std::vector<FakeValue>{}; });
  EXPECT_EQ(ResolveScriptPath(host, "x"), "");
  EXPECT_EQ(host.liveHandles, 0);
}

TEST(CallOuts, ReportParseFailurePassesKindAndMessage) {
  FakeHost host;
  std::vector<std::string> seen;
  auto recorder = [&](const std::vector<FakeValue>& args) {
    for (const FakeValue& arg : args) seen.push_back(arg.text);
    return std::vector<FakeValue>{};
  };
  host.SetGlobal("VMFParseFailure", FakeValue::Function(recorder));
  ReportParseFailure(host, "Connection", "message");
  EXPECT_EQ(seen, (std::vector<std::string>{"Connection", "message"}));
  EXPECT_EQ(host.log, (std::vector<std::string>{"GetGlobal VMFParseFailure", "Push VMFParseFailure",
                                                "PushString Connection", "PushString message",
                                                "Call 2 0", "UnReference VMFParseFailure"}));
  // Replaced by the script: the next report reaches the new function.
  int calls = 0;
  host.SetGlobal("VMFParseFailure", FakeValue::Function([&](const std::vector<FakeValue>&) {
                   ++calls;
                   return std::vector<FakeValue>{};
                 }));
  ReportParseFailure(host, "Connection", "again");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(host.liveHandles, 0);
}

}  // namespace
}  // namespace mapwright::testing
