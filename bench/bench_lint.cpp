// lint of a 50,000-entry index (about 15 MB, under the 16 MiB reader limit),
// text to findings as the command runs it: the reader handing each element to
// the decoder, then the findings between entries.
//   Lint50k/sameImage: one image type, one version per entry, no filters (each
//     entry shadowed by the first: the case that once was quadratic).
//   Lint50k/allFiltersDiffer: one image type, each entry its own modelId, so
//     every pair must be tested: the pair budget bounds it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalog/index_entry.h"
#include "catalog/json_reader.h"
#include "catalog/index_lint.h"

namespace {

constexpr int kEntries = 50000;

std::string indexText(bool modelPerEntry) {
  std::string text = "[";
  for (int i = 0; i < kEntries; ++i) {
    const std::string n = std::to_string(i);
    if (i > 0) text += ",";
    text.append(R"({"fileName":"i)").append(n).append(R"(.ota","fileVersion":)");
    text.append(std::to_string(i + 1)).append(R"(,"fileSize":123456,"url":"https://example.com/ota/i)");
    text.append(n).append(R"(.ota","imageType":66,"manufacturerCode":4107,"sha512":")");
    text.append(128 - n.size(), 'a').append(n).append("\"");
    if (modelPerEntry) text.append(R"(,"modelId":"model )").append(n).append("\"");
    text += "}";
  }
  return text + "]";
}

void lintBench(benchmark::State& state, bool modelPerEntry) {
  const std::string text = indexText(modelPerEntry);
  std::size_t findings = 0;
  std::size_t uncompared = 0;
  for (auto _ : state) {
    std::vector<otawrap::IndexEntry> entries;
    otawrap::IndexEntryDecoder decoder(entries);
    otawrap::JsonValue root;
    if (otawrap::jsonParse(text.data(), text.size(), root, otawrap::JsonLimits{}, &decoder).status !=
        otawrap::JsonStatus::ok) {
      state.SkipWithError("index text does not parse");
      return;
    }
    const otawrap::LintReport report = otawrap::indexLint(entries, {}, decoder.format());
    findings = report.findings.size();
    uncompared = report.uncompared;
    benchmark::DoNotOptimize(findings);
  }
  state.counters["bytes"] = static_cast<double>(text.size());
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["uncompared"] = static_cast<double>(uncompared);
}

void lintSameImage(benchmark::State& state) { lintBench(state, false); }
void lintAllFiltersDiffer(benchmark::State& state) { lintBench(state, true); }
BENCHMARK(lintSameImage)->Name("Lint50k/sameImage")->Unit(benchmark::kMillisecond);
BENCHMARK(lintAllFiltersDiffer)->Name("Lint50k/allFiltersDiffer")->Unit(benchmark::kMillisecond);

}  // namespace
