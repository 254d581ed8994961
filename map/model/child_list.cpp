#include "map/model/child_list.h"

#include <algorithm>

namespace mapwright {

void ChildList::CloseGap() const {
  if (gapBegin_ == gapEnd_) return;
  const auto begin = slots_.begin();
  slots_.erase(begin + static_cast<std::ptrdiff_t>(gapBegin_),
               begin + static_cast<std::ptrdiff_t>(gapEnd_));
  gapBegin_ = gapEnd_ = 0;
}

const ArenaVector<MapBlock*>& ChildList::All() const {
  CloseGap();
  return slots_;
}

std::size_t ChildList::Find(const MapBlock* block) const {
  // Four cursors at once: from the front, from the back, and from either
  // side of the gap, where the last removal was.
  const std::size_t count = size();
  const std::size_t gap = gapBegin_;
  for (std::size_t k = 0; 2 * k < count; ++k) {
    if ((*this)[k] == block) return k;
    if ((*this)[count - 1 - k] == block) return count - 1 - k;
    if (k < gap && (*this)[gap - 1 - k] == block) return gap - 1 - k;
    if (gap + k < count && (*this)[gap + k] == block) return gap + k;
  }
  return count;
}

void ChildList::Erase(std::size_t i) {
  const std::size_t slot = Slot(i);
  if (gapBegin_ == gapEnd_) {
    gapBegin_ = slot;
    gapEnd_ = slot + 1;
  } else if (slot + 1 == gapBegin_) {
    gapBegin_ = slot;
  } else if (slot == gapEnd_) {
    ++gapEnd_;
  } else {
    CloseGap();
    gapBegin_ = i;
    gapEnd_ = i + 1;
  }
  if (gapEnd_ == slots_.size()) {  // a gap at the end is no gap
    slots_.resize(gapBegin_);
    gapBegin_ = gapEnd_ = 0;
  }
}

void ChildList::Insert(std::size_t i, MapBlock* block) {
  if (gapBegin_ != gapEnd_ && i == gapBegin_) {  // into the gap, moving nothing
    slots_[gapBegin_++] = block;
    return;
  }
  const std::size_t slot = Slot(i);
  slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(slot), block);
  if (slot < gapBegin_) {
    ++gapBegin_;
    ++gapEnd_;
  }
}

}  // namespace mapwright
