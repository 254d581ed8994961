// The block tree against a plain reading of the text, on every map of the
// corpus (skipped when it is absent) and the examples; and edits through
// blocks, entities and the world, in any mix, written as text that reads back
// as the same tree.
#include "map/model/block_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "map/model/child_list.h"
#include "map/model/map_block.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

namespace fs = std::filesystem;

// A block as a plain reading of the text gives it: words and quoted texts,
// braces, and comments from "//" to the end of the line; a word followed by
// '{' opens a block, two words are a pair.
struct PlainBlock {
  std::string name;
  int line = 0;
  std::vector<std::pair<std::string, std::string>> pairs;
  std::vector<int> pairLines;
  std::vector<PlainBlock> children;
};

PlainBlock ReadPlainly(const std::string& text) {
  struct Token {
    std::string text;
    int line;
    bool brace;
  };
  std::vector<Token> tokens;
  int line = 1;
  for (std::size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == '\n') ++line;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (text.compare(i, 2, "//") == 0) {
      i = text.find('\n', i);
      if (i == std::string::npos) i = text.size();
    } else if (c == '{' || c == '}') {
      tokens.push_back({std::string(1, c), line, true});
      ++i;
    } else if (c == '"') {
      std::size_t close = text.find('"', i + 1);
      tokens.push_back({text.substr(i + 1, close - i - 1), line, false});
      line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(i),
                                          text.begin() + static_cast<std::ptrdiff_t>(close), '\n'));
      i = close + 1;
    } else {
      std::size_t end = text.find_first_of(" \t\r\n{}\"", i);
      tokens.push_back({text.substr(i, end - i), line, false});
      i = end;
    }
  }
  PlainBlock top;
  std::vector<PlainBlock*> open{&top};
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].brace) {
      open.pop_back();
    } else if (tokens[i + 1].brace) {
      PlainBlock& child = open.back()->children.emplace_back();
      child.name = tokens[i].text;
      child.line = tokens[i].line;
      open.push_back(&child);
      ++i;
    } else {
      open.back()->pairs.emplace_back(tokens[i].text, tokens[i + 1].text);
      open.back()->pairLines.push_back(tokens[i].line);
      ++i;
    }
  }
  return top;
}

void ExpectSame(MapBlock& block, const PlainBlock& plain, const std::string& where) {
  const MapDocument& document = block.Document();
  ASSERT_EQ(block.Name(), plain.name) << where;
  if (block.Role() != BlockRole::kTop) {
    ASSERT_EQ(document.LineOf(block.layout.at), plain.line) << where << " " << plain.name;
  }
  const std::string here = where + "/" + plain.name + "@" + std::to_string(plain.line);
  ASSERT_EQ(block.KeyCount(), plain.pairs.size()) << here;
  for (std::size_t i = 0; i < plain.pairs.size(); ++i) {
    PairText pair = block.Key(i);
    ASSERT_EQ(std::make_pair(pair.key, pair.value), plain.pairs[i]) << here;
    ASSERT_EQ(document.LineOf(*block.KeyAt(i)), plain.pairLines[i]) << here << " " << pair.key;
  }
  ASSERT_EQ(block.ChildCount(), plain.children.size()) << here;
  for (std::size_t i = 0; i < plain.children.size(); ++i) {
    ExpectSame(block.Child(i), plain.children[i], here);
  }
}

std::size_t CountNamed(MapBlock& block, std::string_view name) {
  std::size_t count = block.Name() == name ? 1 : 0;
  for (std::size_t i = 0; i < block.ChildCount(); ++i) count += CountNamed(block.Child(i), name);
  return count;
}

std::size_t CountLines(const std::string& text, std::string_view word) {
  std::size_t count = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::size_t start = line.find_first_not_of(" \t");
    std::size_t end = line.find_last_not_of(" \t\r");
    if (start != std::string::npos && line.substr(start, end - start + 1) == word) ++count;
  }
  return count;
}

