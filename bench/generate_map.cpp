// mapwright-genmap: writes a generated map to standard output or a file.
//   mapwright-genmap (--size-mb N | --entities N) [--seed S] [--crlf] [--out FILE]
//   mapwright-genmap --named-pairs N (--ordinary | --colliding) [--out FILE]
// The second form writes N entities, each named and with one output to the
// next one's name: names of the form name_<i>_xxx..., or names of the same
// length that all share one unseeded 32-bit FNV-1a hash.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

}  // namespace

int main(int argc, char** argv) {
  mapwright::bench::MapShape shape;
  const char* outPath = nullptr;
  std::size_t namedPairs = 0;
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
  std::string text =
      namedPairs > 0 ? NamedPairs(namedPairs, colliding) : mapwright::bench::GenerateMap(shape);
  std::FILE* out = outPath != nullptr ? std::fopen(outPath, "wb") : stdout;
  if (out == nullptr) {
    std::perror(outPath);
    return 1;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (outPath != nullptr) ok = std::fclose(out) == 0 && ok;
  return ok ? 0 : 1;
}
