// Whole conversions of a generated raw file of about 500 KiB: from memory
// (reader, assembly, CRC, header; no file access), from a file on disk, and the
// complete in-process run including the output write.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "entry/dispatch.h"
#include "app/convert_run.h"
#include "support/raw_file_generator.h"

namespace {

using otawrap::RunContext;

const std::vector<std::uint8_t>& rawFile() {
  static const std::vector<std::uint8_t> bytes = [] {
    otawrap::test::RawGeneratorOptions options;
    options.seed = 500;
    options.dataBytes = 470 * 1024;
    options.trailingRecords = false;
    return otawrap::test::rawFileBytes(otawrap::test::generateRawFile(options));
  }();
  return bytes;
}

// A scratch directory holding the raw file, shared by the file benchmarks.
const std::filesystem::path& scratch() {
  static const std::filesystem::path dir = [] {
    auto path = std::filesystem::temp_directory_path() / "otawrap-bench";
    std::filesystem::create_directories(path);
    otawrap::test::writeFileBytes((path / "in.raw").string(), rawFile());
    return path;
  }();
  return dir;
}

std::unique_ptr<RunContext> freshContext() {
  auto context = std::make_unique<RunContext>();
  otawrap::otaHeaderDefaults(context->header);
  return context;
}

void convertInMemory(benchmark::State& state) {
  const auto& raw = rawFile();
  otawrap::RunSettings settings;
  settings.platform = static_cast<otawrap::Platform>(state.range(0));
  for (auto _ : state) {
    auto context = freshContext();
    otawrap::MemorySource source(raw.data(), raw.size());
    otawrap::Problem problem{otawrap::Failure::usage, "", "", 0};
    if (!otawrap::runBuildFile(settings, *context, &source, problem)) {
      state.SkipWithError(otawrap::legacyMessage(problem).c_str());
      break;
    }
    benchmark::DoNotOptimize(context->image.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
  state.counters["raw_bytes"] = static_cast<double>(raw.size());
}
BENCHMARK(convertInMemory)->Name("convert/memory")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void convertFromFile(benchmark::State& state) {
  const std::string input = (scratch() / "in.raw").string();
  const otawrap::RunSettings settings;
  for (auto _ : state) {
    auto context = freshContext();
    otawrap::FileSource source;
    otawrap::Problem problem{otawrap::Failure::usage, "", "", 0};
    if (!source.open(input.c_str()) || !otawrap::runBuildFile(settings, *context, &source, problem)) {
      state.SkipWithError("conversion failed");
      break;
    }
    benchmark::DoNotOptimize(context->image.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rawFile().size()));
}
BENCHMARK(convertFromFile)->Name("convert/file")->Unit(benchmark::kMicrosecond);

void convertWholeRun(benchmark::State& state) {
  const std::string input = (scratch() / "in.raw").string();
  const std::string output = "-o" + (scratch() / "out").string();
  std::filesystem::create_directories(scratch() / "out");
  const char* argv[] = {"otawrap", input.c_str(), output.c_str()};
  for (auto _ : state) {
    otawrap::StringOutputStream out;
    otawrap::StringOutputStream err;
    if (otawrap::runOtawrap(3, argv, out, err) != 0) {
      state.SkipWithError(out.str().c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rawFile().size()));
}
BENCHMARK(convertWholeRun)->Name("convert/file+write")->Unit(benchmark::kMicrosecond);

}  // namespace
