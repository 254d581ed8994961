#include "map/model/pair_index.h"

#include "map/model/name_table.h"

namespace mapwright {

std::string PairIndex::Folded(std::string_view key) {
  std::string folded(key);
  for (char& c : folded) c = static_cast<char>(FoldCase(c));
  return folded;
}

std::vector<std::uint32_t>& PairIndex::Positions(std::string_view key) {
  return positions_[Folded(key)];
}

}  // namespace mapwright
