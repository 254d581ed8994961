#include "map/write/map_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "map/edit/rename.h"
#include "map/read/map_parser.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

const char kMap[] =
    "versioninfo\r\n{\r\n\t\"editorversion\" \"400\"\r\n}\r\n"
    "// a comment the editor never writes\r\n"
    "world\r\n{\r\n\t\"id\" \"1\"\r\n\t\"classname\" \"worldspawn\"\r\n"
    "\tsolid\r\n\t{\r\n\t\t\"id\" \"5\"\r\n\t\tside\r\n\t\t{\r\n\t\t\t\"plane\" \"(0 0 0) (1 0 0) "
    "(1 1 0)\"\r\n"
    "\t\t}\r\n\t}\r\n}\r\n"
    "entity\r\n{\r\n\t\"id\" \"2\"\r\n\t\"classname\" \"logic_relay\"\r\n\t\"targetname\" "
    "\"relay\"\r\n"
    "\tconnections\r\n\t{\r\n\t\t\"OnTrigger\" \"door,Open,,0,-1\"\r\n\t\t\"OnTrigger\" "
    "\"lamp,TurnOn,,0,-1\"\r\n\t}\r\n"
    "\teditor\r\n\t{\r\n\t\t\"color\" \"0 255 0\"\r\n\t}\r\n}\r\n"
    "hidden\r\n{\r\n\tentity\r\n\t{\r\n\t\t\"id\" \"3\"\r\n\t\t\"classname\" \"func_door\"\r\n"
    "\t\t\"targetname\" \"door\"\r\n\t\tsolid\r\n\t\t{\r\n\t\t\t\"id\" "
    "\"6\"\r\n\t\t}\r\n\t}\r\n}\r\n"
    "entity\r\n{\r\n\t\"id\" \"4\"\r\n\t\"classname\" \"light\"\r\n\t\"targetname\" \"lamp\"\r\n"
    "\t\"_light\" \"255 255 255 200\"\r\n}\r\n"
    "cameras\r\n{\r\n\t\"activecamera\" \"-1\"\r\n}\r\n"
    "unknown_block_of_a_newer_editor\r\n{\r\n}";  // no final line ending

// What a document holds, as plain texts.
std::vector<std::string> Snapshot(const MapDocument& document) {
  std::vector<std::string> lines;
  for (const auto& [key, value] : WorldKeysOf(document))
    lines.push_back("world " + key + "=" + value);
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    const MapEntity& entity = document.Entity(i);
    lines.push_back("entity " + std::string(entity.Class()) + " " + entity.Name() + " " +
                    std::to_string(entity.Id()));
    for (const auto& [key, value] : KeysOf(entity)) lines.push_back(" " + key + "=" + value);
    for (const std::string& connection : ConnectionsOf(entity)) lines.push_back(" " + connection);
  }
  return lines;
}

// The part of before that after changed: from the first byte that differs
// to the last, counted in before.
std::pair<std::size_t, std::size_t> Changed(const std::string& before, const std::string& after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  return {head, before.size() - tail};
}

class MapWriter : public ::testing::Test {
 protected:
  void SetUp() override { ParseMap(document, kMap, nullptr); }
  MapEntity& Named(const char* name) { return *document.FindByName(name); }
  // The written text, checked to read back as the document it came from.
  // Not for entities made or given names by AddKey: read back, their fields
  // come from their pairs.
  std::string Written(bool readsBack = true) {
    std::string text = std::string(WriteMap(document)->view());
    MapDocument again;
    ParseMap(again, text.c_str(), nullptr);
    if (readsBack) {
      EXPECT_EQ(Snapshot(again), Snapshot(document));
    }
    return text;
  }
  // The edit changes nothing outside the block from `from` to `to`.
  void ExpectOnlyWithin(const std::string& text, const char* from, const char* to) {
    std::string source = kMap;
    auto [begin, end] = Changed(source, text);
    if (text == source) return;
    EXPECT_GE(begin, source.find(from)) << from << "\n" << text;
    EXPECT_LE(end, source.find(to, source.find(from))) << from << "\n" << text;
  }

  MapDocument document;
};

