#include "map/model/map_document.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "map/model/block_tree.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

TEST(MapDocument, EmptyDocumentFindsNothing) {
  MapDocument document;
  EXPECT_EQ(document.EntityCount(), 0u);
  EXPECT_EQ(document.WorldKeyCount(), 0u);
  EXPECT_EQ(document.FindByClass(""), nullptr);
  EXPECT_EQ(document.FindByName(""), nullptr);
  EXPECT_EQ(document.FindByID(0), nullptr);
  EXPECT_EQ(document.FindWorldKey(""), nullptr);
}

TEST(MapDocument, SearchesReturnTheFirstExactMatch) {
  MapDocument document;
  MapEntity& first = document.AddEntity();
  EXPECT_TRUE(first.Create("logic_relay", 5));
  MapEntity& second = document.AddEntity();
  EXPECT_TRUE(second.Create("logic_relay", 5));
  EXPECT_TRUE(second.SetKey("targetname", "named"));
  EXPECT_EQ(document.FindByClass("logic_relay"), &first);
  EXPECT_EQ(document.FindByClass("Logic_Relay"), nullptr);
  EXPECT_EQ(document.FindByClass("logic_rela"), nullptr);
  EXPECT_EQ(document.FindByID(5), &first);
  EXPECT_EQ(document.FindByName("named"), &second);
  EXPECT_EQ(document.FindByName(""), &first);  // an unnamed entity has the empty name
}

TEST(MapDocument, AddKeyChangesNoField) {
  MapDocument document;
  MapEntity& entity = document.AddEntity();
  EXPECT_TRUE(entity.AddKey("targetname", "door2"));
  EXPECT_TRUE(entity.AddKey("classname", "light"));
  EXPECT_TRUE(entity.AddKey("id", "9"));
  EXPECT_EQ(entity.KeyCount(), 3u);
  EXPECT_STREQ(entity.Name(), "");
  EXPECT_STREQ(entity.Class(), "");
  EXPECT_EQ(entity.Id(), 0);
  EXPECT_EQ(document.FindByName("door2"), nullptr);
  ASSERT_NE(entity.FindKey("targetname"), nullptr);
  EXPECT_STREQ(entity.FindKey("targetname")->value, "door2");
}

TEST(MapDocument, EntitiesNeverMoveAndTextsStayWhole) {
  MapDocument document;
  MapEntity& first = document.AddEntity();
  std::string longValue(5000, 'v');
  EXPECT_TRUE(first.AddKey("k", longValue));
  for (int i = 0; i < 10000; ++i) EXPECT_TRUE(document.AddEntity().AddKey("n", std::to_string(i)));
  EXPECT_EQ(&document.Entity(0), &first);
  EXPECT_EQ(first.Key(0).value, longValue);
  EXPECT_STREQ(document.Entity(9999 + 1).Key(0).value, "9999");
  EXPECT_EQ(document.Entity(42).Serial(), 42u);
}

TEST(MapDocument, ClearEmptiesBothListsAndStartsAgainAtZero) {
  MapDocument document;
  document.AddEntity();
  EXPECT_TRUE(document.SetWorldKey("a", "b"));
  std::uint64_t generation = document.Generation();
  document.Clear();
  EXPECT_EQ(document.EntityCount(), 0u);
  EXPECT_EQ(document.WorldKeyCount(), 0u);
  EXPECT_NE(document.Generation(), generation);
  EXPECT_EQ(document.AddEntity().Serial(), 0u);
}

TEST(ConnectionValue, SplitsAtFirstEscapeElseFirstComma) {
  std::optional<ConnectionParts> parts = SplitConnectionValue("door1,Open,,0,-1");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->target, "door1");
  EXPECT_EQ(parts->parameters, "Open,,0,-1");
  EXPECT_EQ(parts->separator, ',');
  parts = SplitConnectionValue(
      "a,b\x1b"
      "c\x1b"
      "d");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->target, "a,b");
  EXPECT_EQ(parts->parameters,
            "c\x1b"
            "d");
  EXPECT_EQ(parts->separator, '\x1b');
  parts = SplitConnectionValue(",Open");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->target, "");
  parts = SplitConnectionValue("door1,");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->parameters, "");
  EXPECT_FALSE(SplitConnectionValue("door1"));
  EXPECT_FALSE(SplitConnectionValue(""));
}

}  // namespace
}  // namespace mapwright::testing

namespace mapwright::testing {
namespace {

// Long lists find their pairs through an index: every mix of adding, setting
// and removing keys (case aside) leaves the pairs a plain list model holds,
// in an entity, the world and a block of its own, read after each edit or
// after several.
TEST(MapDocument, LongListsSetKeysAsShortOnesDo) {
  for (unsigned seed = 0; seed < 40; ++seed) {
    std::mt19937 random(seed);
    MapDocument document;
    ParseMap(document, "", nullptr);
    ReadBlocks(document);
    MapEntity& entity = document.AddEntity();
    MapBlock& block = *document.Blocks()->AddChild(document.Blocks()->Top(), "cameras");
    Pairs model;
    const int keys = seed % 2 == 0 ? 8 : 40;
    for (int step = 0; step < 400; ++step) {
      std::string key = "k" + std::to_string(random() % keys);
      if (random() % 2 == 0) key[0] = 'K';
      const std::string value = std::to_string(step);
      switch (random() % 6) {
        case 0:
          ASSERT_TRUE(entity.AddKey(key, value) && block.AddKey(key, value) &&
                      document.AddNewWorldKey(key, value));
          model.emplace_back(key, value);
          break;
        case 1:
          entity.RemoveKey(key);
          block.RemoveKey(key);
          document.RemoveWorldKey(key);
          std::erase_if(model, [&](const auto& pair) { return SameName(pair.first, key); });
          break;
        default: {
          ASSERT_TRUE(entity.SetKey(key, value) && block.SetKey(key, value) &&
                      document.SetWorldKey(key, value));
          bool found = false;
          for (auto& pair : model) {
            if (SameName(pair.first, key)) pair.second = value, found = true;
          }
          if (!found) model.emplace_back(key, value);
        }
      }
      if (seed % 4 == 1 && step % 7 != 6) continue;  // several edits between reads
      ASSERT_EQ(KeysOf(entity), model) << "seed " << seed << " step " << step;
      ASSERT_EQ(WorldKeysOf(document), model) << "seed " << seed << " step " << step;
      Pairs inBlock;
      for (std::size_t i = 0; i < block.KeyCount(); ++i) {
        inBlock.emplace_back(block.Key(i).key, block.Key(i).value);
      }
      ASSERT_EQ(inBlock, model) << "seed " << seed << " step " << step;
    }
  }
}

}  // namespace
}  // namespace mapwright::testing
