#include "tool/commands/identifiers.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>

#include "format/decode.h"
#include "system/files.h"
#include "system/platform.h"
#include "system/terminal_text.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

std::string last_component(std::string_view path) {
  return platform::utf8_of(platform::path_from_utf8(path).filename());
}

std::string only_one(const std::set<std::string>& found, const fs::path& dir, std::string_view what,
                     std::string_view flag) {
  if (found.size() == 1) return *found.begin();
  if (found.empty())
    throw usage_error("no " + std::string(what) + " in " + shown(dir) + ": give " +
                      std::string(flag));
  std::string names;
  for (const std::string& f : found) names += (names.empty() ? "" : ", ") + f;
  throw usage_error("more than one " + std::string(what) + " in " + shown(dir) + " (" +
                    shortened(names, 2 * kQuotedBytes) + "): give " + std::string(flag));
}

// Without a line geometry file (a scenario compiled without its route plan)
// the table file names the scenario: the only one there, whose slots 85
// and 86 hold the identifiers its name is made of.
identifiers identifiers_from_table(const fs::path& dir, const std::set<std::string>& names) {
  std::set<std::string> tables;
  for (const std::string& name : names)
    if (scenario_of_table_name(name)) tables.insert(name);
  const std::string flags = ": give --line-id and --train-code";
  if (tables.size() != 1)
    throw usage_error(std::string(tables.empty() ? "no" : "more than one") +
                      " compiled scenario in " + shown(dir) + flags);
  const fs::path table = path_in(dir, *tables.begin());
  general_table_t slots;
  try {
    slots = decode_general_table(read_regular_file(table, kMostTableBytes));
  } catch (const decode_error&) {
    throw usage_error("cannot tell the identifiers of " + shown(table) + flags);
  }
  identifiers ids{slots[kSlotSceneryAndLine].text, slots[kSlotSignallingAndTrain].text};
  if (*tables.begin() != table_file_name(ids.line_id, ids.train_code))
    throw usage_error("cannot tell the identifiers of " + shown(table) + flags);
  return ids;
}

}  // namespace

std::set<std::string> file_names_in(const fs::path& dir) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) throw file_error("cannot read directory " + shown(dir) + ": " + ec.message());
  std::set<std::string> names;
  for (const fs::directory_entry& e : it) names.insert(platform::utf8_of(e.path().filename()));
  return names;
}

void check_identifier(std::string_view what, std::string_view id) {
  const auto control = std::find_if(id.begin(), id.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == '\x7F';
  });
  std::string problem;
  if (id.empty())
    problem = "is empty";
  else if (id.find('/') != std::string_view::npos)
    problem = "contains '/'";
  else if (id.find('\\') != std::string_view::npos)
    problem = "contains '\\'";
  else if (id.find("..") != std::string_view::npos)
    problem = "contains \"..\"";
  if (!problem.empty())
    throw usage_error(std::string(what) + " \"" + shortened(id) + "\" " + problem +
                      ": the compiled files' names must stay inside their directory");
  if (control != id.end())
    throw usage_error(std::string(what) + " \"" + shortened(id) + "\" contains " +
                      (*control == '\0' ? "a NUL byte" : "a control byte") +
                      ": file names and messages must not carry control bytes");
}

void check_train_code(std::string_view code) {
  check_identifier("train code", code);
  std::string folded(code);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (folded == "linea" || folded.ends_with("_linea"))
    throw usage_error("train code \"" + shortened(code) +
                      "\" ends in \"linea\": its segment file <line>_" + shortened(code) +
                      ".dat would be named like a line geometry file (<line>_linea.dat) and "
                      "replace another line's; choose another train code");
}

identifiers resolve_identifiers(std::string_view line_path, std::string_view service_path,
                                const std::optional<std::string>& line_flag,
                                const std::optional<std::string>& train_flag) {
  identifiers ids;
  if (line_flag) {
    ids.line_id = *line_flag;
  } else if (auto id = line_id_of_description_name(last_component(line_path))) {
    ids.line_id = *id;
  } else {
    throw usage_error("cannot tell the line identifier from \"" + shortened(line_path) +
                      "\" (not named <line>_linea.txt): give --line-id");
  }
  check_identifier("line identifier", ids.line_id);
  if (train_flag) {
    ids.train_code = *train_flag;
  } else if (auto code = train_code_of_service_name(last_component(service_path), ids.line_id)) {
    ids.train_code = *code;
  } else {
    throw usage_error("cannot tell the train code from \"" + shortened(service_path) +
                      "\" (not named " + shortened(ids.line_id) +
                      "_<train>-.txt): give --train-code");
  }
  check_train_code(ids.train_code);
  return ids;
}

identifiers find_scenario(const fs::path& dir, const std::optional<std::string>& line_id,
                          const std::optional<std::string>& train_code) {
  std::set<std::string> names;
  if (!line_id || !train_code) names = file_names_in(dir);
  identifiers ids;
  if (line_id) {
    ids.line_id = *line_id;
  } else {
    std::set<std::string> lines;
    for (const std::string& n : names)
      if (std::optional<std::string> line = line_id_of_geometry_name(n)) lines.insert(*line);
    ids.line_id = only_one(lines, dir, "line geometry file (<line>_linea.dat)", "--line-id");
  }
  check_identifier("line identifier", ids.line_id);
  if (train_code) {
    ids.train_code = *train_code;
  } else {
    std::set<std::string> trains;
    for (const std::string& n : names)
      if (std::optional<std::string> train = train_code_of_table_name(n, ids.line_id))
        trains.insert(*train);
    ids.train_code =
        only_one(trains, dir, "table file (" + ids.line_id + "_<train>.sim)", "--train-code");
  }
  check_identifier("train code", ids.train_code);
  return ids;
}

identifiers find_compiled_scenario(const fs::path& dir, const std::optional<std::string>& line_id,
                                   const std::optional<std::string>& train_code) {
  const std::set<std::string> names = file_names_in(dir);
  bool any_geometry = false;
  for (const std::string& name : names)
    any_geometry = any_geometry || compiled_kind_of_name(name) == file_kind::geometry;
  if (line_id || any_geometry) return find_scenario(dir, line_id, train_code);
  if (train_code) throw usage_error("give --line-id with --train-code");
  return identifiers_from_table(dir, names);
}

}  // namespace scenario::tool
