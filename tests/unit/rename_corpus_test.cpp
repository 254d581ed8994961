// Every real map of the corpus (skipped when it is absent), read two ways and
// written back; and renamed against a plain model of the rules:
// names and connection targets follow; key values follow unless their key is
// classname or id or they read as a number (targetname values always
// follow); output parameters follow unless they read as a number; matching
// folds ASCII case. Skipped when the corpus is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "map/edit/rename.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"
#include "map_test_support.h"
#include "rename_model.h"

namespace mapwright::testing {
namespace {

namespace fs = std::filesystem;

std::string ParameterOf(const std::string& parameters, char separator) {
  auto [begin, end] = ParameterSpan(parameters, separator);
  return parameters.substr(begin, end - begin);
}

struct Texts {
  std::vector<std::string> names, values, targets, parameters;
};

Texts Take(const MapDocument& document) {
  Texts texts;
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    const MapEntity& entity = document.Entity(i);
    texts.names.push_back(entity.Name());
    for (std::size_t k = 0; k < entity.KeyCount(); ++k) texts.values.push_back(entity.Key(k).value);
    for (std::size_t c = 0; c < entity.ConnectionCount(); ++c) {
      const Connection& connection = entity.GetConnection(c);
      texts.targets.push_back(connection.target);
      texts.parameters.push_back(ParameterOf(connection.parameters, connection.separator));
    }
  }
  return texts;
}

// A prefix goes in front, and also on a reference "head*" that matches a
// name starting with head (case aside).
Texts Model(const MapDocument& before, const std::string& affix, bool prefix) {
  std::set<std::string> names;
  for (std::size_t i = 0; i < before.EntityCount(); ++i) {
    std::string name = before.Entity(i).Name();
    if (!name.empty()) names.insert(Lower(name));
  }
  auto named = [&](const std::string& text) {
    if (text.empty()) return false;
    if (names.count(Lower(text))) return true;
    if (!prefix || text.back() != '*') return false;
    std::string head = Lower(text.substr(0, text.size() - 1));
    for (const std::string& name : names) {
      if (name.compare(0, head.size(), head) == 0) return true;
    }
    return false;
  };
  auto affixed = [&](std::string& text) { text = prefix ? affix + text : text + affix; };
  Texts texts = Take(before);
  std::size_t value = 0;
  for (std::size_t i = 0; i < before.EntityCount(); ++i) {
    const MapEntity& entity = before.Entity(i);
    if (named(texts.names[i])) affixed(texts.names[i]);
    for (std::size_t k = 0; k < entity.KeyCount(); ++k, ++value) {
      std::string& text = texts.values[value];
      if (named(text) && ValueFollows(entity.Key(k).key, text)) affixed(text);
    }
  }
  for (std::string& target : texts.targets) {
    if (named(target)) affixed(target);
  }
  for (std::string& parameter : texts.parameters) {
    if (named(parameter) && !PlainNumber(parameter)) affixed(parameter);
  }
  return texts;
}

TEST(RenameCorpus, EveryRenamedTextIsWhatThePlainModelSays) {
  std::vector<fs::path> maps = CorpusMaps();
  if (maps.empty()) GTEST_SKIP() << "no maps in " << MAPWRIGHT_CORPUS_DIR << ": corpus absent";
  std::size_t followed = 0;
  std::size_t wildcards = 0;
  for (const fs::path& path : maps) {
    std::string text = Read(path);
    for (const std::string affix : {"2", "_copy", "p1_"}) {
      const bool prefix = affix == "p1_";
      MapDocument before;
      MapDocument after;
      ParseMap(before, text.c_str(), nullptr);
      ParseMap(after, text.c_str(), nullptr);
      EXPECT_TRUE(prefix ? PrefixEntities(after, affix) : RenameEntities(after, affix));
      Texts expected = Model(before, affix, prefix);
      Texts got = Take(after);
      EXPECT_EQ(got.names, expected.names) << path.filename() << " " << affix;
      EXPECT_EQ(got.values, expected.values) << path.filename() << " " << affix;
      EXPECT_EQ(got.targets, expected.targets) << path.filename() << " " << affix;
      EXPECT_EQ(got.parameters, expected.parameters) << path.filename() << " " << affix;
      Texts old = Take(before);
      for (std::size_t i = 0; i < old.values.size(); ++i)
        followed += old.values[i] != got.values[i];
      for (std::size_t i = 0; i < old.targets.size(); ++i) {
        followed += old.targets[i] != got.targets[i];
        wildcards += prefix && old.targets[i].ends_with('*') && old.targets[i] != got.targets[i];
      }
    }
  }
  EXPECT_GT(followed, 1000u) << "the corpus exercises renaming";
  EXPECT_GT(wildcards, 0u) << "the corpus has wildcard references that a prefix takes";
}

// Copies stamped with the suffixes _1 .. _12 never share a name.
TEST(RenameCorpus, StampedCopiesShareNoName) {
  std::vector<fs::path> maps = CorpusMaps();
  if (maps.empty()) GTEST_SKIP() << "no maps in " << MAPWRIGHT_CORPUS_DIR << ": corpus absent";
  for (const fs::path& path : maps) {
    std::string text = Read(path);
    std::set<std::string> seen;
    for (int copy = 1; copy <= 12; ++copy) {
      MapDocument document;
      ParseMap(document, text.c_str(), nullptr);
      EXPECT_TRUE(RenameEntities(document, "_" + std::to_string(copy)));
      std::set<std::string> names;
      for (std::size_t i = 0; i < document.EntityCount(); ++i) {
        std::string name = document.Entity(i).Name();
        if (!name.empty()) names.insert(Lower(name));
      }
      for (const std::string& name : names) {
        EXPECT_TRUE(seen.insert(name).second) << path.filename() << " copy " << copy << " " << name;
      }
    }
  }
}

// The text with every clean line (a pair, a block name or a brace alone on
// its line) changed so that the parser must read it token by token: a tab
// between key and value, a tab after a word that ends a line, a comment after
// a brace. The lines and what they say stay the same.
std::string TokenByToken(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
    std::string line = text.substr(start, stop - start);
    std::size_t first = line.find_first_not_of(" \t");
    std::size_t last = line.find_last_not_of(" \t");
    if (first != std::string::npos && line[first] == '"' && line[last] == '"' &&
        std::count(line.begin(), line.end(), '"') == 4) {
      std::size_t keyEnd = line.find('"', first + 1);
      if (line.compare(keyEnd + 1, 2, " \"") == 0) line[keyEnd + 1] = '\t';
    } else if (first != std::string::npos && line[first] == '}' && last == first) {
      line += " //";
    } else if (last != std::string::npos &&
               (std::isalnum(static_cast<unsigned char>(line[last])) || line[last] == '_')) {
      line += "\t";
    }
    out += line;
    out.append(text, stop, end - stop + (end < text.size() ? 1 : 0));
    start = end + 1;
  }
  return out;
}

