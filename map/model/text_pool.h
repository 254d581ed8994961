// Immutable NUL-terminated texts owned by one document, allocated from large
// blocks. A stored text never moves or changes, so records hold plain
// pointers to it and several records may share one text.
#ifndef MAPWRIGHT_MAP_MODEL_TEXT_POOL_H
#define MAPWRIGHT_MAP_MODEL_TEXT_POOL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "map/model/open_table.h"
#include "map/model/seeded_hash.h"

namespace mapwright {

class TextPool {
 public:
  TextPool() : hash_(this) {}
  ~TextPool();
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  // A stable copy of text; the empty text costs nothing.
  const char* Store(std::string_view text);
  // Like Store, but equal texts share one copy: for keys, which repeat.
  const char* Intern(std::string_view text);
  // A stable copy of head followed by tail.
  const char* Concat(std::string_view head, std::string_view tail);
  // A copy of a value an edit sets, which ReleaseEdited gives back when a
  // later edit replaces or removes it: a document edited for ever holds only
  // the values it has. Each record holds its own copy, and knows it does.
  const char* StoreEdited(std::string_view text);
  // Gives back a text of StoreEdited, and nothing else.
  void ReleaseEdited(const char* text);
  void Clear();

 private:
  char* Allocate(std::size_t size);

  std::vector<std::unique_ptr<char[]>> blocks_;
  // Edited texts, each after a header that links it into a list, so that
  // giving one back takes no search and Clear finds them all.
  struct EditedText {
    EditedText* previous;
    EditedText* next;
  };
  EditedText edited_{&edited_, &edited_};
  // Interned texts by their hash, keyed per pool.
  struct Interned {
    std::uint32_t hash = 0;  // its low bits
    std::uint32_t size = 0;  // the text's length and 1; 0 when the slot is unused
    const char* text = nullptr;
  };
  SeededHash hash_;
  OpenTable<Interned> interned_;
  // The last interned text by its length and first, middle and last bytes:
  // keys repeat, and most are found here without hashing them whole.
  std::array<std::string_view, 1024> recent_{};
  char* free_ = nullptr;
  std::size_t freeSize_ = 0;
};

}  // namespace mapwright

#endif
