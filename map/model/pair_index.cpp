#include "map/model/pair_index.h"

#include <cstring>

#include "map/model/name_table.h"

namespace mapwright {

PairIndex::Chain& PairIndex::Of(std::string_view key) {
  folded_.assign(key);
  for (char& c : folded_) c = static_cast<char>(FoldCase(c));
  const auto hash = static_cast<std::uint32_t>(hash_(folded_));
  const auto size = static_cast<std::uint32_t>(folded_.size() + 1);
  Slot& slot = slots_.Find(hash, [&](const Slot& taken) {
    return taken.size == size &&
           std::memcmp(keys_.data() + taken.at, folded_.data(), folded_.size()) == 0;
  });
  if (slot.size == 0) {
    slot = {hash, static_cast<std::uint32_t>(keys_.size()), size, {}};
    keys_ += folded_;
  }
  return slot.chain;
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
