// Merging every corpus map into another (and one into itself): read back from
// the written text, the copies add no id twice in its kind, every sides,
// visgroupid and groupid reference names a block there (as far as it did in
// the maps merged), every brush and entity is there, and the merged-in
// document is unchanged, and its end changes nothing in the copies.
#include "map/edit/merge.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "map/model/block_tree.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

namespace fs = std::filesystem;

// Ids by kind and the references, as a plain walk of the tree finds them.
struct Census {
  std::map<std::string, std::multiset<std::string>> ids;        // side, visgroup, other
  std::vector<std::pair<std::string, std::string>> references;  // kind, id
  std::size_t solids = 0;
  std::size_t entities = 0;

  std::size_t Duplicates() const {
    std::size_t count = 0;
    for (const auto& [kind, all] : ids) {
      for (auto at = all.begin(); at != all.end(); at = all.upper_bound(*at)) {
        count += all.count(*at) - 1;
      }
    }
    return count;
  }
  std::size_t Broken() const {
    std::size_t count = 0;
    for (const auto& [kind, id] : references) count += ids.at(kind).count(id) == 0 ? 1 : 0;
    return count;
  }
};

void Walk(MapBlock& block, Census& census, bool inVisgroups) {
  const std::string name(block.Name());
  census.solids += name == "solid";
  census.entities += block.Role() == BlockRole::kEntity;
  for (std::size_t i = 0; i < block.KeyCount(); ++i) {
    PairText pair = block.Key(i);
    if (pair.key == "id") {
      census.ids[name == "side" ? "side" : "other"].insert(pair.value);
    } else if (pair.key == "visgroupid") {
      if (inVisgroups) {
        census.ids["visgroup"].insert(pair.value);
      } else {
        census.references.emplace_back("visgroup", pair.value);
      }
    } else if (pair.key == "groupid") {
      census.references.emplace_back("other", pair.value);
    } else if (pair.key == "sides" || pair.key == "sides2") {
      std::istringstream list(pair.value);
      for (std::string id; list >> id;) census.references.emplace_back("side", id);
    }
  }
  for (std::size_t i = 0; i < block.ChildCount(); ++i) {
    Walk(block.Child(i), census, inVisgroups || name == "visgroups");
  }
}

Census CensusOf(const std::string& text) {
  MapDocument document;
  ParseMap(document, text, nullptr);
  ReadBlocks(document);
  Census census;
  for (const char* kind : {"side", "other", "visgroup"}) census.ids[kind];
  Walk(document.Blocks()->Top(), census, false);
  return census;
}

TEST(MergeCorpus, CopiesTakeFreshIdsAndTheirReferencesFollow) {
  std::vector<fs::path> maps = CorpusMaps();
  if (maps.empty()) GTEST_SKIP() << "no maps in " << MAPWRIGHT_CORPUS_DIR << ": corpus absent";
  for (std::size_t i = 0; i < maps.size(); ++i) {
    // Each map takes in the next, and the first takes in itself.
    const std::string into = Read(maps[i]);
    const std::string from = i == 0 ? into : Read(maps[(i + 1) % maps.size()]);
    const std::string what =
        maps[i].filename().string() + " <- " +
        (i == 0 ? std::string("itself") : maps[(i + 1) % maps.size()].filename().string());
    MapDocument document, other;
    ParseMap(document, into, nullptr);
    ParseMap(other, from, nullptr);
    ReadBlocks(document);
    ReadBlocks(other);
    ASSERT_TRUE(MergeDocument(document, i == 0 ? document : other)) << what;
    const std::string merged(WriteMap(document)->view());
    EXPECT_EQ(std::string(WriteMap(other)->view()), from) << what << ": the other is unchanged";
    other.Clear();
    EXPECT_EQ(std::string(WriteMap(document)->view()), merged) << what << ": the copies outlive it";

    const Census before = CensusOf(into);
    const Census added = CensusOf(from);
    const Census after = CensusOf(merged);
    EXPECT_EQ(after.Duplicates(), before.Duplicates()) << what << ": ids given twice";
    EXPECT_LE(after.Broken(), before.Broken() + added.Broken()) << what << ": references lost";
    EXPECT_EQ(after.entities, before.entities + added.entities) << what;
    EXPECT_EQ(after.references.size(), before.references.size() + added.references.size()) << what;
    // Brushes of the world and of entities; a map's other solids (inside
    // blocks that are neither) stay behind.
    EXPECT_LE(after.solids, before.solids + added.solids) << what;
    EXPECT_GE(after.solids + 0, before.solids + added.solids - added.solids / 100) << what;
  }
}

