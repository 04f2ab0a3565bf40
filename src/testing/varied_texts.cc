// The varied layout of the made-up scenarios: from a seed, a line of a few
// kilometres up to 1 000 000 m holding every kind of entry in its variants.
//
//  - curves of all six classes both ways, straight runs between them,
//    back-to-back and overlapping curves, curves of one metre, a curve up to
//    the last metre;
//  - gradients (negative ones, ones kept to their low 8 bits, several at one
//    position), speed-limit and adhesion profiles;
//  - tunnels plain, marked, joined (150 m rule) and overlapping;
//  - speed boards with right-side speeds and stripes; sign boards whose texts
//    hold commas, quotes, leading or trailing blanks, or nothing;
//  - stations of every type, with the first station's forced values, option
//    fields and times; train make-up, clock, scenery, signal repetition,
//    kilometric progressive entries in every ordering;
//  - slowdowns with and without warning, lead-in cells and d_v, with code
//    points of the track-code pass around them; abbattimento marks, some
//    where the pass would have placed its own points;
//  - signals whose approach marks later signals or stations write over, and
//    signals a later station's stop mark covers;
//  - positions on half cells (odd multiples of 25) wherever authors may write
//    them.
//
// Every point object gets a cell of its own (or is placed where it is meant
// to be covered), so the texts compile without a numbered failure.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/rounding.h"
#include "testing/scenario_texts.h"

namespace scenario::testing {
namespace {

std::string n(int64_t v) { return std::to_string(v); }

// A text field that reads back as `t`: quoted when it must be (`t` holds no
// quote then).
std::string field(const std::string& t) {
  const bool plain = !t.empty() && t.front() != ' ' && t.front() != '"' && t.back() != ' ' &&
                     t.find(',') == std::string::npos;
  return plain ? t : "\"" + t + "\"";
}

class builder {
 public:
  builder(uint64_t seed, int64_t length)
      : r_(seed),
        length_(length),
        metres_(length + 7000),
        last_(segment_index(metres_, 0)),
        claims_(last_) {}

  scenario_texts make() {
    general();
    curves();
    gradients();
    tunnels();
    slowdowns();  // before the other point objects: they need room around them
    speed_boards();
    sign_boards();
    line("[fine]", line_);
    service_general();
    stations();
    signals();
    abbattimenti();
    order_service();
    return {line_, service_, length_};
  }

 private:
  static void line(const std::string& text, std::string& out) { out += text + "\r\n"; }
  void l(const std::string& text) { line(text, line_); }

  bool free(int64_t c) const { return claims_.free(c); }
  void take(int64_t c) { claims_.claim(c); }

  // A position whose cell, with `offset`, is `cell`: mostly a multiple of 50,
  // sometimes a half cell or any metre that rounds there.
  int64_t position_for(int64_t cell, int64_t offset) {
    const int64_t exact = 50 * (cell - offset);
    const int64_t tries[] = {exact + 25, exact - 25, exact + r_.between(-24, 24)};
    if (r_.chance(40)) {
      const int64_t p = tries[r_.between(0, 2)];
      if (p >= 0 && p <= reach() && segment_index(p, offset) == cell) return p;
    }
    return exact;
  }
  // The furthest first value an entry may have (the range test).
  int64_t reach() const { return 50 * last_ - 100; }

  void general() {
    l("- varied scenario");
    l("[generale]");
    l("lunghezza percorso,  " + n(length_));
    progressives();
    l("sfondo uno,  " + n(r_.between(0, 4)));
    l("sfondo due,  " + n(r_.between(-2, 4)));
    l("sfondo tre,  " + n(r_.between(0, 9)));
    const int64_t from = 50 * r_.between(0, length_ / 100);
    const int64_t to = r_.chance(20) ? 0 : 50 * r_.between(from / 50, length_ / 50);
    l("ripetizione segnali " + std::string(r_.chance(50) ? "4" : "9") + " codici,  " + n(from) +
      ",  " + n(to));
  }

