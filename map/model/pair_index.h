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

  PairIndex() : positions_(0, SeededHash(this)) {}
  void Add(std::string_view key, std::size_t position) {
    Positions(key).push_back(Narrow(position));
  }
  // The positions of the pairs with that key, in order: empty when there is
  // none, and then the place to add the first.
  std::vector<std::uint32_t>& Positions(std::string_view key);
  static std::uint32_t Narrow(std::size_t position) { return static_cast<std::uint32_t>(position); }

 private:
  static std::string Folded(std::string_view key);
  std::unordered_map<std::string, std::vector<std::uint32_t>, SeededHash> positions_;
};

}  // namespace mapwright

#endif
