// The varied texts are the property tests' stand-in for an author's: their
// timetables must be plausible, so that a plausibility warning on them would
// be a check crying wolf.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "reading/warning_ids.h"
#include "testing/compilation_runs.h"
#include "testing/scenario_texts.h"

namespace scenario::testing {
namespace {

namespace w = warning_id;

TEST(VariedTextsTest, TimetablesArePlausible) {
  constexpr std::array kTimetable = {w::kTimesBackwards, w::kStopWithoutTime, w::kTimeWithoutStop};
  int stations = 0;
  for (uint64_t seed = 1; seed <= 60; ++seed) {
    const scenario_texts texts = varied_texts(seed, 20'000 + 1'000 * static_cast<int64_t>(seed));
    const reading_run run = read_texts(texts.line_description, texts.train_service);
    ASSERT_EQ(run.code(), 0) << "seed " << seed;
    for (const reader_warning& warning : run.outcome.warnings)
      EXPECT_EQ(std::find(kTimetable.begin(), kTimetable.end(), warning.id), kTimetable.end())
          << "seed " << seed << ", line " << warning.where.line << ": " << warning.message;
    for (size_t slot = 1; slot < 80 && !run.records.general_table[slot].text.empty(); ++slot)
      ++stations;
  }
  // The check looked at timetables, not at texts without stations.
  EXPECT_GT(stations, 100);
}

}  // namespace
}  // namespace scenario::testing