TEST(BlockTreeCorpus, EveryTreeIsThePlainReadingOfItsText) {
  std::vector<fs::path> maps = CorpusMaps();
  if (maps.empty()) GTEST_SKIP() << "no maps in " << MAPWRIGHT_CORPUS_DIR << ": corpus absent";
  for (const fs::path& example : MapsIn(MAPWRIGHT_EXAMPLES_DIR)) maps.push_back(example);
  std::size_t compared = 0;
  for (const fs::path& path : maps) {
    const std::string text = Read(path);
    MapDocument document;
    RecordingReporter reporter;
    ParseMap(document, text, &reporter);
    ReadBlocks(document);
    MapBlock& top = document.Blocks()->Top();
    // Damage aside, the counts a mapper would grep for.
    for (std::string_view name : {"solid", "side", "entity"}) {
      EXPECT_EQ(CountNamed(top, name), CountLines(text, name)) << path << " " << name;
    }
    for (std::size_t i = 0; i < document.EntityCount(); ++i) {
      const MapEntity& entity = document.Entity(i);
      ASSERT_NE(entity.block, nullptr) << path;
      EXPECT_EQ(entity.block->layout.at, entity.layout.blockAt) << path;
    }
    if (!reporter.reports.empty()) continue;  // a plain reading knows no damage
    const PlainBlock plain = ReadPlainly(text);
    ExpectSame(top, plain, path.filename().string());
    ++compared;
    // Lines that end with a CR alone, as old editors wrote them, are lines.
    std::string old;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      old += text[i] == '\n' ? '\r' : text[i];
    }
    MapDocument oldStyle;
    ParseMap(oldStyle, old, &reporter);
    ReadBlocks(oldStyle);
    EXPECT_TRUE(reporter.reports.empty()) << path << " with CR line ends: " << reporter.reports[0];
    ExpectSame(oldStyle.Blocks()->Top(), plain, path.filename().string() + " with CR line ends");
  }
  EXPECT_GE(compared, maps.size() / 2);
}

// A document's tree as text: names, pairs and nesting.
void Dump(MapBlock& block, std::string& out, int depth = 0) {
  out.append(static_cast<std::size_t>(depth), ' ').append(block.Name()).append("\n");
  for (std::size_t i = 0; i < block.KeyCount(); ++i) {
    PairText pair = block.Key(i);
    out.append(static_cast<std::size_t>(depth + 1), ' ').append(pair.key + "=" + pair.value + "\n");
  }
  for (std::size_t i = 0; i < block.ChildCount(); ++i) Dump(block.Child(i), out, depth + 1);
}

std::string DumpOf(MapDocument& document) {
  if (document.Blocks() == nullptr) ReadBlocks(document);
  std::string out;
  Dump(document.Blocks()->Top(), out);
  return out;
}

const char kRichMap[] =
    "versioninfo\n{\n\t\"editorversion\" \"400\"\n}\nvisgroups\n{\n\tvisgroup\n\t{\n\t\t\"name\" "
    "\"a\"\n\t\t\"visgroupid\" \"1\"\n\t}\n}\nworld\n{\n\t\"id\" \"1\"\n\t\"classname\" "
    "\"worldspawn\"\n\tsolid\n\t{\n\t\t\"id\" \"2\"\n\t\tside\n\t\t{\n\t\t\t\"id\" "
    "\"3\"\n\t\t\t\"material\" \"A\"\n\t\t}\n\t\teditor\n\t\t{\n\t\t\t\"visgroupid\" "
    "\"1\"\n\t\t}\n\t}\n\thidden\n\t{\n\t\tsolid\n\t\t{\n\t\t\t\"id\" \"4\"\n\t\t}\n\t}\n}\n"
    "entity\n{\n\t\"id\" \"5\"\n\t\"classname\" \"func_door\"\n\t\"targetname\" "
    "\"door\"\n\tconnections\n\t{\n\t\t\"OnOpen\" \"relay,Trigger,,0,-1\"\n\t}\n\tsolid\n\t{\n\t\t"
    "\"id\" \"6\"\n\t}\n}\nhidden\n{\n\tentity\n\t{\n\t\t\"id\" \"7\"\n\t\t\"classname\" "
    "\"light\"\n\t}\n}\nentity\n{\n\t\"id\" \"8\"\n\t\"classname\" "
    "\"logic_relay\"\n}\ncameras\n{\n\t"
    "\"activecamera\" \"-1\"\n}\n";

