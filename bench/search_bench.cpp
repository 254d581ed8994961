#include <benchmark/benchmark.h>

#include "bench_maps.h"
#include "map/read/map_parser.h"

namespace mapwright::bench {
namespace {

// The searches scan the entity list; each looks for something that is last
// in it, or absent.
class Searches : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    if (document.EntityCount() == 0) ParseMap(document, MapOfNamedEntities(20000).c_str(), nullptr);
  }
  MapDocument document;
};

BENCHMARK_F(Searches, FindByName)(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(document.FindByName("no_such_name"));
}
BENCHMARK_F(Searches, FindByClass)(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(document.FindByClass("no_such_class"));
}
BENCHMARK_F(Searches, FindByID)(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(document.FindByID(-5));
}

}  // namespace
}  // namespace mapwright::bench
