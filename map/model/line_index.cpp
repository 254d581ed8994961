#include "map/model/line_index.h"

#include <algorithm>
#include <cstring>

namespace mapwright {

LineIndex::LineIndex(std::string_view text) {
  const char* at = text.data();
  const char* end = at + text.size();
  // A line ends with LF, CR LF or a CR alone; most texts hold no CR at all.
  if (std::memchr(at, '\r', text.size()) != nullptr) {
    for (; at < end; ++at) {
      if (*at == '\n' || (*at == '\r' && (at + 1 == end || at[1] != '\n'))) {
        lineEnds_.push_back(static_cast<std::uint32_t>(at - text.data()));
      }
    }
    return;
  }
  while (at < end) {
    const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
    if (found == nullptr) break;
    at = static_cast<const char*>(found);
    lineEnds_.push_back(static_cast<std::uint32_t>(at - text.data()));
    ++at;
  }
}

int LineIndex::LineOf(std::size_t offset) const {
  auto before = std::lower_bound(lineEnds_.begin(), lineEnds_.end(), offset);
  return static_cast<int>(before - lineEnds_.begin()) + 1;
}

}  // namespace mapwright
