#include "map/model/seeded_hash.h"

#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>

namespace mapwright {

std::uint64_t NewSeed(const void* owner) {
  static std::atomic<std::uint64_t> seeds{0};
  int local = 0;
  auto now =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::uint64_t seed = now * 0x9e3779b97f4a7c15ull;
  seed ^=
      static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&local)) * 0xbf58476d1ce4e5b9ull;
  seed ^=
      static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(owner)) * 0x94d049bb133111ebull;
  return MixBits(seed ^ ++seeds);
}

namespace {

struct SipState {
  std::uint64_t v0, v1, v2, v3;
  void Round() {
    v0 += v1;
    v1 = std::rotl(v1, 13) ^ v0;
    v0 = std::rotl(v0, 32);
    v2 += v3;
    v3 = std::rotl(v3, 16) ^ v2;
    v0 += v3;
    v3 = std::rotl(v3, 21) ^ v0;
    v2 += v1;
    v1 = std::rotl(v1, 17) ^ v2;
    v2 = std::rotl(v2, 32);
  }
  void Compress(std::uint64_t word) {
    v3 ^= word;
    Round();
    v0 ^= word;
  }
};

std::uint64_t LittleEndianWord(const char* bytes, std::size_t count) {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < count; ++i) {
    word |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return word;
}

}  // namespace

std::size_t SeededHash::operator()(std::string_view text) const {
  SipState s{key0_ ^ 0x736f6d6570736575ull, key1_ ^ 0x646f72616e646f6dull,
             key0_ ^ 0x6c7967656e657261ull, key1_ ^ 0x7465646279746573ull};
  const char* p = text.data();
  std::size_t left = text.size();
  for (; left >= 8; p += 8, left -= 8) s.Compress(LittleEndianWord(p, 8));
  s.Compress(LittleEndianWord(p, left) | (static_cast<std::uint64_t>(text.size()) << 56));
  s.v2 ^= 0xff;
  s.Round();
  s.Round();
  s.Round();
  return static_cast<std::size_t>(s.v0 ^ s.v1 ^ s.v2 ^ s.v3);
}

}  // namespace mapwright
