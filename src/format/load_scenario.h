// A compiled scenario read back from its files, whole: the records the
// compilation would hold, ready for those that read a scenario (decompile,
// the pictures).  The files are read and decoded in one order, table,
// segments, route plan, and the first that fails stops the load.
#ifndef SCENARIO_FORMAT_LOAD_SCENARIO_H_
#define SCENARIO_FORMAT_LOAD_SCENARIO_H_

#include <filesystem>
#include <stdexcept>
#include <string>

#include "format/compiled_files.h"
#include "format/decode.h"
#include "format/fingerprint.h"
#include "format/scenario_names.h"
#include "model/records.h"

namespace scenario {

// A compiled file whose bytes are not a file of its kind; what() is the
// decode_error's text (with its byte offset).
class compiled_file_error : public std::runtime_error {
 public:
  compiled_file_error(std::filesystem::path file, const decode_error& cause);
  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
};

struct loaded_scenario {
  // The identifiers, the table, the segments with segment_last; with a line
  // geometry file, the route plan too, build_geometry 1 and geometry_last.
  scenario_records records;
  // The fingerprints of the files as read: a compile record is tied to them.
  set_fingerprints fingerprints;
};

// The scenario `ids` names in `dir`; the line geometry file is read when it
// is there.  A file that cannot be read, or that is larger than any the
// compilation writes, is a file_error; one that does not decode is a
// compiled_file_error naming its path.
//
// `like`, a scenario loaded before (the other side of a comparison): a line
// geometry file of the very bytes its route plan holds is compared with it a
// piece at a time and its plan taken, rather than the file read whole and
// decoded again, so that two plans of twenty megabytes never stand beside a
// third copy of the file.
loaded_scenario load_scenario(const std::filesystem::path& dir, const scenario_ids& ids,
                              const loaded_scenario* like = nullptr);

// The records of the files' bytes as load_scenario sets them; an empty
// `files.geometry` stands for no line geometry file.  A compiled_file_error
// names the file by its bare name.
scenario_records decode_scenario(const scenario_ids& ids, const compiled_bytes& files);

}  // namespace scenario

#endif  // SCENARIO_FORMAT_LOAD_SCENARIO_H_
