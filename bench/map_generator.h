// Generates VMF map text of a realistic shape, deterministic from a seed:
// editor blocks, a world of six-sided solids (some with displacements, some
// hidden), point entities with 10 to 25 keys, brush entities with solids,
// about a third of the entities named, outputs aimed at named entities.
#ifndef MAPWRIGHT_BENCH_MAP_GENERATOR_H
#define MAPWRIGHT_BENCH_MAP_GENERATOR_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace mapwright::bench {

struct MapShape {
  std::uint64_t seed = 1;
  std::size_t entities = 0;   // when non-zero: this many entities
  std::size_t sizeBytes = 0;  // otherwise: about this many bytes
  int solidsPerEntity = 1;    // world solids made for every entity
  int namedEveryNth = 3;      // every n-th entity has a targetname
  bool crlf = false;
};

std::string GenerateMap(const MapShape& shape);

}  // namespace mapwright::bench

#endif
