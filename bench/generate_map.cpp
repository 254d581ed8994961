// mapwright-genmap: writes a generated map to standard output or a file.
//   mapwright-genmap (--size-mb N | --entities N) [--seed S] [--crlf] [--out FILE]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "map_generator.h"

int main(int argc, char** argv) {
  mapwright::bench::MapShape shape;
  const char* outPath = nullptr;
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
  std::string text = mapwright::bench::GenerateMap(shape);
  std::FILE* out = outPath != nullptr ? std::fopen(outPath, "wb") : stdout;
  if (out == nullptr) {
    std::perror(outPath);
    return 1;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (outPath != nullptr) ok = std::fclose(out) == 0 && ok;
  return ok ? 0 : 1;
}
