// The compiled files of one run as one set on disk: the line geometry file
// (when the route plan is built), the table file and the segment file, in
// that order, replaced together or not at all.
#ifndef SCENARIO_FORMAT_COMPILED_SET_H_
#define SCENARIO_FORMAT_COMPILED_SET_H_

#include <filesystem>
#include <string>
#include <vector>

#include "format/fingerprint.h"
#include "model/records.h"
#include "system/files.h"

namespace scenario {

// The files' bytes, ready to be handed to replace_files; the route plan is
// written from its own bytes, without a copy, so the set must not outlive
// the records.
class compiled_set {
 public:
  compiled_set(const scenario_records& records, const std::filesystem::path& dir);
  compiled_set(const compiled_set&) = delete;
  compiled_set& operator=(const compiled_set&) = delete;

  const std::vector<output_file>& files() const { return files_; }
  set_fingerprints fingerprints() const;

 private:
  bool geometry_;
  std::string encoded_plan_, table_, segments_;
  std::vector<output_file> files_;
};

// Replaces the compiled files of `records` in `dir`, all or none.
void write_compiled_files(const scenario_records& records, const std::filesystem::path& dir);

}  // namespace scenario

#endif  // SCENARIO_FORMAT_COMPILED_SET_H_