TEST_F(MapWriter, AnUnchangedDocumentIsItsSourceByteForByte) {
  EXPECT_EQ(std::string(WriteMap(document)->view()), kMap);
  std::string longValue = "entity\n{\n\"k\" \"" + std::string(3000, 'x') + "\"\n}\n";
  ParseMap(document, longValue.c_str(), nullptr);
  EXPECT_EQ(std::string(WriteMap(document)->view()), longValue);
  MapDocument empty;
  EXPECT_EQ(std::string(WriteMap(empty)->view()), "");
}

TEST_F(MapWriter, SetKeyChangesThatLineOnly) {
  EXPECT_TRUE(Named("lamp").SetKey("_light", "255 128 0 100"));
  std::string text = Written();
  std::string expected = kMap;
  expected.replace(expected.find("255 255 255 200"), 15, "255 128 0 100");
  EXPECT_EQ(text, expected);
}

// Removals take their whole lines, line endings included.
TEST_F(MapWriter, RemovalsTakeWholeLines) {
  Named("lamp").RemoveKey("_light");
  Named("relay").RemoveConnection(1);
  document.RemoveEntity(Named("door"));
  std::string expected = kMap;
  for (std::string cut : {std::string("\t\"_light\" \"255 255 255 200\"\r\n"),
                          std::string("\t\t\"OnTrigger\" \"lamp,TurnOn,,0,-1\"\r\n")}) {
    expected.erase(expected.find(cut), cut.size());
  }
  // The hidden block held only the door: it goes with it.
  std::size_t door = expected.find("hidden\r\n");
  expected.erase(door, expected.find("entity\r\n{\r\n\t\"id\" \"4\"") - door);
  EXPECT_EQ(Written(), expected);
}

TEST_F(MapWriter, EachEditChangesItsOwnBlockOnly) {
  const std::vector<
      std::pair<std::function<void(MapDocument&)>, std::pair<const char*, const char*>>>
      kEdits = {
          {[](MapDocument& d) { d.FindByName("lamp")->RemoveKey("_light"); },
           {"\"id\" \"4\"", "cameras"}},
          {[](MapDocument& d) { d.FindByName("relay")->RemoveConnection(0); },
           {"\"id\" \"2\"", "hidden"}},
          {[](MapDocument& d) { d.RemoveEntity(*d.FindByName("door")); },
           {"hidden", "entity\r\n{\r\n\t\"id\" \"4\""}},
          {[](MapDocument& d) { EXPECT_TRUE(d.FindByName("lamp")->AddKey("style", "5")); },
           {"\"id\" \"4\"", "cameras"}},
          {[](MapDocument& d) {
             EXPECT_TRUE(
                 d.FindByName("lamp")->AddConnection("OnUser1", {"relay", "Trigger,,0,-1", ','}));
           },
           {"\"id\" \"4\"", "cameras"}},
          {[](MapDocument& d) {
             EXPECT_TRUE(
                 d.FindByName("relay")->AddConnection("OnUser1", {"lamp", "Toggle,,0,-1", ','}));
           },
           {"\"id\" \"2\"", "hidden"}},
          {[](MapDocument& d) { EXPECT_TRUE(d.SetWorldKey("skyname", "sky_day01")); },
           {"world", "entity"}},
          {[](MapDocument& d) { EXPECT_TRUE(d.SetWorldKey("classname", "worldspawn")); },
           {"world", "entity"}},
      };
  for (const auto& [edit, block] : kEdits) {
    ParseMap(document, kMap, nullptr);
    edit(document);
    ExpectOnlyWithin(Written(), block.first, block.second);
  }
}

TEST_F(MapWriter, NewTextFollowsTheFilesStyle) {
  EXPECT_TRUE(Named("lamp").AddConnection("OnUser1", {"relay", "Trigger,,0,-1", ','}));
  MapEntity& created = document.AddEntity();
  EXPECT_TRUE(created.Create("info_target", 9));
  EXPECT_TRUE(created.AddKey("targetname", "spot"));
  std::string text = Written(false);
  EXPECT_NE(text.find("\t\"_light\" \"255 255 255 200\"\r\n\tconnections\r\n\t{\r\n"
                      "\t\t\"OnUser1\" \"relay,Trigger,,0,-1\"\r\n\t}\r\n}\r\n"),
            std::string::npos)
      << text;
  // After the last entity's top block (the hidden one holds no later entity).
  EXPECT_NE(text.find("\"255 255 255 200\"\r\n\tconnections"), std::string::npos);
  EXPECT_NE(text.find("}\r\nentity\r\n{\r\n\t\"id\" \"9\"\r\n\t\"classname\" \"info_target\"\r\n"
                      "\t\"targetname\" \"spot\"\r\n}\r\ncameras"),
            std::string::npos)
      << text;
}

