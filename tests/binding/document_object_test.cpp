#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "bindings/live_objects.h"
#include "fake_host.h"

namespace mapwright::testing {
namespace {

const char kMap[] =
    "world\n{\n\"id\" \"1\"\n\"classname\" \"worldspawn\"\n}\n"
    "entity\n{\n\"id\" \"2\"\n\"classname\" \"logic_relay\"\n\"targetname\" \"relay1\"\n"
    "connections\n{\n\"OnTrigger\" \"door1,Open,,0,-1\"\n}\n}\n";

class DocumentObject : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Table("Mapwright");
    liveBefore = TheLiveObjects().Count();
    gmod_open(&host);
    document = host.Invoke(host.Member("Mapwright", "VMF")).at(0);
    host.log.clear();
  }
  void TearDown() override {
    host.Invoke(Doc("__gc"), {document});
    EXPECT_EQ(TheLiveObjects().Count(), liveBefore) << "every object is freed";
    EXPECT_EQ(host.liveHandles, 0);
    gmod_close();
  }
  NativeFunction Doc(const char* name) { return host.Method("VMF", name); }
  NativeFunction Ent(const char* name) { return host.Method("VMFEntity", name); }
  std::vector<FakeValue> Call(const char* method, std::vector<FakeValue> args = {}) {
    args.insert(args.begin(), document);
    return host.Invoke(Doc(method), std::move(args));
  }
  void Parse(const std::string& text) { Call("Parse", {FakeValue::String(text)}); }

  FakeHost host;
  FakeValue document;
  std::size_t liveBefore = 0;
};

TEST_F(DocumentObject, SearchWithoutMatchPushesNothing) {
  EXPECT_TRUE(Call("FindByName", {FakeValue::String("nobody")}).empty());
  EXPECT_EQ(host.log, (std::vector<std::string>{"GetUserDataArg 1", "GetStringArg 2"}));
}

TEST_F(DocumentObject, FoundEntityIsPushedWithItsMetatableGivenBack) {
  Parse(kMap);
  host.log.clear();
  std::vector<FakeValue> found = Call("FindByName", {FakeValue::String("relay1")});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(host.log, (std::vector<std::string>{
                          "GetUserDataArg 1", "GetStringArg 2", "GetMetaTable VMFEntity 2004",
                          "PushUserData VMFEntity", "UnReference VMFEntity"}));
  EXPECT_EQ(host.Invoke(Ent("Class"), {found[0]}).at(0).text, "logic_relay");
  // Every way to the same entity gives the same handle.
  EXPECT_EQ(Call("Entity", {FakeValue::Number(0)}).at(0).pointer, found[0].pointer);
  EXPECT_EQ(Call("FindByID", {FakeValue::Number(2)}).at(0).pointer, found[0].pointer);
}

TEST_F(DocumentObject, WorldPairsAndCounts) {
  Parse(kMap);
  EXPECT_EQ(Call("WorldKeyCount").at(0).number, 2);
  EXPECT_EQ(Call("EntityCount").at(0).number, 1);
  std::vector<FakeValue> pair = Call("WorldKey", {FakeValue::Number(1)});
  EXPECT_EQ(pair.at(0).text, "classname");
  EXPECT_EQ(pair.at(1).text, "worldspawn");
  EXPECT_EQ(Call("FindWorldKey", {FakeValue::String("id")}).at(1).text, "1");
  EXPECT_EQ(Call("WorldKey", {FakeValue::String(" 0x1 ")}).at(0).text, "classname");
  const double infinity = std::numeric_limits<double>::infinity();
  for (double bad :
       {-1.0, 2.0, 2147483647.0, 1e300, infinity, -infinity, std::nan(""), -0.5, 0.5}) {
    EXPECT_TRUE(Call("WorldKey", {FakeValue::Number(bad)}).empty());
    EXPECT_TRUE(Call("Entity", {FakeValue::Number(bad)}).empty());
  }
}

TEST_F(DocumentObject, ParseFailureIsReportedToTheScript) {
  std::vector<std::string> reports;
  host.SetGlobal("VMFParseFailure", FakeValue::Function([&](const std::vector<FakeValue>& args) {
                   reports.push_back(args.at(0).text + "|" + args.at(1).text);
                   return std::vector<FakeValue>{};
                 }));
  Parse("entity\n{\nconnections\n{\n\"OnTrigger\" \"door1\"\n}\n}");
  EXPECT_EQ(reports, std::vector<std::string>{"Connection|Keyvalue found inside of connections "
                                              "block. { Key = OnTrigger, Value = door1 }"});
  EXPECT_EQ(host.liveHandles, 0);
}

TEST_F(DocumentObject, EntityHandlesDieWithParseAndNeverComeBack) {
  Parse(kMap);
  FakeValue relay = Call("Entity", {FakeValue::Number(0)}).at(0);
  Parse(kMap);
  for (const char* method : {"KeyCount", "Class", "ID", "ConnectionCount"}) {
    EXPECT_TRUE(host.Invoke(Ent(method), {relay}).empty()) << method;
  }
  host.Invoke(Ent("AddKey"), {relay, FakeValue::String("k"), FakeValue::String("v")});
  FakeValue fresh = Call("Entity", {FakeValue::Number(0)}).at(0);
  EXPECT_NE(fresh.pointer, relay.pointer);
  EXPECT_EQ(host.Invoke(Ent("KeyCount"), {fresh}).at(0).number, 3);
}

