#include "map/model/pair_index.h"

#include <cstring>
#include <utility>

#include "map/model/name_table.h"

namespace mapwright {

PairIndex::Chain& PairIndex::Of(std::string_view key) {
  folded_.assign(key);
  for (char& c : folded_) c = static_cast<char>(FoldCase(c));
  if (4 * (used_ + 1) > 3 * slots_.size()) Grow();
  const auto hash = static_cast<std::uint32_t>(hash_(folded_));
  const auto size = static_cast<std::uint32_t>(folded_.size() + 1);
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  for (; slots_[i].size != 0; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.hash == hash && slot.size == size &&
        std::memcmp(keys_.data() + slot.at, folded_.data(), folded_.size()) == 0) {
      return slots_[i].chain;
    }
  }
  slots_[i] = {hash, static_cast<std::uint32_t>(keys_.size()), size, {}};
  keys_ += folded_;
  ++used_;
  return slots_[i].chain;
}

void PairIndex::Grow() {
  std::vector<Slot> old =
      std::exchange(slots_, std::vector<Slot>(slots_.empty() ? 64 : 2 * slots_.size()));
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.size == 0) continue;
    std::size_t i = slot.hash & mask;
    while (slots_[i].size != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
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