// All a parse tells: every entity's fields, pairs and outputs, the world's
// pairs, and the reports.
std::vector<std::string> Reading(const std::string& text) {
  MapDocument document;
  RecordingReporter reporter;
  ParseMap(document, text.c_str(), &reporter);
  std::vector<std::string> told = reporter.reports;
  auto tell = [&](const Pairs& pairs) {
    for (const auto& [key, value] : pairs) told.push_back(key + "=" + value);
  };
  tell(WorldKeysOf(document));
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    const MapEntity& entity = document.Entity(i);
    told.push_back(std::string("entity ") + entity.Class() + " " + entity.Name() + " " +
                   std::to_string(entity.Id()));
    tell(KeysOf(entity));
    for (const std::string& connection : ConnectionsOf(entity)) told.push_back(connection);
  }
  return told;
}

// The parser takes clean lines its own quick way; read token by token, every
// map must say the same. The last text holds the lines where the two ways
// part: clean-looking lines that are not clean, damage next to clean lines,
// texts longer than the reader keeps, a missing last line ending.
TEST(RenameCorpus, CleanLinesReadQuicklySayWhatTokensSay) {
  std::vector<std::string> texts;
  for (const fs::path& path : CorpusMaps()) texts.push_back(Read(path));
  for (const fs::path& path : MapsIn(MAPWRIGHT_EXAMPLES_DIR)) texts.push_back(Read(path));
  const std::string longText(1500, 'x');
  texts.push_back(
      "\"top\" \"level\"\nworld\r\n{\r\n\t\"id\" \"1\"\r\n\tsolid\r\n\t{\r\n"
      "\t\t\"plane\" \"" +
      longText +
      "\"\r\n\t}\r\n}\r\n"
      "entity\n{\n\t\"model\" \"" +
      longText +
      "\"\n"
      "\t\"classname\" \"a\" \"targetname\" \"b\"\n\t\"x\" \"y\" side\n\t{\n\t}\n"
      "\t1side\n\t{\n\t}\n\tconnections\n\t{\n\t\t\"OnTrigger\" \"b,Use,,0,-1\"\n"
      "\t\t\"no\" \"output\"\n\t}\n\t\"key\"  \"spaced\"\n\t\"id\" \"7\"\n}\n}\n"
      "entity\n{\n\t\"classname\" \"last\"\n}");
  for (const std::string& text : texts) {
    std::string slow = TokenByToken(text);
    ASSERT_NE(slow, text);
    EXPECT_EQ(Reading(slow), Reading(text)) << text.substr(0, 200);
  }
}

