// Line numbers of a text: where each line starts, found once, so that any
// place's line is a binary search.
#ifndef MAPWRIGHT_MAP_MODEL_LINE_INDEX_H
#define MAPWRIGHT_MAP_MODEL_LINE_INDEX_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mapwright {

class LineIndex {
 public:
  explicit LineIndex(std::string_view text);
  // The 1-based line of the byte at offset: one more than the line ends
  // before it, as the parser counts lines in its reports.
  int LineOf(std::size_t offset) const;

 private:
  std::vector<std::uint32_t> lineEnds_;
};

}  // namespace mapwright

#endif