TEST_F(DocumentObject, WrongObjectsYieldNothing) {
  Parse(kMap);
  FakeValue entity = Call("Entity", {FakeValue::Number(0)}).at(0);
  FakeValue reader =
      host.Invoke(host.Member("Mapwright", "TokenReader"), {FakeValue::String("")}).at(0);
  for (const FakeValue& wrong : {FakeValue::Nil(), FakeValue::Number(3), entity, reader}) {
    EXPECT_TRUE(host.Invoke(Doc("EntityCount"), {wrong}).empty());
    EXPECT_TRUE(host.Invoke(Doc("__gc"), {wrong}).empty());
  }
  for (const FakeValue& wrong : {FakeValue::Nil(), document, reader}) {
    EXPECT_TRUE(host.Invoke(Ent("KeyCount"), {wrong}).empty());
  }
  EXPECT_EQ(Call("EntityCount").at(0).number, 1);  // the wrong __gc calls freed nothing
  host.Invoke(host.Method("TokenReader", "__gc"), {reader});
}

// A removed entity's handle dies, and so do those of the entities inside
// its block; every other handle stays.
TEST_F(DocumentObject, RemovedEntitiesTakeTheirHandles) {
  Parse(std::string(kMap) + "entity\n{\n\"id\" \"3\"\nentity\n{\n\"id\" \"4\"\n}\n}\n");
  FakeValue relay = Call("Entity", {FakeValue::Number(0)}).at(0);
  FakeValue outer = Call("Entity", {FakeValue::Number(1)}).at(0);
  FakeValue inner = Call("Entity", {FakeValue::Number(2)}).at(0);
  Call("RemoveEntity", {outer});
  EXPECT_TRUE(host.Invoke(Ent("ID"), {outer}).empty());
  EXPECT_TRUE(host.Invoke(Ent("ID"), {inner}).empty());
  EXPECT_EQ(host.Invoke(Ent("ID"), {relay}).at(0).number, 2);
  EXPECT_EQ(Call("EntityCount").at(0).number, 1);
  Call("RemoveEntity", {outer});  // twice: nothing
  EXPECT_EQ(Call("EntityCount").at(0).number, 1);
}

TEST_F(DocumentObject, ConstructorsFreeWhatTheHostCouldNotPush) {
  std::size_t live = TheLiveObjects().Count();
  host.failPushUserData = true;
  EXPECT_TRUE(host.Invoke(host.Member("Mapwright", "VMF")).empty());
  EXPECT_TRUE(
      host.Invoke(host.Member("Mapwright", "TokenReader"), {FakeValue::String("x")}).empty());
  EXPECT_EQ(TheLiveObjects().Count(), live);  // and LeakSanitizer sees no lost object
  host.failPushUserData = false;
}

// A number is appended in decimal as an integer, as is a text that reads as
// one; any other text as it is.
TEST_F(DocumentObject, RenameSuffixes) {
  Parse(kMap);
  const struct {
    FakeValue suffix;
    const char* name;
  } kCases[] = {{FakeValue::Number(-1), "relay1-1"},
                {FakeValue::Number(2.9), "relay1-1"},  // a fraction is no suffix
                {FakeValue::String("3"), "relay1-13"},
                {FakeValue::String("_c"), "relay1-13_c"},
                {FakeValue::Nil(), "relay1-13_c"},
                {FakeValue::String("\"x"), "relay1-13_c"},
                {FakeValue::String("a,b"), "relay1-13_c"},  // would split an output's target
                {FakeValue::String("a\x1b"), "relay1-13_c"},
                {FakeValue::String("2.5"), "relay1-13_c"},
                {FakeValue::Number(NAN), "relay1-13_c"},
                {FakeValue::Number(INFINITY), "relay1-13_c"},
                {FakeValue::String("2.0"), "relay1-13_c2"},
                {FakeValue::Number(2147483648.0), "relay1-13_c22147483648"}};
  for (const auto& test : kCases) {
    Call("Rename", {test.suffix});
    FakeValue relay = Call("Entity", {FakeValue::Number(0)}).at(0);
    EXPECT_EQ(host.Invoke(Ent("FindKey"), {relay, FakeValue::String("targetname")}).at(1).text,
              test.name);
  }
}

