// The batch's progress line driven by a fake clock and a fake terminal.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/batch.h"

namespace otawrap {
namespace {

// One step of a batch: the clock then reads now; done files of total.
struct Step {
  std::uint64_t now;
  std::size_t done;
  std::string before;  // what beforeFile gives first (not called for "-")
  std::string after;   // what afterFile gives
};

std::string blank(std::size_t width) { return "\r" + std::string(width, ' ') + "\r"; }

// What each step writes to the terminal: the line only once the batch has
// run a second, cleared before the next file, redrawn after it.
TEST(BatchProgress, DrawsAfterASecondAndClearsBeforeEachFile) {
  const struct {
    const char* name;
    bool terminal;
    std::uint64_t start;  // the clock when the batch begins
    std::size_t total;
    std::vector<Step> steps;
    std::string end;
  } cases[] = {
      {"quick batch", true, 0, 3, {{10, 1, "", ""}, {500, 2, "", ""}, {999, 3, "", ""}}, ""},
      {"slow batch",
       true,
       5000,
       340,
       {{5400, 11, "", ""},
        {5999, 12, "", ""},
        {6000, 13, "", "\rotawrap: 13/340 files"},
        {6001, 14, blank(21), "\rotawrap: 14/340 files"},
        {9000, 15, blank(21), "\rotawrap: 15/340 files"}},
       blank(21)},
      {"redrawn in place", true, 0, 10,
       {{5000, 9, "", "\rotawrap: 9/10 files"}, {5001, 10, "-", "\rotawrap: 10/10 files"}},
       blank(20)},
      {"not a terminal", false, 0, 340, {{1000, 12, "", ""}, {60000, 13, "", ""}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint64_t now = c.start;
    BatchProgress progress(c.terminal, [&now] { return now; });
    for (const Step& step : c.steps) {
      now = step.now;
      if (step.before != "-") {
        EXPECT_EQ(progress.beforeFile(), step.before) << step.done;
      }
      EXPECT_EQ(progress.afterFile(step.done, c.total), step.after) << step.done;
    }
    EXPECT_EQ(progress.end(), c.end);
    EXPECT_EQ(progress.end(), "") << "cleared once";
  }
}

}  // namespace
}  // namespace otawrap
