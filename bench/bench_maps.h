// Generated maps shared by the micro-benchmarks, made once per process.
#ifndef MAPWRIGHT_BENCH_BENCH_MAPS_H
#define MAPWRIGHT_BENCH_BENCH_MAPS_H

#include <map>
#include <string>

#include "map_generator.h"

namespace mapwright::bench {

// A map of about that many megabytes, seed 1.
inline const std::string& MapOfMegabytes(int megabytes) {
  static std::map<int, std::string> maps;
  std::string& text = maps[megabytes];
  if (text.empty()) {
    MapShape shape;
    shape.sizeBytes = static_cast<std::size_t>(megabytes) * 1024 * 1024;
    text = GenerateMap(shape);
  }
  return text;
}

// A map whose every entity is named, with no world solids.
inline const std::string& MapOfNamedEntities(int entities) {
  static std::map<int, std::string> maps;
  std::string& text = maps[entities];
  if (text.empty()) {
    MapShape shape;
    shape.entities = static_cast<std::size_t>(entities);
    shape.solidsPerEntity = 0;
    shape.namedEveryNth = 1;
    text = GenerateMap(shape);
  }
  return text;
}

}  // namespace mapwright::bench

#endif
