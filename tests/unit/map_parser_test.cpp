#include "map/read/map_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "map/write/map_writer.h"
#include "map_test_support.h"

namespace mapwright::testing {
namespace {

MapDocument& Parsed(MapDocument& document, const std::string& text,
                    RecordingReporter* reporter = nullptr) {
  ParseMap(document, text.c_str(), reporter);
  return document;
}

TEST(MapParser, SampleMap) {
  MapDocument document;
  RecordingReporter reporter;
  Parsed(document, kSampleMap, &reporter);
  EXPECT_EQ(WorldKeysOf(document), (Pairs{{"id", "1"}, {"classname", "worldspawn"}}));
  ASSERT_EQ(document.EntityCount(), 1u);
  const MapEntity& relay = document.Entity(0);
  EXPECT_EQ(KeysOf(relay),
            (Pairs{{"id", "2"}, {"classname", "logic_relay"}, {"targetname", "relay1"}}));
  EXPECT_EQ(relay.Id(), 2);
  EXPECT_STREQ(relay.Class(), "logic_relay");
  EXPECT_STREQ(relay.Name(), "relay1");
  EXPECT_EQ(ConnectionsOf(relay), std::vector<std::string>{"OnTrigger|door1|,|Open,,0,-1"});
  EXPECT_TRUE(reporter.reports.empty());
}

TEST(MapParser, EmptyTextAndWorldOnly) {
  MapDocument document;
  EXPECT_EQ(Parsed(document, "").EntityCount(), 0u);
  Parsed(document, "world { \"a\" \"1\" \"b\" \"2\" }");
  EXPECT_EQ(WorldKeysOf(document), (Pairs{{"a", "1"}, {"b", "2"}}));
  EXPECT_EQ(document.EntityCount(), 0u);
}

TEST(MapParser, NestedSolidsAreDroppedAndTheEntityResumes) {
  MapDocument document;
  Parsed(document, R"vmf(entity
{
"id" "3"
solid
{
"id" "4"
side
{
"plane" "(0 0 0)"
}
}
"classname" "func_door"
})vmf");
  ASSERT_EQ(document.EntityCount(), 1u);
  EXPECT_EQ(KeysOf(document.Entity(0)), (Pairs{{"id", "3"}, {"classname", "func_door"}}));
}

TEST(MapParser, DuplicateKeysAreKeptAndTheLastOneSetsTheField) {
  MapDocument document;
  Parsed(document,
         "entity\n{\n\"classname\" \"a\"\n\"targetname\" \"t1\"\n\"classname\" "
         "\"b\"\n\"targetname\" \"t2\"\n}");
  const MapEntity& entity = document.Entity(0);
  EXPECT_EQ(entity.KeyCount(), 4u);
  EXPECT_STREQ(entity.Class(), "b");
  EXPECT_STREQ(entity.Name(), "t2");
  EXPECT_STREQ(entity.FindKey("classname")->value, "a");
}

TEST(MapParser, EntityWithoutNameClassOrId) {
  MapDocument document;
  Parsed(document, "entity\n{\n\"origin\" \"0 0 0\"\n}");
  const MapEntity& entity = document.Entity(0);
  EXPECT_STREQ(entity.Name(), "");
  EXPECT_STREQ(entity.Class(), "");
  EXPECT_EQ(entity.Id(), 0);
}

TEST(MapParser, IdsConvertAsAtoi) {
  EXPECT_EQ(ParseEntityId("12abc"), 12);
  EXPECT_EQ(ParseEntityId("abc"), 0);
  EXPECT_EQ(ParseEntityId("  -7"), -7);
  EXPECT_EQ(ParseEntityId("+8"), 8);
  EXPECT_EQ(ParseEntityId("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseEntityId("4294967297"), 1);             // the low 32 bits
  EXPECT_EQ(ParseEntityId("99999999999999999999"), -1);  // saturated, then the low 32 bits
  EXPECT_EQ(ParseEntityId("-99999999999999999999"), 0);
  MapDocument document;
  Parsed(document, "entity\n{\n\"id\" \"12abc\"\n}");
  EXPECT_EQ(document.Entity(0).Id(), 12);
}

TEST(MapParser, ConnectionSplitAndReport) {
  MapDocument document;
  RecordingReporter reporter;
  Parsed(document,
         "entity\n{\nconnections\n{\n\"OnA\" \",Open\"\n\"OnB\" \"door1\"\n\"OnC\" "
         "\"t\x1bInput\x1bp,1\x1b"
         "0\"\n}\n}",
         &reporter);
  EXPECT_EQ(ConnectionsOf(document.Entity(0)),
            (std::vector<std::string>{"OnA||,|Open",
                                      "OnC|t|\x1b|Input\x1bp,1\x1b"
                                      "0"}));
  EXPECT_EQ(reporter.reports,
            std::vector<std::string>{"Connection: Keyvalue found inside of connections block. { "
                                     "Key = OnB, Value = door1 }"});
}

TEST(MapParser, LongTextsAreStoredWhole) {
  MapDocument document;
  RecordingReporter reporter;
  std::string value(504, 'p');
  std::string key(300, 'k');
  std::string target(200, 't');
  Parsed(document,
         "entity\n{\n\"" + key + "\" \"" + value + "\"\nconnections\n{\n\"" + key + "\" \"" +
             target + "," + value + "\"\n\"On\" \"" + value + "\"\n}\n}",
         &reporter);
  EXPECT_EQ(KeysOf(document.Entity(0)), (Pairs{{key, value}}));
  EXPECT_EQ(ConnectionsOf(document.Entity(0)),
            std::vector<std::string>{key + "|" + target + "|,|" + value});
  ASSERT_EQ(reporter.reports.size(), 1u);
  EXPECT_NE(reporter.reports[0].find(value + " }"), std::string::npos);
  // The parser keeps texts of any length whole.
  Parsed(document, "entity\n{\n\"k\" \"" + std::string(1500, 'x') + "\"\n}");
  EXPECT_EQ(std::string(document.Entity(0).Key(0).value).size(), 1500u);
}

TEST(MapParser, QuotedBlockNamesAndBracesAnIdentifierSwallowed) {
  MapDocument document;
  RecordingReporter reporter;
  Parsed(document, "\"entity\"\n{\n\"id\" \"5\"\n}\nentity{\n\"id\" \"6\"\n}", &reporter);
  ASSERT_EQ(document.EntityCount(), 2u);
  EXPECT_EQ(document.Entity(1).Id(), 6);
  EXPECT_TRUE(reporter.reports.empty());
}

// Damage is reported once, with its line, and the parse goes on: the entity
// after it survives. Text that keeps to pairs and blocks is no damage.
TEST(MapParser, DamageIsReportedByLineAndTheParseGoesOn) {
  const struct {
    const char* text;
    const char* report;  // the first report, or "" for none
  } kCases[] = {
      {"entity\n{\n\"comments\" \"\"door 1-2\"\"\n}\n", "line 3: unexpected door after a pair"},
      {"entity\n{\n\"c\" \"built \"2020-05-01\" by hand\"\n}\n",
       "line 3: unexpected '-' inside a number after a pair"},
      {"entity\n{\n\"key\" junk \"value\"\n}\n", "line 3: unexpected \"value\" after a pair"},
      {"/\n", "line 1: unexpected '/'"},
      {"\x01\n", "line 1: unexpected byte 0x01"},
      {"}\n", "line 1: '}' with no open block"},
      {"\"k\" \"v\" {\n\"a\" \"b\"\n}\n", "line 1: '{' without a block name"},
      {"entity\n{\n\"key\" = \"value\"\n}\n", "line 3: \"key\" is followed by '='"},
      {"entity\n{\n\"key\"\n}\n", "line 3: key \"key\" has no value before '}'"},
      {"entity\n{\n\"key\" // note\n\"a\" \"b\"\n}\n",
       "line 3: key \"key\" has no value before the comment"},
      {"entity\n{\n\"id\" 5\n}\n", "line 3: \"id\" is followed by number 5"},
      {"entity\n{\n1-2\n}\n", "line 3: unexpected '-' inside a number"},
      {"\"k\"\n", "line 1: key \"k\" has no value before a block"},
      {"entity\n{\n\"a\" \"b\" \"c\" \"d\"\n\"e\"\n\"f\" }\n", ""},
  };
  for (const auto& test : kCases) {
    MapDocument document;
    RecordingReporter reporter;
    Parsed(document, std::string(test.text) + "entity\n{\n\"id\" \"99\"\n}\n", &reporter);
    ASSERT_GT(document.EntityCount(), 0u) << test.text;
    EXPECT_EQ(document.Entity(document.EntityCount() - 1).Id(), 99) << test.text;
    std::string first = reporter.reports.empty() ? "" : reporter.reports[0];
    EXPECT_EQ(first, *test.report ? std::string("Syntax: ") + test.report : "") << test.text;
  }
}

TEST(MapParser, DamageAtTheEndOfTheText) {
  const struct {
    const char* text;
    const char* report;
  } kCases[] = {
      {"entity\n{\n\"a\" \"b\"\nsolid\n{\n",
       "line 4: block \"solid\" is not closed at the end "
       "of the text (2 blocks open)"},
      {"entity\n{\n\"a\" \"b", "line 3: string not closed at the end of the text"},
      {"\n/* open", "line 2: comment not closed at the end of the text"},
      {"\"k\"", "line 1: key \"k\" has no value at the end of the text"},
  };
  for (const auto& test : kCases) {
    MapDocument document;
    RecordingReporter reporter;
    Parsed(document, test.text, &reporter);
    ASSERT_FALSE(reporter.reports.empty()) << test.text;
    EXPECT_EQ(reporter.reports[0], std::string("Syntax: ") + test.report);
  }
}

// A run of damage is one report; damage everywhere is reported a bounded
// number of times.
TEST(MapParser, RunsOfDamageAreReportedOnce) {
  MapDocument document;
  RecordingReporter reporter;
  Parsed(document, "}\n}\n}\n\"a\" \"b\"\n\n}\n", &reporter);
  EXPECT_EQ(reporter.reports, (std::vector<std::string>{"Syntax: line 1: '}' with no open block",
                                                        "Syntax: line 6: '}' with no open block"}));
  std::string garbage;
  for (int i = 0; i < 1000; ++i) garbage += "}\n\n";
  reporter.reports.clear();
  Parsed(document, garbage, &reporter);
  EXPECT_EQ(reporter.reports.size(), 101u);
  EXPECT_EQ(reporter.reports.back(), "Syntax: line 201: more damage follows, not reported");
}

TEST(MapParser, SecondParseReplacesTheFirst) {
  MapDocument document;
  Parsed(document, kSampleMap);
  Parsed(document, "entity\n{\n\"id\" \"9\"\n}");
  ASSERT_EQ(document.EntityCount(), 1u);
  EXPECT_EQ(document.Entity(0).Id(), 9);
  EXPECT_EQ(document.WorldKeyCount(), 0u);
}

TEST(MapParser, TextEndingInsideABlockKeepsWhatWasRead) {
  MapDocument document;
  Parsed(document, "entity\n{\n\"id\" \"1\"\nsolid\n{\n\"x\" \"y\"");
  EXPECT_EQ(KeysOf(document.Entity(0)), (Pairs{{"id", "1"}}));
}

TEST(MapParser, DeepNestingAndStrayClosingBraces) {
  std::string text = "}\n}\nentity\n{\n";
  for (int depth = 0; depth < 8; ++depth) text += "level" + std::to_string(depth) + "\n{\n";
  for (int depth = 0; depth < 8; ++depth) text += "\"deep\" \"x\"\n}\n";
  text += "\"back\" \"in entity\"\n}\n}\n}\nworld\n{\n\"w\" \"1\"\n}";
  MapDocument document;
  Parsed(document, text);
  EXPECT_EQ(KeysOf(document.Entity(0)), (Pairs{{"back", "in entity"}}));
  EXPECT_EQ(WorldKeysOf(document), (Pairs{{"w", "1"}}));
}

TEST(MapParser, CurrentEntityOutlivesItsBlock) {
  MapDocument document;
  Parsed(document,
         "entity\n{\n\"id\" \"1\"\n}\nworld\n{\nconnections\n{\n\"OnX\" \"t,p\"\n}\n}\n"
         "connections\n{\n\"OnY\" \"u,q\"\n}");
  EXPECT_EQ(ConnectionsOf(document.Entity(0)),
            (std::vector<std::string>{"OnX|t|,|p", "OnY|u|,|q"}));
}

TEST(MapParser, ConnectionsBeforeAnyEntityAreDroppedWithoutReport) {
  MapDocument document;
  RecordingReporter reporter;
  Parsed(document, "connections\n{\n\"On\" \"nocomma\"\n\"On\" \"a,b\"\n}", &reporter);
  EXPECT_EQ(document.EntityCount(), 0u);
  EXPECT_TRUE(reporter.reports.empty());
}

TEST(MapParser, ParseFromInsideAReportStopsTheOuterParse) {
  MapDocument document;
  RecordingReporter reporter;
  reporter.onReport = [&] {
    reporter.onReport = nullptr;
    ParseMap(document, "entity\n{\n\"id\" \"77\"\n}", &reporter);
  };
  // The report comes after many entities: their memory goes with the inner
  // parse's clearing.
  std::string before;
  for (int i = 0; i < 64; ++i) before += "entity\n{\n}\n";
  Parsed(document,
         before +
             "entity\n{\n\"id\" \"1\"\nconnections\n{\n\"On\" \"bad\"\n\"On\" \"t,p\"\n}\n}\n"
             "entity\n{\n\"id\" \"2\"\n}",
         &reporter);
  ASSERT_EQ(document.EntityCount(), 1u);
  EXPECT_EQ(document.Entity(0).Id(), 77);
  EXPECT_EQ(document.Entity(0).ConnectionCount(), 0u);
}

// A report sees every pair read before it; an entity inside another takes
// none of the outer one's pairs.
TEST(MapParser, ReportsSeeEveryPairReadBeforeThem) {
  MapDocument document;
  RecordingReporter reporter;
  std::vector<Pairs> seen;
  reporter.onReport = [&] { seen.push_back(KeysOf(document.Entity(0))); };
  Parsed(document,
         "entity\n{\n\"a\" \"1\"\nconnections\n{\n\"d\" \"no\"\n}\n\"b\" \"2\" \"c\"\n"
         "\"e\" \"3\"\nentity\n{\n\"f\" \"4\"\n}\n}",
         &reporter);
  EXPECT_EQ(seen, (std::vector<Pairs>{{{"a", "1"}}, {{"a", "1"}, {"b", "2"}}}));
  ASSERT_EQ(document.EntityCount(), 2u);
  EXPECT_EQ(KeysOf(document.Entity(0)), (Pairs{{"a", "1"}, {"b", "2"}, {"e", "3"}}));
  EXPECT_EQ(KeysOf(document.Entity(1)), (Pairs{{"f", "4"}}));
}

// A block left open is told even right after other damage.
TEST(MapParser, AnOpenBlockIsToldAfterDamageOnTheLineBefore) {
  MapDocument document;
  RecordingReporter reporter;
  Parsed(document, "entity\n{\n=\n", &reporter);
  ASSERT_EQ(reporter.reports.size(), 2u);
  EXPECT_NE(reporter.reports[1].find("not closed"), std::string::npos);
}

// An edit from inside a report ends the parse: the document keeps what was
// read before the report, and its text, closed there, reads back as it.
TEST(MapParser, AnEditFromInsideAReportEndsTheParse) {
  MapDocument document;
  RecordingReporter reporter;
  reporter.onReport = [&] { EXPECT_TRUE(document.AddEntity().Create("made", 7)); };
  Parsed(document,
         "entity\n{\n\"id\" \"4\"\nconnections\n{\n\"On\" \"t,p\"\n\"On\" \"bad\"\n"
         "\"On\" \"u,q\"\n}\n}\nentity\n{\n}\n",
         &reporter);
  ASSERT_EQ(document.EntityCount(), 2u);
  EXPECT_EQ(document.Entity(0).ConnectionCount(), 1u);
  EXPECT_STREQ(document.Entity(1).Class(), "made");
  // Each block left open is closed at its own depth.
  const std::string text(WriteMap(document)->view());
  EXPECT_NE(text.find("\"On\" \"t,p\"\n\t}\n}\n"), std::string::npos) << text;
  MapDocument again;
  ParseMap(again, text, nullptr);
  ASSERT_EQ(again.EntityCount(), 2u);
  EXPECT_EQ(again.Entity(0).ConnectionCount(), 1u);
  EXPECT_EQ(again.Entity(1).Id(), 7);
}

}  // namespace
}  // namespace mapwright::testing
