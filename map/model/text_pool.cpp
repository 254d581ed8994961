#include "map/model/text_pool.h"

#include <cstring>

namespace mapwright {
namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kOwnBlockAbove = kBlockSize / 4;
}  // namespace

char* TextPool::Allocate(std::size_t size) {
  if (size > kOwnBlockAbove) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    return blocks_.back().get();
  }
  if (size > freeSize_) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
    free_ = blocks_.back().get();
    freeSize_ = kBlockSize;
  }
  char* text = free_;
  free_ += size;
  freeSize_ -= size;
  return text;
}

const char* TextPool::Store(std::string_view text) {
  return Concat(text, {});
}

const char* TextPool::Concat(std::string_view head, std::string_view tail) {
  std::size_t length = head.size() + tail.size();
  if (length == 0) return "";
  char* text = Allocate(length + 1);
  std::memcpy(text, head.data(), head.size());
  if (!tail.empty()) std::memcpy(text + head.size(), tail.data(), tail.size());
  text[length] = '\0';
  return text;
}

const char* TextPool::Intern(std::string_view text) {
  if (text.empty()) return "";
  std::size_t slot = text.size();
  for (char c : {text.front(), text[text.size() / 2], text.back()}) {
    slot = slot * 131 + static_cast<unsigned char>(c);
  }
  slot = (slot ^ slot >> 10) % recent_.size();
  if (recent_[slot] == text) return recent_[slot].data();
  const auto hash = static_cast<std::uint32_t>(hash_(text));
  const auto size = static_cast<std::uint32_t>(text.size() + 1);
  Interned& found = interned_.Find(hash, [&](const Interned& taken) {
    return taken.size == size && std::memcmp(taken.text, text.data(), text.size()) == 0;
  });
  if (found.size == 0) found = {hash, size, Store(text)};
  recent_[slot] = std::string_view(found.text, text.size());
  return found.text;
}

const char* TextPool::StoreEdited(std::string_view text) {
  auto* node = static_cast<EditedText*>(::operator new(sizeof(EditedText) + text.size() + 1));
  char* stored = reinterpret_cast<char*>(node + 1);
  if (!text.empty()) std::memcpy(stored, text.data(), text.size());
  stored[text.size()] = '\0';
  node->previous = &edited_;
  node->next = edited_.next;
  edited_.next->previous = node;
  edited_.next = node;
  return stored;
}

void TextPool::ReleaseEdited(const char* text) {
  auto* node = reinterpret_cast<EditedText*>(const_cast<char*>(text)) - 1;
  node->previous->next = node->next;
  node->next->previous = node->previous;
  ::operator delete(node);
}

TextPool::~TextPool() {
  Clear();
}

void TextPool::Clear() {
  interned_.Clear();
  while (edited_.next != &edited_) ReleaseEdited(reinterpret_cast<const char*>(edited_.next + 1));
  recent_.fill({});
  blocks_.clear();
  free_ = nullptr;
  freeSize_ = 0;
}

}  // namespace mapwright
