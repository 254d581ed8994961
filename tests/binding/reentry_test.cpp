// Script code run from inside a parse report, turning on the document being
// parsed: from every kind of report, each thing a script can do to the
// document. The parse must leave at once and never touch the document again
// (the sanitized build sees any touch), and the document's text must read
// back as the document.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bindings/live_objects.h"
#include "fake_host.h"

namespace mapwright::testing {
namespace {

// One text per kind of report, between a named entity and another one.
const char* const kDamage[] = {
    "entity\n{\n\"k\" \"v",                                       // string not closed
    "entity\n{\n/* open",                                         // comment not closed
    "entity\n{\n{\n}\n}",                                         // '{' without a name
    "entity\n{\n=\n}",                                            // unexpected byte
    "entity\n{\n\"k\" solid\n{\n}\n}",                            // no value before a block
    "entity\n{\n\"k\"",                                           // no value at the end
    "entity\n{\n\"k\"\n}",                                        // no value before '}'
    "entity\n{\n\"k\" // c\n}",                                   // no value before a comment
    "entity\n{\n\"k\" =\n}",                                      // followed by
    "entity\n{\n\"k\" \"v\" x\n}",                                // after a pair
    "}\nentity\n{\n}",                                            // '}' with no open block
    "entity\n{\n\"k\" \"v\"\n",                                   // block not closed
    "entity\n{\nconnections\n{\n\"OnTrigger\" \"door,Open",       // open in connections
    "entity\n{\nconnections\n{\n\"OnTrigger\" \"door\"\n}\n}",    // Connection
    "hidden\n{\nentity\n{\n\"id\" \"3\"\nentity\n{\n}\n\"k\"\n",  // nested, open
};

enum class Action { kParse, kRename, kRemove, kCreate, kSetKey, kCollect };

class Reentry : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Table("Mapwright");
    liveBefore = TheLiveObjects().Count();
    gmod_open(&host);
  }
  void TearDown() override {
    EXPECT_EQ(TheLiveObjects().Count(), liveBefore) << "every object is freed";
    EXPECT_EQ(host.liveHandles, 0);
    gmod_close();
  }
  std::vector<FakeValue> Call(const FakeValue& document, const char* method,
                              std::vector<FakeValue> args = {}) {
    args.insert(args.begin(), document);
    return host.Invoke(host.Method("VMF", method), std::move(args));
  }
  std::vector<FakeValue> CallEntity(const FakeValue& entity, const char* method,
                                    std::vector<FakeValue> args = {}) {
    args.insert(args.begin(), entity);
    return host.Invoke(host.Method("VMFEntity", method), std::move(args));
  }
  // What a document holds, read through the script methods. A created
  // entity has no id or class pair, but its text has them: such pairs,
  // telling what the fields tell, are left out.
  std::vector<std::string> Snapshot(const FakeValue& document) {
    std::vector<std::string> lines;
    double count = Call(document, "EntityCount").at(0).number;
    for (int i = 0; i < count; ++i) {
      FakeValue entity = Call(document, "Entity", {FakeValue::Number(i)}).at(0);
      std::string line = CallEntity(entity, "Class").at(0).text + " " +
                         std::to_string(CallEntity(entity, "ID").at(0).number) + ":";
      for (int k = 0; k < CallEntity(entity, "KeyCount").at(0).number; ++k) {
        std::vector<FakeValue> pair = CallEntity(entity, "Key", {FakeValue::Number(k)});
        if (pair.at(0).text == "classname" && pair.at(1).text == "made") continue;
        if (pair.at(0).text == "id" && pair.at(1).text == "5") continue;
        line += " " + pair.at(0).text + "=" + pair.at(1).text;
      }
      for (int c = 0; c < CallEntity(entity, "ConnectionCount").at(0).number; ++c) {
        line += " > " + CallEntity(entity, "Connection", {FakeValue::Number(c)}).at(0).text;
      }
      lines.push_back(line);
    }
    return lines;
  }

  FakeHost host;
  std::size_t liveBefore = 0;
};

TEST_F(Reentry, FromEveryReportEveryChangeEndsTheParse) {
  const std::string before = "entity\n{\n\"id\" \"1\"\n\"targetname\" \"door\"\n}\n";
  const std::string after = "\nentity\n{\n\"targetname\" \"lamp\"\n}\n";
  for (const char* damage : kDamage) {
    for (Action action : {Action::kParse, Action::kRename, Action::kRemove, Action::kCreate,
                          Action::kSetKey, Action::kCollect}) {
      SCOPED_TRACE(std::string(damage) + " / action " + std::to_string(static_cast<int>(action)));
      FakeValue document = host.Invoke(host.Member("Mapwright", "VMF")).at(0);
      int reports = 0;
      host.SetGlobal(
          "VMFParseFailure", FakeValue::Function([&](const std::vector<FakeValue>&) {
            if (++reports > 1) return std::vector<FakeValue>{};
            switch (action) {
              case Action::kParse:
                Call(document, "Parse",
                     {FakeValue::String("entity\n{\n\"targetname\" \"inner\"\n}\n")});
                break;
              case Action::kRename:
                Call(document, "Rename", {FakeValue::String("_r")});
                break;
              case Action::kRemove:
                Call(document, "RemoveEntity",
                     {Call(document, "Entity", {FakeValue::Number(0)}).at(0)});
                break;
              case Action::kCreate:
                Call(document, "CreateEntity", {FakeValue::String("made"), FakeValue::Number(5)});
                break;
              case Action::kSetKey: {
                double last = Call(document, "EntityCount").at(0).number - 1;
                FakeValue entity = Call(document, "Entity", {FakeValue::Number(last)}).at(0);
                CallEntity(entity, "SetKey", {FakeValue::String("added"), FakeValue::String("x")});
                CallEntity(entity, "AddConnection",
                           {FakeValue::String("OnUser1"), FakeValue::String("t,p")});
                break;
              }
              case Action::kCollect:
                Call(document, "__gc");
                break;
            }
            return std::vector<FakeValue>{};
          }));
      Call(document, "Parse", {FakeValue::String(before + damage + after)});
      EXPECT_GE(reports, 1);
      if (action == Action::kCollect) {
        EXPECT_EQ(reports, 1);
        EXPECT_TRUE(Call(document, "EntityCount").empty());
        continue;
      }
      EXPECT_EQ(reports, 1) << "the parse left";
      std::vector<std::string> held = Snapshot(document);
      if (action == Action::kParse) {
        EXPECT_EQ(held, std::vector<std::string>{" 0.000000: targetname=inner"});
      }
      host.SetGlobal("VMFParseFailure", FakeValue::Nil());
      FakeValue again = host.Invoke(host.Member("Mapwright", "VMF")).at(0);
      Call(again, "Parse", {FakeValue::String(Call(document, "Text").at(0).text)});
      EXPECT_EQ(Snapshot(again), held) << Call(document, "Text").at(0).text;
      Call(again, "__gc");
      Call(document, "__gc");
    }
  }
}

}  // namespace
}  // namespace mapwright::testing
