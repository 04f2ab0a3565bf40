// What `compile` leaves beside the compiled files: its report, tied by
// fingerprints to the very bytes of the files it wrote, and written with
// them as the last file of one replacement.  A reader that finds the record
// matching the files knows they are one whole set from one compilation (and
// whether it recorded a failure); files without a matching record may be
// a set cut short by a run that was killed between its renames, files from
// several runs, or files some other program wrote.
#ifndef SCENARIO_TOOL_COMPILE_RECORD_H_
#define SCENARIO_TOOL_COMPILE_RECORD_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "format/fingerprint.h"
#include "format/scenario_names.h"  // compile_record_name
#include "tool/report/report.h"

namespace scenario::tool {

// A record larger than this is not read (a real one holds at most
// kRecordedDiagnostics diagnostics and stays far below it).
inline constexpr std::uint64_t kRecordByteLimit = 8u << 20;
inline constexpr size_t kRecordedDiagnostics = 1000;

// The report as `--format json` gives it, with the fingerprints of the
// files; of many diagnostics, the first kRecordedDiagnostics and every
// numbered failure are kept, and "diagnostics_not_recorded" counts the rest.
std::string compile_record_json(const compile_report& report, const set_fingerprints& files);

struct recorded_failure {
  int32_t code = 0;
  std::optional<int32_t> position;  // none for a failure that records none
  std::string message;
};

// What a record tells of the files beside it.
struct set_record {
  enum class state {
    whole,        // the record is theirs
    no_record,    // no record beside them
    other_files,  // a record of other bytes: another run, or a set cut short
    unreadable,   // a record that is damaged, too large or not one of ours
  };
  state kind = state::no_record;
  std::optional<recorded_failure> failure;  // only for a whole set
};

// Reads a record's bytes (none: no record) against the files found.  Any
// bytes at all are read safely: a record is checked for size, depth and the
// type of every value it gives.
set_record read_set_record(const std::optional<std::string>& record, const set_fingerprints& found);

// The record at `record` (beside the files) against the files found: none
// when there is no such file; one that cannot be read is as good as none,
// and unreadable.
set_record read_set_record_file(const std::filesystem::path& record, const set_fingerprints& found);

// One line for the author when the set is not known to be whole; empty for
// a whole set.
std::string set_record_note(const set_record& record, std::string_view record_name);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_COMPILE_RECORD_H_
