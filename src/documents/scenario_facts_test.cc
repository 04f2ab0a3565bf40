#include "documents/scenario_facts.h"

#include <gtest/gtest.h>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"

namespace scenario {
namespace {

TEST(ScenarioFacts, TheBuiltInScenarioIsWhatItsTextsSay) {
  scenario_records r;
  r.line_id = "Milano_Lecco";
  r.train_code = "L5244";
  compile_scenario(r, 0, dati_linea(), dati_treno());
  const scenario_facts f = facts_of(r);
  ASSERT_EQ(f.stations.size(), 14u);
  EXPECT_EQ(f.stations[3].name, "MONZA");
  EXPECT_EQ(f.stations[3].position, 11400);
  EXPECT_EQ(f.stations[3].time_s, 38 * 60);
  EXPECT_EQ(f.stations[3].stop_time, 30);
  EXPECT_EQ(f.stations[11].time_s, 0);  // Vercurago, passed without a time
  EXPECT_EQ(f.stations[13].time_s, 3600 + 15 * 60);
  const std::vector<std::pair<int64_t, int32_t>> steps = {
      {0, 90}, {8000, 110}, {13000, 120}, {49100, 90}, {49800, 30}};
  std::vector<std::pair<int64_t, int32_t>> got;
  for (const speed_step& s : f.speed_steps) got.emplace_back(s.position, s.speed);
  EXPECT_EQ(got, steps);
  ASSERT_EQ(f.slowdowns.size(), 1u);
  EXPECT_EQ(f.slowdowns[0].start, 13200);
  EXPECT_EQ(f.slowdowns[0].end, 13950);
  EXPECT_EQ(f.slowdowns[0].speed, 30);
  EXPECT_EQ(f.route_length, 54000);
  EXPECT_EQ(f.braking_mass, 125);
  EXPECT_EQ(f.signals, 21);
  EXPECT_EQ(f.tunnels, 3);
  EXPECT_EQ(f.tunnel_metres, 500 + 750 + 1000);
  EXPECT_EQ(f.top_speed, 120);
  EXPECT_EQ(f.top_gradient, 5);
}

TEST(ScenarioFacts, OnlyTheLineItselfCounts) {
  // The run-out after the line's end holds cells too: nothing there counts.
  scenario_records r;
  r.general_table[kSlotTrainAndLength].value_b = 120;  // three cells of line
  r.segments.resize(10);
  for (track_segment& c : r.segments) c.speed_limit = 18, c.gradient = 100;
  r.segments[1].kind = kSignal;
  r.segments[2].tunnel_type = 1;
  r.segments[3].tunnel_type = 1;
  r.segments[5].kind = kSignal;
  r.segments[6].speed_limit = 30;
  r.segments[7].gradient = 140;
  const scenario_facts f = facts_of(r);
  EXPECT_EQ(f.signals, 1);
  EXPECT_EQ(f.tunnels, 1);
  EXPECT_EQ(f.tunnel_metres, 50);
  EXPECT_EQ(f.top_speed, 90);
  EXPECT_EQ(f.top_gradient, 0);
  EXPECT_EQ(f.speed_steps.size(), 1u);
  EXPECT_TRUE(f.stations.empty());
}

}  // namespace
}  // namespace scenario
