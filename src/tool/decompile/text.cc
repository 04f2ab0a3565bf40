#include <algorithm>
#include <string>
#include <type_traits>

#include "tool/decompile/entries.h"

namespace scenario::tool::recovery {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// One entry line: its keyword field and its values.  A text value (a
// station's name, a board's text) is always the last one and is not padded.
struct row {
  std::string keyword;
  std::vector<std::string> fields;
  bool ends_in_text = false;
  std::string note;  // a comment line written before the entry
};

std::string number(int64_t v) { return std::to_string(v); }

// Lines are collected and written out in groups of the same keyword, so that
// the values of one kind of entry stand in columns.
class text_builder {
 public:
  void line(std::string_view text) {
    flush();
    out_ += text;
    out_ += "\r\n";
  }
  void add(row r) {
    if (!rows_.empty() &&
        (rows_.back().keyword != r.keyword || rows_.back().fields.size() != r.fields.size()))
      flush();
    rows_.push_back(std::move(r));
  }
  std::string finish() {
    flush();
    return std::move(out_);
  }

 private:
  void flush() {
    std::vector<entry_row> entries;
    entries.reserve(rows_.size());
    for (row& r : rows_)
      entries.push_back({std::move(r.keyword), std::move(r.fields), r.ends_in_text});
    const std::vector<std::string> lines = aligned_rows(entries);
    for (size_t i = 0; i < rows_.size(); ++i) {
      if (!rows_[i].note.empty()) out_ += "- " + rows_[i].note + "\r\n";
      out_ += lines[i];
      out_ += "\r\n";
    }
    rows_.clear();
  }

  std::string out_;
  std::vector<row> rows_;
};

row numbers_row(std::string keyword, std::initializer_list<int64_t> values) {
  row r{std::move(keyword), {}, false, {}};
  for (int64_t v : values) r.fields.push_back(number(v));
  return r;
}

std::string written_text(std::string_view text) {
  if (std::optional<std::string> field = text_field(text)) return *field;
  return nearest_text_field(text);
}

void general_section(text_builder& t, const line_entries& e) {
  t.line("[generale]");
  t.add(numbers_row("lunghezza percorso", {e.length}));
  t.add(numbers_row("progressiva chilometrica uno", {e.uno.position, e.uno.value, e.uno.flag}));
  t.add(numbers_row("progressiva chilometrica due", {e.due.position, e.due.value, e.due.flag}));
  t.add(numbers_row("progressiva chilometrica tre", {e.tre.position, e.tre.value, e.tre.flag}));
  t.add(numbers_row("sfondo uno", {e.scenery_uno}));
  t.add(numbers_row("sfondo due", {e.scenery_due}));
  t.add(numbers_row("sfondo tre", {e.scenery_tre}));
  t.add(numbers_row("ripetizione segnali " + std::to_string(e.repetition_codes) + " codici",
                    {e.repetition_start, e.repetition_end}));
}

// A board's right-side speeds are left empty when they are 0, as the
// built-in boards have them.
row speed_board_row(const speed_board_entry& b) {
  row r{"indicatori_vmax", {number(b.position)}, false, {}};
  for (size_t i = 0; i < b.values.size(); ++i) {
    const bool right_speed = i >= 4 && i <= 6;
    r.fields.push_back(right_speed && b.values[i] == 0 ? "" : number(b.values[i]));
  }
  return r;
}

}  // namespace

