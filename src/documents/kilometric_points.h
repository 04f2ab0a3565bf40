// The kilometric point of a place on the line: the reading of the kilometre
// posts beside the track, which the driver's documents give instead of the
// metres from the line's start.
#ifndef SCENARIO_DOCUMENTS_KILOMETRIC_POINTS_H_
#define SCENARIO_DOCUMENTS_KILOMETRIC_POINTS_H_

#include <cstdint>
#include <string>

#include "model/records.h"

namespace scenario {

// The kilometric point, in metres, of the place `position` metres from the
// line's start.  The line's kilometric progressive entries (ordered, their
// flags applied) each say that the posts read `value` metres at `position`;
// an entry whose position and value are both 0 says nothing.  The place
// counts on from the entry at or before it that lies furthest on (of two at
// one position, the first of the ordered slots), or back from the first one
// when every entry lies beyond it.  With no entry, the point is the position
// itself.
int64_t kilometric_metres(const general_table_t& table, int64_t position);

// "13.200": kilometres with three decimals; "-0.150" below zero.
std::string kilometres_text(int64_t metres);

// "8", "8.5", "8.125": a kilometre post's own name, without the zeros a
// whole or rounder kilometre needs none of.
std::string kilometre_post_text(int64_t metres);

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_KILOMETRIC_POINTS_H_