// A random block of the tree, the top included.
MapBlock& AnyBlock(MapBlock& top, std::mt19937& random) {
  MapBlock* block = &top;
  while (block->ChildCount() > 0 && random() % 3 != 0) {
    block = &block->Child(random() % block->ChildCount());
  }
  return *block;
}

void RandomEdit(MapDocument& document, std::mt19937& random) {
  MapBlock& top = document.Blocks()->Top();
  MapBlock& block = AnyBlock(top, random);
  const std::string word = "k" + std::to_string(random() % 4);
  const std::string value = random() % 5 == 0 ? "t,In,,0,-1" : "v" + std::to_string(random() % 100);
  const bool inside = block.Role() != BlockRole::kTop;  // the top holds no pairs a script sees
  switch (random() % 9) {
    case 0:
      if (inside) static_cast<void>(block.AddKey(word, value));
      break;
    case 1:
      if (inside) static_cast<void>(block.SetKey(word, value));
      break;
    case 2:
      // (A created entity writes its id and class from its fields when no
      // pair gives them.)
      if (inside && block.KeyCount() > 0) {
        std::string key = block.Key(random() % block.KeyCount()).key;
        bool created = block.Role() == BlockRole::kEntity && !block.layout.read;
        if (!created || (key != "id" && key != "classname")) block.RemoveKey(key);
      }
      break;
    case 3:
      if (inside && block.KeyCount() > 0) {
        static_cast<void>(block.SetValue(random() % block.KeyCount(), value));
      }
      break;
    case 4: {
      static const char* kNames[] = {"solid", "editor", "entity", "connections", "hidden", "group"};
      document.Blocks()->AddChild(block, kNames[random() % 6]);
      break;
    }
    case 5:
      if (block.ChildCount() > 0)
        document.Blocks()->RemoveChild(block, random() % block.ChildCount());
      break;
    case 6:
      if (document.EntityCount() > 0) {
        static_cast<void>(
            document.RemoveEntity(document.Entity(random() % document.EntityCount())));
      }
      break;
    case 7:
      if (document.EntityCount() > 0) {
        MapEntity& entity = document.Entity(random() % document.EntityCount());
        static_cast<void>(entity.AddConnection(word, {"t", "In,,0,-1", ','}));
      }
      break;
    default:
      static_cast<void>(document.SetWorldKey(word, value));
  }
}

// Every mix of edits writes a text whose plain reading, and whose parse, is
// the edited tree: pairs and blocks land inside the block they were given to.
// Blocks added to one parent come in the order made, before and after the
// text is written; keys are found exactly, child names without regard to
// case, from the start given.
TEST(BlockTreeEdits, AddedBlocksKeepTheirOrderAndLookupsAreExact) {
  MapDocument document;
  ParseMap(document, kRichMap, nullptr);
  ReadBlocks(document);
  MapBlock& top = document.Blocks()->Top();
  MapBlock& world = top.Child(*top.FindChild("world", 0));
  const std::size_t before = world.ChildCount();
  for (const char* name : {"first", "second", "third"}) {
    ASSERT_NE(document.Blocks()->AddChild(world, name), nullptr);
  }
  MapDocument reread;
  ParseMap(reread, WriteMap(document)->view(), nullptr);
  for (MapDocument* each : {&document, &reread}) {
    if (each->Blocks() == nullptr) ReadBlocks(*each);
    MapBlock& at = each->Blocks()->Top();
    MapBlock& again = at.Child(*at.FindChild("WORLD", 0));
    ASSERT_EQ(again.ChildCount(), before + 3);
    EXPECT_EQ(again.Child(before).Name(), "first");
    EXPECT_EQ(again.Child(before + 2).Name(), "third");
    MapBlock& solid = again.Child(*again.FindChild("solid", 0));
    EXPECT_TRUE(solid.FindKey("id").has_value());
    EXPECT_FALSE(solid.FindKey("ID").has_value());
    EXPECT_EQ(again.FindChild("Solid", 0), 0u);
    EXPECT_EQ(again.FindChild("hidden", 0), 1u);
    EXPECT_FALSE(again.FindChild("solid", 1).has_value());
  }
}

