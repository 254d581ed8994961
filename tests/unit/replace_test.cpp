// Jobs over every block against a plain walk of the block handles, on every
// map of the corpus and the examples: Replace changes exactly the pairs the
// walk finds, nothing else, and the text reads back so; Count counts what
// the walk counts.
#include "map/edit/replace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "map/read/map_parser.h"
#include "map/write/map_writer.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool Matches(std::string_view text, std::string_view pattern) {
  if (pattern == "*") return true;
  if (!pattern.empty() && pattern.back() == '*') {
    pattern.remove_suffix(1);
    return Lower(text.substr(0, std::min(text.size(), pattern.size()))) == Lower(pattern);
  }
  return Lower(text) == Lower(pattern);
}

// Every pair of every block as the handles give it, in file order, with
// its block's name: "name|key|value" lines.
std::vector<std::string> Dump(MapDocument& document) {
  if (document.Blocks() == nullptr) ReadBlocks(document);
  std::vector<std::string> lines;
  std::vector<MapBlock*> walk;
  MapBlock& top = document.Blocks()->Top();
  for (std::size_t i = top.ChildCount(); i-- > 0;) walk.push_back(&top.Child(i));
  while (!walk.empty()) {
    MapBlock* block = walk.back();
    walk.pop_back();
    for (std::size_t i = 0; i < block->KeyCount(); ++i) {
      PairText pair = block->Key(i);
      lines.push_back(std::string(block->Name()) + "|" + pair.key + "|" + pair.value);
    }
    lines.push_back(std::string(block->Name()) + "|");  // the block itself, for counts
    for (std::size_t i = block->ChildCount(); i-- > 0;) walk.push_back(&block->Child(i));
  }
  return lines;
}

TEST(ReplaceCorpus, ChangesWhatAPlainWalkFinds) {
  std::vector<std::filesystem::path> maps = CorpusMaps();
  for (const auto& example : MapsIn(MAPWRIGHT_EXAMPLES_DIR)) maps.push_back(example);
  const PairPattern patterns[] = {{"side", "MATERIAL", "tools/*"},
                                  {"*", "classname", "INFO_*"},
                                  {"Entity", "spawnflags", "0"},
                                  {"connections", "OnTrigger", "*"},
                                  {"*", "id", "1"}};
  for (const auto& path : maps) {
    const std::string text = Read(path);
    for (const PairPattern& pattern : patterns) {
      const std::string to = pattern.block == "connections" ? "swapped,In,,0,-1" : "swapped";
      MapDocument document;
      ParseMap(document, text, nullptr);
      std::vector<std::string> expected = Dump(document);
      std::size_t found = 0;
      std::size_t blocks = 0;
      for (std::string& line : expected) {
        const std::size_t bar = line.find('|');
        const std::size_t second = line.find('|', bar + 1);
        if (second == std::string::npos) continue;
        const std::string name = line.substr(0, bar);
        const std::string key = line.substr(bar + 1, second - bar - 1);
        if (Matches(name, pattern.block) && Lower(key) == Lower(pattern.key) &&
            Matches(line.substr(second + 1), pattern.value)) {
          // An output keeps the separator it was written with.
          std::string value = to;
          if (line.find('\x1b', second) != std::string::npos) {
            std::replace(value.begin(), value.end(), ',', '\x1b');
          }
          line = name + "|" + key + "|" + value;
          ++found;
        }
      }
      for (const std::string& line : expected) {
        const bool block = line.find('|') == line.size() - 1;
        blocks += block && Matches(line.substr(0, line.size() - 1), pattern.block);
      }
      EXPECT_EQ(CountBlocks(*document.Blocks(), pattern.block, std::nullopt), blocks) << path;
      std::size_t changed = 0;
      ASSERT_TRUE(ReplaceValues(*document.Blocks(), pattern, to, changed)) << path;
      EXPECT_EQ(changed, found) << path << " " << pattern.key;
      EXPECT_EQ(CountBlocks(*document.Blocks(), pattern.block,
                            PairPattern{"", pattern.key, "swapped*"}) > 0,
                found > 0)
          << path;
      MapDocument reread;
      ParseMap(reread, WriteMap(document)->view(), nullptr);
      EXPECT_EQ(Dump(document), expected) << path << " " << pattern.key;
      EXPECT_EQ(Dump(reread), expected) << path << " " << pattern.key;
    }
  }
}

// A value that one matching pair cannot take is refused before any changes.
TEST(Replace, RefusesWholeWhatOnePairCannotTake) {
  MapDocument document;
  ParseMap(document,
           "entity\n{\n\"classname\" \"a\"\n\"target\" \"t\"\nconnections\n{\n"
           "\"OnTrigger\" \"t,Use,,0,-1\"\n}\n}\n",
           nullptr);
  ReadBlocks(document);
  const std::string before(WriteMap(document)->view());
  std::size_t changed = 1;
  EXPECT_FALSE(ReplaceValues(*document.Blocks(), {"*", "ontrigger", "*"}, "no separator", changed));
  EXPECT_FALSE(ReplaceValues(*document.Blocks(), {"entity", "target", "t"}, "q\"", changed));
  EXPECT_EQ(changed, 0u);
  EXPECT_EQ(WriteMap(document)->view(), before);
  ASSERT_TRUE(ReplaceValues(*document.Blocks(), {"entity", "classname", "A"}, "b", changed));
  EXPECT_STREQ(document.Entity(0).Class(), "b");  // the entity's fields follow
}

}  // namespace
}  // namespace mapwright::testing