// The ids in use are the text's while the document is as read, and the
// model's after an edit, also one made by a report's script mid-parse.
TEST(Merge, IdsSetSinceTheParseAreInUse) {
  const std::string text = "entity\n{\n\"id\" \"5\"\n\"classname\" \"light\"\n}\n";
  MapDocument document;
  ParseMap(document, text, nullptr);
  ASSERT_TRUE(document.Entity(0).SetKey("id", "900"));
  ReadBlocks(document);
  ASSERT_TRUE(MergeDocument(document, document));
  ASSERT_EQ(document.EntityCount(), 2u);
  EXPECT_EQ(document.Entity(1).Id(), 901);

  MapDocument reported;
  RecordingReporter reporter;
  reporter.onReport = [&] { static_cast<void>(reported.Entity(0).SetKey("id", "700")); };
  ParseMap(reported, text + "}\n", &reporter);  // the stray brace is told; the script edits
  ReadBlocks(reported);
  ASSERT_TRUE(MergeDocument(reported, reported));
  EXPECT_EQ(reported.Entity(reported.EntityCount() - 1).Id(), 701);
}

// References follow their blocks whatever order the renumbering meets them
// in: several renumbered values in one block, the ids after the references.
TEST(Merge, EveryReferenceInABlockFollows) {
  const std::string prefab =
      "visgroups\n{\nvisgroup\n{\n\"visgroupid\" \"5\"\n}\n}\n"
      "world\n{\n\"id\" \"1\"\nsolid\n{\n\"id\" \"11\"\neditor\n{\n"
      "\"visgroupid\" \"5\"\n\"groupid\" \"6\"\n}\n}\ngroup\n{\n\"id\" \"6\"\n}\n}\n"
      "entity\n{\n\"id\" \"20\"\n\"classname\" \"info_overlay\"\n\"sides\" \"7 8\"\n"
      "\"sides2\" \"8\"\n}\n"
      "entity\n{\n\"id\" \"21\"\n\"classname\" \"func_detail\"\nsolid\n{\n\"id\" \"22\"\n"
      "side\n{\n\"id\" \"7\"\n}\nside\n{\n\"id\" \"8\"\n}\n}\n}\n";
  MapDocument document, other;
  ParseMap(document, "world\n{\n\"id\" \"1\"\n}\n", nullptr);
  ParseMap(other, prefab, nullptr);
  ReadBlocks(document);
  ReadBlocks(other);
  ASSERT_TRUE(MergeDocument(document, other));
  ASSERT_TRUE(MergeDocument(document, other));
  const Census merged = CensusOf(std::string(WriteMap(document)->view()));
  EXPECT_EQ(merged.Broken(), 0u);
  EXPECT_EQ(merged.Duplicates(), 0u);
  EXPECT_EQ(merged.references.size(), 2 * CensusOf(prefab).references.size());
}

// Copies keep the indentation their text gave them: a prefab written without
// any, nested deeper than an editor indents, comes out as it went in.
TEST(Merge, CopiesKeepTheirOwnIndentation) {
  std::string solid = "solid\n{\n\"id\" \"2\"\n";
  for (int i = 1; i <= 2000; ++i) solid += "side\n{\n\"id\" \"" + std::to_string(i) + "\"\n";
  for (int i = 1; i <= 2000; ++i) solid += "}\n";
  solid += "}\n";
  MapDocument document, other;
  ParseMap(document, "world\n{\n\"id\" \"1\"\n}\n", nullptr);
  ParseMap(other, "world\n{\n\"id\" \"1\"\n" + solid + "}\n", nullptr);
  ReadBlocks(document);
  ReadBlocks(other);
  ASSERT_TRUE(MergeDocument(document, other));
  EXPECT_EQ(WriteMap(document)->view(), "world\n{\n\"id\" \"1\"\n" + solid + "}\n");
}

// A cut file leaves blocks open, and maybe a quoted text: the copied
// entities come after its text, each open block (and the quote) closed
// first, so that the text reads back, undamaged, as the document with the
// copies.
TEST(MergeCorpus, ACutMapTakesItsCopiesAfterItsText) {
  std::vector<fs::path> maps = CorpusMaps();
  if (maps.empty()) GTEST_SKIP() << "no maps in " << MAPWRIGHT_CORPUS_DIR << ": corpus absent";
  const std::string prefab = Read(MapsIn(MAPWRIGHT_EXAMPLES_DIR).at(0));
  MapDocument other;
  ParseMap(other, prefab, nullptr);
  ReadBlocks(other);
  for (const fs::path& path : maps) {
    const std::string text = Read(path);
    for (std::size_t part : {3, 2, 4}) {
      std::size_t cut = text.find('\n', text.size() / part);
      if (cut == std::string::npos || cut < 8) continue;
      if (part == 4) cut -= 4;  // inside a line: in a quoted text, most likely
      const std::string cutText = text.substr(0, cut + 1);
      MapDocument document;
      RecordingReporter cutReports;
      ParseMap(document, cutText, &cutReports);
      ReadBlocks(document);
      const std::size_t entities = document.EntityCount();
      // A cut between a key and its value is other damage, which stays.
      bool cutOnly = true;
      for (const std::string& report : cutReports.reports) {
        cutOnly = cutOnly && report.find("not closed at the end of the text") != std::string::npos;
      }
      ASSERT_TRUE(MergeDocument(document, other));
      const std::string merged(WriteMap(document)->view());
      const std::string what = path.filename().string() + " cut at " + std::to_string(cut);
      MapDocument again;
      RecordingReporter reporter;
      ParseMap(again, merged, &reporter);
      if (cutOnly) {
        EXPECT_TRUE(reporter.reports.empty()) << what << ": " << reporter.reports.at(0);
      }
      EXPECT_EQ(again.EntityCount(), entities + other.EntityCount()) << what;
    }
  }
}

