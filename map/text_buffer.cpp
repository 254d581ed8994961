#include "map/text_buffer.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>

#include <mutex>
#endif

namespace mapwright {
namespace {

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// The spare mapping, taken by a buffer that fits it without wasting more
// than the half of it.
struct Spare {
  std::mutex lock;
  void* memory = nullptr;
  std::size_t length = 0;
};
// Never destroyed: a buffer may be freed while the process exits.
Spare& TheSpare() {
  static Spare* const spare = new Spare;
  return *spare;
}

// The spare, when it fits length; length becomes its own.
void* TakeSpare(std::size_t& length) {
  Spare& spare = TheSpare();
  std::lock_guard<std::mutex> hold(spare.lock);
  if (spare.memory == nullptr || spare.length < length || spare.length / 2 > length) {
    return nullptr;
  }
  void* memory = spare.memory;
  length = spare.length;
  spare.memory = nullptr;
  return memory;
}

// Keeps the larger of the spare and this mapping; unmaps the other.
void GiveBack(void* memory, std::size_t length) {
  Spare& spare = TheSpare();
  std::unique_lock<std::mutex> hold(spare.lock);
  if (spare.memory != nullptr && spare.length >= length) {
    hold.unlock();
    munmap(memory, length);
    return;
  }
  void* old = spare.memory;
  std::size_t oldLength = spare.length;
#if defined(MADV_FREE)
  // Its pages stay until the system needs them: a spare costs no memory that
  // anything else wants.
  static_cast<void>(madvise(memory, length, MADV_FREE));
#endif
  spare.memory = memory;
  spare.length = length;
  hold.unlock();
  if (old != nullptr) munmap(old, oldLength);
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
  Spare& spare = TheSpare();
  std::lock_guard<std::mutex> hold(spare.lock);
  if (spare.memory != nullptr) munmap(spare.memory, spare.length);
  spare.memory = nullptr;
#endif
}

}  // namespace mapwright
