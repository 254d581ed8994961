#include "fileio/file_access.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// A path that names a folder (the root itself, say) is refused before
// anything is made: no temporary file inside the folder or beside it, which
// would change the folders' times even when it is gone again.
TEST_F(FileAccess, AFolderIsNoNewFile) {
  fs::create_directory(folder / "root");
  const std::string root = PathOf("root");
#ifndef _WIN32  // Windows sets no time on a folder through the C library
  const auto old = fs::last_write_time(folder) - std::chrono::hours(1);
  fs::last_write_time(folder, old);
  fs::last_write_time(folder / "root", old);
#endif
  for (const std::string& path : {root, root + "/", root + "/.", root + "/sub/..", std::string()}) {
    EXPECT_FALSE(WriteNewFile(path.c_str(), "text")) << path;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::is_empty(folder / "root"));
#ifndef _WIN32
  EXPECT_EQ(fs::last_write_time(folder), old);
  EXPECT_EQ(fs::last_write_time(folder / "root"), old);
#endif
}

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
  EXPECT_FALSE(WriteNewFile(folder.string().c_str(), "x"));
}

TEST_F(FileAccess, WritingNeverTouchesAnExistingFileAndLeavesNothingBehind) {
  Put("old.txt", "keep me");
  EXPECT_FALSE(WriteNewFile(PathOf("old.txt").c_str(), "replace"));
  EXPECT_EQ(Get("old.txt"), "keep me");
  EXPECT_FALSE(WriteNewFile(PathOf("nofolder/x.txt").c_str(), "x"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1) << "no temporary file stays";
}

// Replacing stores the bytes whole over an existing file or none, leaves no
// temporary file, and refuses a folder; reading an existing file never makes
// one and reads into the storage given.
TEST_F(FileAccess, ReplaceAndReadExisting) {
  Put("map.vmf", "old");
  EXPECT_TRUE(ReplaceFileWith(PathOf("map.vmf").c_str(), "new bytes"));
  EXPECT_EQ(Get("map.vmf"), "new bytes");
  EXPECT_TRUE(ReplaceFileWith(PathOf("fresh.vmf").c_str(), "made"));
  EXPECT_FALSE(ReplaceFileWith(temp.path().string().c_str(), "folder"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
  std::string storage;
  auto allocate = [&storage](std::size_t size) {
    storage.resize(size + 1);
    return storage.data();
  };
  EXPECT_EQ(ReadExistingFile(PathOf("map.vmf").c_str(), allocate), 9u);
  EXPECT_EQ(storage.substr(0, 9), "new bytes");
  EXPECT_FALSE(ReadExistingFile(PathOf("missing.vmf").c_str(), allocate));
  EXPECT_FALSE(fs::exists(folder / "missing.vmf"));
  EXPECT_FALSE(ReadExistingFile(temp.path().string().c_str(), allocate));
#ifndef _WIN32
  fs::permissions(folder / "map.vmf", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(ReplaceFileWith(PathOf("map.vmf").c_str(), "kept mode"));
  EXPECT_EQ(fs::status(folder / "map.vmf").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST_F(FileAccess, WriteThenRead) {
  std::string bytes(3 * 1024 * 1024 + 17, 'x');
  bytes[12345] = '\n';
  ASSERT_TRUE(WriteNewFile(PathOf("out.txt").c_str(), bytes));
  EXPECT_EQ(ReadOrCreateFile(PathOf("out.txt").c_str()), bytes);
  ASSERT_TRUE(WriteNewFile(PathOf("empty.txt").c_str(), ""));
  EXPECT_EQ(fs::file_size(folder / "empty.txt"), 0u);
  EXPECT_FALSE(WriteNewFile(PathOf("empty.txt").c_str(), "again"));
}

#ifndef _WIN32
// Readers share a file; a file that a writer holds (under an exclusive lock)
// cannot be read; a FIFO is no file to read, and does not block.
TEST_F(FileAccess, ReadersShareWritersExcludeAndFifosGiveNothing) {
  Put("shared.txt", "data");
  int reader = open(PathOf("shared.txt").c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(flock(reader, LOCK_SH), 0);
  EXPECT_EQ(ReadOrCreateFile(PathOf("shared.txt").c_str()), "data");
  ASSERT_EQ(flock(reader, LOCK_UN), 0);
  ASSERT_EQ(flock(reader, LOCK_EX), 0);
  EXPECT_FALSE(ReadOrCreateFile(PathOf("shared.txt").c_str()).has_value());
  close(reader);
  EXPECT_EQ(ReadOrCreateFile(PathOf("shared.txt").c_str()), "data");
  ASSERT_EQ(mkfifo(PathOf("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReadOrCreateFile(PathOf("fifo").c_str()).has_value());
}

// Only a regular file or a link is replaced: a FIFO or a device stays what
// it is, and the failure says so.
TEST_F(FileAccess, OnlyRegularFilesAreReplaced) {
  ASSERT_EQ(mkfifo(PathOf("fifo").c_str(), 0600), 0);
  for (const std::string& path : {PathOf("fifo"), std::string("/dev/null")}) {
    FileFailure why = FileFailure::kNone;
    EXPECT_FALSE(ReplaceFileWith(path.c_str(), "bytes", &why)) << path;
    EXPECT_EQ(why, FileFailure::kNotAFile) << path;
  }
  EXPECT_TRUE(fs::is_fifo(folder / "fifo"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // A link is replaced as a name, whatever it leads to, which stays.
  Put("target.vmf", "kept");
  fs::create_symlink("/dev/null", folder / "to_device");
  fs::create_symlink(folder / "target.vmf", folder / "to_file");
  for (const char* link : {"to_device", "to_file"}) {
    EXPECT_TRUE(ReplaceFileWith(PathOf(link).c_str(), "new")) << link;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / link))) << link;
    EXPECT_EQ(Get(link), "new");
  }
  EXPECT_EQ(Get("target.vmf"), "kept");
}

// A file read while it changes size is not read: the count would be a part.
TEST_F(FileAccess, AFileThatChangesSizeIsNotRead) {
  Put("growing.vmf", "0123456789");
  FileFailure why = FileFailure::kNone;
  std::string storage;
  auto grow = [&](std::size_t size) {
    Put("growing.vmf", "0123456789 and more");  // after the size was taken
    storage.resize(size + 1);
    return storage.data();
  };
  EXPECT_FALSE(ReadExistingFile(PathOf("growing.vmf").c_str(), grow, &why));
  EXPECT_EQ(why, FileFailure::kChanged);
}

// Past the process's file size limit nothing is written, and the process
// lives on.
TEST_F(FileAccess, AFileBeyondTheSizeLimitIsRefusedWhole) {
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool big = WriteNewFile(PathOf("big.txt").c_str(), std::string(8192, 'x'));
  bool fits = WriteNewFile(PathOf("small.txt").c_str(), "0123456789");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
  EXPECT_FALSE(big);
  EXPECT_FALSE(fs::exists(folder / "big.txt"));
  EXPECT_TRUE(fits);
}
#endif

}  // namespace
}  // namespace mapwright
