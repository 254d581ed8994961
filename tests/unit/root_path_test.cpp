#include "host/root_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/temp_folder.h"

namespace mapwright::host {
namespace {

namespace fs = std::filesystem;

TEST(RootPath, RelativePathsResolveUnderTheRoot) {
  EXPECT_EQ(ResolveUnderRoot("/srv/maps", "a.vmf"), "/srv/maps/a.vmf");
  EXPECT_EQ(ResolveUnderRoot("/srv/maps", "sub//./b.vmf"), "/srv/maps/sub/b.vmf");
  EXPECT_EQ(ResolveUnderRoot("/srv/maps", "sub/../c.vmf"), "/srv/maps/c.vmf");
  EXPECT_EQ(ResolveUnderRoot("/srv/maps", ""), "/srv/maps");
  EXPECT_EQ(ResolveUnderRoot("/", "etc/x"), "/etc/x");
}

TEST(RootPath, PathsThatLeaveTheRootResolveToNothing) {
  EXPECT_FALSE(ResolveUnderRoot("/srv/maps", "../secret"));
  EXPECT_FALSE(ResolveUnderRoot("/srv/maps", "sub/../../secret"));
  EXPECT_FALSE(ResolveUnderRoot("/srv/maps", "/etc/passwd"));
  EXPECT_FALSE(ResolveUnderRoot("/srv/maps", "/srv/mapsx/a"));  // a longer name is not inside
  EXPECT_FALSE(ResolveUnderRoot("/srv/maps", "/srv/maps/../other"));
  EXPECT_FALSE(ResolveUnderRoot("/srv/maps", std::string_view("a\0b", 3)));
}

TEST(RootPath, AbsolutePathsInsideTheRootAreKept) {
  EXPECT_EQ(ResolveUnderRoot("/srv/maps", "/srv/maps/x/../y.vmf"), "/srv/maps/y.vmf");
  EXPECT_EQ(ResolveUnderRoot("/srv/maps", "/srv/maps"), "/srv/maps");
}

class RootWithLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(base / "root/sub");
    fs::create_directories(base / "outside");
    std::ofstream(base / "outside/secret.txt") << "secret";
    fs::create_directory_symlink(base / "outside", base / "root/link_dir");
    fs::create_symlink(base / "outside/secret.txt", base / "root/link_file");
    fs::create_symlink(base / "outside/new.txt", base / "root/dangling");
    fs::create_directory_symlink(base / "root/sub", base / "root/inner");
    fs::create_directories(base / "root2");  // a sibling whose name begins with the root's
    fs::create_directory_symlink(base / "root2", base / "root/sibling");
    root = *RootFolder((base / "root").string());
  }
  void TearDown() override { fs::remove_all(base); }

  testing::TempFolder temp;
  fs::path base = temp.path();
  std::string root;
};

// Links inside the root that lead out are refused, whether the file exists
// or would be created through them; links that stay inside are followed.
TEST_F(RootWithLinks, NothingOutsideIsReachedThroughALink) {
  EXPECT_FALSE(ResolveUnderRoot(root, "link_dir/secret.txt"));
  EXPECT_FALSE(ResolveUnderRoot(root, "link_dir/new.txt"));
  EXPECT_FALSE(ResolveUnderRoot(root, "link_file"));
  EXPECT_FALSE(ResolveUnderRoot(root, "dangling"));
  EXPECT_FALSE(ResolveUnderRoot(root, "dangling/x"));
  EXPECT_FALSE(ResolveUnderRoot(root, "sibling/x.txt"));
  EXPECT_EQ(ResolveUnderRoot(root, "inner/a.vmf"), root + "/sub/a.vmf");
  EXPECT_EQ(ResolveUnderRoot(root, "sub/new/deeper.txt"), root + "/sub/new/deeper.txt");
}

TEST_F(RootWithLinks, TheRootIsAnExistingFolderRelativeToTheWorkingOne) {
  fs::path saved = fs::current_path();
  fs::current_path(base);
  std::optional<std::string> relative = RootFolder("root/inner");
  std::optional<std::string> working = RootFolder("");
  fs::current_path(saved);
  EXPECT_EQ(relative, root + "/sub");
  EXPECT_EQ(working, fs::canonical(base).string());
  EXPECT_FALSE(RootFolder((base / "missing").string()));
  EXPECT_FALSE(RootFolder((base / "outside/secret.txt").string()));
}

}  // namespace
}  // namespace mapwright::host
