// The track-code pass: after both source texts are read, code points with
// code 180 are added around every slowdown so that the cab signalling sees
// the restriction coming and keeps it up through the slowdown.
#ifndef SCENARIO_CODES_TRACK_CODES_H_
#define SCENARIO_CODES_TRACK_CODES_H_

#include <cstdint>

#include "model/records.h"

namespace scenario {

// The code the pass gives every code point it places, and the highest code
// an existing code point in front of a signal may keep.
inline constexpr int16_t kSlowdownTrackCode = 180;

// y when x > y, else x.
int16_t minimo(int16_t x, int16_t y);

// One forward pass over records.segments, cells 0..records.segment_last.
// Places code points ahead of signals behind slowdown warning points, ahead
// of slowdown starts, along slow slowdowns and ahead of the first signal after
// a slow slowdown's end.  A point that finds no room records failure 11, 12 or
// 13 (failure_position = cell x 50) and the pass goes on; a later failure
// overwrites an earlier one.  Does nothing while the array is not allocated.
void assegna_codici(scenario_records& records);

}  // namespace scenario

#endif  // SCENARIO_CODES_TRACK_CODES_H_