TEST_F(MapWriter, FieldsFollowSetKeyAndRemoveKey) {
  MapEntity& lamp = Named("lamp");
  EXPECT_TRUE(lamp.SetKey("targetname", "bulb"));
  EXPECT_TRUE(lamp.SetKey("classname", "light_spot"));
  EXPECT_TRUE(lamp.SetKey("id", "40"));
  EXPECT_EQ(document.FindByName("bulb"), &lamp);
  EXPECT_STREQ(lamp.Class(), "light_spot");
  EXPECT_EQ(lamp.Id(), 40);
  lamp.RemoveKey("targetname");
  EXPECT_STREQ(lamp.Name(), "");
  EXPECT_TRUE(lamp.AddKey("targetname", "added"));  // AddKey changes no field
  EXPECT_STREQ(lamp.Name(), "");
  Written(false);
}

TEST_F(MapWriter, RenameChangesOnlyTheRenamedTexts) {
  EXPECT_TRUE(RenameEntities(document, "_2"));
  std::string text = Written();
  std::string expected = kMap;
  for (const char* name : {"\"relay\"", "\"door,", "\"lamp,", "\"door\"", "\"lamp\""}) {
    std::string from = name;
    std::string to = from.substr(0, from.size() - 1) + "_2" + from.back();
    expected.replace(expected.find(from), from.size(), to);
  }
  EXPECT_EQ(text, expected);
}

// A double quote would end the value early: no edit stores one. A line break
// is written as it is and reads back.
TEST_F(MapWriter, OnlyTextsTheFormatCanHoldAreStored) {
  MapEntity& lamp = Named("lamp");
  EXPECT_FALSE(lamp.SetKey("message", "He said \" \"targetname\" \"door"));
  EXPECT_FALSE(lamp.AddKey("a\"", "b"));
  EXPECT_FALSE(lamp.AddConnection("On", {"t\"", "p", ','}));
  EXPECT_FALSE(document.SetWorldKey("k", "\""));
  EXPECT_FALSE(RenameEntities(document, "\""));
  EXPECT_EQ(WriteMap(document)->view(), kMap);
  EXPECT_TRUE(lamp.SetKey("message", "two\r\nlines"));
  MapDocument again;
  ParseMap(again, WriteMap(document)->c_str(), nullptr);
  EXPECT_STREQ(again.FindByName("lamp")->FindKey("message")->value, "two\r\nlines");
}

