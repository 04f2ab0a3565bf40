// The track-code pass: after both source texts are read, code points with
// code 180 are added around every slowdown so that the cab signalling sees
// the restriction coming and keeps it up through the slowdown.
#ifndef SCENARIO_CODES_TRACK_CODES_H_
#define SCENARIO_CODES_TRACK_CODES_H_

#include <array>
#include <cstdint>

#include "model/records.h"

namespace scenario {

// The code the pass gives every code point it places, and the highest code
// an existing code point in front of a signal may keep.
inline constexpr int16_t kSlowdownTrackCode = 180;

// Where the pass looks and places its points.
namespace track_codes {

// Slowdowns slower than this get code points all along and after their end.
inline constexpr int16_t kSlowSpeed = 110;
// How far behind a warning point a signal still needs its own code point.
inline constexpr int32_t kLookBack = 20;
// A signal below this cell has no room for its point and is left alone.
inline constexpr int32_t kLowestSignal = 3;
// Cells between two code points along a slow slowdown.
inline constexpr int32_t kWalkSpacing = 8;
// Cells after a slow slowdown's end searched for the next signal.
inline constexpr int32_t kSignalSearch = 12;

// Each triple of cells ahead of a slowdown start takes one code point, the
// nearest free cell first.  A triple applies only when all of its cells lie
// after cell 0, i.e. when the start is beyond its farthest offset.
inline constexpr std::array<std::array<int32_t, 3>, 3> kApproachOffsets = {{
    {5, 6, 7},
    {11, 12, 13},
    {18, 19, 20},
}};

}  // namespace track_codes

// minimo ("minimum"): y when x > y, else x.
int16_t minimo(int16_t x, int16_t y);

// The track-code pass: one forward pass over records.segments, cells 0..records.segment_last.
// Places code points ahead of signals behind slowdown warning points, ahead
// of slowdown starts, along slow slowdowns and ahead of the first signal after
// a slow slowdown's end.  A point that finds no room records failure 11, 12 or
// 13 (failure_position = cell x 50) and the pass goes on; a later failure
// overwrites an earlier one.  Does nothing while the array is not allocated.
void assign_track_codes(scenario_records& records);

}  // namespace scenario

#endif  // SCENARIO_CODES_TRACK_CODES_H_
