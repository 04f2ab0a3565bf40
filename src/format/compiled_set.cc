#include "format/compiled_set.h"

#include "format/compiled_files.h"
#include "format/scenario_names.h"

namespace scenario {
namespace fs = std::filesystem;

compiled_set::compiled_set(const scenario_records& r, const fs::path& dir)
    : geometry_(r.build_geometry != 0),
      table_(general_table_bytes(r.general_table)),
      segments_(segments_bytes(r.segments)) {
  const std::vector<fs::path> paths = compiled_file_paths(r.line_id, r.train_code, geometry_, dir);
  std::vector<std::string_view> bytes;
  if (geometry_) bytes.push_back(line_geometry_file(r.track_geometry, encoded_plan_));
  bytes.push_back(table_);
  bytes.push_back(segments_);
  for (size_t i = 0; i < paths.size(); ++i) files_.push_back({paths[i], bytes[i]});
}

set_fingerprints compiled_set::fingerprints() const {
  return {geometry_ ? fingerprint(files_.front().bytes) : std::string(), fingerprint(table_),
          fingerprint(segments_)};
}

void write_compiled_files(const scenario_records& records, const fs::path& dir) {
  const compiled_set set(records, dir);
  replace_files(set.files());
}

}  // namespace scenario
