#include "host/root_path.h"

#include <gtest/gtest.h>

namespace mapwright::host {
namespace {

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

TEST(RootPath, FoldersFromTheCommandLineBecomeAbsolute) {
  EXPECT_EQ(AbsoluteFolder("/a/b/../c/"), "/a/c");
  EXPECT_EQ(AbsoluteFolder("rel").front(), '/');
}

}  // namespace
}  // namespace mapwright::host
