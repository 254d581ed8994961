// The names of one renaming, as the engine matches them: ASCII letters
// without regard to case, every other byte as it is. An open-addressing hash
// set built for fast misses: a filter on the first two bytes of every name
// rejects most texts (numbers, vectors, flags) before any hashing, and the
// hash is seeded per table, so that no crafted set of names can pile up on
// one probe chain.
#ifndef MAPWRIGHT_MAP_MODEL_NAME_TABLE_H
#define MAPWRIGHT_MAP_MODEL_NAME_TABLE_H

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mapwright {

class NameTable {
 public:
  struct Entry {
    const char* name;  // as first inserted
    std::uint32_t length;
    // For the table's user: what the name became, shared by every text
    // spelled exactly like it.
    mutable const char* renamed = nullptr;
  };

  explicit NameTable(std::size_t expectedNames);

  void Insert(std::string_view name);
  // The entry a text matches, or null: a terminated text, or any.
  const Entry* Find(const char* text) const;
  const Entry* Find(std::string_view text) const;
  bool Empty() const { return count_ == 0; }
  // The most slots a lookup of a stored name walks: how well the hash
  // spreads the names, for its tests.
  std::size_t LongestProbe() const;

 private:
  // A slot holds a name's hash in its high half and its entry number + 1 in
  // the low half (0: empty), so that probing touches only this array.
  using Slot = std::uint64_t;

  static std::size_t PrefixOf(const char* text);
  std::uint32_t Hash(const char* text, std::size_t& length) const;
  std::uint32_t Hash(std::string_view text) const;
  const Entry* Probe(std::uint32_t hash, std::string_view text) const;
  void Grow();
  void Place(Slot slot);

  std::uint64_t seed_;
  std::vector<Slot> slots_;
  std::vector<Entry> entries_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
  std::bitset<65536> prefixes_;
};

// A byte as SameName compares it: ASCII capitals as small letters.
inline unsigned char FoldCase(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}
// Equal as the engine compares names: ASCII letters folded.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace mapwright

#endif
