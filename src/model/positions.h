// Where an author writes an object so that it lands on a segment, and what
// stretch of line a segment stands for.  Every view that names a segment
// (dump, plot, view, the readers' warnings, decompile) states positions
// through here, so that an object shows at the position its entry has in
// the source text, whatever offset its kind of entry adds.
#ifndef SCENARIO_MODEL_POSITIONS_H_
#define SCENARIO_MODEL_POSITIONS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/records.h"
#include "model/rounding.h"

namespace scenario {

// The offset each kind of entry adds to position / 50 to find its segment.
// Signals, slowdown marks, speed boards and sign boards stand one segment
// after their position; profiles, gradients, abbattimento marks and tunnel
// starts on position / 50; a tunnel's last segment and a station's stop
// mark one before their end (a station's approach marks k + 1 before it).
inline constexpr int64_t kProfileOffset = 0;
inline constexpr int64_t kEndOffset = -1;

// The segment kinds an entry places at a position of its own, with the
// offset it maps that position by and the value the author writes there.
struct placed_kind {
  uint8_t kind;
  int64_t offset;
  std::string_view written;  // what the author's position is, for the guide
};
inline constexpr std::array<placed_kind, 9> kPlacedKinds = {{
    {kSignal, kMarkOffset, "the signal's position"},
    {kSlowdownStart, kMarkOffset, "the slowdown's position x"},
    {kSlowdownEnd, kMarkOffset, "x + l, the slowdown's end"},
    {kSlowdownWarning, kMarkOffset, "x - 1200, 1 200 m before the slowdown"},
    {kSpeedBoard, kMarkOffset, "the board's position"},
    {kSignBoard, kMarkOffset, "the board's position"},
    {kStopMark, kEndOffset, "the station's end (its extent end)"},
    // The track-code pass sets code points of its own where an abbattimento
    // at that position would put them.
    {kCodePoint, kProfileOffset, "the abbattimento's position"},
    {kCodePointWithoutValue, kProfileOffset, "the abbattimento's position"},
}};

// The offset of the entry that places a cell of `kind`; none for the cells
// no entry places at a position of its own (lead-in cells and tunnel
// markers follow from a slowdown's or a tunnel's entry).
std::optional<int64_t> placement_offset(uint8_t kind);

// The position, a multiple of 50 m, an author writes to put an object of
// `kind` on segment `index`; none where no entry places that kind.
std::optional<int64_t> author_position(uint8_t kind, int64_t index);

// The stretch of line a segment stands for: metres 50 i to 50 (i + 1),
// whose gradient, speed limit, adhesion and tunnel it carries.
struct metre_span {
  int64_t from = 0;
  int64_t to = 0;
};
constexpr metre_span segment_span(int64_t first, int64_t last) {
  return {segment_position(first, kProfileOffset), segment_position(last + 1, kProfileOffset)};
}
constexpr metre_span segment_span(int64_t index) { return segment_span(index, index); }

// The texts every view uses: "at 14000 m" for an object, "covering
// 14050-14100 m" for a segment or a run of them without one.
std::string written_at_text(int64_t metres);
std::string covering_text(metre_span span);
// What stands on segment `index` of `kind`, as the views state it:
// "segment 281, at 14000 m" or "segment 283, covering 14150-14200 m".
std::string segment_text(int64_t index, uint8_t kind);

static_assert(segment_span(280).from == 14000 && segment_span(280, 281).to == 14100);

}  // namespace scenario

#endif  // SCENARIO_MODEL_POSITIONS_H_
