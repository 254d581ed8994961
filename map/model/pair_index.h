// Where the pairs of a long list stand by key, ASCII case aside: setting a
// key on an entity or world that holds thousands of pairs finds its pairs
// without reading them all.
#ifndef MAPWRIGHT_MAP_MODEL_PAIR_INDEX_H
#define MAPWRIGHT_MAP_MODEL_PAIR_INDEX_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "map/model/open_table.h"
#include "map/model/seeded_hash.h"

namespace mapwright {

class PairIndex {
 public:
  // Lists shorter than this are read whole instead.
  static constexpr std::size_t kLongList = 32;
  static constexpr std::uint32_t kNone = 0xffffffffu;

  PairIndex() : hash_(this) {}

  // The pairs with one key: the first, and each one's next in next().
  struct Chain {
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
  };
  // The chain of key: empty when there is none, and then the place to add
  // the first. Valid until the next call.
  Chain& Of(std::string_view key);
  std::uint32_t Next(std::uint32_t position) const { return next_[position]; }
  // Adds the pair at position, after every other, to chain.
  void Append(Chain& chain, std::size_t position);
  void Add(std::string_view key, std::size_t position) { Append(Of(key), position); }

 private:
  // A key's chain, by the key folded.
  struct Slot {
    std::uint32_t hash = 0;  // the key's hash, its low bits
    std::uint32_t at = 0;    // the folded key in keys_
    std::uint32_t size = 0;  // its length and 1; 0 when the slot is unused
    Chain chain;
  };

  SeededHash hash_;
  OpenTable<Slot> slots_;
  std::string keys_;                 // every folded key, one after another
  std::string folded_;               // the key asked for, folded
  std::vector<std::uint32_t> next_;  // by position
};

}  // namespace mapwright

#endif