// Edits whose written text once read back as another document.
TEST(MapWriterCases, EditsReadBackAsTheDocument) {
  const struct {
    const char* text;
    std::function<void(MapDocument&)> edit;
    const char* written;  // a piece the text must hold
  } kCases[] = {
      // An identifier swallows the brace after it: the removal stops there.
      {"entity\n{\n\"k\" v}\nentity\n{\n\"id\" \"2\"\n}\n",
       [](MapDocument& d) { d.RemoveEntity(d.Entity(0)); }, "entity\n{\n\"id\" \"2\"\n}\n"},
      // A pair added to an entity in a hidden block has two tabs.
      {"hidden\n{\n\tentity\n\t{\n\t\t\"id\" \"1\"\n\t}\n}\n",
       [](MapDocument& d) { EXPECT_TRUE(d.Entity(0).AddKey("k", "v")); }, "\t\t\"k\" \"v\"\n\t}"},
      // A created entity after a last line without its line ending.
      {"entity\n{\n}", [](MapDocument& d) { EXPECT_TRUE(d.AddEntity().Create("made", 3)); },
       "}\nentity\n{\n\t\"id\" \"3\"\n"},
      // The id of a created entity set as a pair is written once.
      {"",
       [](MapDocument& d) {
         MapEntity& made = d.AddEntity();
         EXPECT_TRUE(made.Create("made", 3));
         EXPECT_TRUE(made.SetKey("id", "7"));
       },
       "entity\n{\n\t\"classname\" \"made\"\n\t\"id\" \"7\"\n}\n"},
      // A pair and the first output of an entity without outputs.
      {"entity\n{\n\t\"id\" \"1\"\n}\n",
       [](MapDocument& d) {
         EXPECT_TRUE(d.Entity(0).AddKey("k", "v"));
         EXPECT_TRUE(d.Entity(0).AddConnection("On", {"t", "In", ','}));
       },
       "\t\"k\" \"v\"\n\tconnections\n\t{\n\t\t\"On\" \"t,In\"\n\t}\n}"},
      // An output replaced where it stands, in its own separator.
      {"entity\n{\nconnections\n{\n\"OnA\" \"t\x1bIn\x1b\x1b"
       "0\x1b-1\"\n\"OnB\" \"u,Use\"\n}\n}\n",
       [](MapDocument& d) {
         EXPECT_TRUE(d.Entity(0).SetConnection(0, "OnC", {"door", "Open,a,b,1,-1", ','}));
       },
       "{\n\"OnC\" \"door\x1bOpen\x1b"
       "a,b\x1b"
       "1\x1b-1\"\n\"OnB\" \"u,Use\"\n}"},
      // Keys are set without regard to ASCII case, through Z and no further.
      {"entity\n{\n\t\"Zed[\" \"1\"\n}\n",
       [](MapDocument& d) {
         EXPECT_TRUE(d.Entity(0).SetKey("zED[", "2"));
         EXPECT_TRUE(d.Entity(0).SetKey("zED{", "3"));
       },
       "\t\"Zed[\" \"2\"\n\t\"zED{\" \"3\"\n"},
  };
  for (const auto& test : kCases) {
    MapDocument document;
    ParseMap(document, test.text, nullptr);
    test.edit(document);
    const std::string written(WriteMap(document)->view());
    EXPECT_NE(written.find(test.written), std::string::npos) << written;
    MapDocument again;
    ParseMap(again, written, nullptr);
    ASSERT_EQ(again.EntityCount(), document.EntityCount()) << written;
    for (std::size_t i = 0; i < again.EntityCount(); ++i) {
      EXPECT_EQ(again.Entity(i).Id(), document.Entity(i).Id()) << written;
      EXPECT_STREQ(again.Entity(i).Class(), document.Entity(i).Class()) << written;
      EXPECT_EQ(again.Entity(i).ConnectionCount(), document.Entity(i).ConnectionCount());
    }
  }
}

// Random layouts without damage (blocks nested in entities, several pairs or
// a comment or a closing brace on a pair's line, braces on the name's line,
// hidden wrappers, entities inside entities, any line ending), each edited
// by a few random edits: the written text must read back as the document.
class Layout {
 public:
  explicit Layout(unsigned seed) : random_(seed) {}

  std::string Map() {
    const char* kEndings[] = {"\n", "\n", "\n", "\r\n", "\r"};
    eol_ = kEndings[Pick(5)];
    std::string text = "versioninfo" + eol_ + "{" + eol_ + Pair(1) + "}" + eol_;
    text += "world" + eol_ + "{" + eol_ + Pair(1) + Solid(1) + Pairs(1) + "}" + eol_;
    for (int count = Pick(6); count > 0; --count) {
      std::string entity = Entity(0);
      if (Pick(4) == 0) entity = "hidden" + eol_ + "{" + eol_ + Entity(1) + "}" + eol_;
      text += entity;
    }
    if (Pick(2) == 0) text += "cameras" + eol_ + "{" + eol_ + Pair(1) + "}";  // maybe no last eol
    return text;
  }

  int Pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

