// Baseline: the 11-word utilities, so the benchmark binary always has a case.
#include <benchmark/benchmark.h>

#include "ecc/words.h"

namespace {

void wordsCompareBench(benchmark::State& state) {
  otawrap::Words a{};
  otawrap::Words b{};
  a[0] = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(otawrap::wordsCompare(a, b));
  }
}
BENCHMARK(wordsCompareBench);

}  // namespace
