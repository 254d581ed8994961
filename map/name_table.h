// The old names of one renaming, each with its new text: an open-addressing
// hash table built for fast misses. A filter on the first two bytes of every
// name rejects most texts (numbers, vectors, flags) before any hashing.
#ifndef MAPWRIGHT_MAP_NAME_TABLE_H
#define MAPWRIGHT_MAP_NAME_TABLE_H

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mapwright {

class NameTable {
 public:
  explicit NameTable(std::size_t expectedNames);

  // The slot for name: its new text, null when the name is new to the table.
  const char*& Insert(std::string_view name);
  // The new text for a text equal to a name in the table, or null.
  const char* Find(const char* text) const;
  bool Empty() const { return count_ == 0; }

 private:
  struct Entry {
    const char* name;
    std::uint32_t length;
    const char* renamed;
  };
  // A slot holds a name's hash in its high half and its entry number + 1 in
  // the low half (0: empty), so that probing touches only this array.
  using Slot = std::uint64_t;

  static std::size_t PrefixOf(const char* text) {
    auto first = static_cast<unsigned char>(text[0]);
    auto second = first == 0 ? 0u : static_cast<unsigned char>(text[1]);
    return (first << 8) | second;
  }
  void Grow();
  void Place(Slot slot);

  std::vector<Slot> slots_;
  std::vector<Entry> entries_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
  std::bitset<65536> prefixes_;
};

}  // namespace mapwright

#endif
