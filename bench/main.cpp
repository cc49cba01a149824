// Benchmark entry. Runs every registered benchmark, then prints the ratio
// ours/OpenSSL for each pair of benchmarks named "<Operation>/ours" and
// "<Operation>/openssl" (CPU time per iteration), with "<Operation>/portable"
// (the portable path where a hardware path exists) beside them; then ours over
// "<Operation>/floor..." (a bare-instructions program) where one exists.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!median && (run.run_type != Run::RT_Iteration || run.iterations == 0)) {
        continue;
      }
      const std::string name = run.run_name.str();
      const std::size_t slash = name.rfind('/');
      if (slash == std::string::npos) {
        continue;
      }
      const std::string side = name.substr(slash + 1);
      if (side == "ours" || side == "openssl" || side == "portable" || side.rfind("floor", 0) == 0) {
        times_[name.substr(0, slash)][side] = run.GetAdjustedCPUTime();
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-30s %12s %12s %8s %12s %8s\n", "operation", "ours", "openssl", "ratio",
                "portable", "ratio");
    for (const auto& [operation, sides] : times_) {
      const auto ours = sides.find("ours");
      const auto theirs = sides.find("openssl");
      if (ours == sides.end() || theirs == sides.end() || theirs->second <= 0) {
        continue;
      }
      std::printf("%-30s %12.1f %12.1f %7.2fx", operation.c_str(), ours->second, theirs->second,
                  ours->second / theirs->second);
      const auto portable = sides.find("portable");
      if (portable != sides.end()) {
        std::printf(" %12.1f %7.2fx", portable->second, portable->second / theirs->second);
      }
      std::printf("\n");
    }
    std::printf("(CPU time in the unit of each benchmark; ratio = time / OpenSSL's)\n");
    for (const auto& [operation, sides] : times_) {
      const auto ours = sides.find("ours");
      for (const auto& [side, time] : sides) {
        if (ours != sides.end() && side.rfind("floor", 0) == 0 && time > 0) {
          std::printf("%-30s ours %.1f / %s %.1f = %.2fx\n", operation.c_str(), ours->second,
                      side.c_str(), time, ours->second / time);
        }
      }
    }
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
