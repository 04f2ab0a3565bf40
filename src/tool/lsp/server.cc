#include "tool/lsp/server.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "compile/explanations.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "system/platform.h"
#include "tool/lsp/document_uri.h"
#include "tool/lsp/feature_json.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool::lsp {
namespace {

constexpr std::string_view kLineSuffix = "_linea.txt";
constexpr std::string_view kServiceSuffix = "-.txt";
// A partner read from disk may be no larger than a body the server takes.
constexpr std::uint64_t kLargestPartner = kLargestBody;

bool is_line_name(std::string_view name) { return name.ends_with(kLineSuffix); }

text_kind kind_of(std::string_view name, std::string_view language) {
  if (is_line_name(name)) return text_kind::line_description;
  if (name.ends_with(kServiceSuffix)) return text_kind::train_service;
  return language == "scenario-line" ? text_kind::line_description : text_kind::train_service;
}

std::optional<std::string> read_partner(const std::string& uri) {
  const std::optional<std::string> path = path_of(uri);
  if (!path) return std::nullopt;
  try {
    return read_whole_file(platform::path_from_utf8(*path), kLargestPartner);
  } catch (const file_error&) {
    return std::nullopt;
  }
}

json diagnostic_json(const text_frame& frame, const text_diagnostic& d,
                     const std::function<std::optional<json>(const related_place&)>& related) {
  json j = {{"range", range_json(frame, d.range)},
            {"severity", static_cast<int>(d.severity)},
            {"code", d.code},
            {"source", "scenario"},
            {"message", d.message}};
  json places = json::array();
  for (const related_place& r : d.related)
    if (std::optional<json> location = related(r))
      places.push_back({{"location", *location}, {"message", "the entry the message names"}});
  if (!places.empty()) j["relatedInformation"] = places;
  return j;
}

std::string explanation_markdown(const std::string& id) {
  const explanation* e = find_explanation(id);
  if (e == nullptr) return {};
  std::string text = "**" + id + "**: " + std::string(e->meaning) + "\n\n" +
                     std::string(e->causes) + "\n\n*How to fix it:* " + std::string(e->fix);
  if (!e->example.empty()) text += "\n\n```\n" + std::string(e->example) + "\n```";
  return identifier_text(text);
}

bool contains(const text_range& r, text_place p) {
  auto before = [](text_place a, text_place b) {
    return a.line < b.line || (a.line == b.line && a.column <= b.column);
  };
  return before(r.start, p) && before(p, r.end);
}

// The server's errors name what is wrong with a request; a JSON exception's
// own words say where.
struct invalid_params {
  std::string what;
};

// A line description none of whose service texts is open nor beside it on
// disk: what the author would have to write.
std::optional<std::string> missing_service(std::string_view line_uri, std::string_view line_name) {
  const std::optional<std::string> line_id = line_id_of_description_name(line_name);
  const std::optional<std::string> folder = path_of(std::string(folder_of(line_uri)));
  if (!line_id || !folder) return std::nullopt;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(platform::path_from_utf8(*folder), ec))
    if (train_code_of_service_name(platform::utf8_of(entry.path().filename()), *line_id))
      return std::nullopt;
  return "no train service text " + train_service_file_name(*line_id, "<train>") +
         " is open or beside it: the line description is checked alone";
}

}  // namespace

server::server(feature_table features, sender send, std::ostream* log,
               std::chrono::milliseconds debounce)
    : features_(std::move(features)), send_(std::move(send)), log_(log), debounce_(debounce) {}

void server::logged(const std::string& what) const {
  if (log_ != nullptr) *log_ << what << std::endl;
}

