#include <benchmark/benchmark.h>

#include "fake_host.h"

namespace mapwright::bench {
namespace {

using testing::FakeHost;
using testing::FakeValue;

// The cost a script pays per method call on top of the work itself: argument
// reading, object lookup and pushing results, through the recording fake.
void BM_EntityKeyCall(benchmark::State& state) {
  FakeHost host;
  host.Table("Mapwright");
  gmod_open(&host);
  FakeValue document = host.Invoke(host.Member("Mapwright", "VMF")).at(0);
  host.Invoke(host.Method("VMF", "Parse"),
              {document, FakeValue::String("entity\n{\n\"classname\" \"light\"\n}\n")});
  FakeValue entity =
      host.Invoke(host.Method("VMF", "Entity"), {document, FakeValue::Number(0)}).at(0);
  NativeFunction key = host.Method("VMFEntity", "Key");
  std::vector<FakeValue> args = {entity, FakeValue::Number(0)};
  for (auto _ : state) {
    host.log.clear();
    benchmark::DoNotOptimize(host.Invoke(key, args));
  }
  host.Invoke(host.Method("VMF", "__gc"), {document});
  gmod_close();
}
BENCHMARK(BM_EntityKeyCall);

}  // namespace
}  // namespace mapwright::bench
