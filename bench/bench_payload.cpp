// The payload checks' worst cases under the work budget: what `info` does to
// a file (otaFileRead, then otaPayloadVerdicts), on 64 MiB files (the largest
// an OTA file may be) built to cost the most per input byte, and on the
// issue's eight-stream file. Each must stay under 2 s of CPU; the figures are
// in docs/performance.md. Run:
//   cmake --build build/release --target otawrap_bench
//   build/release/bench/otawrap_bench --benchmark_filter='payload/'
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ota/ota_file_builder.h"
#include "ota/payload_verdicts.h"
#include "ota/reader.h"
#include "support/payload_generator.h"

namespace {

using otawrap::test::Bytes;

constexpr std::size_t kLargest = std::size_t{64} << 20;
// What a file of one upgrade image may hold: the header and the element head.
constexpr std::size_t kLargestPayload = kLargest - 56 - 6;

Bytes randomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes out(count);
  for (std::uint8_t& b : out) b = static_cast<std::uint8_t>(random());
  return out;
}

Bytes withMagic(Bytes bytes, std::size_t at, const Bytes& magic) {
  std::copy(magic.begin(), magic.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return bytes;
}

// As many copies of one stream as fit in a 64 MiB file.
Bytes repeatedImages(const Bytes& stream, std::size_t copies) {
  std::vector<otawrap::test::BuiltSubElement> elements(copies, {0x0000, stream});
  return otawrap::test::builtOtaFile(elements);
}

const std::map<std::string, std::function<Bytes()>>& cases() {
  static const std::map<std::string, std::function<Bytes()>> made = {
      // 10 bits a block: the fixed-code tables were once built for each.
      {"empty-fixed-blocks",
       [] {
         return otawrap::test::builtOtaFile(
             {{0x0000, otawrap::test::makeZlibEmptyBlocks(kLargestPayload * 8 / 10 - 8)}});
       }},
      // 58 bits a block, each with code tables to build.
      {"dynamic-blocks",
       [] {
         return otawrap::test::builtOtaFile(
             {{0x0000, otawrap::test::makeZlibDynamicBlocks(kLargestPayload * 8 / 58 - 2)}});
       }},
      // Streams of 258-byte copies, 246 MiB inflated each (under the stream cap).
      {"inflating-streams",
       [] {
         const Bytes stream = otawrap::test::makeZlibRun(1000000);
         return repeatedImages(stream, kLargest / (stream.size() + 6) - 1);
       }},
      // Eight streams in a small file: only the budget's floor to spend.
      {"eight-streams-small-file",
       [] { return repeatedImages(otawrap::test::makeZlibRun(100000), 8); }},
      // No format: the trailer probes hash it all (CRC-32 and SHA-256).
      {"unknown", [] { return otawrap::test::builtOtaFile({{0x0000, randomBytes(kLargestPayload, 1)}}); }},
      // A CRC-32 residue looked for at every byte, found nowhere.
      {"fb05-no-residue",
       [] {
         return otawrap::test::builtOtaFile(
             {{0x0000, withMagic(randomBytes(kLargestPayload, 2), 0, {0xFB, 0x05, 0x00, 0x06})}});
       }},
      // An xz footer looked for at every fourth byte, found nowhere.
      {"xz-no-footer",
       [] {
         return otawrap::test::builtOtaFile({{0x0000, withMagic(randomBytes(kLargestPayload, 3), 0,
                                                                {0xFD, '7', 'z', 'X', 'Z', 0x00})}});
       }},
      // A nested OTA-style header around an opaque body: read, then probed for trailers.
      {"nested-vendor-layout",
       [] {
         Bytes payload = randomBytes(kLargestPayload, 4);
         Bytes header = otawrap::test::builtOtaFile({});
         otawrap::test::putLe(header, 52, kLargestPayload - 8, 4);
         std::copy(header.begin(), header.end(), payload.begin() + 8);
         return otawrap::test::builtOtaFile({{0x0000, payload}});
       }},
  };
  return made;
}

void payloadWorstCase(benchmark::State& state, const std::string& name) {
  static std::map<std::string, Bytes> built;
  Bytes& file = built[name];
  if (file.empty()) file = cases().at(name)();
  for (auto _ : state) {
    const otawrap::OtaFileInfo info = otawrap::otaFileRead(file.data(), file.size());
    const auto verdicts = otawrap::otaPayloadVerdicts(file.data(), info);
    benchmark::DoNotOptimize(verdicts.data());
  }
  state.SetLabel(std::to_string(file.size() >> 10) + " KiB");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

const bool kRegistered = [] {
  for (const auto& [name, make] : cases()) {
    static_cast<void>(make);
    benchmark::RegisterBenchmark(("payload/" + name).c_str(),
                                 [name = name](benchmark::State& state) { payloadWorstCase(state, name); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
  }
  return true;
}();

}  // namespace
