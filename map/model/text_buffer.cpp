#include "map/model/text_buffer.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>

#include <atomic>
#include <utility>
#endif

namespace mapwright {
namespace {

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// The spare mapping, taken by a buffer that fits it without wasting more
// than the half of it. Plain data behind a spin lock: nothing to destroy,
// as a buffer may be freed while the process exits.
struct Spare {
  void* memory;
  std::size_t length;
};
constinit Spare theSpare{nullptr, 0};
constinit std::atomic_flag spareBusy = ATOMIC_FLAG_INIT;

class SpareLock {
 public:
  SpareLock() {
    while (spareBusy.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~SpareLock() { spareBusy.clear(std::memory_order_release); }
  SpareLock(const SpareLock&) = delete;
  SpareLock& operator=(const SpareLock&) = delete;
};

// The spare, when it fits length; length becomes its own.
void* TakeSpare(std::size_t& length) {
  SpareLock hold;
  if (theSpare.memory == nullptr || theSpare.length < length || theSpare.length / 2 > length) {
    return nullptr;
  }
  length = theSpare.length;
  return std::exchange(theSpare.memory, nullptr);
}

// Keeps the larger of the spare and this mapping; unmaps the other.
void GiveBack(void* memory, std::size_t length) {
#if defined(MADV_FREE)
  // While it waits, its pages stay until the system needs them: a spare
  // costs no memory that anything else wants.
  static_cast<void>(madvise(memory, length, MADV_FREE));
#endif
  Spare unmap{memory, length};
  {
    SpareLock hold;
    if (theSpare.memory == nullptr || theSpare.length < length) std::swap(unmap, theSpare);
  }
  if (unmap.memory != nullptr) munmap(unmap.memory, unmap.length);
}
#endif

}  // namespace

TextBuffer::TextBuffer(std::size_t size) : data_(nullptr), size_(size), mapped_(0) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (size >= kHugePage) {
    std::size_t length = (size + 1 + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = TakeSpare(length);
    if (memory != nullptr) {
      mapped_ = length;
    } else {
      memory = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (memory != MAP_FAILED) {
        static_cast<void>(madvise(memory, length, MADV_HUGEPAGE));  // a hint: fine if refused
        mapped_ = length;
      } else {
        memory = nullptr;
      }
    }
    data_ = static_cast<char*>(memory);
  }
#endif
  if (data_ == nullptr) data_ = new char[size + 1];
  data_[size] = '\0';
}

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), mapped_(other.mapped_) {
  other.data_ = nullptr;
  other.mapped_ = 0;
}

TextBuffer::~TextBuffer() {
  if (data_ == nullptr) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (mapped_ != 0) {
    GiveBack(data_, mapped_);
    return;
  }
#endif
  delete[] data_;
}

void ReleaseSpareTextBuffer() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  Spare unmap{nullptr, 0};
  {
    SpareLock hold;
    std::swap(unmap, theSpare);
  }
  if (unmap.memory != nullptr) munmap(unmap.memory, unmap.length);
#endif
}

}  // namespace mapwright
