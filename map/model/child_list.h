// The blocks inside a block, in order. A removal leaves a gap where it was,
// and one next to the gap widens it, so that removing front to back, back to
// front or from the middle moves nothing; the gap closes when a removal falls
// elsewhere or the list is read whole.
#ifndef MAPWRIGHT_MAP_MODEL_CHILD_LIST_H
#define MAPWRIGHT_MAP_MODEL_CHILD_LIST_H

#include <cstddef>

#include "map/model/record_arena.h"

namespace mapwright {

class MapBlock;

class ChildList {
 public:
  explicit ChildList(RecordArena& lists) : slots_(ArenaAllocator<MapBlock*>(&lists)) {}

  std::size_t size() const { return slots_.size() - (gapEnd_ - gapBegin_); }
  bool empty() const { return size() == 0; }
  MapBlock* operator[](std::size_t i) const { return slots_[Slot(i)]; }
  // The list as one vector, its gap closed.
  const ArenaVector<MapBlock*>& All() const;

  // Where block stands, searched from both ends and from the gap outwards;
  // size() when it is not in the list.
  std::size_t Find(const MapBlock* block) const;
  void Erase(std::size_t i);
  void Insert(std::size_t i, MapBlock* block);
  template <typename It>
  void Assign(It begin, It end) {
    slots_.assign(begin, end);
    gapBegin_ = gapEnd_ = 0;
  }
  void Clear() { Assign(slots_.end(), slots_.end()); }

 private:
  std::size_t Slot(std::size_t i) const { return i < gapBegin_ ? i : i + (gapEnd_ - gapBegin_); }
  void CloseGap() const;

  mutable ArenaVector<MapBlock*> slots_;
  mutable std::size_t gapBegin_ = 0;  // the slots [gapBegin_, gapEnd_) hold no block
  mutable std::size_t gapEnd_ = 0;
};

}  // namespace mapwright

#endif
