#include "format/scenario_names.h"

#include "system/platform.h"

namespace scenario {
namespace {

constexpr std::string_view kGeometryEnding = "_linea.dat";
constexpr std::string_view kTableEnding = ".sim";
constexpr std::string_view kSegmentEnding = ".dat";
constexpr std::string_view kDescriptionEnding = "_linea.txt";
constexpr std::string_view kServiceEnding = "-.txt";

std::string joined(std::string_view line_id, std::string_view train_code, std::string_view ending) {
  std::string name;
  name.reserve(line_id.size() + 1 + train_code.size() + ending.size());
  name.append(line_id).append("_").append(train_code).append(ending);
  return name;
}

// What stands before `ending`; nothing when the name does not end so or
// nothing stands before it.
std::optional<std::string_view> before(std::string_view name, std::string_view ending) {
  if (name.size() <= ending.size() || !name.ends_with(ending)) return std::nullopt;
  return name.substr(0, name.size() - ending.size());
}

// The train code of "<line>_<train><ending>" for the given line.
std::optional<std::string> train_code_of(std::string_view name, std::string_view line_id,
                                         std::string_view ending) {
  const std::optional<std::string_view> stem = before(name, ending);
  if (!stem || stem->size() <= line_id.size() + 1 || !stem->starts_with(line_id) ||
      (*stem)[line_id.size()] != '_')
    return std::nullopt;
  return std::string(stem->substr(line_id.size() + 1));
}

std::optional<std::string> owned(std::optional<std::string_view> s) {
  if (!s) return std::nullopt;
  return std::string(*s);
}

}  // namespace

std::string line_geometry_file_name(std::string_view line_id) {
  return std::string(line_id) + std::string(kGeometryEnding);
}

std::string table_file_name(std::string_view line_id, std::string_view train_code) {
  return joined(line_id, train_code, kTableEnding);
}

std::string segment_file_name(std::string_view line_id, std::string_view train_code) {
  return joined(line_id, train_code, kSegmentEnding);
}

std::string compiled_file_name(file_kind kind, const scenario_ids& ids) {
  switch (kind) {
    case file_kind::geometry:
      return line_geometry_file_name(ids.line_id);
    case file_kind::table:
      return table_file_name(ids.line_id, ids.train_code);
    case file_kind::segments:
      break;
  }
  return segment_file_name(ids.line_id, ids.train_code);
}

std::string line_description_file_name(std::string_view line_id) {
  return std::string(line_id) + std::string(kDescriptionEnding);
}

std::string train_service_file_name(std::string_view line_id, std::string_view train_code) {
  return joined(line_id, train_code, kServiceEnding);
}

std::string document_file_name(std::string_view line_id, std::string_view train_code,
                               document which) {
  switch (which) {
    case document::notes:
      return joined(line_id, train_code, "_note.txt");
    case document::slow_orders:
      return joined(line_id, train_code, "_rallentamenti.txt");
    case document::train_sheet:
      break;
  }
  return joined(line_id, train_code, "_scheda_treno.txt");
}

std::string compile_record_name(std::string_view line_id, std::string_view train_code) {
  return joined(line_id, train_code, ".report.json");
}

std::string picture_file_name(const scenario_ids& ids, std::string_view extension) {
  return joined(ids.line_id, ids.train_code, extension);
}

std::filesystem::path path_in(const std::filesystem::path& dir, std::string_view name) {
  return dir / platform::path_from_utf8(name);
}

std::vector<std::filesystem::path> compiled_file_paths(std::string_view line_id,
                                                       std::string_view train_code, bool geometry,
                                                       const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> paths;
  if (geometry) paths.push_back(path_in(dir, line_geometry_file_name(line_id)));
  paths.push_back(path_in(dir, table_file_name(line_id, train_code)));
  paths.push_back(path_in(dir, segment_file_name(line_id, train_code)));
  return paths;
}

std::optional<file_kind> compiled_kind_of_name(std::string_view name) {
  // The kind is told by the ending alone: `dump` reads any file so named,
  // whatever stands before it.
  if (name.ends_with(kGeometryEnding)) return file_kind::geometry;
  if (name.ends_with(kTableEnding)) return file_kind::table;
  if (name.ends_with(kSegmentEnding)) return file_kind::segments;
  return std::nullopt;
}

std::optional<std::string> line_id_of_geometry_name(std::string_view name) {
  return owned(before(name, kGeometryEnding));
}

std::optional<std::string> line_id_of_description_name(std::string_view name) {
  return owned(before(name, kDescriptionEnding));
}

std::optional<std::string> train_code_of_table_name(std::string_view name,
                                                    std::string_view line_id) {
  return train_code_of(name, line_id, kTableEnding);
}

std::optional<std::string> train_code_of_service_name(std::string_view name,
                                                      std::string_view line_id) {
  return train_code_of(name, line_id, kServiceEnding);
}

std::optional<std::string> scenario_of_table_name(std::string_view name) {
  return owned(before(name, kTableEnding));
}

}  // namespace scenario
