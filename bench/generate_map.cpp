// mapwright-genmap: writes a generated map to standard output or a file.
//   mapwright-genmap (--size-mb N | --entities N) [--seed S] [--crlf] [--out FILE]
//   mapwright-genmap --named-pairs N (--ordinary | --colliding) [--out FILE]
//   mapwright-genmap --keys N (--ordinary | --colliding) [--out FILE]
// The second form writes N entities, each named and with one output to the
// next one's name: names of the form name_<i>_xxx..., or names of the same
// length that all share one unseeded 32-bit FNV-1a hash. The third writes N
// distinct 16-byte keys, 50 to an entity: ordinary ones, or keys that all
// share one hash of the C++ library's own string hash (std::hash), as an
// unseeded table of keys would use it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "colliding_names.h"
#include "map_generator.h"

namespace {

std::string NamedPairs(std::size_t count, bool colliding) {
  std::vector<std::string> names;
  if (colliding) {
    int blocks = 0;
    while ((std::size_t{1} << blocks) < count) ++blocks;
    names = mapwright::testing::CollidingNames(blocks);
  } else {
    // As long as the crafted names, so that only the hashing differs.
    int blocks = 0;
    while ((std::size_t{1} << blocks) < count) ++blocks;
    for (std::size_t i = 0; i < count; ++i) {
      std::string name = "name_" + std::to_string(i) + "_";
      name.resize(static_cast<std::size_t>(blocks) * 4, 'x');
      names.push_back(name);
    }
  }
  names.resize(count);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += "entity\n{\n\t\"id\" \"" + std::to_string(i + 1) +
            "\"\n\t\"classname\" \"info_target\"\n\t\"targetname\" \"" + names[i] +
            "\"\n\tconnections\n\t{\n\t\t\"OnUser1\" \"" + names[(i + 1) % count] +
            ",Trigger,,0,-1\"\n\t}\n}\n";
  }
  return text;
}

// The 64-bit string hash of the C++ library: eight-byte blocks mixed into a
// state by an invertible step, so that for any first block a second block
// can be found that brings the state to any value.
constexpr std::uint64_t kMul = (std::uint64_t{0xc6a4a793} << 32) + 0x5bd1e995;
constexpr std::uint64_t kLibrarySeed = 0xc70f6907;

std::uint64_t Inverse(std::uint64_t odd) {
  std::uint64_t x = odd;  // Newton's iteration: each step doubles the bits that are right
  for (int i = 0; i < 6; ++i) x *= 2 - odd * x;
  return x;
}
std::uint64_t ShiftMix(std::uint64_t v) {
  return v ^ (v >> 47);  // its own inverse
}

std::string CollidingKey(std::uint64_t first, std::uint64_t state) {
  std::uint64_t h = (kLibrarySeed ^ (16 * kMul));
  h = (h ^ (ShiftMix(first * kMul) * kMul)) * kMul;
  std::uint64_t block = (state * Inverse(kMul)) ^ h;  // the mixed second block needed
  std::uint64_t second = ShiftMix(block * Inverse(kMul)) * Inverse(kMul);
  std::string key(16, '\0');
  std::memcpy(key.data(), &first, 8);
  std::memcpy(key.data() + 8, &second, 8);
  return key;
}

std::string KeyedPairs(std::size_t count, bool colliding) {
  std::vector<std::string> keys;
  const std::uint64_t state = 0x0123456789abcdefull;
  for (std::uint64_t n = 0; keys.size() < count; ++n) {
    char first[9];
    std::snprintf(first, sizeof first, "k%07llu", static_cast<unsigned long long>(n % 10000000));
    std::string key;
    if (colliding) {
      std::uint64_t block;
      std::memcpy(&block, first, 8);
      key = CollidingKey(block, state);
      // Only keys a map can hold on one line.
      bool fits = true;
      for (unsigned char c : key) fits = fits && c >= 0x20 && c != '"' && c != 0x7f;
      if (!fits) continue;
    } else {
      key = std::string(first, 8) + "_ordinary";
      key.resize(16, 'x');
    }
    keys.push_back(key);
  }
  if (colliding) {
    std::size_t hash = std::hash<std::string_view>{}(keys[0]);
    for (const std::string& key : keys) {
      if (std::hash<std::string_view>{}(key) != hash) {
        std::fprintf(stderr,
                     "mapwright-genmap: this library's string hash differs: keys do not collide\n");
        break;
      }
    }
  }
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i % 50 == 0) text += "entity\n{\n\t\"classname\" \"info_target\"\n";
    text += "\t\"" + keys[i] + "\" \"1\"\n";
    if (i % 50 == 49 || i + 1 == count) text += "}\n";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  mapwright::bench::MapShape shape;
  const char* outPath = nullptr;
  std::size_t namedPairs = 0;
  std::size_t keyCount = 0;
  bool colliding = false;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    bool hasValue = i + 1 < argc;
    if (flag == "--size-mb" && hasValue) {
      shape.sizeBytes = static_cast<std::size_t>(std::atof(argv[++i]) * 1024 * 1024);
    } else if (flag == "--entities" && hasValue) {
      shape.entities = std::strtoull(argv[++i], nullptr, 10);
    } else if (flag == "--seed" && hasValue) {
      shape.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (flag == "--solids-per-entity" && hasValue) {
      shape.solidsPerEntity = std::atoi(argv[++i]);
    } else if (flag == "--named-pairs" && hasValue) {
      namedPairs = std::strtoull(argv[++i], nullptr, 10);
    } else if (flag == "--keys" && hasValue) {
      keyCount = std::strtoull(argv[++i], nullptr, 10);
    } else if (flag == "--colliding" || flag == "--ordinary") {
      colliding = flag == "--colliding";
    } else if (flag == "--crlf") {
      shape.crlf = true;
    } else if (flag == "--out" && hasValue) {
      outPath = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: mapwright-genmap (--size-mb N | --entities N) [--seed S] "
                   "[--solids-per-entity N] [--crlf] [--out FILE]\n");
      return 2;
    }
  }
  if (shape.sizeBytes == 0 && shape.entities == 0) shape.sizeBytes = 1024 * 1024;
  std::string text = namedPairs > 0 ? NamedPairs(namedPairs, colliding)
                     : keyCount > 0 ? KeyedPairs(keyCount, colliding)
                                    : mapwright::bench::GenerateMap(shape);
  std::FILE* out = outPath != nullptr ? std::fopen(outPath, "wb") : stdout;
  if (out == nullptr) {
    std::perror(outPath);
    return 1;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (outPath != nullptr) ok = std::fclose(out) == 0 && ok;
  return ok ? 0 : 1;
}
