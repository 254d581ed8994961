// A text buffer has room for its bytes and the terminator, also when it takes
// over the mapping that a larger or smaller one left behind.
#include "map/model/text_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace mapwright::testing {
namespace {

TEST(TextBuffer, RoomForEveryByteWhateverWasFreedBefore) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  for (std::size_t freed : {8 * kMiB, 3 * kMiB}) {
    { TextBuffer before(freed); }
    for (std::size_t size : {freed * 2, freed, freed / 2, 2 * kMiB - 1}) {
      TextBuffer buffer(size);
      ASSERT_GE(buffer.capacity(), size + 1) << size << " after " << freed;
      std::memset(buffer.data(), 'x', size);
      EXPECT_EQ(buffer.c_str()[size], '\0') << size;
    }
  }
  ReleaseSpareTextBuffer();
}

}  // namespace
}  // namespace mapwright::testing