// The entity and its index; a start before the first entity is the first.
TEST_F(DocumentObject, FindNextGivesTheEntityAndItsIndex) {
  Parse(std::string(kMap) + "entity\n{\n\"targetname\" \"Relay2\"\n}\n");
  std::vector<FakeValue> first =
      Call("FindNextByName", {FakeValue::String("RELAY*"), FakeValue::Number(-3)});
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[1].number, 0);
  std::vector<FakeValue> second =
      Call("FindNextByName", {FakeValue::String("RELAY*"), FakeValue::Number(1)});
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[1].number, 1);
  EXPECT_EQ(second[0].pointer, Call("Entity", {FakeValue::Number(1)}).at(0).pointer);
  EXPECT_TRUE(Call("FindNextByName", {FakeValue::String("relay*"), FakeValue::Number(2)}).empty());
  EXPECT_EQ(
      Call("FindNextByClass", {FakeValue::String("Logic_Relay"), FakeValue::Number(0)}).size(), 2u);
}

TEST_F(DocumentObject, CreateEntity) {
  std::vector<FakeValue> created =
      Call("CreateEntity", {FakeValue::String("info_target"), FakeValue::Number(7)});
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(Call("EntityCount").at(0).number, 1);
  EXPECT_EQ(Call("FindByClass", {FakeValue::String("info_target")}).at(0).pointer,
            created[0].pointer);
  EXPECT_EQ(Call("FindByName", {FakeValue::String("")}).at(0).pointer, created[0].pointer);
  EXPECT_EQ(host.Invoke(Ent("KeyCount"), {created[0]}).at(0).number, 0);
  EXPECT_TRUE(host.Invoke(Ent("FindKey"), {created[0], FakeValue::String("classname")}).empty());
}

// Indices and starts are whole numbers: "" is none; a start before the first
// block is the first, and a found block comes with its own index.
TEST_F(DocumentObject, IndicesAndStarts) {
  Parse(std::string(kMap) + "world\n{\n}\n");
  EXPECT_TRUE(Call("Entity", {FakeValue::String("")}).empty());
  for (double start : {-5.0, 0.0}) {
    std::vector<FakeValue> found =
        Call("FindBlock", {FakeValue::String("WORLD"), FakeValue::Number(start)});
    ASSERT_EQ(found.size(), 2u) << start;
    EXPECT_EQ(found[1].number, 0) << start;
  }
  std::vector<FakeValue> second =
      Call("FindBlock", {FakeValue::String("world"), FakeValue::Number(1)});
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[1].number, 2);
  EXPECT_EQ(second[0].pointer, Call("Block", {FakeValue::Number(2)}).at(0).pointer);
}

// Either vector of Transform may be nil: the other still applies.
TEST_F(DocumentObject, TransformTakesEitherVectorAlone) {
  Parse("entity\n{\n\"origin\" \"1 0 0\"\n}\n");
  auto origin = [&] {
    FakeValue entity = Call("Entity", {FakeValue::Number(0)}).at(0);
    return host.Invoke(Ent("FindKey"), {entity, FakeValue::String("origin")}).at(1).text;
  };
  EXPECT_EQ(Call("Transform", {FakeValue::Nil(), FakeValue::String("0 90 0")}).size(), 1u);
  EXPECT_EQ(origin(), "0 1 0");
  EXPECT_EQ(Call("Transform", {FakeValue::String("1 1 1")}).size(), 1u);
  EXPECT_EQ(origin(), "1 2 1");
  std::vector<FakeValue> refused = Call("Transform", {FakeValue::String("1 2")});
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0].type, FakeValue::Type::kNil);
  EXPECT_NE(refused[1].text.find("offset"), std::string::npos);
  EXPECT_EQ(origin(), "1 2 1");
}

TEST_F(DocumentObject, EntityMethods) {
  Parse(kMap);
  FakeValue relay = Call("Entity", {FakeValue::Number(0)}).at(0);
  auto entity = [&](const char* method, std::vector<FakeValue> args = {}) {
    args.insert(args.begin(), relay);
    return host.Invoke(Ent(method), std::move(args));
  };
  EXPECT_EQ(entity("Key", {FakeValue::Number(0)}).at(1).text, "2");
  EXPECT_EQ(entity("FindKey", {FakeValue::String("targetname")}).at(1).text, "relay1");
  EXPECT_TRUE(entity("FindKey", {FakeValue::String("TargetName")}).empty());
  EXPECT_EQ(entity("Connection", {FakeValue::Number(0)}).at(0).text, "OnTrigger door1,Open,,0,-1");
  entity("AddConnection", {FakeValue::String("OnUser1"), FakeValue::String("t\x1bIn\x1bp")});
  entity("AddConnection", {FakeValue::String("OnUser2"), FakeValue::String(",Open")});
  entity("AddConnection", {FakeValue::String("OnUser3"), FakeValue::String("nothing")});
  EXPECT_EQ(entity("ConnectionCount").at(0).number, 3);
  EXPECT_EQ(entity("Connection", {FakeValue::Number(1)}).at(0).text, "OnUser1 t\x1bIn\x1bp");
  EXPECT_EQ(entity("Connection", {FakeValue::Number(2)}).at(0).text, "OnUser2 ,Open");
  EXPECT_TRUE(entity("Connection", {FakeValue::Number(3)}).empty());
  entity("AddKey", {FakeValue::String("targetname"), FakeValue::String("door2")});
  EXPECT_TRUE(Call("FindByName", {FakeValue::String("door2")}).empty());
}

}  // namespace
}  // namespace mapwright::testing
