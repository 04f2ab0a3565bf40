#include "service/service_reader.h"

#include <gtest/gtest.h>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "testing/compilation_runs.h"

namespace scenario {
namespace {

using testing::line_text;
using testing::read_service;
using testing::read_texts;
using testing::reading_run;
using testing::service_text;

class BuiltInServiceTest : public testing::built_in_reading {};

TEST_F(BuiltInServiceTest, TrainMakeUpAndClock) {
  EXPECT_EQ(r().failure_code, 0);
  EXPECT_EQ(r().general_table[84].value_a, 125);
  EXPECT_EQ(r().general_table[84].value_c, 4);
  const general_entry& s86 = r().general_table[86];
  EXPECT_EQ((std::array{s86.number_a, s86.number_c, s86.number_d, s86.number_e}),
            (std::array<int16_t, 4>{300, 0, 24, 30}));
  EXPECT_TRUE(testing::built_in_run().outcome.delete_line_description);
  EXPECT_TRUE(testing::built_in_run().outcome.delete_train_service);
}

TEST_F(BuiltInServiceTest, SpeedAndAdhesionProfiles) {
  for (int i = 0; i <= 1220; ++i) {
    int speed = 0;
    if (i <= 159)
      speed = 18;
    else if (i <= 259)
      speed = 22;
    else if (i <= 981)
      speed = 24;
    else if (i <= 995)
      speed = 18;
    else if (i <= 1217)
      speed = 6;
    ASSERT_EQ(r().segments[i].speed_limit, speed) << "segment " << i;
    ASSERT_EQ(r().segments[i].adhesion, i <= 1217 ? 100 : 0) << "segment " << i;
  }
}

TEST_F(BuiltInServiceTest, FourteenStations) {
  struct station {
    const char* name;
    int32_t value_a, value_b;
    int stop_mark;
    int32_t time_s;
  } stations[] = {
      {"MILANO CENTRALE", -500, 500, 9, 1500},
      {"MILANO GRECO PIRELLI", 3750, 4250, 84, 1800},
      {"SESTO SAN GIOVANNI", 6950, 7250, 144, 2040},
      {"MONZA", 11200, 11600, 231, 2280},
      {"ARCORE", 19150, 19350, 386, 2640},
      {"CARNATE - USMATE", 23750, 24250, 484, 2940},
      {"OSNAGO", 27900, 28100, 561, 3120},
      {"CERNUSCO - MERATE", 28850, 29150, 582, 3300},
      {"OLGIATE", 33150, 33450, 668, 3540},
      {"AIRUNO", 36750, 37050, 740, 3780},
      {"CALOLZIOCORTE - OLGINATE", 42850, 43150, 862, 4080},
      {"VERCURAGO", 44800, 45000, 899, 0},
      {"MAGGIANICO", 47050, 47350, 946, 4320},
      {"LECCO", 49850, 50350, 1006, 4500},
  };
  for (int k = 1; k <= 14; ++k) {
    const station& s = stations[k - 1];
    const general_entry& e = r().general_table[k];
    EXPECT_EQ(e.text, s.name);
    EXPECT_EQ(e.value_a, s.value_a) << s.name;
    EXPECT_EQ(e.value_b, s.value_b) << s.name;
    EXPECT_EQ(e.time_s, s.time_s) << s.name;
    EXPECT_EQ(r().segments[s.stop_mark].kind, kStopMark) << s.name;
    EXPECT_EQ(r().segments[s.stop_mark].value1, k) << s.name;
  }
  EXPECT_EQ(r().general_table[15], general_entry{});
  EXPECT_EQ(r().general_table[14].option_a, 1);
  EXPECT_EQ(r().general_table[1].kind, 2);
  EXPECT_EQ(r().general_table[1].value_c, 0);
  for (int n = 1; n <= 4; ++n)
    EXPECT_EQ(r().segments[9 - n].approach_mark, 80 + n);  // Milano Centrale
}

TEST_F(BuiltInServiceTest, SignalsAndSlowdown) {
  const track_segment& first = r().segments[30];
  EXPECT_EQ(first.kind, kSignal);
  EXPECT_EQ((std::array{first.value1, first.value2, first.value3, first.value4}),
            (std::array<int16_t, 4>{42, 11, 11, 8}));
  EXPECT_EQ(first.signal_time, 0);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(r().segments[30 - 2 * n].approach_mark, 80 + n);
  EXPECT_EQ(r().segments[979].value1, 22);
  EXPECT_EQ(r().segments[979].value2, 31);
  int signals = 0;
  for (const track_segment& s : r().segments) signals += s.kind == kSignal;
  EXPECT_EQ(signals, 21);

  auto expect = [](int i, uint8_t kind, int16_t v1, int16_t v2, int16_t v3) {
    const track_segment& s = r().segments[i];
    EXPECT_EQ(s.kind, kind) << i;
    EXPECT_EQ((std::array{s.value1, s.value2, s.value3}), (std::array{v1, v2, v3})) << i;
  };
  expect(241, kSlowdownWarning, 30, 30, 0);
  expect(265, kSlowdownStart, 30, 30, 0);
  expect(280, kSlowdownEnd, 30, 30, 0);
  for (int j = 0; j < 4; ++j)
    expect(240 - j, kSlowdownLeadIn, static_cast<int16_t>(j + 1), static_cast<int16_t>(j + 1), 0);
}

TEST(ServiceReaderTest, SignalTimeAndTakenCells) {
  reading_run run = read_service(
      "segnale, 1000, 2, 1,1,1, 1, 0, 1,1,1, 50\r\n"
      "segnale, 2000, 1, 1,1,1, 1, 0, 1,1,1, 50\r\n"
      "segnale, 3000, 2, 1,1,1, 1, 0, 1,1,1, 0\r\n",
      "montagna, 2950, 3100, 12\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(21).signal_time, 101);
  EXPECT_EQ(run.cell(41).signal_time, 0);
  EXPECT_EQ(run.cell(61).kind, kSignal);  // a tunnel marker cell takes a signal
  EXPECT_EQ(run.cell(61).signal_time, 0);

  reading_run taken = read_service(
      "segnale, 1000, 2, 1,1,1, 1, 0, 1,1,1, 0\r\nnumero vetture, 3\r\n"
      "segnale, 1010, 2, 9,9,9, 9, 9, 9,9,9, 0\r\nnumero vetture, 5\r\n");
  EXPECT_EQ(taken.code(), 16);
  EXPECT_EQ(taken.position(), 1010);
  EXPECT_EQ(taken.cell(21).value1, 11);  // the first signal is untouched
  EXPECT_EQ(taken.records.general_table[84].value_c, 3);
  EXPECT_TRUE(taken.outcome.delete_train_service);
  ASSERT_TRUE(taken.outcome.site.has_value());
  EXPECT_EQ(taken.outcome.site->text, source_kind::train_service);
  EXPECT_EQ(taken.outcome.site->where, (text_position{4, 1}));
}

TEST(ServiceReaderTest, SlowdownWithoutWarningNearTheStart) {
  reading_run run = read_service("rallentamento, 1500, 30, 300, 7, 1, 0\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(31).kind, kSlowdownStart);
  EXPECT_EQ(run.cell(37).kind, kSlowdownEnd);
  EXPECT_EQ(run.cell(37).value3, 7);
  EXPECT_EQ(run.cell(37).value2, 0);  // no d_v
  for (int i = 0; i < 31; ++i) EXPECT_EQ(run.cell(i).kind, kNothing) << i;
}

struct slowdown_failure {
  const char* name;
  std::string line_entries;
  int32_t code;
  std::vector<int> marked;  // cells the slowdown still marked
};

class SlowdownFailureTest : public ::testing::TestWithParam<slowdown_failure> {};

TEST_P(SlowdownFailureTest, ConflictsWithEarlierMarks) {
  const slowdown_failure& c = GetParam();
  reading_run run = read_service("rallentamento, 13200, 30, 750, 0, 1, 30\r\n", c.line_entries);
  EXPECT_EQ(run.code(), c.code);
  EXPECT_EQ(run.position(), 13200);
  for (int cell : {237, 238, 239, 240, 241, 265, 280}) {
    const bool marked = std::find(c.marked.begin(), c.marked.end(), cell) != c.marked.end();
    EXPECT_EQ(run.cell(cell).kind != kNothing && run.cell(cell).kind != kSpeedBoard, marked)
        << cell;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Conflicts, SlowdownFailureTest,
    ::testing::Values(
        slowdown_failure{"warning", "indicatori_vmax, 12000, 1,1,1,0,,,,0\r\n", 17, {}},
        slowdown_failure{"start", "indicatori_vmax, 13200, 1,1,1,0,,,,0\r\n", 18, {}},
        slowdown_failure{"end", "indicatori_vmax, 13950, 1,1,1,0,,,,0\r\n", 19, {}},
        slowdown_failure{
            "lead_in", "indicatori_vmax, 11900, 1,1,1,0,,,,0\r\n", 20, {241, 265, 280}}),
    [](const auto& info) { return std::string(info.param.name); });

struct station_failure {
  const char* name;
  std::string entries;
  int32_t code;
  int32_t position;
};

class StationFailureTest : public ::testing::TestWithParam<station_failure> {};

const char* const kStation = "stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, UNO\r\n";

TEST_P(StationFailureTest, EndsReadingWithItsCode) {
  const station_failure& c = GetParam();
  reading_run run = read_service(c.entries + "numero vetture, 9\r\n");
  EXPECT_EQ(run.code(), c.code);
  EXPECT_EQ(run.position(), c.position);
  EXPECT_NE(run.records.general_table[84].value_c, 9);  // nothing read after it
  EXPECT_TRUE(run.outcome.delete_train_service);
  EXPECT_TRUE(run.outcome.delete_line_description);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, StationFailureTest,
    ::testing::Values(
        station_failure{"position_not_multiple_of_50",
                        "stazione, 1010, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, X\r\n", 8, 1010},
        station_failure{"length_not_multiple_of_100",
                        "stazione, 1000, 2, 450, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, X\r\n", 9, 1000},
        station_failure{"too_close",
                        std::string(kStation) +
                            "stazione, 1500, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, DUE\r\n",
                        22, 1500},
        station_failure{"ends_at_the_start",
                        "stazione, 0, 2, 100, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, X\r\n", 24, 0},
        station_failure{"stop_time_too_long",
                        "stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 300, 0,25,0, X\r\n", 25, 0},
        station_failure{"beyond_the_line",
                        "stazione, 16450, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, X\r\n", 15,
                        16450},
        station_failure{"mark_beyond_the_array",
                        "stazione, 16000, 2, 4000, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, X\r\n", 30,
                        16000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServiceReaderTest, StationsStayBelowTheSignBoards) {
  std::string boards;
  for (int i = 0; i < 77; ++i)
    boards += "cartello indicatore, " + std::to_string(i * 100 + 5000) + ", T\r\n";
  // 77 boards leave slots 1 to 3: the second station fills slot 2 and stops.
  reading_run run = read_service(
      std::string(kStation) + "stazione, 2000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, DUE\r\n",
      boards);
  EXPECT_EQ(run.code(), 10);
  EXPECT_EQ(run.position(), 0);
  EXPECT_EQ(run.records.general_table[2].text, "DUE");
  EXPECT_EQ(run.records.general_table[4].text, "T");
}

TEST(ServiceReaderTest, EightySignBoardsLeaveNoSlotForAStation) {
  std::string boards;
  for (int i = 0; i < 80; ++i)
    boards += "cartello indicatore, " + std::to_string(i * 100 + 5000) + ", T" + std::to_string(i) +
              "\r\n";
  reading_run run = read_service(kStation, boards);
  EXPECT_EQ(run.code(), 10);
  EXPECT_EQ(run.records.general_table[1].text, "T79");  // the 80th board's text is kept
  EXPECT_EQ(run.records.general_table[1].value_c, 0);
}

TEST(ServiceReaderTest, ProfileEntries) {
  reading_run run = read_service(
      "velocita, 0, 100\r\n"
      "velocita, 1000, 60\r\n"
      "velocita, 500, 30\r\n"  // behind the cursor: still one segment
      "aderenza, 0, 300\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(0).speed_limit, 20);
  EXPECT_EQ(run.cell(19).speed_limit, 20);
  EXPECT_EQ(run.cell(20).speed_limit, 12);
  EXPECT_EQ(run.cell(21).speed_limit, 6);
  EXPECT_EQ(run.cell(337).speed_limit, 6);
  EXPECT_EQ(run.cell(338).speed_limit, 0);
  EXPECT_EQ(run.cell(0).adhesion, 300 & 0xFF);
  EXPECT_EQ(run.cell(338).adhesion, 0);
}

TEST(ServiceReaderTest, TextsLongerThanTheirByteCountAreRefused) {
  const std::string name(65536, 'A');
  reading_run run =
      read_service("stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, " + name + "\r\n");
  EXPECT_EQ(run.code(), 25);
  EXPECT_TRUE(run.records.general_table[1].text.empty());
  reading_run board = read_service("", "cartello indicatore, 1000, " + name + "\r\n");
  EXPECT_EQ(board.code(), 25);
  // The board's cell is marked before its text is stored into slot 80.
  EXPECT_EQ(board.cell(21).kind, kSignBoard);
  EXPECT_TRUE(board.records.general_table[80].text.empty());
  reading_run fits = read_service("stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, " +
                                  name.substr(1) + "\r\n");
  EXPECT_EQ(fits.code(), 0);
}

TEST(ServiceReaderTest, SpeedOutOfRangeIsARunTimeFailure) {
  reading_run run = read_service("velocita, 0, 1300\r\nvelocita, 100, 10\r\n");
  EXPECT_EQ(run.code(), 25);
  EXPECT_TRUE(run.outcome.delete_line_description);
  EXPECT_TRUE(run.outcome.delete_train_service);
}

TEST(ServiceReaderTest, Abbattimento) {
  reading_run run =
      read_service("abbattimento, 1000, 270\r\nabbattimento, 2000, 0\r\nabbattimento, 3000, 5\r\n",
                   "montagna, 2900, 3200, 12\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(20).kind, kCodePoint);
  EXPECT_EQ(run.cell(20).value1, 270);
  EXPECT_EQ(run.cell(40).kind, kCodePointWithoutValue);
  EXPECT_EQ(run.cell(60).kind, kCodePoint);  // replaces the tunnel marker
  reading_run taken = read_service("abbattimento, 1000, 1\r\nabbattimento, 1000, 1\r\n");
  EXPECT_EQ(taken.code(), 7);
  EXPECT_EQ(taken.position(), 1000);
}

TEST(ServiceReaderTest, LineFailureFifteenEndsAtTheFirstSignal) {
  reading_run run = read_texts(line_text("pendenza, 16950, 5\r\n"),
                               service_text("velocita, 0, 50\r\n"
                                            "segnale, 1000, 2, 1,1,1, 1, 0, 1,1,1, 0\r\n"
                                            "segnale, 2000, 2, 1,1,1, 1, 0, 1,1,1, 0\r\n"));
  EXPECT_EQ(run.code(), 15);
  EXPECT_EQ(run.position(), 1000);
  EXPECT_EQ(run.cell(21).kind, kSignal);
  EXPECT_EQ(run.cell(41).kind, kNothing);
  EXPECT_EQ(run.cell(100).speed_limit, 0);  // no end of reading
}

TEST(ServiceReaderTest, MisalignedProgressiveIsFailureTwoAtItsLine) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 10000\r\nprogressiva chilometrica uno, 120, 0, 0\r\n"
      "progressiva chilometrica due, 100, 0, 0\r\n[curve]\r\n[fine]\r\n";
  reading_run run = read_texts(line, service_text(""));
  EXPECT_EQ(run.code(), 2);
  ASSERT_TRUE(run.outcome.site.has_value());
  EXPECT_EQ(run.outcome.site->text, source_kind::line_description);
  EXPECT_EQ(run.outcome.site->where.line, 3);
}

TEST(ServiceReaderTest, SignalNearTheStartFailsOutsideTheArray) {
  reading_run run = read_service("segnale, 0, 2, 1,1,1, 1, 0, 1,1,1, 0\r\n");
  EXPECT_EQ(run.code(), 30);
  EXPECT_EQ(run.position(), 0);
  EXPECT_EQ(run.cell(1).kind, kSignal);  // written before the approach cell -1
}

TEST(ServiceReaderTest, RandomBytesNeverCrash) {
  // Short texts made of the format's own bytes in changing orders.
  const std::string alphabet = "0123456789,-\r\n \"segnalestazionevelocita[generale]";
  uint32_t seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string text = "[generale]\r\n";
    for (int i = 0; i < 80; ++i) {
      seed = seed * 1103515245 + 12345;
      text += alphabet[(seed >> 16) % alphabet.size()];
    }
    reading_run run = read_texts(line_text(""), text);
    EXPECT_TRUE(run.code() == 0 || run.code() >= 2) << text;
  }
}

}  // namespace
}  // namespace scenario