void server::send_result(const json& id, json result) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void server::send_error(const json& id, int code, const std::string& message) {
  logged("error " + std::to_string(code) + ": " + message);
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void server::handle_frame(const frame& f) {
  if (!f.fault.empty()) {
    send_error(nullptr, kParseError, f.fault);
    return;
  }
  json message = json::parse(f.body, nullptr, false);
  if (message.is_discarded()) {
    send_error(nullptr, kParseError, "the message is not JSON");
    return;
  }
  handle(message);
}

void server::handle(const json& message) {
  if (!message.is_object()) {
    send_error(nullptr, kInvalidRequest, "a message must be a JSON object");
    return;
  }
  const auto id = message.find("id");
  const bool is_request = id != message.end();
  if (is_request && !id->is_number_integer() && !id->is_string()) {
    send_error(nullptr, kInvalidRequest, "a request's id must be a number or a string");
    return;
  }
  const auto method = message.find("method");
  if (method == message.end()) return;  // a response: the server asks nothing
  if (!method->is_string()) {
    if (is_request) send_error(*id, kInvalidRequest, "the method must be a string");
    return;
  }
  static const json kNoParams = json::object();
  const auto params = message.find("params");
  const json& p = params == message.end() ? kNoParams : *params;
  if (is_request)
    request(*id, method->get<std::string>(), p);
  else
    notification(method->get<std::string>(), p);
}

void server::request(const json& id, const std::string& method, const json& params) {
  if (method == "initialize") {
    if (initialized_) return send_error(id, kInvalidRequest, "the server is initialized already");
    initialized_ = true;
    return send_result(id, initialize(params));
  }
  if (!initialized_) return send_error(id, kServerNotInitialized, "initialize comes first");
  if (shut_down_) return send_error(id, kInvalidRequest, "the server is shut down");
  if (method == "shutdown") {
    shut_down_ = true;
    return send_result(id, nullptr);
  }
  try {
    json result = answer(method, params);
    if (result.is_discarded()) return send_error(id, kMethodNotFound, "no method " + method);
    send_result(id, std::move(result));
  } catch (const invalid_params& e) {
    send_error(id, kInvalidParams, e.what);
  } catch (const json::exception& e) {
    send_error(id, kInvalidParams, e.what());
  }
}

void server::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shut_down_) return;
  try {
    if (method == "textDocument/didOpen") {
      did_open(params);
    } else if (method == "textDocument/didChange") {
      did_change(params);
    } else if (method == "textDocument/didClose") {
      did_close(params);
    } else if (method == "textDocument/didSave") {
      files_changed_in(
          std::string(folder_of(params.at("textDocument").at("uri").get<std::string>())));
    } else if (method == "workspace/didChangeWatchedFiles") {
      for (const json& change : params.at("changes"))
        files_changed_in(std::string(folder_of(change.at("uri").get<std::string>())));
    }
  } catch (const json::exception& e) {
    logged(method + ": " + e.what());
  }
}

