// A buffer for a whole map text, terminated. A large one is given huge pages
// where the system offers them: touching a fresh 200 MB buffer page by page
// costs more than copying the text into it. The last large buffer freed is
// kept for the next one of about its size (a re-parse, the next Text()), as
// the kernel would zero a fresh one again.
#ifndef MAPWRIGHT_MAP_MODEL_TEXT_BUFFER_H
#define MAPWRIGHT_MAP_MODEL_TEXT_BUFFER_H

#include <cstddef>
#include <string_view>

namespace mapwright {

class TextBuffer {
 public:
  // Room for size bytes and a terminator. Throws std::bad_alloc.
  explicit TextBuffer(std::size_t size);
  ~TextBuffer();
  TextBuffer(TextBuffer&& other) noexcept;
  TextBuffer& operator=(TextBuffer&&) = delete;
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  char* data() { return data_; }
  const char* c_str() const { return data_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return {data_, size_}; }
  // Keeps the first size bytes (no more than it has) and terminates them.
  void Truncate(std::size_t size) {
    if (size < size_) size_ = size;
    data_[size_] = '\0';
  }
  // The bytes the buffer holds: at least size() + 1.
  std::size_t capacity() const { return mapped_ != 0 ? mapped_ : size_ + 1; }

 private:
  char* data_;
  std::size_t size_;
  std::size_t mapped_;  // bytes mapped from the system; 0 when allocated
};

// Gives the kept buffer back to the system.
void ReleaseSpareTextBuffer();

}  // namespace mapwright

#endif
