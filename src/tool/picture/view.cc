#include "tool/picture/view.h"

#include <cmath>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "model/fields.h"
#include "model/positions.h"
#include "model/rounding.h"
#include "system/terminal_text.h"
#include "tool/picture/sha256.h"
#include "tool/picture/view_assets.h"
#include "tool/report/dump.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool {
namespace {

using nlohmann::json;

// No railway's coordinates come near 10^12 m (a thousand million km); a
// value beyond that is kept off the drawing, which also keeps every
// millimetre count exact in the page's doubles (below 2^53).
constexpr double kDrawableMetres = 1e12;
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int64_t kLetterZero = 26;

// A route-plan cell in whole millimetres, read back from its text rounded
// to three decimals, so that the page's figures are the printed ones.
struct plan_cell {
  enum class form { value, empty, undrawable };
  form shape = form::empty;
  int64_t mm = 0;
  bool minus_zero = false;
  std::string text;  // as printed, for an undrawable value
};

plan_cell millimetres(const route_plan& plan, int32_t metre, int column) {
  if (plan.tag(metre, column) == cell_tag::empty) return {};
  const double v = plan.value(metre, column);
  std::string text = coordinate_text(v);
  if (!std::isfinite(v) || std::abs(v) >= kDrawableMetres)
    return {plan_cell::form::undrawable, 0, false, std::move(text)};
  int64_t mm = 0;
  for (char c : text)
    if (c >= '0' && c <= '9') mm = mm * 10 + (c - '0');
  const bool negative = text.front() == '-';
  return {plan_cell::form::value, negative ? -mm : mm, negative && mm == 0, {}};
}

// Writes the tokens of a plan column, folding repeats of a one-character
// token into that character and a count.
class token_writer {
 public:
  void put(std::string_view token) {
    if (token.size() == 1 && token == pending_) {
      ++repeat_;
      return;
    }
    flush();
    if (token.size() == 1) {
      pending_ = token;
      repeat_ = 1;
    } else {
      out_ += token;
    }
  }
  std::string finish() {
    flush();
    return std::move(out_);
  }

 private:
  void flush() {
    out_ += pending_;
    if (repeat_ > 1) out_ += std::to_string(repeat_);
    pending_.clear();
    repeat_ = 0;
  }

