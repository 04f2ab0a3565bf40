#include "service/signals_and_slowdowns.h"

#include "model/rounding.h"
#include "reading/reading.h"

namespace scenario {
namespace {

// Slowdowns starting up to here have no warning point: it would fall before
// the start of the line.
constexpr int32_t kWarningReach = 1500;
constexpr int32_t kWarningDistance = 1200;

}  // namespace

int64_t signal_segment(int32_t posizione) { return segment_index(posizione, kMarkOffset); }

slowdown_segments slowdown_cells(int32_t x, int32_t l) {
  slowdown_segments c;
  c.warned = x > kWarningReach;
  c.warning = segment_index(int64_t{x} - kWarningDistance, kMarkOffset);
  c.start = segment_index(x, kMarkOffset);
  c.end = segment_index(int64_t{x} + l, kMarkOffset);
  // The lead-in ends just before the warning segment.  Rounded on its own,
  // (x - 1200) / 50 lands on the warning segment itself when x - 1200 is an
  // odd multiple of 25 with an odd quotient (20 075 m: both 378); the
  // slowdown would then always be refused by its own warning mark.
  c.lead_in = segment_index(int64_t{x} - kWarningDistance, 0);
  if (c.lead_in == c.warning) c.lead_in = c.warning - 1;
  return c;
}

void memo_segnale(scenario_records& records, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                  int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                  int32_t& tempo) {
  const int64_t i = signal_segment(posizione);
  track_segment& cell = segment_at(records, i);
  if (!is_free(cell)) {
    records.failure_code = 16;
    return;
  }
  cell.kind = kSignal;
  cell.value4 = low16(int64_t{rapp} * 10 + int64_t{sx} * 3 + dx);
  cell.value1 = low16(int64_t{s1} * 10 + d1);
  cell.value2 = low16(int64_t{s2} * 10 + d2);
  cell.value3 = low16(int64_t{s3} * 10 + d3);
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  cell.signal_time = sx == 2 ? low8(tempo) : 0;
  // The approach marks stand on every second cell before the signal.
  for (int step = 1; step <= 4; ++step)
    segment_at(records, i - 2 * step).approach_mark = low8((int64_t{sx} * 3 + dx) * 10 + step);
}

void memo_rallentamento(scenario_records& records, int32_t x, int32_t v, int32_t l, int32_t f_tt,
                        int32_t f_ta, int32_t d_v) {
  const slowdown_segments cells = slowdown_cells(x, l);
  const bool warned = cells.warned;
  const int64_t w = cells.warning;
  if (warned && !is_free(segment_at(records, w))) {
    records.failure_code = 17;
    return;
  }
  if (!warned) f_ta = 0;
  const int64_t s = cells.start;
  if (!is_free(segment_at(records, s))) {
    records.failure_code = 18;
    return;
  }
  const int64_t e = cells.end;
  if (!is_free(segment_at(records, e))) {
    records.failure_code = 19;
    return;
  }

  // Start and end may be one cell for a very short slowdown: the start wins.
  for (auto [index, kind] : {std::pair{e, kSlowdownEnd}, std::pair{s, kSlowdownStart}}) {
    track_segment& cell = segment_at(records, index);
    cell.kind = kind;
    if (d_v != 0) cell.value2 = low16(d_v);
  }
  if (warned) {
    track_segment& warning = segment_at(records, w);
    warning.kind = kSlowdownWarning;
    if (d_v != 0) warning.value2 = low16(d_v);
    warning.value1 = low16(v);
  }
  segment_at(records, s).value1 = low16(v);
  segment_at(records, e).value1 = low16(v);
  segment_at(records, s).value3 = low16(f_tt);
  segment_at(records, e).value3 = low16(f_tt);

  if (f_ta == 0) return;
  const int64_t lead_in = cells.lead_in;
  for (int j = 0; j < 4; ++j) {
    if (!is_free(segment_at(records, lead_in - j))) {
      records.failure_code = 20;
      return;
    }
  }
  for (int j = 0; j < 4; ++j) {
    track_segment& cell = segment_at(records, lead_in - j);
    cell.kind = kSlowdownLeadIn;
    cell.value1 = static_cast<int16_t>(j + 1);
    if (d_v != 0) cell.value2 = static_cast<int16_t>(j + 1);
  }
}

}  // namespace scenario
