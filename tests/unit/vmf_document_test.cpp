#include "map/vmf_document.h"

#include <gtest/gtest.h>

#include <string>

#include "map_test_support.h"

namespace mapwright::testing {
namespace {

TEST(VMFDocument, EmptyDocumentFindsNothing) {
  VMFDocument document;
  EXPECT_EQ(document.EntityCount(), 0u);
  EXPECT_EQ(document.WorldKeyCount(), 0u);
  EXPECT_EQ(document.FindByClass(""), nullptr);
  EXPECT_EQ(document.FindByName(""), nullptr);
  EXPECT_EQ(document.FindByID(0), nullptr);
  EXPECT_EQ(document.FindWorldKey(""), nullptr);
}

TEST(VMFDocument, SearchesReturnTheFirstExactMatch) {
  VMFDocument document;
  VMFEntity& first = document.AddEntity();
  first.classname = document.Texts().Store("logic_relay");
  first.id = 5;
  VMFEntity& second = document.AddEntity();
  second.classname = document.Texts().Store("logic_relay");
  second.targetname = document.Texts().Store("named");
  second.hasTargetname = true;
  second.id = 5;
  EXPECT_EQ(document.FindByClass("logic_relay"), &first);
  EXPECT_EQ(document.FindByClass("Logic_Relay"), nullptr);
  EXPECT_EQ(document.FindByClass("logic_rela"), nullptr);
  EXPECT_EQ(document.FindByID(5), &first);
  EXPECT_EQ(document.FindByName("named"), &second);
  EXPECT_EQ(document.FindByName(""), &first);  // an unnamed entity has the empty name
}

TEST(VMFDocument, AddKeyChangesNoField) {
  VMFDocument document;
  VMFEntity& entity = document.AddEntity();
  entity.AddKey("targetname", "door2");
  entity.AddKey("classname", "light");
  entity.AddKey("id", "9");
  EXPECT_EQ(entity.KeyCount(), 3u);
  EXPECT_FALSE(entity.hasTargetname);
  EXPECT_STREQ(entity.targetname, "");
  EXPECT_STREQ(entity.classname, "");
  EXPECT_EQ(entity.id, 0);
  EXPECT_EQ(document.FindByName("door2"), nullptr);
  ASSERT_NE(entity.FindKey("targetname"), nullptr);
  EXPECT_STREQ(entity.FindKey("targetname")->value, "door2");
}

TEST(VMFDocument, EntitiesNeverMoveAndTextsStayWhole) {
  VMFDocument document;
  VMFEntity& first = document.AddEntity();
  std::string longValue(5000, 'v');
  first.AddKey("k", longValue);
  for (int i = 0; i < 10000; ++i) document.AddEntity().AddKey("n", std::to_string(i));
  EXPECT_EQ(&document.Entity(0), &first);
  EXPECT_EQ(first.Key(0).value, longValue);
  EXPECT_STREQ(document.Entity(9999 + 1).Key(0).value, "9999");
  EXPECT_EQ(document.Entity(42).Index(), 42u);
}

TEST(VMFDocument, ClearEmptiesBothListsAndStartsAgainAtZero) {
  VMFDocument document;
  document.AddEntity();
  document.AddWorldKey("a", "b");
  std::uint64_t generation = document.Generation();
  document.Clear();
  EXPECT_EQ(document.EntityCount(), 0u);
  EXPECT_EQ(document.WorldKeyCount(), 0u);
  EXPECT_NE(document.Generation(), generation);
  EXPECT_EQ(document.AddEntity().Index(), 0u);
}

TEST(ConnectionValue, SplitsAtFirstEscapeElseFirstComma) {
  ConnectionParts parts;
  ASSERT_TRUE(SplitConnectionValue("door1,Open,,0,-1", parts));
  EXPECT_EQ(parts.target, "door1");
  EXPECT_EQ(parts.parameters, "Open,,0,-1");
  EXPECT_EQ(parts.separator, ',');
  ASSERT_TRUE(
      SplitConnectionValue("a,b\x1b"
                           "c\x1b"
                           "d",
                           parts));
  EXPECT_EQ(parts.target, "a,b");
  EXPECT_EQ(parts.parameters,
            "c\x1b"
            "d");
  EXPECT_EQ(parts.separator, '\x1b');
  ASSERT_TRUE(SplitConnectionValue(",Open", parts));
  EXPECT_EQ(parts.target, "");
  ASSERT_TRUE(SplitConnectionValue("door1,", parts));
  EXPECT_EQ(parts.parameters, "");
  EXPECT_FALSE(SplitConnectionValue("door1", parts));
  EXPECT_FALSE(SplitConnectionValue("", parts));
}

}  // namespace
}  // namespace mapwright::testing
