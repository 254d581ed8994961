#include "map/edit/rename.h"

#include <gtest/gtest.h>

#include <string>

#include "colliding_names.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

class Rename : public ::testing::Test {
 protected:
  MapEntity& Named(const std::string& name) {
    MapEntity& entity = document.AddEntity();
    EXPECT_TRUE(entity.SetKey("targetname", name));
    return entity;
  }
  MapEntity& Targeting(const std::string& target) {
    MapEntity& entity = document.AddEntity();
    EXPECT_TRUE(entity.AddConnection("OnTrigger", {target, "Open,,0,-1", ','}));
    return entity;
  }
  static std::string Target(const MapEntity& entity) { return entity.GetConnection(0).target; }

  MapDocument document;
};

TEST_F(Rename, NameAndReferencesFollow) {
  MapEntity& door = Named("door");
  MapEntity& button = Targeting("door");
  EXPECT_TRUE(RenameEntities(document, "2"));
  EXPECT_STREQ(door.Name(), "door2");
  EXPECT_EQ(KeysOf(door), (Pairs{{"targetname", "door2"}}));
  EXPECT_EQ(ConnectionsOf(button), std::vector<std::string>{"OnTrigger|door2|,|Open,,0,-1"});
  EXPECT_EQ(document.FindByName("door2"), &door);
}

// A prefix takes the wildcard references that match a name, the bare "*"
// among them, and leaves those that match none; the texts that would split
// an output's target are no prefix.
TEST_F(Rename, PrefixTakesMatchingWildcards) {
  Named("door");
  MapEntity& all = Targeting("*");
  MapEntity& doors = Targeting("DOOR*");
  MapEntity& none = Targeting("lamp*");
  for (const char* refused : {"a,", "a\x1b", "\"a"})
    EXPECT_FALSE(PrefixEntities(document, refused));
  EXPECT_TRUE(PrefixEntities(document, "p_"));
  EXPECT_EQ(Target(all), "p_*");
  EXPECT_EQ(Target(doors), "p_DOOR*");
  EXPECT_EQ(Target(none), "lamp*");
}

TEST_F(Rename, SharedNamesGetTheSuffixOnce) {
  MapEntity& a = Named("lamp");
  MapEntity& b = Named("lamp");
  MapEntity& other = document.AddEntity();
  EXPECT_TRUE(other.AddKey("light", "lamp"));
  EXPECT_TRUE(RenameEntities(document, "5"));
  EXPECT_STREQ(a.Name(), "lamp5");
  EXPECT_STREQ(b.Name(), "lamp5");
  EXPECT_STREQ(other.Key(0).value, "lamp5");
}

// References are matched as the engine resolves names (ASCII letters without
// regard to case, other bytes as they are) and keep their own spelling.
TEST_F(Rename, ReferencesMatchAsTheEngineResolves) {
  Named("door");
  Named("t\xe9l\xe9");
  MapEntity& near = Targeting("doorway");
  MapEntity& upper = Targeting("Door");
  MapEntity& accented = Targeting("T\xe9L\xe9");
  MapEntity& other = Targeting("t\xc9l\xe9");  // not an ASCII letter: no match
  MapEntity& unnamed = document.AddEntity();
  EXPECT_TRUE(unnamed.AddKey("door", "x"));                        // a key is never rewritten
  EXPECT_TRUE(unnamed.AddConnection("door", {"t", "door", ','}));  // an input is no name
  EXPECT_TRUE(unnamed.AddConnection("OnUser1", {"!self", "SetParent,DOOR,0,-1", ','}));
  EXPECT_TRUE(unnamed.AddConnection("OnUser2", {"x",
                                                "In\x1b"
                                                "door\x1b"
                                                "0\x1b"
                                                "1",
                                                '\x1b'}));
  EXPECT_TRUE(RenameEntities(document, "_1"));
  EXPECT_EQ(Target(near), "doorway");
  EXPECT_EQ(Target(upper), "Door_1");
  EXPECT_EQ(Target(accented), "T\xe9L\xe9_1");
  EXPECT_EQ(Target(other), "t\xc9l\xe9");
  EXPECT_EQ(KeysOf(unnamed), (Pairs{{"door", "x"}}));
  EXPECT_EQ(ConnectionsOf(unnamed),
            (std::vector<std::string>{"door|t|,|door", "OnUser1|!self|,|SetParent,DOOR_1,0,-1",
                                      "OnUser2|x|\x1b|In\x1b"
                                      "door_1\x1b"
                                      "0\x1b"
                                      "1"}));
}

