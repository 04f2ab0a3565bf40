#include "format/load_scenario.h"

#include <optional>
#include <string_view>
#include <system_error>

#include "system/files.h"

namespace scenario {
namespace fs = std::filesystem;
namespace {

route_plan decode_plan(std::string_view bytes) { return decode_line_geometry(bytes); }

// Decodes the files in their order; `bytes_of(kind)` gives a file's bytes,
// or nothing for a line geometry file that is not there, and `plan_of` the
// route plan of the line geometry file's bytes.
template <class BytesOf, class PlanOf = route_plan (*)(std::string_view)>
scenario_records decode_in_order(const fs::path& dir, const scenario_ids& ids, BytesOf bytes_of,
                                 PlanOf plan_of = decode_plan) {
  scenario_records r;
  r.line_id = ids.line_id;
  r.train_code = ids.train_code;
  file_kind current = file_kind::table;
  try {
    r.general_table = decode_general_table(*bytes_of(file_kind::table));
    current = file_kind::segments;
    r.segments = decode_segments(*bytes_of(file_kind::segments));
    r.segment_last = static_cast<int32_t>(r.segments.size()) - 1;
    current = file_kind::geometry;
    if (const std::optional<std::string_view> plan = bytes_of(file_kind::geometry)) {
      r.track_geometry = plan_of(*plan);
      r.build_geometry = 1;
      r.geometry_last = r.track_geometry.last();
    }
  } catch (const decode_error& e) {
    throw compiled_file_error(path_in(dir, compiled_file_name(current, ids)), e);
  }
  return r;
}

bool present(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

}  // namespace

compiled_file_error::compiled_file_error(fs::path file, const decode_error& cause)
    : std::runtime_error(cause.what()), file_(std::move(file)) {}

loaded_scenario load_scenario(const fs::path& dir, const scenario_ids& ids,
                              const loaded_scenario* like) {
  loaded_scenario loaded;
  std::string table, segments, plan;
  std::optional<std::string_view> like_plan;
  if (like && like->records.build_geometry) like_plan = like->records.track_geometry.file_bytes();
  bool reused = false;
  auto bytes_of = [&](file_kind kind) -> std::optional<std::string_view> {
    const fs::path path = path_in(dir, compiled_file_name(kind, ids));
    std::string& bytes = kind == file_kind::table      ? table
                         : kind == file_kind::segments ? segments
                                                       : plan;
    if (kind == file_kind::geometry && !present(path)) return std::nullopt;
    if (kind == file_kind::geometry && like_plan && file_holds(path, *like_plan)) {
      reused = true;
      return like_plan;
    }
    bytes = read_regular_file(path, most_bytes(kind));
    return bytes;
  };
  auto plan_of = [&](std::string_view bytes) -> route_plan {
    return reused ? like->records.track_geometry : decode_line_geometry(bytes);
  };
  loaded.records = decode_in_order(dir, ids, bytes_of, plan_of);
  std::string geometry_fingerprint;
  if (reused)
    geometry_fingerprint =
        like->fingerprints.geometry.empty() ? fingerprint(*like_plan) : like->fingerprints.geometry;
  else if (loaded.records.build_geometry != 0)
    geometry_fingerprint = fingerprint(plan);
  loaded.fingerprints = {geometry_fingerprint, fingerprint(table), fingerprint(segments)};
  return loaded;
}

scenario_records decode_scenario(const scenario_ids& ids, const compiled_bytes& files) {
  return decode_in_order({}, ids, [&](file_kind kind) -> std::optional<std::string_view> {
    switch (kind) {
      case file_kind::table:
        return files.table;
      case file_kind::segments:
        return files.segments;
      case file_kind::geometry:
        break;
    }
    if (files.geometry.empty()) return std::nullopt;
    return files.geometry;
  });
}

}  // namespace scenario
