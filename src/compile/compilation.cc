#include "compile/compilation.h"

#include "codes/check_codes.h"
#include "codes/track_codes.h"
#include "line/line_reader.h"
#include "model/fields.h"
#include "service/service_reader.h"

namespace scenario {

reading_outcome memorizza_dati(scenario_records& records, source_text line_description,
                               source_text train_service) {
  reading_outcome outcome;
  scenery_and_line_slot::line_id.in(records.general_table) = records.line_id;
  signalling_and_train_slot::train_code.in(records.general_table) = records.train_code;
  if (!line_description) {
    records.failure_code = 101;
    return outcome;
  }
  source_kind reading = source_kind::line_description;
  try {
    int32_t sign_board_cursor = kFirstSignBoardSlot;
    if (!read_line_description(*line_description, records, outcome, sign_board_cursor))
      return outcome;
    reading = source_kind::train_service;
    if (!train_service) throw reading_failure{{}, "the train service description cannot be read"};
    read_train_service(*train_service, records, outcome, sign_board_cursor);
  } catch (const reading_failure& failure) {
    // One handler for every run-time failure of both readers: both texts go.
    records.failure_code = 25;
    outcome.delete_line_description = true;
    outcome.delete_train_service = train_service.has_value();
    outcome.site = failure_site{reading, failure.where};
    outcome.detail = failure.what;
  }
  return outcome;
}

compilation compile_scenario(scenario_records& records, bool build_geometry,
                             source_text line_description, source_text train_service) {
  compilation result;
  records.build_geometry = build_geometry;
  records.failure_code = 0;
  records.general_table = general_table_t{};
  result.reading = memorizza_dati(records, line_description, train_service);
  if (!records.segments_allocated()) return result;

  assign_track_codes(records);
  int16_t& stamp = scenery_and_line_slot::stamp.in(records.general_table);
  int32_t& check_code = scenery_and_line_slot::check_code.in(records.general_table);
  track_segment& cell = records.segments[1];
  if (stamp != 0 || cell.value1 != 0) {
    result.stamp_error = kStampTaken;
    return result;
  }
  stamp = kTableStamp;
  cell.value1 = kSegmentStamp;
  if (check_code != 0 || cell.value2 != 0) {
    result.stamp_error = kCheckCodeTaken;
    return result;
  }
  check_code = codice_gara_st(records.general_table);
  cell.value2 = codice_gara_og(records.general_table);
  result.compiled = true;
  return result;
}

}  // namespace scenario
