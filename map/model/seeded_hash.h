// Hashing for tables that maps and scripts fill: keyed per table with a seed
// nobody knows ahead of the call, so that no crafted set of texts can pile up
// on one probe chain.
#ifndef MAPWRIGHT_MAP_MODEL_SEEDED_HASH_H
#define MAPWRIGHT_MAP_MODEL_SEEDED_HASH_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mapwright {

// Spreads every bit of x over the whole word.
inline std::uint64_t MixBits(std::uint64_t x) {
  x ^= x >> 31;
  x *= 0xd6e8feb86659fd93ull;
  x ^= x >> 32;
  x *= 0xd6e8feb86659fd93ull;
  return x ^ (x >> 32);
}

// A different seed for every call, unknown ahead of it: the clock, where the
// process's stack and owner lie (both laid out at random on every start),
// and a count of seeds made.
std::uint64_t NewSeed(const void* owner);

// A keyed hash of texts (SipHash with one compression and three finishing
// rounds): a 128-bit key, and no known way to find texts that share a hash
// without it.
class SeededHash {
 public:
  explicit SeededHash(const void* owner) : key0_(NewSeed(owner)), key1_(NewSeed(this)) {}
  std::size_t operator()(std::string_view text) const;

 private:
  std::uint64_t key0_;
  std::uint64_t key1_;
};

}  // namespace mapwright

#endif
