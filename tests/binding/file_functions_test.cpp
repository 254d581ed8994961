#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fake_host.h"
#include "tests/temp_folder.h"

namespace mapwright::testing {
namespace {

namespace fs = std::filesystem;

class FileFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Table("Mapwright");
    host.Table("util").members["RelativePathToFull"] =
        FakeValue::Function([this](const std::vector<FakeValue>& args) {
          ++resolves;
          return std::vector<FakeValue>{FakeValue::String((folder / args.at(0).text).string())};
        });
    host.SetGlobal(
        "rawequal", FakeValue::Function([](const std::vector<FakeValue>& args) {
          return std::vector<FakeValue>{FakeValue::Boolean(args.at(0).number == args.at(1).number)};
        }));
    gmod_open(&host);
    readFile = host.Member("Mapwright", "ReadFile");
    writeFile = host.Member("Mapwright", "WriteFile");
    host.log.clear();
  }
  void TearDown() override {
    EXPECT_EQ(host.liveHandles, 0);
    gmod_close();
  }

  TempFolder temp;
  const fs::path& folder = temp.path();
  FakeHost host;
  int resolves = 0;
  NativeFunction readFile = nullptr;
  NativeFunction writeFile = nullptr;
};

// A stored file is told with true, which comes from rawequal(0, 0).
TEST_F(FileFunctions, WriteResolvesOnceReadsItsTextAndTellsTrue) {
  std::vector<FakeValue> stored =
      host.Invoke(writeFile, {FakeValue::String("a.txt"), FakeValue::String("hello\r\n")});
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(FakeHost::Describe(stored[0]), "true");
  EXPECT_EQ(host.log, (std::vector<std::string>{"GetStringArg 1",
                                                "GetStringArg 2",
                                                "GetGlobal util",
                                                "GetMember util.RelativePathToFull",
                                                "Push util.RelativePathToFull",
                                                "PushString a.txt",
                                                "Call 1 1",
                                                "GetReturn 0",
                                                "GetString return0",
                                                "UnReference return0",
                                                "UnReference util.RelativePathToFull",
                                                "UnReference util",
                                                "GetGlobal rawequal",
                                                "Push rawequal",
                                                "UnReference rawequal",
                                                "PushNumber 0",
                                                "PushNumber 0",
                                                "Call 2 1",
                                                "GetReturn 0",
                                                "Push return0",
                                                "UnReference return0"}));
  EXPECT_EQ(resolves, 1);
  std::vector<FakeValue> read = host.Invoke(readFile, {FakeValue::String("a.txt")});
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].text, "hello\r\n");
  EXPECT_EQ(resolves, 2);
}

TEST_F(FileFunctions, AFailedOpenReadsNoText) {
  std::ofstream(folder / "exists.txt") << "old";
  EXPECT_TRUE(
      host.Invoke(writeFile, {FakeValue::String("exists.txt"), FakeValue::String("new")}).empty());
  EXPECT_TRUE(host.Invoke(writeFile, {FakeValue::String("none.txt")}).empty());  // no text
  EXPECT_FALSE(fs::exists(folder / "none.txt"));
  EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "exists.txt");  // no leftovers
  EXPECT_EQ(host.Invoke(readFile, {FakeValue::String("exists.txt")}).at(0).text, "old");
  EXPECT_TRUE(host.Invoke(readFile, {FakeValue::String("missing/x.txt")}).empty());
  EXPECT_EQ(resolves, 3);  // a call without its text resolves nothing
}

TEST_F(FileFunctions, TheScriptGetsTheBytesBeforeTheFirstZero) {
  std::ofstream(folder / "zero.bin", std::ios::binary) << std::string("ab\0cd", 5);
  EXPECT_EQ(host.Invoke(readFile, {FakeValue::String("zero.bin")}).at(0).text, "ab");
}

TEST_F(FileFunctions, AResolverWithoutTextResultOpensNothing) {
  host.Table("util").members["RelativePathToFull"] =
      FakeValue::Function([](const std::vector<FakeValue>&) { return std::vector<FakeValue>{}; });
  EXPECT_TRUE(host.Invoke(readFile, {FakeValue::String("x.txt")}).empty());
  EXPECT_TRUE(host.Invoke(writeFile, {FakeValue::String("x.txt"), FakeValue::String("t")}).empty());
  EXPECT_FALSE(fs::exists(folder / "x.txt"));
}

}  // namespace
}  // namespace mapwright::testing
