#include "tool/commands/identifiers.h"

#include <algorithm>
#include <filesystem>

#include "system/platform.h"
#include "system/terminal_text.h"

namespace scenario::tool {
namespace {

constexpr std::string_view kLineEnding = "_linea.txt";
constexpr std::string_view kServiceEnding = "-.txt";

std::string last_component(std::string_view path) {
  return platform::utf8_of(platform::path_from_utf8(path).filename());
}

}  // namespace

std::optional<std::string> line_id_from_name(std::string_view name) {
  if (name.size() <= kLineEnding.size() ||
      name.substr(name.size() - kLineEnding.size()) != kLineEnding)
    return std::nullopt;
  return std::string(name.substr(0, name.size() - kLineEnding.size()));
}

std::optional<std::string> train_code_from_name(std::string_view name, std::string_view line_id) {
  const size_t prefix = line_id.size() + 1;
  if (name.size() <= prefix + kServiceEnding.size()) return std::nullopt;
  if (name.substr(0, line_id.size()) != line_id || name[line_id.size()] != '_') return std::nullopt;
  if (name.substr(name.size() - kServiceEnding.size()) != kServiceEnding) return std::nullopt;
  return std::string(name.substr(prefix, name.size() - prefix - kServiceEnding.size()));
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

identifiers resolve_identifiers(std::string_view line_path, std::string_view service_path,
                                const std::optional<std::string>& line_flag,
                                const std::optional<std::string>& train_flag) {
  identifiers ids;
  if (line_flag) {
    ids.line_id = *line_flag;
  } else if (auto id = line_id_from_name(last_component(line_path))) {
    ids.line_id = *id;
  } else {
    throw usage_error("cannot tell the line identifier from \"" + shortened(line_path) +
                      "\" (not named <line>_linea.txt): give --line-id");
  }
  check_identifier("line identifier", ids.line_id);
  if (train_flag) {
    ids.train_code = *train_flag;
  } else if (auto code = train_code_from_name(last_component(service_path), ids.line_id)) {
    ids.train_code = *code;
  } else {
    throw usage_error("cannot tell the train code from \"" + shortened(service_path) +
                      "\" (not named " + shortened(ids.line_id) +
                      "_<train>-.txt): give --train-code");
  }
  check_identifier("train code", ids.train_code);
  return ids;
}

}  // namespace scenario::tool
