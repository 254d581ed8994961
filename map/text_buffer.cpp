#include "map/text_buffer.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace mapwright {

TextBuffer::TextBuffer(std::size_t size) : data_(nullptr), size_(size), mapped_(0) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size >= kHugePage) {
    std::size_t length = (size + 1 + kHugePage - 1) / kHugePage * kHugePage;
    void* memory =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory != MAP_FAILED) {
      static_cast<void>(madvise(memory, length, MADV_HUGEPAGE));  // a hint: fine if refused
      data_ = static_cast<char*>(memory);
      mapped_ = length;
    }
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
#if defined(__linux__)
  if (mapped_ != 0) {
    munmap(data_, mapped_);
    return;
  }
#endif
  delete[] data_;
}

}  // namespace mapwright