// Each run of ids goes on from the document's own highest, as read or as
// edited since (an earlier merge's included): sides from the sides, visgroups
// from the visgroups, every other block from the others.
TEST(Merge, EachRunGoesOnFromItsHighest) {
  const std::string into =
      "visgroups\n{\nvisgroup\n{\n\"visgroupid\" \"40\"\n}\n}\n"
      "world\n{\n\"id\" \"1\"\nsolid\n{\n\"id\" \"2\"\nside\n{\n\"id\" \"300\"\n}\n}\n}\n"
      "entity\n{\n\"id\" \"20\"\n\"classname\" \"a\"\n}\n";
  const std::string prefab =
      "visgroups\n{\nvisgroup\n{\n\"visgroupid\" \"1\"\n}\n}\n"
      "world\n{\n\"id\" \"1\"\nsolid\n{\n\"id\" \"3\"\nside\n{\n\"id\" \"1\"\n}\n}\n}\n"
      "entity\n{\n\"id\" \"2\"\n\"classname\" \"b\"\n}\n";
  auto highest = [](MapDocument& document, std::string_view block, std::string_view key) {
    std::int64_t most = 0;
    std::vector<MapBlock*> walk{&document.Blocks()->Top()};
    while (!walk.empty()) {
      MapBlock& at = *walk.back();
      walk.pop_back();
      for (std::size_t i = 0; i < at.KeyCount(); ++i) {
        if (at.Name() == block && at.Key(i).key == key) {
          most = std::max<std::int64_t>(most, std::stoll(at.Key(i).value));
        }
      }
      for (std::size_t i = 0; i < at.ChildCount(); ++i) walk.push_back(&at.Child(i));
    }
    return most;
  };
  for (bool edited : {false, true}) {
    MapDocument document, other;
    ParseMap(document, into, nullptr);
    ParseMap(other, prefab, nullptr);
    ReadBlocks(document);
    ReadBlocks(other);
    if (edited) {
      ASSERT_TRUE(document.Entity(0).SetKey("id", "900"));
    }
    ASSERT_TRUE(MergeDocument(document, other));
    EXPECT_EQ(highest(document, "side", "id"), 301) << edited;
    EXPECT_EQ(highest(document, "visgroup", "visgroupid"), 41) << edited;
    EXPECT_EQ(document.Entity(1).Id(), edited ? 901 : 21);
    // An edit after a merge counts too.
    ASSERT_TRUE(document.Entity(1).SetKey("id", "5000"));
    ASSERT_TRUE(MergeDocument(document, other));
    EXPECT_EQ(document.Entity(2).Id(), 5001) << edited;
    EXPECT_EQ(highest(document, "side", "id"), 302) << edited;
    // And one through a block: a side's id, a visgroup's.
    MapBlock& top = document.Blocks()->Top();
    MapBlock& world = top.Child(*top.FindChild("world", 0));
    ASSERT_TRUE(world.Child(0).Child(0).SetKey("id", "7000"));
    ASSERT_TRUE(top.Child(*top.FindChild("visgroups", 0)).Child(0).SetKey("visgroupid", "80"));
    ASSERT_TRUE(MergeDocument(document, other));
    EXPECT_EQ(highest(document, "side", "id"), 7001) << edited;
    EXPECT_EQ(highest(document, "visgroup", "visgroupid"), 81) << edited;
  }
}

// Ids are 32-bit: a merge that would need more changes nothing, and an id
// written beyond that range counts as in use.
TEST(Merge, IdsStayWithinTheirRange) {
  const std::string two =
      "entity\n{\n\"id\" \"7\"\n\"classname\" \"a\"\n}\n"
      "entity\n{\n\"id\" \"8\"\n\"classname\" \"b\"\n}\n";
  for (const char* highest : {"2147483646", "2147483648", "99999999999999999999999"}) {
    MapDocument document, other;
    const std::string text =
        "entity\n{\n\"id\" \"" + std::string(highest) + "\"\n\"classname\" \"c\"\n}\n";
    ParseMap(document, text, nullptr);
    ParseMap(other, two, nullptr);
    ReadBlocks(document);
    ReadBlocks(other);
    const EditResult merged = MergeDocument(document, other);
    EXPECT_FALSE(merged) << highest;
    EXPECT_EQ(std::string(WriteMap(document)->view()), text) << highest;
  }
}

}  // namespace
}  // namespace mapwright::testing
