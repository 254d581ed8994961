#include "map/model/pair_index.h"

#include "map/model/name_table.h"

namespace mapwright {

std::string PairIndex::Folded(std::string_view key) {
  std::string folded(key);
  for (char& c : folded) c = static_cast<char>(FoldCase(c));
  return folded;
}

PairIndex::Chain& PairIndex::Of(std::string_view key) {
  return firsts_[Folded(key)];
}

void PairIndex::Append(Chain& chain, std::size_t position) {
  const auto at = static_cast<std::uint32_t>(position);
  if (next_.size() <= position) next_.resize(position + 1, kNone);
  next_[at] = kNone;
  if (chain.last != kNone) {
    next_[chain.last] = at;
  } else {
    chain.first = at;
  }
  chain.last = at;
}

}  // namespace mapwright
