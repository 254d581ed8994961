#include <benchmark/benchmark.h>

#include "bench_maps.h"
#include "map/read/map_parser.h"

namespace mapwright::bench {
namespace {

void BM_Parse(benchmark::State& state) {
  const std::string& text = MapOfMegabytes(static_cast<int>(state.range(0)));
  MapDocument document;
  for (auto _ : state) {
    ParseMap(document, text.c_str(), nullptr);
    benchmark::DoNotOptimize(document.EntityCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["entities"] = static_cast<double>(document.EntityCount());
}
BENCHMARK(BM_Parse)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mapwright::bench
