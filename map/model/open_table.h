// Slots found by the low bits of a hash, or else in the slots after it: a
// table for texts (with a seeded hash, see seeded_hash.h) that makes nothing
// per entry. A Slot has a std::uint32_t hash, and a std::uint32_t size that is
// 0 only in a free slot. At most three quarters of the slots are taken.
#ifndef MAPWRIGHT_MAP_MODEL_OPEN_TABLE_H
#define MAPWRIGHT_MAP_MODEL_OPEN_TABLE_H

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace mapwright {

template <typename Slot>
class OpenTable {
 public:
  // The taken slot of hash for which same(slot) holds; else the free slot
  // where it goes, which the caller fills. Valid until the next call.
  template <typename Same>
  Slot& Find(std::uint32_t hash, Same same) {
    if (4 * (taken_ + 1) > 3 * slots_.size()) Grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.size == 0) {
        ++taken_;  // the caller fills it
        return slot;
      }
      if (slot.hash == hash && same(slot)) return slot;
    }
  }
  void Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    taken_ = 0;
  }

 private:
  void Grow() {
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

  std::vector<Slot> slots_;
  std::size_t taken_ = 0;
};

}  // namespace mapwright

#endif