  std::string out_;
  std::string pending_;
  size_t repeat_ = 0;
};

// Every cell whose point fields are not all zero, as one array per field,
// with the position an author writes to put its object there (null where
// no entry places that kind by position).
json point_columns(const std::vector<track_segment>& cells) {
  const auto& fields = kSegmentFieldList;
  json columns = {{"cell", json::array()}, {"position", json::array()}};
  for (size_t f = 0; f < kPointFieldCount; ++f)
    columns[std::string(fields[f].name)] = json::array();
  for (size_t i = 0; i < cells.size(); ++i) {
    bool set = false;
    for (size_t f = 0; f < kPointFieldCount; ++f) set = set || fields[f].value(cells[i]) != 0;
    if (!set) continue;
    columns["cell"].push_back(i);
    const std::optional<int64_t> at = author_position(cells[i].kind, static_cast<int64_t>(i));
    columns["position"].push_back(at ? json(*at) : json(nullptr));
    for (size_t f = 0; f < kPointFieldCount; ++f)
      columns[std::string(fields[f].name)].push_back(fields[f].value(cells[i]));
  }
  return columns;
}

// The per-cell properties as runs: the first cell of each run and its value.
json property_runs(const std::vector<track_segment>& cells) {
  const auto& fields = kSegmentFieldList;
  json runs = json::object();
  for (size_t f = kPointFieldCount; f < fields.size(); ++f) {
    json starts = json::array(), values = json::array();
    for (size_t i = 0; i < cells.size(); ++i) {
      const int v = fields[f].value(cells[i]);
      if (i > 0 && v == fields[f].value(cells[i - 1])) continue;
      starts.push_back(i);
      values.push_back(v);
    }
    runs[std::string(fields[f].name)] = {{"cell", starts}, {"value", values}};
  }
  return runs;
}

// The names the listings give kinds and values, for the kinds there are.
json naming(const std::vector<track_segment>& cells) {
  std::set<int> kinds;
  for (const segment_kind_meaning& k : kSegmentKinds) kinds.insert(k.kind);
  for (const track_segment& c : cells) kinds.insert(c.kind);
  json kind_names = json::object(), value_meanings = json::object();
  for (int kind : kinds) {
    const auto k = static_cast<uint8_t>(kind);
    kind_names[std::to_string(kind)] = segment_kind_name(k);
    json meanings = json::array();
    for (std::string_view name : segment_value_names(k)) meanings.push_back(name);
    value_meanings[std::to_string(kind)] = meanings;
  }
  json fields = json::array();
  for (const segment_field& f : kSegmentFieldList) fields.push_back(f.name);
  return {{"fields", fields}, {"kind_names", kind_names}, {"value_names", value_meanings}};
}

json stations_json(const plot_input& in) {
  json stations = json::array();
  for (const plotted_station& st : stations_of(in.table, in.segments)) {
    using namespace station_slot;
    const general_entry& e = in.table[static_cast<size_t>(st.slot)];
    stations.push_back({{"slot", st.slot},
                        {"name", st.name},
                        {"position", st.position},
                        {"segment", segment_index(st.position, 0)},
                        {"extent", {extent_start.of(e), extent_end.of(e)}},
                        {"time_s", time_of_day.of(e)},
                        {"stop_s", stop_time.of(e)}});
  }
  return stations;
}

// Texts of the table slots that stop marks and sign boards point at.
json slot_texts(const plot_input& in) {
  json texts = json::object();
  for (const track_segment& c : in.segments)
    if ((c.kind == kStopMark || c.kind == kSignBoard) && c.value1 >= 0 && c.value1 < kGeneralSlots)
      texts[std::to_string(c.value1)] =
          cp1252_to_utf8(in.table[static_cast<size_t>(c.value1)].text);
  return texts;
}

// The slots of the general parameters, each field that has a meaning there
// as [name, meaning, value] in record order.
json general_json(const general_table_t& table) {
  json slots = json::array();
  for (int slot = kSlotProgressiveTre; slot < kGeneralSlots; ++slot) {
    const general_entry& e = table[static_cast<size_t>(slot)];
    json fields = json::array();
    for (const slot_field& f : slot_fields(slot, e))
      if (!f.meaning.empty()) fields.push_back({f.name, f.meaning, f.value});
    slots.push_back({{"slot", slot}, {"role", role_of_slot(slot, e).name}, {"fields", fields}});
  }
  return slots;
}

json spans_json(const plot_input& in) {
  json slowdowns = json::array(), tunnels = json::array();
  for (const plotted_slowdown& s : slowdowns_of(in.segments))
    slowdowns.push_back({{"start_cell", s.start_cell},
                         {"end_cell", s.end_cell},
                         {"from", s.from},
                         {"to", s.to},
                         {"speed", s.speed}});
  for (const auto& [first, last] : tunnel_cells(in.segments)) {
    const metre_span span = segment_span(static_cast<int64_t>(first), static_cast<int64_t>(last));
    tunnels.push_back({{"first_cell", first},
                       {"last_cell", last},
                       {"from", span.from},
                       {"to", span.to},
                       {"tunnel_type", in.segments[first].tunnel_type}});
  }
  return {{"slowdowns", slowdowns}, {"tunnels", tunnels}};
}

// The failure `compile` recorded, for the page's banner; null for none.
// A record may hold a message of any length: the banner keeps its start,
// cut between whole characters.
json failure_json(const std::optional<recorded_failure>& failure) {
  if (!failure) return nullptr;
  constexpr size_t kLongestMessage = 600;
  std::string message = failure->message;
  if (message.size() > kLongestMessage)
    message = std::string(whole_characters(message, kLongestMessage - 3)) + "...";
  return {{"code", failure->code},
          {"position", failure->position ? json(*failure->position) : json(nullptr)},
          {"message", message}};
}

// A source of the page's security policy that lets the browser apply the
// element whose whole content is `text` and nothing else: an element or an
// attribute that a hostile name slipped into the page would not match it.
std::string policy_source(std::string_view text) {
  const sha256_digest digest = sha256(text);
  return "'sha256-" + base64(digest.data(), digest.size()) + "'";
}

// The JSON inside a <script> element: no "<" at all, so that neither
// "</script>" nor "<!--" in a station name can end or bend the element.
std::string script_safe(const json& data) {
  const std::string text = data.dump(-1, ' ', false, json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  }
  return out;
}

// The template with each marker, in the order they stand in it, replaced by
// its content; what is put in is never searched for markers.
std::string fill_template(std::string_view page,
                          const std::vector<std::pair<std::string_view, std::string_view>>& parts) {
  std::string out;
  size_t from = 0;
  for (const auto& [marker, content] : parts) {
    const size_t at = page.find(marker, from);
    if (at == std::string_view::npos)
      throw std::logic_error("the view page template lacks " + std::string(marker));
    out.append(page.substr(from, at - from));
    out.append(content);
    from = at + marker.size();
  }
  out.append(page.substr(from));
  return out;
}

}  // namespace