  void progressives() {
    const char* names[] = {"uno", "due", "tre"};
    int64_t pos[3], val[3], flag[3];
    const int mode = static_cast<int>(r_.between(0, 3));
    for (int i = 0; i < 3; ++i) {
      pos[i] = mode == 0 ? 0 : 50 * r_.between(0, length_ / 50);
      val[i] = mode == 0 ? 0 : 50 * r_.between(-10, 4000);
      flag[i] = mode == 0 ? 0 : r_.pick({0, 1, 1, 2});
    }
    if (mode == 2) pos[0] = pos[1] = pos[2] = 0;  // ordered by value
    if (mode == 2 && r_.chance(50)) pos[0] = 100, pos[1] = -100;
    if (mode == 3) pos[r_.between(0, 2)] = pos[r_.between(0, 2)];  // ties
    // The three entries in any order: the reader's slots do not depend on it.
    const int first = static_cast<int>(r_.between(0, 2));
    for (int j = 0; j < 3; ++j) {
      const int i = (first + j) % 3;
      l(std::string("progressiva chilometrica ") + names[i] + ",  " + n(pos[i]) + ",  " +
        n(val[i]) + ",  " + n(flag[i]));
    }
  }

  void curves() {
    l("[curve]");
    int64_t end = 1;  // the last metre drawn so far
    const int64_t count = r_.between(0, std::min<int64_t>(length_ / 1500 + 3, 400));
    for (int64_t i = 0; i < count; ++i) {
      int64_t start = end + r_.between(0, 3000);
      if (r_.chance(20)) start = end;                                             // back to back
      if (r_.chance(10)) start = std::max<int64_t>(0, end - r_.between(1, 400));  // overlapping
      const int64_t len = r_.chance(8) ? 1 : r_.between(20, 2500);
      if (start > reach() || start + len > metres_ || start + len >= kLongestLine) break;
      curve(start, len);
      end = std::max(end, start + len);
    }
    // A curve up to the last metre of the plan.
    const int64_t start = std::max<int64_t>(end, reach() - r_.between(0, 300));
    if (metres_ < kLongestLine && start <= reach() && r_.chance(30)) curve(start, metres_ - start);
  }
  void curve(int64_t start, int64_t len) {
    l(std::string("curva") + (r_.chance(50) ? "s" : "d") + n(r_.between(1, 6)) + ",  " + n(start) +
      ",  " + n(len));
  }

  void gradients() {
    l("[pendenze]");
    int64_t p = r_.chance(80) ? 0 : 25 * r_.between(1, 40);
    while (p <= reach()) {
      const int64_t g =
          r_.chance(10) ? r_.pick<int64_t>({200, -180, 300, 156}) : r_.between(-30, 30);
      l("pendenza,  " + n(p) + ",  " + n(g));
      if (!r_.chance(5)) p += 25 * r_.between(1, std::max<int64_t>(2, length_ / 400));
    }
  }

  void tunnels() {
    l("[montagne]");
    int64_t end = -1000;
    const int64_t count = r_.between(0, 14);
    for (int64_t i = 0; i < count; ++i) {
      int64_t start = end + r_.between(200, 8000);
      if (r_.chance(20)) start = end + r_.between(-300, 150);  // joined, perhaps overlapping
      start = std::max<int64_t>(0, start + r_.pick({0, 0, 25, -25, 13}));
      const int64_t stop = start + r_.between(30, 3000);
      if (start > reach() || stop > 50 * last_) break;
      l("montagna,  " + n(start) + ",  " + n(stop) + ",  " +
        n(r_.pick<int64_t>({1, 2, 2, 12, 11, 13, 3, 4, 200})));
      end = stop;
    }
  }

