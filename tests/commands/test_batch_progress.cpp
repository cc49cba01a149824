// The batch's progress line driven by a fake clock and a fake terminal, and
// the summary line's words.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "commands/batch.h"

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
    std::size_t total;
    std::vector<Step> steps;
    std::string end;
  } cases[] = {
      {"quick batch", true, 3, {{10, 1, "", ""}, {500, 2, "", ""}, {999, 3, "", ""}}, ""},
      {"slow batch",
       true,
       340,
       {{400, 11, "", ""},
        {1000, 12, "", "\rotawrap: 12/340 files"},
        {1001, 13, blank(21), "\rotawrap: 13/340 files"},
        {9000, 14, blank(21), "\rotawrap: 14/340 files"}},
       blank(21)},
      {"redrawn in place", true, 10,
       {{5000, 9, "", "\rotawrap: 9/10 files"}, {5001, 10, "-", "\rotawrap: 10/10 files"}},
       blank(20)},
      {"not a terminal", false, 340, {{1000, 12, "", ""}, {60000, 13, "", ""}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint64_t now = 0;
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

TEST(BatchProgress, ClockCountsFromTheStartOfTheBatch) {
  std::uint64_t now = 5000;  // a clock that started long before the batch
  BatchProgress progress(true, [&now] { return now; });
  now = 5999;
  EXPECT_EQ(progress.afterFile(1, 2), "");
  now = 6000;
  EXPECT_EQ(progress.afterFile(2, 2), "\rotawrap: 2/2 files");
}

TEST(BatchSummary, WordsPerKindOfBatch) {
  const struct {
    BatchTally tally;
    BatchWords words;
    const char* text;
  } cases[] = {
      {{1, 1, 1, kExitError}, kCheckWords, "3 files: 1 passed, 1 failed, 1 unreadable"},
      {{1, 0, 0, kExitSuccess}, kCheckWords, "1 file: 1 passed, 0 failed, 0 unreadable"},
      {{2, 0, 1, kExitError}, kWriteWords, "3 files: 2 written, 1 failed"},
      {{0, 0, 2, kExitError}, kWriteWords, "2 files: 0 written, 2 failed"},
  };
  for (const auto& c : cases) EXPECT_EQ(batchSummaryText(c.tally, c.words), c.text);
  BatchTally tally;
  for (const int code : {kExitSuccess, kExitError, kExitCheckFailed, kExitSuccess}) {
    tally.add(code);
  }
  EXPECT_EQ(batchSummaryText(tally), "4 files: 2 passed, 1 failed, 1 unreadable");
  EXPECT_EQ(tally.worst, kExitError);
}

}  // namespace
}  // namespace otawrap
