#include "model/fields.h"

namespace scenario {
namespace {

using meanings_t = std::array<std::string_view, kEntryFieldCount>;

constexpr meanings_t kEntryFieldNames =
    std::apply([](const auto&... f) { return meanings_t{f.name...}; }, kEntryFields);

// The meanings of the fields a role uses, in record order; a field used
// without a known meaning goes by its own name.
template <typename... Fields>
constexpr meanings_t meanings_of(const Fields&... used) {
  meanings_t meanings{};
  ((meanings[used.index] = used.meaning.empty() ? kEntryFieldNames[used.index] : used.meaning),
   ...);
  return meanings;
}

constexpr meanings_t kStation = std::apply(
    [](const auto&... numbers) {
      using namespace station_slot;
      return meanings_of(type, extent_start, extent_end, position, name, time_of_day, numbers...);
    },
    station_slot::entry_numbers);

constexpr meanings_t kProgressive = [] {
  using namespace progressive_slot;
  return meanings_of(position, value, flag);
}();

constexpr meanings_t kTrainAndLength = [] {
  using namespace train_and_length_slot;
  return meanings_of(braking_mass, route_length, cars);
}();

constexpr meanings_t kSceneryAndLine = [] {
  using namespace scenery_and_line_slot;
  return meanings_of(scenery_one, scenery_three, scenery_two, line_id, stamp, check_code);
}();

constexpr meanings_t kSignallingAndTrain = [] {
  using namespace signalling_and_train_slot;
  return meanings_of(repetition_from, repetition_to, repetition_codes, train_code, sand,
                     clock_hours, clock_minutes, clock_seconds);
}();

}  // namespace

const segment_kind_meaning& segment_kind_of(uint8_t kind) {
  static constexpr segment_kind_meaning kUnknown{0, "unknown", {}};
  for (const segment_kind_meaning& k : kSegmentKinds)
    if (k.kind == kind) return k;
  return kUnknown;
}

slot_role role_of_slot(int slot, const general_entry& e) {
  switch (slot) {
    case 0:
      return {"unused", {}};
    case kSlotProgressiveTre:
      return {"progressiva chilometrica (third after ordering)", kProgressive};
    case kSlotProgressiveDue:
      return {"progressiva chilometrica (second after ordering)", kProgressive};
    case kSlotProgressiveUno:
      return {"progressiva chilometrica (first after ordering)", kProgressive};
    case kSlotTrainAndLength:
      return {"train and line size", kTrainAndLength};
    case kSlotSceneryAndLine:
      return {"scenery and line", kSceneryAndLine};
    case kSlotSignallingAndTrain:
      return {"signalling and train", kSignallingAndTrain};
    default:
      break;
  }
  if (e == general_entry{}) return {"empty", {}};
  general_entry text_only;
  text_only.text = e.text;
  return e == text_only ? slot_role{"sign board text", {}} : slot_role{"station", kStation};
}

}  // namespace scenario
