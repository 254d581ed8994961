// Memory for the lists of one document's entities (pairs, connections):
// taken from blocks, given back all at once when the document is cleared, and
// kept for the next parse. Freeing a large map's hundred thousand small lists
// one by one costs more than reading them, as each free touches memory long
// out of the cache. A small list that an edit grows leaves its old room
// behind until then.
#ifndef MAPWRIGHT_MAP_MODEL_RECORD_ARENA_H
#define MAPWRIGHT_MAP_MODEL_RECORD_ARENA_H

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace mapwright {

class RecordArena {
 public:
  RecordArena() = default;
  RecordArena(const RecordArena&) = delete;
  RecordArena& operator=(const RecordArena&) = delete;

  // Room for bytes, aligned as a fundamental type. Throws std::bad_alloc.
  void* Allocate(std::size_t bytes);
  // Memory from Allocate, of that size.
  void Deallocate(void* pointer, std::size_t bytes);
  // Every list taken from the arena is gone; its blocks are kept for reuse.
  void Reset();

 private:
  static constexpr std::size_t kBlockSize = 256 * 1024;
  // Larger lists (a list an edit grows long) get memory of their own, which
  // they give back as they grow.
  static constexpr std::size_t kLargest = kBlockSize / 16;

  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::size_t filled_ = 0;         // blocks in use; the last of them is being filled
  std::size_t used_ = kBlockSize;  // bytes taken from that one
};

// A list's allocator: from the arena it was given, or from the heap when none.
template <class T>
class ArenaAllocator {
 public:
  static_assert(alignof(T) <= alignof(std::max_align_t));
  using value_type = T;

  ArenaAllocator() = default;
  explicit ArenaAllocator(RecordArena* arena) : arena_(arena) {}
  template <class U>
  ArenaAllocator(const ArenaAllocator<U>& other) : arena_(other.Arena()) {}  // NOLINT

  T* allocate(std::size_t n) {
    if (arena_ == nullptr) return std::allocator<T>().allocate(n);
    return static_cast<T*>(arena_->Allocate(n * sizeof(T)));
  }
  void deallocate(T* pointer, std::size_t n) {
    if (arena_ == nullptr) return std::allocator<T>().deallocate(pointer, n);
    arena_->Deallocate(pointer, n * sizeof(T));
  }
  RecordArena* Arena() const { return arena_; }
  template <class U>
  bool operator==(const ArenaAllocator<U>& other) const {
    return arena_ == other.Arena();
  }

 private:
  RecordArena* arena_ = nullptr;
};

template <class T>
using ArenaVector = std::vector<T, ArenaAllocator<T>>;

// Room in list for more elements, about to be added: the arena takes no
// memory back, so a list that knows how much it grows takes that at once
// rather than doubling towards it.
template <typename T>
void GrowFor(ArenaVector<T>& list, std::size_t more) {
  if (list.capacity() - list.size() >= more) return;
  list.reserve(std::max(list.size() + more, 2 * list.size()));
}

}  // namespace mapwright

#endif
