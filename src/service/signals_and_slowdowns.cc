#include "service/signals_and_slowdowns.h"

#include "model/rounding.h"
#include "reading/reading.h"

namespace scenario {
namespace {

// Slowdowns starting up to here have no warning point: it would fall before
// the start of the line.
constexpr int32_t kWarningReach = 1500;
constexpr int32_t kWarningDistance = 1200;

// Records the failure of an entry refused on `cell`.
taken_cell refused(scenario_records& records, int32_t failure, int64_t cell) {
  records.failure_code = failure;
  return {failure, cell};
}

}  // namespace

int64_t signal_segment(int32_t position) { return segment_index(position, kMarkOffset); }

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

std::optional<taken_cell> memo_segnale(scenario_records& records, signal_values& s) {
  const int64_t i = signal_segment(s.position);
  track_segment& cell = segment_at(records, i);
  if (!is_free(cell)) return refused(records, 16, i);
  cell.kind = kSignal;
  cell.value4 = low16(int64_t{s.rapp} * 10 + int64_t{s.sx} * 3 + s.dx);
  cell.value1 = low16(int64_t{s.s1} * 10 + s.d1);
  cell.value2 = low16(int64_t{s.s2} * 10 + s.d2);
  cell.value3 = low16(int64_t{s.s3} * 10 + s.d3);
  if (s.tempo >= 1 && s.tempo <= 100) s.tempo = 101;
  cell.signal_time = s.sx == 2 ? low8(s.tempo) : 0;
  // The approach marks stand on every second cell before the signal.
  for (int step = 1; step <= 4; ++step)
    segment_at(records, i - 2 * step).approach_mark = low8((int64_t{s.sx} * 3 + s.dx) * 10 + step);
  return std::nullopt;
}

std::optional<taken_cell> memo_rallentamento(scenario_records& records, const slowdown_values& r) {
  const slowdown_segments cells = slowdown_cells(r.x, r.l);
  const bool warned = cells.warned;
  const int64_t w = cells.warning;
  if (warned && !is_free(segment_at(records, w))) return refused(records, 17, w);
  // Without a warning point there is no lead-in either.
  const bool lead_in = warned && r.f_ta != 0;
  const int64_t s = cells.start;
  if (!is_free(segment_at(records, s))) return refused(records, 18, s);
  const int64_t e = cells.end;
  if (!is_free(segment_at(records, e))) return refused(records, 19, e);

  // Start and end may be one cell for a very short slowdown: the start wins.
  for (auto [index, kind] : {std::pair{e, kSlowdownEnd}, std::pair{s, kSlowdownStart}}) {
    track_segment& cell = segment_at(records, index);
    cell.kind = kind;
    if (r.d_v != 0) cell.value2 = low16(r.d_v);
  }
  if (warned) {
    track_segment& warning = segment_at(records, w);
    warning.kind = kSlowdownWarning;
    if (r.d_v != 0) warning.value2 = low16(r.d_v);
    warning.value1 = low16(r.v);
  }
  segment_at(records, s).value1 = low16(r.v);
  segment_at(records, e).value1 = low16(r.v);
  segment_at(records, s).value3 = low16(r.f_tt);
  segment_at(records, e).value3 = low16(r.f_tt);

  if (!lead_in) return std::nullopt;
  const int64_t first = cells.lead_in;
  for (int j = 0; j < 4; ++j)
    if (!is_free(segment_at(records, first - j))) return refused(records, 20, first - j);
  for (int j = 0; j < 4; ++j) {
    track_segment& cell = segment_at(records, first - j);
    cell.kind = kSlowdownLeadIn;
    cell.value1 = static_cast<int16_t>(j + 1);
    if (r.d_v != 0) cell.value2 = static_cast<int16_t>(j + 1);
  }
  return std::nullopt;
}

}  // namespace scenario
