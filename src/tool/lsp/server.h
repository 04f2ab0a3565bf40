// The language server's message handling: the lifecycle, the open texts,
// their pairs and diagnostics, and the answers of the editor features.  It
// reads no stream and starts no thread: the loop (server_loop.h) hands it
// framed messages and the time, and it sends what it has to say through a
// function, so that tests and the fuzz target drive it directly.
#ifndef SCENARIO_TOOL_LSP_SERVER_H_
#define SCENARIO_TOOL_LSP_SERVER_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tool/lsp/document_text.h"
#include "tool/lsp/feature_json.h"
#include "tool/lsp/feature_table.h"
#include "tool/lsp/message_framing.h"
#include "tool/lsp/pair_diagnostics.h"

namespace scenario::tool::lsp {

using nlohmann::json;
using clock = std::chrono::steady_clock;

// JSON-RPC and LSP error codes.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;

// How long the texts stay unchanged before they are compiled.
inline constexpr std::chrono::milliseconds kDebounce{150};

// The diagnostics of one compilation of a group of texts (a line
// description and the open service texts of its line), for each text by
// URI, with the versions of the open texts they were computed from.
struct compiled_group {
  std::map<std::string, std::vector<text_diagnostic>> diagnostics;
  std::map<std::string, json> published;  // the same as the editor gets them
  std::map<std::string, int64_t> versions;
};

class server {
 public:
  using sender = std::function<void(const json&)>;

  server(feature_table features, sender send, std::ostream* log = nullptr,
         std::chrono::milliseconds debounce = kDebounce);

  // One frame of the editor's: its JSON handled, or the error it earns.
  void handle_frame(const frame& f);
  void handle(const json& message);

  // After the exit notification: the process ends with exit_status().
  bool exited() const { return exited_; }
  int exit_status() const { return shut_down_ ? 0 : 1; }

  // When the next compilation is due; none while every text is compiled.
  std::optional<clock::time_point> next_due() const;
  // Compiles the groups of the texts due by `now` (every changed text with
  // `now` = time_point::max()) without publishing.
  std::vector<compiled_group> compile_due(clock::time_point now);
  // Publishes what is still current: a group one of whose texts changed
  // since its compilation waits for the compilation that change is due for.
  void publish(const std::vector<compiled_group>& groups);
  // Both, for everything changed: what the loop does once the debounce is over.
  void compile_and_publish_all();

 private:
  struct document {
    std::string uri, name;
    text_kind kind = text_kind::line_description;
    document_text text;
    int64_t version = 0;
    std::optional<clock::time_point> due;
  };
  // Who compiles with whom.
  struct group {
    std::string line_uri, line_name;
    std::optional<std::string> line_bytes;  // none: not found
    std::vector<std::string> looked_for;    // the names searched when not found
    std::vector<const document*> services;  // open, of that line
    const document* alone = nullptr;        // a text whose partner is not found
  };

  void request(const json& id, const std::string& method, const json& params);
  void notification(const std::string& method, const json& params);
  json answer(const std::string& method, const json& params);
  json initialize(const json& params);

  void did_open(const json& params);
  void did_change(const json& params);
  void did_close(const json& params);
  void files_changed_in(const std::string& folder);
  void mark_due(document& d);

  group group_of(const document& d) const;
  compiled_group compile(const group& g) const;
  compiled_group compile_alone(const document& d, const std::vector<std::string>& looked_for) const;
  std::vector<text_diagnostic> encoding_diagnostics(const document& d) const;

  document* find(const json& params);
  text_frame frame_of(const document& d) const { return {d.text, encoding_}; }
  std::string partner_bytes(const document& d) const;
  json hover(const document& d, text_place at, const text_pair& texts) const;
  json code_actions(const document& d, const json& params, const text_pair& texts) const;

  void send_result(const json& id, json result);
  void send_error(const json& id, int code, const std::string& message);
  void logged(const std::string& what) const;

  feature_table features_;
  sender send_;
  std::ostream* log_;
  std::chrono::milliseconds debounce_;
  position_encoding encoding_ = position_encoding::utf16;
  bool initialized_ = false, shut_down_ = false, exited_ = false;
  std::map<std::string, document> documents_;
  std::map<std::string, std::vector<text_diagnostic>> published_;
};

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_SERVER_H_
