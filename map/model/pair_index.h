// Where the pairs of a long list stand by key, ASCII case aside: setting a
// key on an entity or world that holds thousands of pairs finds its pairs
// without reading them all.
#ifndef MAPWRIGHT_MAP_MODEL_PAIR_INDEX_H
#define MAPWRIGHT_MAP_MODEL_PAIR_INDEX_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "map/model/seeded_hash.h"

namespace mapwright {

class PairIndex {
 public:
  // Lists shorter than this are read whole instead.
  static constexpr std::size_t kLongList = 32;
  static constexpr std::uint32_t kNone = 0xffffffffu;

  PairIndex() : firsts_(0, SeededHash(this)) {}

  // The pairs with one key: the first, and each one's next in next().
  struct Chain {
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
  };
  // The chain of key: empty when there is none, and then the place to add
  // the first.
  Chain& Of(std::string_view key);
  std::uint32_t Next(std::uint32_t position) const { return next_[position]; }
  // Adds the pair at position, after every other, to chain.
  void Append(Chain& chain, std::size_t position);
  void Add(std::string_view key, std::size_t position) { Append(Of(key), position); }

 private:
  static std::string Folded(std::string_view key);
  std::unordered_map<std::string, Chain, SeededHash> firsts_;
  std::vector<std::uint32_t> next_;  // by position
};

}  // namespace mapwright

#endif
