#include <benchmark/benchmark.h>

#include "bench_maps.h"
#include "map/edit/rename.h"
#include "map/read/map_parser.h"

namespace mapwright::bench {
namespace {

// Renaming grows with the named entities: doubling them should at most
// double the time.
void BM_Rename(benchmark::State& state) {
  const std::string& text = MapOfNamedEntities(static_cast<int>(state.range(0)));
  MapDocument document;
  for (auto _ : state) {
    state.PauseTiming();
    ParseMap(document, text.c_str(), nullptr);
    state.ResumeTiming();
    if (!RenameEntities(document, "7")) state.SkipWithError("rename refused");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Rename)->Arg(5000)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mapwright::bench