json server::initialize(const json& params) {
  encoding_ = position_encoding::utf16;
  if (const auto general = params.find("capabilities");
      general != params.end() && general->is_object())
    if (const auto g = general->find("general"); g != general->end() && g->is_object())
      if (const auto offered = g->find("positionEncodings");
          offered != g->end() && offered->is_array())
        for (const json& e : *offered)
          if (e == "utf-8") encoding_ = position_encoding::utf8;
  json capabilities = {
      {"positionEncoding", encoding_ == position_encoding::utf8 ? "utf-8" : "utf-16"},
      {"textDocumentSync",
       {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
      {"hoverProvider", true},
      {"completionProvider", {{"triggerCharacters", {"["}}, {"resolveProvider", false}}},
      {"signatureHelpProvider", {{"triggerCharacters", {","}}}},
      {"documentSymbolProvider", true},
      {"foldingRangeProvider", true},
      {"documentFormattingProvider", true},
      {"documentRangeFormattingProvider", true},
      {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
      {"inlayHintProvider", true}};
  return {{"capabilities", capabilities},
          {"serverInfo", {{"name", "scenario-tool lsp"}, {"version", "1.0.0"}}}};
}

server::document* server::find(const json& params) {
  const std::string& uri = params.at("textDocument").at("uri").get_ref<const std::string&>();
  const auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : &it->second;
}

void server::mark_due(document& d) { d.due = clock::now() + debounce_; }

void server::did_open(const json& params) {
  const json& item = params.at("textDocument");
  document d;
  d.uri = item.at("uri").get<std::string>();
  d.name = name_of(d.uri);
  d.kind = kind_of(d.name, item.value("languageId", ""));
  d.text = document_text(item.at("text").get_ref<const std::string&>());
  d.version = item.value("version", 0);
  document& stored = documents_[d.uri] = std::move(d);
  mark_due(stored);
  // Its partners compile with it now.
  files_changed_in(std::string(folder_of(stored.uri)));
}

void server::did_change(const json& params) {
  document* d = find(params);
  const json& item = params.at("textDocument");
  if (d == nullptr) {
    logged("didChange for " + item.at("uri").get<std::string>() + ", which is not open: ignored");
    return;
  }
  const int64_t version = item.value("version", d->version + 1);
  if (version <= d->version) {
    logged("didChange of version " + std::to_string(version) + " after version " +
           std::to_string(d->version) + ": ignored");
    return;
  }
  for (const json& change : params.at("contentChanges")) {
    const std::string& text = change.at("text").get_ref<const std::string&>();
    if (const auto range = change.find("range"); range != change.end()) {
      const text_range r = range_of(frame_of(*d), *range);
      d->text.replace(r.start, r.end, text);
    } else {
      d->text = document_text(text);
    }
  }
  d->version = version;
  mark_due(*d);
}

void server::did_close(const json& params) {
  document* d = find(params);
  if (d == nullptr) return;
  const std::string uri = d->uri, folder(folder_of(uri));
  documents_.erase(uri);
  // Whatever was published for texts no longer open goes; the open texts of
  // the folder compile again without it and say again what is theirs.
  for (auto it = published_.begin(); it != published_.end();) {
    if (documents_.count(it->first) == 0) {
      send_({{"jsonrpc", "2.0"},
             {"method", "textDocument/publishDiagnostics"},
             {"params", {{"uri", it->first}, {"diagnostics", json::array()}}}});
      it = published_.erase(it);
    } else {
      ++it;
    }
  }
  files_changed_in(folder);
}

void server::files_changed_in(const std::string& folder) {
  for (auto& [uri, d] : documents_)
    if (folder_of(uri) == folder) mark_due(d);
}

std::string server::partner_bytes(const document& d) const {
  const group g = group_of(d);
  if (d.kind == text_kind::train_service) return g.line_bytes.value_or("");
  return g.services.empty() ? std::string() : g.services.front()->text.bytes();
}

server::group server::group_of(const document& d) const {
  group g;
  if (d.kind == text_kind::line_description) {
    g.line_uri = d.uri;
    g.line_name = d.name;
    g.line_bytes = d.text.bytes();
  } else {
    // "<line>_<train>-.txt": the line identifier may hold '_' itself; the
    // longest that names a line description here wins.
    for (std::size_t cut = d.name.rfind('_'); cut != std::string::npos && cut > 0;
         cut = d.name.rfind('_', cut - 1)) {
      const std::string line_id = d.name.substr(0, cut);
      if (!train_code_of_service_name(d.name, line_id)) continue;
      const std::string name = line_description_file_name(line_id);
      const std::string uri = sibling(d.uri, name);
      g.looked_for.push_back(name);
      if (const auto open = documents_.find(uri); open != documents_.end()) {
        g.line_bytes = open->second.text.bytes();
      } else {
        g.line_bytes = read_partner(uri);
      }
      if (g.line_bytes) {
        g.line_uri = uri;
        g.line_name = name;
        break;
      }
    }
    if (!g.line_bytes) {
      g.alone = &d;
      return g;
    }
  }
  const std::optional<std::string> line_id = line_id_of_description_name(g.line_name);
  for (const auto& [uri, other] : documents_)
    if (other.kind == text_kind::train_service && line_id &&
        folder_of(uri) == folder_of(g.line_uri) && train_code_of_service_name(other.name, *line_id))
      g.services.push_back(&other);
  return g;
}

std::vector<text_diagnostic> server::encoding_diagnostics(const document& d) const {
  std::vector<text_diagnostic> out;
  for (const unencodable& u : d.text.unencodables()) {
    const text_place at = d.text.place_at(u.offset);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(u.code_point));
    out.push_back({{at, {at.line, at.column + 1}},
                   level::warning,
                   "encoding",
                   std::string("the character ") + code +
                       " has no Windows-1252 byte: the texts are Windows-1252, and it is read "
                       "as '?'",
                   {}});
  }
  return out;
}

// A service text whose line description is nowhere: a note saying which
// file was looked for, and what its own characters earn.
compiled_group server::compile_alone(const document& d,
                                     const std::vector<std::string>& looked_for) const {
  std::string names;
  for (const std::string& n : looked_for) names += (names.empty() ? "" : " or ") + n;
  compiled_group out;
  std::vector<text_diagnostic>& list = out.diagnostics[d.uri];
  list.push_back({{{0, 0}, {0, 0}},
                  level::information,
                  "no-partner",
                  names.empty() ? "not named <line>_<train>-.txt: there is no line description "
                                  "to compile it with"
                                : "no line description " + names +
                                      " beside it, open or on disk: a train service text is "
                                      "compiled with its line description",
                  {}});
  const std::vector<text_diagnostic> enc = encoding_diagnostics(d);
  list.insert(list.end(), enc.begin(), enc.end());
  json& published = out.published[d.uri] = json::array();
  for (const text_diagnostic& t : list)
    published.push_back(
        diagnostic_json(frame_of(d), t, [](const related_place&) { return std::nullopt; }));
  out.versions[d.uri] = d.version;
  return out;
}

compiled_group server::compile(const group& g) const {
  if (g.alone != nullptr) return compile_alone(*g.alone, g.looked_for);
  compiled_group out;
  const auto line_doc = documents_.find(g.line_uri);
  const document_text disk_line =
      line_doc == documents_.end() ? document_text::of_bytes(*g.line_bytes) : document_text();
  const document_text& line_text = line_doc == documents_.end() ? disk_line : line_doc->second.text;
  const named_text line{g.line_name, *g.line_bytes};
  std::vector<text_diagnostic>& line_list = out.diagnostics[g.line_uri];
  json& line_json = out.published[g.line_uri] = json::array();
  auto add_line = [&](const text_diagnostic& d,
                      const std::function<std::optional<json>(const related_place&)>& related) {
    if (std::any_of(line_list.begin(), line_list.end(),
                    [&d](const text_diagnostic& e) { return same_diagnostic(d, e); }))
      return;
    line_list.push_back(d);
    line_json.push_back(diagnostic_json({line_text, encoding_}, d, related));
  };
  auto place = [&](const std::string& uri, const document_text& text) {
    return [this, uri, &text](const text_range& r) {
      return json{{"uri", uri}, {"range", range_json({text, encoding_}, r)}};
    };
  };
  if (g.services.empty()) {
    const auto in_line = place(g.line_uri, line_text);
    for (const text_diagnostic& d : diagnose(line, std::nullopt).line_description)
      add_line(d, [&](const related_place& r) -> std::optional<json> {
        if (r.text != text_kind::line_description) return std::nullopt;
        return in_line(r.range);
      });
    if (const std::optional<std::string> missing = missing_service(g.line_uri, g.line_name)) {
      add_line({{{0, 0}, {0, 0}}, level::information, "no-partner", *missing, {}},
               [](const related_place&) { return std::nullopt; });
    }
  }
  for (const document* s : g.services) {
    const pair_diagnostics found = diagnose(line, named_text{s->name, s->text.bytes()});
    const auto in_line = place(g.line_uri, line_text);
    const auto in_service = place(s->uri, s->text);
    const auto related = [&](const related_place& r) -> std::optional<json> {
      return r.text == text_kind::line_description ? in_line(r.range) : in_service(r.range);
    };
    for (const text_diagnostic& d : found.line_description) add_line(d, related);
    std::vector<text_diagnostic>& list = out.diagnostics[s->uri];
    list = found.train_service;
    const std::vector<text_diagnostic> enc = encoding_diagnostics(*s);
    list.insert(list.end(), enc.begin(), enc.end());
    json& published = out.published[s->uri] = json::array();
    for (const text_diagnostic& d : list)
      published.push_back(diagnostic_json(frame_of(*s), d, related));
    out.versions[s->uri] = s->version;
  }
  if (line_doc != documents_.end()) {
    for (const text_diagnostic& d : encoding_diagnostics(line_doc->second))
      add_line(d, [](const related_place&) { return std::nullopt; });
    out.versions[g.line_uri] = line_doc->second.version;
  }
  return out;
}

std::optional<clock::time_point> server::next_due() const {
  std::optional<clock::time_point> next;
  for (const auto& [uri, d] : documents_)
    if (d.due && (!next || *d.due < *next)) next = d.due;
  return next;
}

std::vector<compiled_group> server::compile_due(clock::time_point now) {
  std::vector<compiled_group> out;
  std::set<std::string> done;
  for (auto& [uri, d] : documents_) {
    if (!d.due || *d.due > now) continue;
    const group g = group_of(d);
    const std::string key = g.alone != nullptr ? uri : g.line_uri;
    if (!done.insert(key).second) continue;
    out.push_back(compile(g));
  }
  // Every text compiled is up to date, whether it was due or came along.
  for (const compiled_group& c : out)
    for (const auto& [uri, version] : c.versions)
      if (auto it = documents_.find(uri); it != documents_.end()) it->second.due.reset();
  return out;
}

void server::publish(const std::vector<compiled_group>& groups) {
  for (const compiled_group& c : groups) {
    const bool current = std::all_of(c.versions.begin(), c.versions.end(), [&](const auto& v) {
      const auto it = documents_.find(v.first);
      return it != documents_.end() && it->second.version == v.second;
    });
    if (!current) continue;
    for (const auto& [uri, diagnostics] : c.published) {
      json params = {{"uri", uri}, {"diagnostics", diagnostics}};
      if (const auto it = c.versions.find(uri); it != c.versions.end())
        params["version"] = it->second;
      send_(
          {{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", params}});
      published_[uri] = c.diagnostics.at(uri);
    }
  }
}

void server::compile_and_publish_all() { publish(compile_due(clock::time_point::max())); }

json server::hover(const document& d, text_place at, const text_pair& texts) const {
  std::optional<hover_info> info;
  if (features_.hover) info = features_.hover(texts, d.kind, at);
  std::string extra;
  text_range extra_range{at, at};
  if (const auto it = published_.find(d.uri); it != published_.end()) {
    for (const text_diagnostic& diag : it->second) {
      if (!contains(diag.range, at)) continue;
      const std::string text = explanation_markdown(diag.code);
      if (text.empty() || extra.find(text) != std::string::npos) continue;
      extra += (extra.empty() ? "" : "\n\n---\n\n") + text;
      extra_range = diag.range;
    }
  }
  return hover_json(frame_of(d), info, extra, extra_range);
}

json server::code_actions(const document& d, const json& params, const text_pair& texts) const {
  json list = json::array();
  if (!features_.code_actions) return list;
  const json& context = params.at("context");
  for (const json& diagnostic : context.at("diagnostics")) {
    const diagnostic_ref ref = diagnostic_ref_of(frame_of(d), diagnostic);
    for (json& action : code_actions_json(frame_of(d), d.uri,
                                          features_.code_actions(texts, d.kind, ref), diagnostic))
      list.push_back(std::move(action));
  }
  return list;
}

json server::answer(const std::string& method, const json& params) {
  static const std::set<std::string> kKnown = {
      "textDocument/hover",           "textDocument/completion",   "textDocument/signatureHelp",
      "textDocument/documentSymbol",  "textDocument/foldingRange", "textDocument/formatting",
      "textDocument/rangeFormatting", "textDocument/codeAction",   "textDocument/inlayHint"};
  if (kKnown.count(method) == 0) return json(json::value_t::discarded);
  if (!params.is_object()) throw invalid_params{"params must be an object"};
  const document* d = find(params);
  if (d == nullptr) {
    // A text the editor has not opened: nothing to say about it.
    const bool lists = method != "textDocument/hover" && method != "textDocument/signatureHelp";
    return lists ? json::array() : json(nullptr);
  }
  const text_frame frame = frame_of(*d);
  const std::string partner = partner_bytes(*d);
  const text_pair texts = d->kind == text_kind::line_description
                              ? text_pair{d->text.bytes(), partner}
                              : text_pair{partner, d->text.bytes()};
  auto at = [&] {
    const json& p = params.at("position");
    return range_of(frame, {{"start", p}, {"end", p}}).start;
  };
  if (method == "textDocument/hover") return hover(*d, at(), texts);
  if (method == "textDocument/completion")
    return completion_json(features_.completion ? features_.completion(texts, d->kind, at())
                                                : std::vector<completion_item>{});
  if (method == "textDocument/signatureHelp")
    return signature_help_json(
        features_.signature_help ? features_.signature_help(texts, d->kind, at()) : std::nullopt);
  const std::string_view bytes = d->text.bytes();
  if (method == "textDocument/documentSymbol")
    return document_symbols_json(frame, features_.document_symbols
                                            ? features_.document_symbols(bytes, d->kind)
                                            : std::vector<document_symbol>{});
  if (method == "textDocument/foldingRange")
    return folding_ranges_json(features_.folding_ranges ? features_.folding_ranges(bytes)
                                                        : std::vector<folding_range>{});
  if (method == "textDocument/formatting" || method == "textDocument/rangeFormatting") {
    std::optional<text_range> range;
    if (method == "textDocument/rangeFormatting") range = range_of(frame, params.at("range"));
    return text_edits_json(frame, features_.format ? features_.format(bytes, d->kind, range)
                                                   : std::vector<text_edit>{});
  }
  if (method == "textDocument/codeAction") return code_actions(*d, params, texts);
  // textDocument/inlayHint
  const text_range range = range_of(frame, params.at("range"));
  return inlay_hints_json(frame, features_.inlay_hints
                                     ? features_.inlay_hints(bytes, d->kind, range)
                                     : std::vector<inlay_hint>{});
}

}  // namespace scenario::tool::lsp
