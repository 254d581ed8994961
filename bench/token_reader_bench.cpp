#include <benchmark/benchmark.h>

#include "bench_maps.h"
#include "tokenizer/token_reader.h"

namespace mapwright::bench {
namespace {

void BM_TokenReader(benchmark::State& state) {
  const std::string& text = MapOfMegabytes(static_cast<int>(state.range(0)));
  char buffer[1024];
  for (auto _ : state) {
    InPlaceTokenReader reader(text.c_str());
    std::size_t tokens = 0;
    while (reader.ReadToken(buffer, 1023) != TOKEN_EOF) ++tokens;
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TokenReader)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mapwright::bench