  // A slowdown needs its own cells and room for the track-code points around
  // it; signals and abbattimento marks placed in that room test how the pass
  // shares it.
  void slowdowns() {
    const int64_t count = r_.between(0, std::min<int64_t>(6, length_ / 8000 + 1));
    for (int64_t i = 0; i < count; ++i) {
      const int64_t x = position_for(r_.between(8, std::max<int64_t>(9, last_ - 120)), 1);
      const int64_t len = r_.between(40, 3000);
      const bool warned = x > 1500;
      const int64_t w = segment_index(x - 1200, 1), s = segment_index(x, 1),
                    e = segment_index(x + len, 1);
      const int64_t lowest = warned ? w - 27 : std::max<int64_t>(0, s - 27);
      if (lowest < 0 || e + 16 > last_ || x > reach()) continue;
      bool room = true;
      for (int64_t c = lowest; c <= e + 16; ++c) room = room && free(c);
      if (!room) continue;
      for (int64_t c = lowest; c <= e + 16; ++c) take(c);
      const int64_t v = r_.pick<int64_t>({10, 30, 60, 80, 109, 110, 140});
      const int64_t d_v = r_.chance(50) ? 0 : r_.between(1, 100);
      slowdown_lines_.push_back("rallentamento,  " + n(x) + ",  " + n(v) + ",  " + n(len) + ",  " +
                                n(r_.between(0, 3)) + ",  " + n(r_.chance(60) ? 1 : 0) + ",  " +
                                n(d_v));
      slowdown_extras(warned ? w : -1, s, e, v);
    }
  }
  // Objects inside the room a slowdown took, where the pass must work
  // around them.
  void slowdown_extras(int64_t w, int64_t s, int64_t e, int64_t v) {
    if (w > 28 && r_.chance(40))  // a signal behind the warning point
      signal_lines_.push_back(signal_line(w - r_.between(7, 19), r_.chance(20)));
    if (v < 110 && r_.chance(40))  // the first signal after the end
      signal_lines_.push_back(signal_line(e + r_.between(2, 12), r_.chance(20)));
    if (s > 20 && r_.chance(30))  // where an approach point would go
      code_lines_.push_back(code_line(s - r_.pick({5, 6, 11, 18}), pick_code()));
    if (v < 110 && e - s > 9 && r_.chance(30))  // where the first walk point would go
      code_lines_.push_back(code_line(s + 8, pick_code()));
  }

  void speed_boards() {
    l("[cartelli]");
    const int64_t count = r_.between(0, length_ / 3000 + 2);
    for (int64_t i = 0; i < count; ++i) {
      const int64_t c = r_.between(2, last_ - 1);
      if (!free(c)) continue;
      take(c);
      std::string text = "indicatori_vmax,  " + n(position_for(c, 1));
      for (int side = 0; side < 2; ++side) {
        for (int k = 0; k < 3; ++k) {
          const int64_t speed =
              side == 0 ? 5 * r_.between(0, 32) : (r_.chance(70) ? 0 : r_.between(1, 99));
          text += ",  " + (side == 1 && speed == 0 ? std::string() : n(speed));
        }
        text += ",  " + n(r_.between(0, 3));
      }
      l(text);
    }
  }

  void sign_boards() {
    l("[indicazioni]");
    sign_boards_ = static_cast<int>(r_.between(0, 5));
    for (int i = 0; i < sign_boards_; ++i) {
      int64_t c = r_.between(2, last_ - 1);
      while (!free(c) && c < last_ - 1) ++c;
      if (!free(c)) c = spare_cell();
      take(c);
      const std::string t = r_.pick<std::string>(
          {"BIVIO " + n(i), "PASSO, CHIUSO", "  DAVANTI", "DIETRO  ", "QUOTA \"A\"", "", "X"});
      l("cartello indicatore,  " + n(position_for(c, 1)) + ",  " + field(t));
    }
  }
  // Some free cell for an object that must be placed.
  int64_t spare_cell() const {
    for (int64_t c = 2; c < last_; ++c)
      if (free(c)) return c;
    return last_ - 1;
  }

