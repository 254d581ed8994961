#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bindings/live_objects.h"
#include "fake_host.h"

namespace mapwright::testing {
namespace {

class TokenReaderObject : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Table("Mapwright");
    gmod_open(&host);
    construct = host.Member("Mapwright", "TokenReader");
    readToken = host.Method("TokenReader", "ReadToken");
    collect = host.Method("TokenReader", "__gc");
    host.log.clear();
  }
  void TearDown() override { gmod_close(); }

  FakeValue NewReader(const std::string& text) {
    std::vector<FakeValue> results = host.Invoke(construct, {FakeValue::String(text)});
    EXPECT_EQ(results.size(), 1u);
    return results.at(0);
  }

  FakeHost host;
  NativeFunction construct = nullptr;
  NativeFunction readToken = nullptr;
  NativeFunction collect = nullptr;
};

TEST_F(TokenReaderObject, ConstructorCallSequence) {
  FakeValue reader = NewReader("x");
  EXPECT_EQ(host.log,
            (std::vector<std::string>{"GetStringArg 1", "GetMetaTable TokenReader 2002",
                                      "PushUserData TokenReader", "UnReference TokenReader"}));
  EXPECT_EQ(host.liveHandles, 0);
  host.log.clear();
  host.Invoke(collect, {reader});
  EXPECT_EQ(host.log, std::vector<std::string>{"GetUserDataArg 1"});
}

TEST_F(TokenReaderObject, ReadsKindsAndTextsUntilEof) {
  FakeValue reader = NewReader("name = 5");
  std::vector<std::pair<double, std::string>> seen;
  for (int i = 0; i < 4; ++i) {
    std::vector<FakeValue> results = host.Invoke(readToken, {reader});
    ASSERT_EQ(results.size(), 2u);
    seen.emplace_back(results[0].number, results[1].text);
  }
  EXPECT_EQ(seen, (std::vector<std::pair<double, std::string>>{
                      {6, "name"}, {3, "="}, {4, "5"}, {2, ""}}));
  host.Invoke(collect, {reader});
}

TEST_F(TokenReaderObject, KeepsItsOwnCopyOfTheText) {
  std::string text = "first second";
  FakeValue reader = NewReader(text);
  text.assign(text.size(), '#');  // the host's string changes or is freed
  std::vector<FakeValue> results = host.Invoke(readToken, {reader});
  EXPECT_EQ(results.at(1).text, "first");
  host.Invoke(collect, {reader});
}

TEST_F(TokenReaderObject, ScriptLimitsAre2046And2048) {
  std::string fits(2046, 's');
  std::string word(2049, 'w');
  FakeValue reader = NewReader("\"" + fits + "x\" " + word);
  EXPECT_EQ(host.Invoke(readToken, {reader}).at(1).text, fits);
  EXPECT_EQ(host.Invoke(readToken, {reader}).at(1).text, std::string(2048, 'w'));
  EXPECT_EQ(host.Invoke(readToken, {reader}).at(0).number, 2);  // the 2049th letter was lost
  host.Invoke(collect, {reader});
}

TEST_F(TokenReaderObject, WrongOrDeadObjectsYieldNothing) {
  FakeValue reader = NewReader("a b");
  FakeValue wrongs[] = {
      FakeValue::Nil(),           FakeValue::Number(1),
      FakeValue::String("a"),     FakeValue::UserData(nullptr),
      FakeValue::UserData(&host), FakeValue::UserData(reinterpret_cast<void*>(2))};
  for (const FakeValue& wrong : wrongs) {
    EXPECT_TRUE(host.Invoke(readToken, {wrong}).empty());
    EXPECT_TRUE(host.Invoke(collect, {wrong}).empty());
  }
  std::size_t live = TheLiveObjects().Count();
  host.Invoke(collect, {reader});
  EXPECT_EQ(TheLiveObjects().Count(), live - 1);
  EXPECT_TRUE(host.Invoke(readToken, {reader}).empty());
  host.Invoke(collect, {reader});  // a second collection is harmless
  // A new object never takes over the dead one's token.
  FakeValue next = NewReader("c");
  EXPECT_NE(next.pointer, reader.pointer);
  EXPECT_TRUE(host.Invoke(readToken, {reader}).empty());
  host.Invoke(collect, {next});
}

TEST_F(TokenReaderObject, TwoReadersOverOneTextAdvanceIndependently) {
  FakeValue a = NewReader("x y");
  FakeValue b = NewReader("x y");
  EXPECT_EQ(host.Invoke(readToken, {a}).at(1).text, "x");
  EXPECT_EQ(host.Invoke(readToken, {a}).at(1).text, "y");
  EXPECT_EQ(host.Invoke(readToken, {b}).at(1).text, "x");
  host.Invoke(collect, {a});
  host.Invoke(collect, {b});
}

}  // namespace
}  // namespace mapwright::testing
