// The scenario records: everything the readers fill, the track-code pass
// completes and the compiled-file writers store.
#ifndef SCENARIO_MODEL_RECORDS_H_
#define SCENARIO_MODEL_RECORDS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/route_plan.h"

namespace scenario {

// One cell of the segment array: 50 m of line.
struct track_segment {
  uint8_t kind = 0;
  int16_t value1 = 0;
  int16_t value2 = 0;
  int16_t value3 = 0;
  int16_t value4 = 0;
  uint8_t signal_time = 0;
  uint8_t approach_mark = 0;
  uint8_t tunnel_type = 0;
  uint8_t speed_limit = 0;
  uint8_t gradient = 0;
  uint8_t adhesion = 0;

  bool operator==(const track_segment&) const = default;
};

// Kinds of a segment cell.
enum segment_kind : uint8_t {
  kNothing = 0,
  kSignal = 1,
  kSlowdownEnd = 2,
  kSlowdownStart = 3,
  kSlowdownWarning = 4,
  kSlowdownLeadIn = 5,
  kSpeedBoard = 6,
  kStopMark = 10,
  kTunnelMarker = 11,
  kCodePoint = 12,
  kCodePointWithoutValue = 13,
  kSignBoard = 14,
};

// A cell a point object may take: empty, or only a tunnel marker.
inline bool is_free(const track_segment& s) {
  return s.kind == kNothing || s.kind == kTunnelMarker;
}

// One slot of the general table.
struct general_entry {
  uint8_t kind = 0;
  int32_t value_a = 0;
  int32_t value_b = 0;
  int32_t value_c = 0;
  uint8_t option_a = 0;
  std::string text;
  int16_t number_a = 0;
  int16_t number_b = 0;
  int16_t number_c = 0;
  int16_t number_d = 0;
  int16_t number_e = 0;
  uint8_t option_b = 0;
  uint8_t option_c = 0;
  uint8_t option_d = 0;
  uint8_t option_e = 0;
  int32_t time_s = 0;

  bool operator==(const general_entry&) const = default;
};

inline constexpr int kGeneralSlots = 87;
using general_table_t = std::array<general_entry, kGeneralSlots>;

// Fixed slots of the general table; uno, due, tre (one, two, three) as the
// keywords of the kilometric progressive entries name them.
inline constexpr int kSlotProgressiveTre = 81;
inline constexpr int kSlotProgressiveDue = 82;
inline constexpr int kSlotProgressiveUno = 83;
inline constexpr int kSlotTrainAndLength = 84;
inline constexpr int kSlotSceneryAndLine = 85;
inline constexpr int kSlotSignallingAndTrain = 86;
inline constexpr int kFirstSignBoardSlot = 80;

// The whole in-memory scenario of one compilation.
struct scenario_records {
  std::string line_id;
  std::string train_code;
  bool build_geometry = false;  // draw the route plan and write the line geometry file

  general_table_t general_table{};
  std::vector<track_segment> segments;  // empty until the route length is read
  route_plan track_geometry;            // unallocated until the route length is read
  int32_t geometry_last = 0;
  int32_t segment_last = 0;

  int32_t failure_code = 0;
  int32_t failure_position = 0;

  bool segments_allocated() const { return !segments.empty(); }
};

}  // namespace scenario

#endif  // SCENARIO_MODEL_RECORDS_H_