// The text between the quotes at a place of the source.
std::string Quoted(std::string_view source, std::size_t at, std::size_t end) {
  if (source[at] != '"') return std::string(source.substr(at, end - at));
  return std::string(source.substr(at + 1, end - at - 2));
}

// Every real map and every bundled example comes back byte for byte, and
// every key, value and output read from it is the text between its quotes,
// whatever its length.
TEST(RenameCorpus, EveryMapIsWrittenBackByteForByteAndReadWhole) {
  std::vector<fs::path> maps = CorpusMaps();
  std::vector<fs::path> examples = MapsIn(MAPWRIGHT_EXAMPLES_DIR);
  ASSERT_FALSE(examples.empty()) << "no bundled examples in " << MAPWRIGHT_EXAMPLES_DIR;
  maps.insert(maps.end(), examples.begin(), examples.end());
  std::vector<std::string> texts;
  for (const fs::path& path : maps) texts.push_back(Read(path));
  const std::string longText(5000, 'l');
  for (const char* after : {"", " \"k2\" \"v\" // read token by token"}) {
    texts.push_back("world\n{\n\"" + longText + "\" \"" + longText + "\"" + after +
                    "\n}\nentity\n{\n\"k\" \"" + longText + "\"" + after +
                    "\nconnections\n{\n\"On\" \"t," + longText + "\"" + after + "\n}\n}\n");
  }
  for (const std::string& text : texts) {
    MapDocument document;
    ParseMap(document, text.c_str(), nullptr);
    EXPECT_TRUE(std::string(WriteMap(document)->view()) == text) << text.substr(0, 100);
    std::string_view source = document.Source();
    auto check = [&source](const char* key, const char* value, const SourcePlace& place) {
      std::size_t keyEnd = source[place.keyAt] == '"' ? source.find('"', place.keyAt + 1) + 1
                                                      : place.keyAt + std::strlen(key);
      EXPECT_TRUE(Quoted(source, place.keyAt, keyEnd) == key) << key;
      EXPECT_TRUE(Quoted(source, place.valueAt, place.valueEnd) == value) << key;
    };
    for (const KeyValue& pair : document.WorldKeys()) check(pair.key, pair.value, pair.place);
    for (std::size_t i = 0; i < document.EntityCount(); ++i) {
      const MapEntity& entity = document.Entity(i);
      for (const KeyValue& pair : entity.Keys()) check(pair.key, pair.value, pair.place);
      for (std::size_t c = 0; c < entity.ConnectionCount(); ++c) {
        const Connection& output = entity.GetConnection(c);
        std::string value = std::string(output.target) + output.separator + output.parameters;
        check(output.output, value.c_str(), output.place);
      }
    }
  }
  if (CorpusMaps().empty()) GTEST_SKIP() << "corpus absent: only the bundled examples were written";
}

}  // namespace
}  // namespace mapwright::testing
