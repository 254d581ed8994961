// Names that all share one unseeded 32-bit FNV-1a hash: the input that makes
// a table built on that hash quadratic. Made block by block: from the hash
// reached so far, two different 4-byte blocks that lead to the same hash are
// found (a birthday search), so every choice of one block of each pair gives
// the same hash.
#ifndef MAPWRIGHT_TESTS_COLLIDING_NAMES_H
#define MAPWRIGHT_TESTS_COLLIDING_NAMES_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mapwright::testing {

inline std::uint32_t Fnv1a(std::uint32_t hash, const std::string& bytes) {
  for (unsigned char c : bytes) hash = (hash ^ c) * 16777619u;
  return hash;
}

// 2^blocks names of 4 * blocks bytes each.
inline std::vector<std::string> CollidingNames(int blocks) {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<std::pair<std::string, std::string>> pairs;
  std::uint32_t state = 2166136261u;
  std::uint64_t counter = 0;
  while (static_cast<int>(pairs.size()) < blocks) {
    std::unordered_map<std::uint32_t, std::string> seen;
    for (;;) {
      std::string block(4, 'a');
      std::uint64_t n = counter++;
      for (char& c : block) {
        c = kAlphabet[n % 36];
        n /= 36;
      }
      std::uint32_t next = Fnv1a(state, block);
      auto [found, fresh] = seen.emplace(next, block);
      if (!fresh && found->second != block) {
        pairs.emplace_back(found->second, block);
        state = next;
        break;
      }
    }
  }
  std::vector<std::string> names{""};
  for (const auto& [a, b] : pairs) {
    std::vector<std::string> longer;
    longer.reserve(names.size() * 2);
    for (const std::string& name : names) {
      longer.push_back(name + a);
      longer.push_back(name + b);
    }
    names = std::move(longer);
  }
  return names;
}

}  // namespace mapwright::testing

#endif
