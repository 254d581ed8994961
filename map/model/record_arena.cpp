#include "map/model/record_arena.h"

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define MAPWRIGHT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MAPWRIGHT_ASAN 1
#endif
#endif
#if defined(MAPWRIGHT_ASAN)
#include <sanitizer/asan_interface.h>
#define MAPWRIGHT_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define MAPWRIGHT_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define MAPWRIGHT_POISON(address, size) static_cast<void>(0)
#define MAPWRIGHT_UNPOISON(address, size) static_cast<void>(0)
#endif

namespace mapwright {

void* RecordArena::Allocate(std::size_t bytes) {
  if (bytes > kLargest) return ::operator new(bytes);
  constexpr std::size_t kAlign = alignof(std::max_align_t);
  std::size_t at = (used_ + kAlign - 1) & ~(kAlign - 1);
  if (at + bytes > kBlockSize) {
    if (filled_ == blocks_.size()) {
      blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(kBlockSize));
    }
    ++filled_;
    at = 0;
  }
  used_ = at + bytes;
  std::byte* room = blocks_[filled_ - 1].get() + at;
  MAPWRIGHT_UNPOISON(room, bytes);
  return room;
}

// Under AddressSanitizer a list used after Reset is reported, as a freed one
// would be.
void RecordArena::Reset() {
  for (std::size_t i = 0; i < filled_; ++i) MAPWRIGHT_POISON(blocks_[i].get(), kBlockSize);
  filled_ = 0;
  used_ = kBlockSize;
}

void RecordArena::Deallocate(void* pointer, std::size_t bytes) {
  // Small lists go back with Reset.
  if (bytes > kLargest) ::operator delete(pointer);
}

}  // namespace mapwright
