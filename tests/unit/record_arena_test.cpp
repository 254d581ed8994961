#include "map/model/record_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace mapwright::testing {
namespace {

// Lists of every size keep their own bytes side by side, small and large;
// after Reset the arena fills its first block again instead of growing.
TEST(RecordArena, ListsKeepTheirBytesAndResetReusesTheBlocks) {
  RecordArena arena;
  bool intact = true;
  const auto fill = [&] {
    std::vector<ArenaVector<std::uint32_t>> lists;
    for (std::uint32_t i = 0; i < 3000; ++i) {
      lists.emplace_back(ArenaAllocator<std::uint32_t>(&arena));
      for (std::uint32_t k = 0; k < i % 97 + (i % 500 == 0 ? 9000 : 0); ++k) {
        lists.back().push_back(i * 100000 + k);
      }
    }
    for (std::uint32_t i = 0; i < lists.size(); ++i) {
      for (std::uint32_t k = 0; k < lists[i].size(); ++k) {
        intact = intact && lists[i][k] == i * 100000 + k;
      }
    }
    return static_cast<const void*>(lists[1].data());
  };
  const void* first = fill();
  arena.Reset();
  EXPECT_EQ(fill(), first);
  EXPECT_TRUE(intact);
}

}  // namespace
}  // namespace mapwright::testing