// Classes, ids and numbers are never references; names and targets are,
// whatever they look like.
TEST_F(Rename, ClassIdAndNumbersStayNamesAndTargetsFollow) {
  MapEntity& zero = Named("0");
  EXPECT_TRUE(zero.AddKey("classname", "0"));
  EXPECT_TRUE(zero.AddKey("id", "0"));
  EXPECT_TRUE(zero.AddKey("solid", "0"));
  EXPECT_TRUE(zero.AddKey("speed", "-0.5"));
  Named("-0.5");
  MapEntity& points = Targeting("0");
  EXPECT_TRUE(points.AddConnection("OnUser1", {"x", "In,0,0,-1", ','}));
  EXPECT_TRUE(points.AddKey("parentname", "0"));
  EXPECT_TRUE(document.SetWorldKey("note", "0"));
  EXPECT_TRUE(RenameEntities(document, "_2"));
  EXPECT_STREQ(zero.Name(), "0_2");
  EXPECT_EQ(KeysOf(zero), (Pairs{{"targetname", "0_2"},
                                 {"classname", "0"},
                                 {"id", "0"},
                                 {"solid", "0"},
                                 {"speed", "-0.5"}}));
  EXPECT_EQ(ConnectionsOf(points),
            (std::vector<std::string>{"OnTrigger|0_2|,|Open,,0,-1", "OnUser1|x|,|In,0,0,-1"}));
  EXPECT_EQ(KeysOf(points), (Pairs{{"parentname", "0"}}));
  EXPECT_EQ(WorldKeysOf(document), (Pairs{{"note", "0"}}));
  for (const char* text : {"0", "-1", "+2.5", "10.25"}) EXPECT_TRUE(ReadsAsNumber(text)) << text;
  for (const char* text : {"", "-", "1.", ".5", "1e5", "1 2", "0x1", "door1"}) {
    EXPECT_FALSE(ReadsAsNumber(text)) << text;
  }
}

// Names crafted to share one hash of an unseeded table all follow, and the
// table's seeded hash spreads them: no lookup walks a long chain.
TEST_F(Rename, NamesCraftedToCollideAllFollow) {
  std::vector<std::string> names = CollidingNames(11);
  ASSERT_EQ(Fnv1a(2166136261u, names[0]), Fnv1a(2166136261u, names.back()));
  NameTable table(names.size());
  for (const std::string& name : names) table.Insert(name);
  // Seeded, the longest chain of 2048 names runs 25-32 slots; one hash for all would be 2048.
  EXPECT_LE(table.LongestProbe(), names.size() / 8) << names.size() << " names";
  for (const std::string& name : names) Named(name);
  for (const std::string& name : names) Targeting(name);
  EXPECT_TRUE(RenameEntities(document, "_c"));
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(Target(document.Entity(names.size() + i)), names[i] + "_c");
  }
}

TEST_F(Rename, CallsAddUp) {
  MapEntity& door = Named("door");
  MapEntity& button = Targeting("door");
  EXPECT_TRUE(RenameEntities(document, "2"));
  EXPECT_TRUE(RenameEntities(document, "3"));
  EXPECT_STREQ(door.Name(), "door23");
  EXPECT_EQ(Target(button), "door23");
}

TEST_F(Rename, AReferenceGetsTheSuffixAtMostOnce) {
  MapEntity& door = Named("door");
  MapEntity& door2 = Named("door2");
  MapEntity& a = Targeting("door");
  MapEntity& b = Targeting("door2");
  EXPECT_TRUE(RenameEntities(document, "2"));
  EXPECT_STREQ(door.Name(), "door2");
  EXPECT_STREQ(door.Key(0).value, "door2");
  EXPECT_STREQ(door2.Name(), "door22");
  EXPECT_EQ(Target(a), "door2");
  EXPECT_EQ(Target(b), "door22");
}

TEST_F(Rename, EmptyNamesTakeNoPart) {
  MapEntity& empty = Named("");
  Named("door");
  MapEntity& blank = Targeting("");
  EXPECT_TRUE(blank.AddKey("message", ""));
  EXPECT_TRUE(RenameEntities(document, "4"));
  EXPECT_STREQ(empty.Name(), "");
  EXPECT_EQ(KeysOf(empty), (Pairs{{"targetname", ""}}));
  EXPECT_EQ(Target(blank), "");
  EXPECT_STREQ(blank.Key(0).value, "");
}

TEST_F(Rename, NothingNamedChangesNothing) {
  MapEntity& entity = Targeting("door");
  EXPECT_TRUE(RenameEntities(document, "2"));
  EXPECT_EQ(Target(entity), "door");
  MapDocument empty;
  EXPECT_TRUE(RenameEntities(empty, "2"));
  EXPECT_EQ(empty.EntityCount(), 0u);
}

TEST_F(Rename, LongAndManyNames) {
  std::string longName(500, 'n');
  MapEntity& entity = Named(longName);
  for (int i = 0; i < 5000; ++i) Named("e" + std::to_string(i));
  MapEntity& last = Targeting("e4999");
  EXPECT_TRUE(RenameEntities(document, "7"));
  EXPECT_EQ(std::string(entity.Name()), longName + "7");
  EXPECT_EQ(Target(last), "e49997");
}

}  // namespace
}  // namespace mapwright::testing