std::vector<std::string> aligned_rows(const std::vector<entry_row>& rows) {
  std::vector<size_t> widths;
  for (const entry_row& r : rows) {
    widths.resize(std::max(widths.size(), r.fields.size()), 0);
    for (size_t i = 0; i < r.fields.size(); ++i)
      if (!(r.ends_in_text && i + 1 == r.fields.size()))
        widths[i] = std::max(widths[i], r.fields[i].size());
  }
  std::vector<std::string> lines;
  lines.reserve(rows.size());
  for (const entry_row& r : rows) {
    std::string line = r.keyword + ",";
    for (size_t i = 0; i < r.fields.size(); ++i) {
      line += i == 0 ? "  " : ",  ";
      const std::string& f = r.fields[i];
      if (!(r.ends_in_text && i + 1 == r.fields.size()) && f.size() < widths[i])
        line.append(widths[i] - f.size(), ' ');
      line += f;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<std::string> text_field(std::string_view text) {
  const bool plain = !text.empty() && !is_blank(text.front()) && text.front() != '"' &&
                     !is_blank(text.back()) && text.find_first_of(",\r\n") == std::string::npos;
  if (plain) return std::string(text);
  if (text.find('"') != std::string_view::npos) return std::nullopt;
  return "\"" + std::string(text) + "\"";
}

std::string nearest_text_field(std::string_view text) {
  std::string kept;
  for (char c : text)
    if (c != '"') kept += c;
  return "\"" + kept + "\"";
}

std::string write_line_description(const line_entries& e) {
  text_builder t;
  t.line(kRecoveredNote);
  general_section(t, e);
  t.line("[curve]");
  for (const curve_entry& c : e.curves)
    t.add(numbers_row(std::string("curva") + (c.left ? 's' : 'd') + std::to_string(c.curve_class),
                      {c.start, c.length}));
  t.line("[pendenze]");
  for (const profile_entry& g : e.gradients) t.add(numbers_row("pendenza", {g.position, g.value}));
  t.line("[montagne]");
  for (const tunnel_entry& m : e.tunnels) {
    row r = numbers_row("montagna", {m.start, m.end, m.type});
    r.note = m.note;
    t.add(std::move(r));
  }
  t.line("[cartelli]");
  for (const speed_board_entry& b : e.speed_boards) t.add(speed_board_row(b));
  t.line("[indicazioni]");
  for (const sign_board_entry& s : e.sign_boards)
    t.add({"cartello indicatore", {number(s.position), written_text(s.text)}, true, {}});
  t.line("[fine]");
  return t.finish();
}

namespace {

// Sections of the train service description in their usual order; an entry
// that must be read before others of an earlier section stays where the
// order puts it, inside the section then open.
constexpr const char* kServiceSections[] = {"[stazioni]", "[rallentamenti]", "[segnali]",
                                            "[codici]"};

row service_row(const station_entry& s) {
  row r{"stazione", {number(s.position), number(s.type), number(s.length)}, true, {}};
  for (int64_t v : s.options) r.fields.push_back(number(v));
  for (int64_t v : {s.hours, s.minutes, s.seconds}) r.fields.push_back(number(v));
  r.fields.push_back(written_text(s.name));
  return r;
}
row service_row(const slowdown_entry& s) {
  return numbers_row("rallentamento", {s.x, s.v, s.l, s.f_tt, s.f_ta, s.d_v});
}
row service_row(const signal_entry& s) {
  row r{"segnale", {}, false, {}};
  for (int32_t signal_entry::*field : kSignalFields) r.fields.push_back(number(s.*field));
  return r;
}
row service_row(const abbattimento_entry& a) {
  return numbers_row("abbattimento", {a.position, a.value});
}

void ordered_entries(text_builder& t, const std::vector<service_entry>& entries) {
  size_t open = 0;  // sections written so far
  for (const service_entry& e : entries) {
    for (; open <= e.index(); ++open) t.line(kServiceSections[open]);
    t.add(std::visit([](const auto& entry) { return service_row(entry); }, e));
  }
  for (; open < std::size(kServiceSections); ++open) t.line(kServiceSections[open]);
}

}  // namespace

std::string write_train_service(const service_entries& e) {
  text_builder t;
  t.line(kRecoveredNote);
  t.line("[generale]");
  t.add(numbers_row("numero vetture", {e.cars}));
  t.add(numbers_row("percentuale massa frenata", {e.braking}));
  t.add(numbers_row("sabbia", {e.sand}));
  // The clock's three numbers stand apart by blanks, not commas.
  t.line("orologio,    " + number(e.clock_hours) + "               " + number(e.clock_minutes) +
         "            " + number(e.clock_seconds) + " ");
  t.line("[aderenze]");
  for (const profile_entry& a : e.adhesion) t.add(numbers_row("aderenza", {a.position, a.value}));
  t.line("[vel_limite]");
  for (const profile_entry& v : e.speeds) t.add(numbers_row("velocita", {v.position, v.value}));
  ordered_entries(t, e.entries);
  t.line("[fine]");
  return t.finish();
}

}  // namespace scenario::tool::recovery