TEST(BlockTreeEdits, TextReadsBackAsTheEditedTree) {
  const std::vector<std::string> sources = {kRichMap, kSampleMap, "", "world\n{\n}\n",
                                            Read(MapsIn(MAPWRIGHT_EXAMPLES_DIR).front())};
  for (unsigned seed = 0; seed < 1500; ++seed) {
    std::mt19937 random(seed);
    MapDocument document;
    ParseMap(document, sources[seed % sources.size()], nullptr);
    const bool early = seed % 2 == 0;  // edits before the tree was asked for, too
    if (early) {
      for (int i = 0; i < 2 && document.EntityCount() > 0; ++i) {
        static_cast<void>(document.Entity(0).SetKey("early", "1"));
        if (seed % 4 == 0) static_cast<void>(document.RemoveEntity(document.Entity(0)));
      }
      // A created entity whose pairs say what its fields say.
      MapEntity& made = document.AddEntity();
      EXPECT_TRUE(made.Create("light", 9) && made.SetKey("classname", "light") &&
                  made.SetKey("id", "9"));
      if (seed % 3 == 0) {
        EXPECT_TRUE(document.SetWorldKey("early", "2"));
      }
    }
    ReadBlocks(document);
    // Removals are taken as the bindings take them, so that the room of a
    // removed block goes to the next one made.
    for (unsigned step = 0; step < 1 + seed % 16; ++step) {
      RandomEdit(document, random);
      static_cast<void>(document.TakeRemovals());
    }
    const std::string edited = DumpOf(document);
    const std::string text = std::string(WriteMap(document)->view());
    MapDocument reread;
    RecordingReporter reporter;
    ParseMap(reread, text, &reporter);
    ASSERT_EQ(reporter.reports, std::vector<std::string>()) << "seed " << seed << "\n" << text;
    ASSERT_EQ(DumpOf(reread), edited) << "seed " << seed << "\n" << text;
    ASSERT_EQ(reread.EntityCount(), document.EntityCount()) << "seed " << seed;
  }
}

// A list of blocks inside a block against a plain vector, under removals
// that run on from the last one (front to back, back to front, from the
// middle) and fall anywhere, and insertions anywhere, the gap's place too.
TEST(ChildList, KeepsTheOrderOfAPlainList) {
  RecordArena arena;
  std::uintptr_t made = 0;  // distinct blocks, never dereferenced
  auto fresh = [&made] { return reinterpret_cast<MapBlock*>(16 * ++made); };
  for (unsigned seed = 0; seed < 200; ++seed) {
    std::mt19937 random(seed);
    ChildList list(arena);
    std::vector<MapBlock*> plain(seed % 40);
    for (MapBlock*& block : plain) block = fresh();
    list.Assign(plain.begin(), plain.end());
    std::size_t last = 0;
    for (int step = 0; step < 300; ++step) {
      const unsigned kind = random() % 6;
      if (kind < 4 && !plain.empty()) {
        const std::size_t n = plain.size();
        const std::size_t at = kind == 0   ? 0
                               : kind == 1 ? n - 1
                               : kind == 2 ? std::min(last, n - 1)
                                           : random() % n;
        EXPECT_EQ(list.Find(plain[at]), at) << "seed " << seed;
        list.Erase(at);
        plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(at));
        last = at > 0 && random() % 2 == 0 ? at - 1 : at;
      } else {
        const std::size_t at =
            kind == 4 ? std::min(last, plain.size()) : random() % (plain.size() + 1);
        MapBlock* block = fresh();
        list.Insert(at, block);
        plain.insert(plain.begin() + static_cast<std::ptrdiff_t>(at), block);
      }
      ASSERT_EQ(list.size(), plain.size()) << "seed " << seed;
      for (std::size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(list[i], plain[i]) << "seed " << seed;
    }
    EXPECT_EQ(list.Find(nullptr), list.size());
    EXPECT_EQ(std::vector<MapBlock*>(list.All().begin(), list.All().end()), plain);
  }
}

}  // namespace
}  // namespace mapwright::testing
