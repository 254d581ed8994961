#include "map/model/line_index.h"

#include <algorithm>
#include <cstring>

namespace mapwright {

LineIndex::LineIndex(std::string_view text) {
  const char* at = text.data();
  const char* end = at + text.size();
  while (at < end) {
    const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
    if (found == nullptr) break;
    at = static_cast<const char*>(found);
    lineFeeds_.push_back(static_cast<std::uint32_t>(at - text.data()));
    ++at;
  }
}

int LineIndex::LineOf(std::size_t offset) const {
  auto before = std::lower_bound(lineFeeds_.begin(), lineFeeds_.end(), offset);
  return static_cast<int>(before - lineFeeds_.begin()) + 1;
}

}  // namespace mapwright
