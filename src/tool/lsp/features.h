// What the language server offers an author on the two source texts, as
// plain functions over the texts' Windows-1252 bytes: the server maps the
// editor's characters to those bytes and the places back.  A place is a
// 0-based line and a 0-based byte in that line; lines end at "\n", a "\r"
// before it belongs to the line end.
#ifndef SCENARIO_TOOL_LSP_FEATURES_H_
#define SCENARIO_TOOL_LSP_FEATURES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool::lsp {

enum class text_kind { line_description, train_service };

struct text_place {
  int32_t line = 0;
  int32_t column = 0;
  bool operator==(const text_place&) const = default;
};
struct text_range {  // end exclusive
  text_place start, end;
  bool operator==(const text_range&) const = default;
};
struct text_edit {  // new_text in Windows-1252 bytes
  text_range range;
  std::string new_text;
};

// The two texts of a pair as bytes; `line_description` may be empty when
// there is none (a service text then gets only what it can without it).
struct text_pair {
  std::string_view line_description;
  std::string_view train_service;
};

struct hover_info {
  std::string markdown;  // UTF-8
  text_range range;
};
std::optional<hover_info> hover(const text_pair& texts, text_kind which, text_place at);

struct completion_item {
  std::string label;
  std::string detail;
  std::string documentation;
  std::string snippet;  // LSP snippet syntax, ${1:name}
  enum class kind { section, keyword } what;
};
std::vector<completion_item> completion(const text_pair& texts, text_kind which, text_place at);

struct signature_info {
  std::string label;
  std::vector<std::string> parameters;
  std::string documentation;
  int active_parameter = 0;
};
std::optional<signature_info> signature_help(const text_pair& texts, text_kind which,
                                             text_place at);

struct document_symbol {
  std::string name;
  std::string detail;
  enum class kind { section, station, signal, slowdown, tunnel, entry } what;
  text_range range, selection;
  std::vector<document_symbol> children;
};
std::vector<document_symbol> document_symbols(std::string_view text, text_kind which);

struct folding_range {
  int32_t start_line, end_line;
};
std::vector<folding_range> folding_ranges(std::string_view text);

// The whole text formatted (one entry per line, columns aligned as
// decompile writes them); the compiled bytes of the pair must not change.
// `range` given: only entries on those lines change.
std::vector<text_edit> format(std::string_view text, text_kind which,
                              std::optional<text_range> range);

// A diagnostic as the server has it from the compilation (id = warning id
// or failure code as text).
struct diagnostic_ref {
  std::string id;
  text_range range;
  std::string message;
};
struct code_action {
  std::string title;
  std::vector<text_edit> edits;
  bool preferred = true;
};
std::vector<code_action> code_actions(const text_pair& texts, text_kind which,
                                      const diagnostic_ref& d);

struct inlay_hint {  // label like "position:" shown before a value
  text_place at;
  std::string label;
};
std::vector<inlay_hint> inlay_hints(std::string_view text, text_kind which, text_range range);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_FEATURES_H_
