#include "codes/track_codes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>

#include "model/rounding.h"

namespace scenario {
namespace {

using namespace track_codes;

constexpr int32_t kFailureSignal = 11;
constexpr int32_t kFailureApproach = 12;
constexpr int32_t kFailureSlowdown = 13;

// The segment array as the pass sees it: cells 0..last_, every cell outside
// counting as taken, so that a search near either end of the line finds no
// room instead of reaching past the array.
class track_code_pass {
 public:
  explicit track_code_pass(scenario_records& records) : records_(records) {
    const auto cells = static_cast<int64_t>(records.segments.size());
    last_ = static_cast<int32_t>(std::min<int64_t>(records.segment_last, cells - 1));
  }

  void run() {
    // Points are only ever placed on free cells, so no visit changes the kind
    // of a warning point or start that a later visit will examine.
    for (int32_t i = 1; i <= last_ - 2; ++i) {
      const uint8_t kind = at(i).kind;
      if (kind == kSlowdownWarning) {
        mark_signals_behind_warning(i);
      } else if (kind == kSlowdownStart) {
        mark_slowdown(i);
      }
    }
  }

 private:
  bool inside(int32_t c) const { return c >= 0 && c <= last_; }
  track_segment& at(int32_t c) { return records_.segments[static_cast<size_t>(c)]; }
  const track_segment& at(int32_t c) const { return records_.segments[static_cast<size_t>(c)]; }
  bool has_kind(int32_t c, uint8_t kind) const { return inside(c) && at(c).kind == kind; }
  bool is_free_cell(int32_t c) const { return inside(c) && is_free(at(c)); }

  void place(int32_t c) {
    at(c).kind = kCodePoint;
    at(c).value1 = kSlowdownTrackCode;
  }

  // Places a code point on the first free cell of `cells` and returns it.
  std::optional<int32_t> place_first_free(std::initializer_list<int32_t> cells) {
    for (int32_t c : cells) {
      if (is_free_cell(c)) {
        place(c);
        return c;
      }
    }
    return std::nullopt;
  }

  void fail(int32_t code, int32_t cell) {
    records_.failure_code = code;
    records_.failure_position = static_cast<int32_t>(segment_position(cell, 0));
  }

  void mark_signals_behind_warning(int32_t warning) {
    const int32_t lowest = std::max(warning - kLookBack, kLowestSignal);
    for (int32_t d = warning - 1; d >= lowest; --d) {
      if (has_kind(d, kSignal)) mark_signal(d);
    }
  }

  // A signal with no room in front of it can still be served by a code point
  // already standing there, as long as its code is not above ours.
  void mark_signal(int32_t signal) {
    if (place_first_free({signal - 1, signal - 2})) return;
    for (int32_t c : {signal - 1, signal - 2}) {
      if (has_kind(c, kCodePoint)) {
        at(c).value1 = minimo(kSlowdownTrackCode, at(c).value1);
        return;
      }
    }
    fail(kFailureSignal, signal);
  }

  void mark_slowdown(int32_t start) {
    place_approach_points(start);
    if (at(start).value1 >= kSlowSpeed) return;
    const int32_t end = walk_slowdown(start);
    mark_signal_after_end(end);
  }

  void place_approach_points(int32_t start) {
    for (const auto& offsets : kApproachOffsets) {
      if (start <= offsets.back()) continue;
      if (!place_first_free({start - offsets[0], start - offsets[1], start - offsets[2]})) {
        fail(kFailureApproach, start);
      }
    }
  }

  // Walks from the start to the slowdown's end, placing a point every
  // kWalkSpacing cells counted from where the previous point really went.
  // Returns the end cell, or the last cell when the walk runs off the array.
  int32_t walk_slowdown(int32_t start) {
    int32_t since_point = 0;
    int32_t k = start;
    while (k < last_) {
      ++k;
      ++since_point;
      if (since_point == kWalkSpacing) since_point = place_walk_point(k);
      if (has_kind(k, kSlowdownEnd)) break;
    }
    return k;
  }

  // Returns the walk counter after the point due at `walk`.  When no point
  // fits the counter stays at kWalkSpacing and, rising past it, never comes
  // due again: the rest of that slowdown gets no points.
  int32_t place_walk_point(int32_t walk) {
    if (const auto placed = place_first_free({walk, walk - 1, walk + 1})) return walk - *placed;
    fail(kFailureSlowdown, walk);
    return kWalkSpacing;
  }

  void mark_signal_after_end(int32_t end) {
    const int32_t stop = std::min(end + kSignalSearch, last_);
    for (int32_t m = end; m <= stop; ++m) {
      if (!has_kind(m, kSignal)) continue;
      if (!place_first_free({m - 1, m - 2})) fail(kFailureSlowdown, end);
      return;
    }
  }

  scenario_records& records_;
  int32_t last_ = -1;
};

}  // namespace

int16_t minimo(int16_t x, int16_t y) { return x > y ? y : x; }

void assign_track_codes(scenario_records& records) {
  if (!records.segments_allocated()) return;
  track_code_pass(records).run();
}

}  // namespace scenario