std::string encode_plan_column(const route_plan& plan, int column) {
  token_writer out;
  int64_t before = 0, last = 0;  // the two metres before, in millimetres
  for (int32_t m = 0; m <= plan.last(); ++m) {
    const plan_cell c = millimetres(plan, m, column);
    if (c.shape != plan_cell::form::value) {
      out.put(c.shape == plan_cell::form::empty ? "!" : "'" + c.text + "'");
      continue;
    }
    const int64_t d = c.mm - (2 * last - before);
    std::string token = d >= -kLetterZero && d < static_cast<int64_t>(kLetters.size()) - kLetterZero
                            ? std::string(1, kLetters[static_cast<size_t>(d + kLetterZero)])
                            : "(" + std::to_string(d) + ")";
    out.put(c.minus_zero ? "-" + token : token);
    before = last;
    last = c.mm;
  }
  return out.finish();
}

json view_data(const plot_input& in) {
  json data = naming(in.segments);
  data["line_id"] = identifier_text(in.line_id);
  data["train_code"] = identifier_text(in.train_code);
  data["failure"] = failure_json(in.failure);
  data["summary"] = scenario_facts(in);
  data["line_length"] = line_length(in);
  data["cell_metres"] = kSegmentMetres;
  data["mark_offset"] = kMarkOffset;
  json offsets = json::object();
  for (const placed_kind& p : kPlacedKinds) offsets[std::to_string(p.kind)] = p.offset;
  data["placement_offsets"] = offsets;
  data["cell_count"] = in.segments.size();
  data["points"] = point_columns(in.segments);
  data["runs"] = property_runs(in.segments);
  data["stations"] = stations_json(in);
  data["slot_texts"] = slot_texts(in);
  data.update(spans_json(in));
  data["general"] = general_json(in.table);
  if (in.plan && in.plan->last() >= 0)
    data["plan"] = {{"last", in.plan->last()},
                    {"x", encode_plan_column(*in.plan, 0)},
                    {"y", encode_plan_column(*in.plan, 1)}};
  else
    data["plan"] = nullptr;
  return data;
}

std::string render_view_html(const plot_input& in) {
  const std::string data = script_safe(view_data(in));
  // The digests of the page's own style sheet and script (the data is no
  // script a browser runs: its type is JSON).
  static const std::string style_source = policy_source(view_style());
  static const std::string script_source = policy_source(view_script());
  return fill_template(view_page_template(), {{"'@view.css digest@'", style_source},
                                              {"'@view.js digest@'", script_source},
                                              {"/*@view.css@*/", view_style()},
                                              {"{\"@scenario@\":0}", data},
                                              {"/*@view.js@*/", view_script()}});
}

}  // namespace scenario::tool