 private:
  std::string Tabs(int depth) const { return std::string(static_cast<std::size_t>(depth), '\t'); }
  std::string Word() {
    static const char* const kWords[] = {"door", "lamp", "Solidity", "origin", "k", "targetname"};
    return kWords[Pick(6)];
  }
  std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
  std::string Pair(int depth) {
    std::string line =
        Tabs(depth) + Quoted(Word()) + " " + Quoted(Word() + std::to_string(Pick(9)));
    switch (Pick(6)) {
      case 0:
        line += " " + Quoted(Word()) + " " + Quoted("v");  // two pairs on a line
        break;
      case 1:
        line += " // a comment";
        break;
      default:
        break;
    }
    return line + eol_;
  }
  std::string Pairs(int depth) {
    std::string text;
    for (int count = Pick(4); count > 0; --count) text += Pair(depth);
    return text;
  }
  std::string Open(const std::string& name, int depth) {
    if (Pick(4) == 0) return Tabs(depth) + name + " {" + eol_;
    return Tabs(depth) + name + eol_ + Tabs(depth) + "{" + eol_;
  }
  std::string Solid(int depth) {
    return Open("solid", depth) + Pair(depth + 1) + Open("side", depth + 1) + Pair(depth + 2) +
           Tabs(depth + 1) + "}" + eol_ + Tabs(depth) + "}" + eol_;
  }
  std::string Entity(int depth) {
    std::string text = Open("entity", depth) + Tabs(depth + 1) + "\"classname\" " +
                       Quoted("c" + std::to_string(Pick(3))) + eol_ + Pairs(depth + 1);
    if (Pick(2) == 0) {
      text += Open("connections", depth + 1);
      for (int count = Pick(3); count > 0; --count) {
        text += Tabs(depth + 2) + Quoted("On" + Word()) + " " + Quoted(Word() + ",In,,0,-1");
        if (Pick(3) == 0) text += " " + Quoted("OnX") + " " + Quoted("t,p");
        text += eol_;
      }
      text += Tabs(depth + 1) + "}" + eol_;
    }
    if (Pick(3) == 0) text += Solid(depth + 1);
    if (depth == 0 && Pick(8) == 0) text += Entity(depth + 1);  // an entity inside an entity
    text += Pairs(depth + 1);
    if (Pick(3) == 0) {  // the brace on the last pair's line
      return text + Tabs(depth + 1) + Quoted(Word()) + " " + Quoted("last") + " }" + eol_;
    }
    return text + Tabs(depth) + "}" + eol_;
  }

  std::mt19937 random_;
  std::string eol_;
};

void RandomEdit(MapDocument& document, Layout& layout) {
  const std::size_t count = document.EntityCount();
  MapEntity* entity =
      count > 0 ? &document.Entity(static_cast<std::size_t>(layout.Pick(static_cast<int>(count))))
                : nullptr;
  switch (entity != nullptr ? layout.Pick(10) : 8) {
    case 0:
      EXPECT_TRUE(entity->SetKey(layout.Pick(2) ? "solidity" : "k", "set"));
      break;
    case 1:
      entity->RemoveKey(layout.Pick(2) ? "DOOR" : "origin");
      break;
    case 2:
      EXPECT_TRUE(entity->AddKey("added", "a"));
      break;
    case 3:
      EXPECT_TRUE(entity->AddConnection("OnNew", {"door", "Open,,0,-1", ','}));
      break;
    case 4:
      if (entity->ConnectionCount() > 0 && layout.Pick(2) == 0) {
        entity->RemoveConnection(0);
      } else if (entity->ConnectionCount() > 0) {
        EXPECT_TRUE(entity->SetConnection(0, "OnSet", {"lamp", "Use,,0,-1", ','}));
      }
      break;
    case 5:
      for (const MapEntity* removed : document.RemoveEntity(*entity)) EXPECT_NE(removed, nullptr);
      break;
    case 6:
      EXPECT_TRUE(RenameEntities(document, "_r"));
      break;
    case 7:
      EXPECT_TRUE(entity->SetKey("targetname", "named"));
      break;
    case 8: {
      MapEntity& created = document.AddEntity();
      EXPECT_TRUE(created.Create("made", 5));
      EXPECT_TRUE(created.SetKey("classname", "made"));  // pairs, as the text will have them
      EXPECT_TRUE(created.SetKey("id", "5"));
      break;
    }
    default:
      EXPECT_TRUE(document.SetWorldKey(layout.Pick(2) ? "SkyName" : "k", "w"));
      break;
  }
}

TEST(MapWriterLayouts, EveryEditOfAnyLayoutReadsBack) {
  for (unsigned seed = 1; seed <= 3000; ++seed) {
    Layout layout(seed);
    const std::string text = layout.Map();
    MapDocument document;
    RecordingReporter reporter;
    ParseMap(document, text, &reporter);
    ASSERT_TRUE(reporter.reports.empty()) << "a damaged layout: " << text;
    for (int edits = 1 + layout.Pick(3); edits > 0; --edits) RandomEdit(document, layout);
    MapDocument again;
    std::shared_ptr<const TextBuffer> written = WriteMap(document);
    ParseMap(again, written->view(), &reporter);
    ASSERT_EQ(Snapshot(again), Snapshot(document)) << "seed " << seed << "\n"
                                                   << text << "\n----\n"
                                                   << written->view();
    ASSERT_TRUE(reporter.reports.empty()) << written->view();
  }
}

}  // namespace
}  // namespace mapwright::testing