  void service_general() {
    line("[generale]", service_);
    line("numero vetture,  " + n(r_.between(1, 12)), service_);
    line("percentuale massa frenata,  " + n(r_.between(50, 200)), service_);
    line("sabbia,  " + n(r_.between(0, 600)), service_);
    const int64_t hours = r_.between(0, 23), minutes = r_.between(0, 59);
    const int64_t seconds = r_.pick<int64_t>({0, 30, 59, 300});
    line("orologio,    " + n(hours) + "   " + n(minutes) + "   " + n(seconds) + " ", service_);
    clock_ = (hours * 60 + minutes) * 60 + seconds;
    line("[aderenze]", service_);
    profile("aderenza", [&] { return r_.chance(10) ? 300 : r_.between(0, 255); });
    line("[vel_limite]", service_);
    profile("velocita",
            [&] { return r_.chance(10) ? r_.between(0, 1275) : 5 * r_.between(0, 36); });
  }
  template <typename Value>
  void profile(const char* keyword, Value value) {
    int64_t p = r_.chance(85) ? 0 : 25 * r_.between(1, 60);
    while (p <= reach()) {
      line(std::string(keyword) + ",  " + n(p) + ",  " + n(value()), service_);
      if (!r_.chance(4)) p += 25 * r_.between(1, std::max<int64_t>(2, length_ / 300));
    }
  }

  void stations() {
    const int64_t most = std::min<int64_t>(78 - sign_boards_, length_ / 3000 + 1);
    int64_t before_end = -100000;  // the previous station's extent ends here
    int64_t p = 50 * r_.between(0, 60);
    for (int64_t k = 0; k < most && p + 800 <= 50 * last_; ++k) {
      const int64_t type = r_.pick<int64_t>({2, 2, 4, 12, 22, 22, 5, 6, 7, 8, 25, 30});
      const int64_t len = 100 * r_.between(1, 12);
      const bool extra = r_.chance(20);
      int64_t a = p - len / 2, b = p + len / 2 + (extra ? 50 : 0);
      if (type == 5 || type == 6) a = p - len, b = p + 150;
      if (type == 7 || type == 8) a = p - len, b = p + len;
      const int64_t stop = b / 50 - 1;
      if (a - 350 < before_end || stop <= 1 || stop > last_) {
        p += 50 * r_.between(10, 80);
        continue;
      }
      const bool marked = type <= 24;
      const bool covers_signal =
          marked && free(stop) && stop >= 8 && stop <= last_ - 1 && r_.chance(15);
      if (marked && !free(stop) && !covers_signal) {
        p += 50 * r_.between(1, 20);
        continue;
      }
      if (covers_signal)
        hidden_signals_.push_back({signal_line(stop, r_.chance(50)), stations_.size()});
      if (marked) take(stop);
      stations_.push_back(station_line(k == 0, p, type, len, extra));
      before_end = b;
      p = b + 350 + len + 50 * r_.between(0, 200);
    }
  }
  std::string station_line(bool first, int64_t p, int64_t type, int64_t len, bool extra) {
    std::string s = "stazione,  " + n(p) + ",  " + n(type) + ",  " + n(len) + ",  " +
                    n(r_.between(0, 1)) + ",  " + n(first || r_.chance(50) ? r_.between(0, 3) : 0) +
                    ",  " + n(extra ? r_.between(1, 3) : 0);
    for (int i = 0; i < 2; ++i) s += ",  " + n(r_.between(0, 9));
    s += ",  " + n(r_.between(0, 1));
    for (int i = 0; i < 3; ++i) s += ",  " + n(r_.between(0, 9));
    const int64_t stop = r_.pick<int64_t>({0, 1, 30, 60, 255});
    s += ",  " + n(stop);
    // A plausible timetable: a station the train stops at has a departure
    // time later than the one before, one it passes through has none.  The
    // draws are those of the times written before, so the other values of
    // each seed stay as they were.
    // One draw after the other: the order of operands is unspecified.
    const int64_t gap_a = r_.between(0, 23);
    const int64_t gap_b = r_.between(0, 59);
    const int64_t gap_c = r_.between(0, 59);
    clock_ += 60 + gap_a + 10 * gap_b + gap_c;
    const int64_t t = stop > 0 ? clock_ : 0;
    s += ",  " + n(t / 3600) + ",  " + n(t / 60 % 60) + ",  " + n(t % 60);
    const std::string name = r_.pick<std::string>(
        {"STAZIONE", "SAN MARCO - NORD", "PONTE, EST", "  LAGO", "VALLE \"B\""});
    return s + ",  " + field(name + " " + n(stations_.size() + 1));
  }

