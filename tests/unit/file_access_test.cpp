#include "fileio/file_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/temp_folder.h"

namespace mapwright {
namespace {

namespace fs = std::filesystem;

class FileAccess : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return temp.PathOf(name); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  testing::TempFolder temp;
  const fs::path& folder = temp.path();
};

TEST_F(FileAccess, ReadingAMissingFileCreatesItEmpty) {
  std::optional<std::string> content = ReadOrCreateFile(PathOf("new.txt").c_str());
  ASSERT_TRUE(content.has_value());
  EXPECT_EQ(*content, "");
  EXPECT_TRUE(fs::exists(folder / "new.txt"));
}

TEST_F(FileAccess, ReadingInAMissingFolderGivesNothingAndCreatesNothing) {
  EXPECT_FALSE(ReadOrCreateFile(PathOf("nofolder/x.txt").c_str()).has_value());
  EXPECT_FALSE(fs::exists(folder / "nofolder"));
}

TEST_F(FileAccess, BytesComeBackUnchanged) {
  std::string bytes = "line one\r\nline two\r\n\x01\xff";
  bytes += std::string(1, '\0') + "after zero";
  Put("crlf.txt", bytes);
  EXPECT_EQ(ReadOrCreateFile(PathOf("crlf.txt").c_str()), bytes);
}

TEST_F(FileAccess, ADirectoryGivesNothingForBoth) {
  EXPECT_FALSE(ReadOrCreateFile(folder.string().c_str()).has_value());
  NewFile file;
  EXPECT_FALSE(file.Create(folder.string().c_str()));
}

TEST_F(FileAccess, WritingNeverTouchesAnExistingFile) {
  Put("old.txt", "keep me");
  NewFile file;
  EXPECT_FALSE(file.Create(PathOf("old.txt").c_str()));
  EXPECT_EQ(Get("old.txt"), "keep me");
}

TEST_F(FileAccess, WriteThenRead) {
  std::string bytes(3 * 1024 * 1024 + 17, 'x');
  bytes[12345] = '\n';
  {
    NewFile file;
    ASSERT_TRUE(file.Create(PathOf("out.txt").c_str()));
    EXPECT_TRUE(file.WriteAll(bytes));
  }
  EXPECT_EQ(ReadOrCreateFile(PathOf("out.txt").c_str()), bytes);
  {
    NewFile empty;
    ASSERT_TRUE(empty.Create(PathOf("empty.txt").c_str()));
  }
  EXPECT_TRUE(fs::exists(folder / "empty.txt"));
  EXPECT_EQ(fs::file_size(folder / "empty.txt"), 0u);
}

TEST_F(FileAccess, AFileHeldByAWriterCannotBeRead) {
  NewFile writer;
  ASSERT_TRUE(writer.Create(PathOf("held.txt").c_str()));
  ASSERT_TRUE(writer.WriteAll("partial"));
  EXPECT_FALSE(ReadOrCreateFile(PathOf("held.txt").c_str()).has_value());
}

TEST_F(FileAccess, AFileReadAfterTheWriterClosedIsWhole) {
  {
    NewFile writer;
    ASSERT_TRUE(writer.Create(PathOf("done.txt").c_str()));
    ASSERT_TRUE(writer.WriteAll("whole"));
  }
  EXPECT_EQ(ReadOrCreateFile(PathOf("done.txt").c_str()), "whole");
}

}  // namespace
}  // namespace mapwright
