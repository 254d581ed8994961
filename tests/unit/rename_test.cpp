#include "map/rename.h"

#include <gtest/gtest.h>

#include <string>

#include "map_test_support.h"

namespace mapwright::testing {
namespace {

class Rename : public ::testing::Test {
 protected:
  MapEntity& Named(const std::string& name) {
    MapEntity& entity = document.AddEntity();
    entity.AddKey("targetname", name);
    entity.targetname = entity.Key(0).value;
    return entity;
  }
  MapEntity& Targeting(const std::string& target) {
    MapEntity& entity = document.AddEntity();
    entity.AddConnection("OnTrigger", {target, "Open,,0,-1", ','});
    return entity;
  }
  static std::string Target(const MapEntity& entity) { return entity.GetConnection(0).target; }

  MapDocument document;
};

TEST_F(Rename, NameAndReferencesFollow) {
  MapEntity& door = Named("door");
  MapEntity& button = Targeting("door");
  RenameEntities(document, 2);
  EXPECT_STREQ(door.targetname, "door2");
  EXPECT_EQ(KeysOf(door), (Pairs{{"targetname", "door2"}}));
  EXPECT_EQ(ConnectionsOf(button), std::vector<std::string>{"OnTrigger|door2|,|Open,,0,-1"});
  EXPECT_EQ(document.FindByName("door2"), &door);
}

TEST_F(Rename, SharedNamesGetTheSuffixOnce) {
  MapEntity& a = Named("lamp");
  MapEntity& b = Named("lamp");
  MapEntity& other = document.AddEntity();
  other.AddKey("light", "lamp");
  RenameEntities(document, 5);
  EXPECT_STREQ(a.targetname, "lamp5");
  EXPECT_STREQ(b.targetname, "lamp5");
  EXPECT_STREQ(other.Key(0).value, "lamp5");
}

TEST_F(Rename, OnlyExactMatchesChange) {
  Named("door");
  MapEntity& near = Targeting("doorway");
  MapEntity& upper = Targeting("Door");
  MapEntity& unknown = Targeting("gate");
  MapEntity& unnamed = document.AddEntity();
  unnamed.AddKey("door", "x");  // a key is never rewritten
  unnamed.AddConnection("door", {"t", "door", ','});
  RenameEntities(document, 1);
  EXPECT_EQ(Target(near), "doorway");
  EXPECT_EQ(Target(upper), "Door");
  EXPECT_EQ(Target(unknown), "gate");
  EXPECT_EQ(KeysOf(unnamed), (Pairs{{"door", "x"}}));
  EXPECT_EQ(ConnectionsOf(unnamed), std::vector<std::string>{"door|t|,|door"});
}

TEST_F(Rename, ValuesInUnnamedEntitiesChangeButWorldClassAndIdDoNot) {
  Named("door").classname = "door";
  MapEntity& unnamed = document.AddEntity();
  unnamed.AddKey("parent", "door");
  unnamed.classname = "door";
  unnamed.id = 3;
  document.AddWorldKey("note", "door");
  RenameEntities(document, 2);
  EXPECT_STREQ(unnamed.Key(0).value, "door2");
  EXPECT_STREQ(unnamed.classname, "door");
  EXPECT_STREQ(document.Entity(0).classname, "door");
  EXPECT_EQ(WorldKeysOf(document), (Pairs{{"note", "door"}}));
  EXPECT_STREQ(unnamed.targetname, "");
}

TEST_F(Rename, SuffixTexts) {
  MapEntity& entity = Named("n");
  RenameEntities(document, 0);
  EXPECT_STREQ(entity.targetname, "n0");
  RenameEntities(document, -1);
  EXPECT_STREQ(entity.targetname, "n0-1");
  RenameEntities(document, -2147483647 - 1);
  EXPECT_STREQ(entity.targetname, "n0-1-2147483648");
  EXPECT_STREQ(entity.Key(0).value, "n0-1-2147483648");
}

TEST_F(Rename, CallsAddUp) {
  MapEntity& door = Named("door");
  MapEntity& button = Targeting("door");
  RenameEntities(document, 2);
  RenameEntities(document, 3);
  EXPECT_STREQ(door.targetname, "door23");
  EXPECT_EQ(Target(button), "door23");
}

TEST_F(Rename, AReferenceGetsTheSuffixAtMostOnce) {
  MapEntity& door = Named("door");
  MapEntity& door2 = Named("door2");
  MapEntity& a = Targeting("door");
  MapEntity& b = Targeting("door2");
  RenameEntities(document, 2);
  EXPECT_STREQ(door.targetname, "door2");
  EXPECT_STREQ(door.Key(0).value, "door2");
  EXPECT_STREQ(door2.targetname, "door22");
  EXPECT_EQ(Target(a), "door2");
  EXPECT_EQ(Target(b), "door22");
}

TEST_F(Rename, EmptyNamesTakeNoPart) {
  MapEntity& empty = Named("");
  Named("door");
  MapEntity& blank = Targeting("");
  blank.AddKey("message", "");
  RenameEntities(document, 4);
  EXPECT_STREQ(empty.targetname, "");
  EXPECT_EQ(KeysOf(empty), (Pairs{{"targetname", ""}}));
  EXPECT_EQ(Target(blank), "");
  EXPECT_STREQ(blank.Key(0).value, "");
}

TEST_F(Rename, NothingNamedChangesNothing) {
  MapEntity& entity = Targeting("door");
  RenameEntities(document, 2);
  EXPECT_EQ(Target(entity), "door");
  MapDocument empty;
  RenameEntities(empty, 2);
  EXPECT_EQ(empty.EntityCount(), 0u);
}

TEST_F(Rename, LongAndManyNames) {
  std::string longName(500, 'n');
  MapEntity& entity = Named(longName);
  for (int i = 0; i < 5000; ++i) Named("e" + std::to_string(i));
  MapEntity& last = Targeting("e4999");
  RenameEntities(document, 7);
  EXPECT_EQ(std::string(entity.targetname), longName + "7");
  EXPECT_EQ(Target(last), "e49997");
}

}  // namespace
}  // namespace mapwright::testing