  // Signals, some in clusters whose approach marks overlap.
  void signals() {
    const int64_t count = r_.between(0, length_ / 1000 + 3);
    for (int64_t i = 0; i < count; ++i) {
      int64_t c = r_.between(8, last_ - 1);
      for (int64_t j = 0, step = r_.pick<int64_t>({1, 1, 2, 4}); j < (step == 1 ? 1 : 3); ++j) {
        if (free(c) && c <= last_ - 1) signal_at(c);
        c += step;
      }
    }
  }
  void signal_at(int64_t c) {
    if (!free(c) || c < 8 || c > last_ - 1) return;
    take(c);
    signal_lines_.push_back(signal_line(c, r_.chance(20)));
  }
  std::string signal_line(int64_t c, bool timed) {
    const int64_t sx = timed ? 2 : r_.between(0, 3);
    std::string s = "segnale,  " + n(position_for(c, 1)) + ",  " + n(sx);
    for (int k = 0; k < 3; ++k) s += ",  " + n(r_.between(0, 9));
    s += ",  " + n(r_.between(0, 3)) + ",  " + n(r_.between(0, 3));
    for (int k = 0; k < 3; ++k) s += ",  " + n(r_.between(0, 9));
    return s + ",  " + n(timed ? r_.pick<int64_t>({50, 150, 300}) : r_.pick<int64_t>({0, 0, 40}));
  }

  int64_t pick_code() { return r_.pick<int64_t>({180, 180, 300, 70000, 0, -5, 100}); }
  std::string code_line(int64_t c, int64_t value) {
    return "abbattimento,  " + n(position_for(c, 0)) + ",  " + n(value);
  }
  void abbattimento_at(int64_t c, int64_t value) {
    if (!free(c) || c > last_ - 2) return;
    take(c);
    code_lines_.push_back(code_line(c, value));
  }
  void abbattimenti() {
    for (int64_t i = 0, count = r_.between(0, 5); i < count; ++i)
      abbattimento_at(r_.between(2, last_ - 2), pick_code());
    if (r_.chance(5) && free(1)) abbattimento_at(1, 0);
  }

  // The usual sections, or, now and then, signals read among the stations,
  // so that a station's approach marks may win over a signal's or lose.
  void order_service() {
    const bool mixed = r_.chance(35);
    std::vector<std::pair<int64_t, std::string>> keyed;
    for (size_t i = 0; i < stations_.size(); ++i)
      keyed.push_back({static_cast<int64_t>(2 * i + 1), stations_[i]});
    for (const auto& [text, station] : hidden_signals_)
      keyed.push_back({static_cast<int64_t>(2 * station), text});
    const int64_t after = static_cast<int64_t>(2 * stations_.size() + 2);
    for (const std::string& s : slowdown_lines_) keyed.push_back({after, s});
    for (const std::string& s : signal_lines_)
      keyed.push_back({mixed ? r_.between(0, after + 1) : after + 1, s});
    for (const std::string& s : code_lines_) keyed.push_back({after + 2, s});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    line("[stazioni]", service_);
    for (const auto& [key, text] : keyed) line(text, service_);
    line("[codici]", service_);
    line("[fine]", service_);
  }

  random r_;
  int64_t length_, metres_, last_;
  segment_claims claims_;
  std::string line_, service_;
  int sign_boards_ = 0;
  int64_t clock_ = 0;  // the timetable so far, in seconds after midnight
  std::vector<std::string> stations_, slowdown_lines_, signal_lines_, code_lines_;
  std::vector<std::pair<std::string, size_t>> hidden_signals_;  // before station #
};

}  // namespace

scenario_texts varied_texts(uint64_t seed, int64_t length) { return builder(seed, length).make(); }

scenario_texts varied_texts(uint64_t seed) {
  random r(seed ^ 0x5DEECE66Dull);
  const int64_t roll = r.between(0, 99);
  const int64_t length = roll < 1   ? kLongestLine
                         : roll < 8 ? r.between(100'000, 400'000)
                                    : r.between(3'000, 60'000);
  return varied_texts(seed, length);
}

}  // namespace scenario::testing
