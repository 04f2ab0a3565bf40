// A synthetic scenario as long as a line may be (1 000 000 m by default),
// dense with entries: a curve, a gradient and a speed board every few hundred
// metres, a tunnel every dozen kilometres, a station every 13 km (as many as
// the general table holds), a signal every kilometre and a slowdown every
// 100 km.  Objects that need a cell of the segment array of their own are
// placed only where that cell (and, for a slowdown, its approach cells) is
// still free, so the whole text compiles without a numbered failure.
//
// Benchmarks measure the readers and writers on it; fuzzing and tests use it
// as a large, valid input.
#ifndef SCENARIO_BENCH_SYNTHETIC_SCENARIO_H_
#define SCENARIO_BENCH_SYNTHETIC_SCENARIO_H_

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace scenario::synthetic {

inline constexpr int64_t kMaximumLength = 1'000'000;

struct texts {
  std::string line_description;
  std::string train_service;
};

namespace detail {

// The segment cell of a point object at `position` (position / 50 + 1, an
// exact half to the even neighbour); callers use multiples of 50 only.
inline int64_t cell_after(int64_t position) { return position / 50 + 1; }

// Segment cells already claimed by a point object of the text being built.
class cell_claims {
 public:
  explicit cell_claims(int64_t last) : taken_(static_cast<size_t>(last) + 1, false) {}

  bool free(int64_t cell) const {
    return cell >= 0 && cell < static_cast<int64_t>(taken_.size()) && !taken_[cell];
  }
  bool all_free(std::initializer_list<int64_t> cells) const {
    for (int64_t c : cells)
      if (!free(c)) return false;
    return true;
  }
  void claim(int64_t cell) { taken_[static_cast<size_t>(cell)] = true; }

 private:
  std::vector<bool> taken_;
};

inline void line(std::string& out, const std::string& text) {
  out += text;
  out += "\r\n";
}

}  // namespace detail

// Both source texts of a line `length` metres long (a multiple of 1000, at
// least 20 000).
inline texts make(int64_t length = kMaximumLength) {
  using detail::line;
  using std::to_string;
  const int64_t segment_last = std::llround(static_cast<double>(length + 7000) / 50.0);
  detail::cell_claims claims(segment_last);
  texts t;
  std::string& l = t.line_description;
  std::string& s = t.train_service;

  // Slowdowns first: each needs its start, end, warning and four approach
  // cells free, so every other point object keeps clear of it.
  struct slowdown {
    int64_t x, length;
  };
  std::vector<slowdown> slowdowns;
  for (int64_t x = 60'000; x + 2'000 < length; x += 100'000) {
    slowdowns.push_back({x, 600});
    const int64_t start = detail::cell_after(x), end = detail::cell_after(x + 600);
    const int64_t warning = detail::cell_after(x - 1200);
    for (int64_t c = warning - 40; c <= end + 40; ++c) claims.claim(c);
    (void)start;
  }

  line(l, "[generale]");
  line(l, "lunghezza percorso,    " + to_string(length));
  line(l, "progressiva chilometrica uno,    0,    0,    0");
  line(l, "progressiva chilometrica due,    0,    0,    0");
  line(l, "progressiva chilometrica tre,    0,    0,    0");
  line(l, "sfondo uno,    0");
  line(l, "sfondo due,    1");
  line(l, "sfondo tre,    0");
  line(l, "ripetizione segnali 4 codici,    0,    " + to_string(length - 2000));

  // Pairs of opposite curves of the same class keep the line heading north.
  line(l, "[curve]");
  static constexpr char kClasses[] = "123456";
  int pair = 0;
  for (int64_t start = 1'000; start + 1'000 < length; start += 700, ++pair) {
    const char digit = kClasses[(pair / 2) % 6];
    const char side = (pair % 2 == 0) ? 's' : 'd';
    line(l, std::string("curva") + side + digit + ",  " + to_string(start) + ",  200");
  }

  line(l, "[pendenze]");
  for (int64_t p = 0; p + 1'000 < length; p += 300)
    line(l, "pendenza,  " + to_string(p) + ",  " + to_string((p / 300) % 21 - 10));

  line(l, "[montagne]");
  for (int64_t start = 5'000, n = 0; n < 80 && start + 2'000 < length; start += 12'000, ++n)
    line(l, "montagna,  " + to_string(start) + ",  " + to_string(start + 1'000) + ",  " +
                (n % 3 == 0 ? "12" : "1"));

  line(l, "[cartelli]");
  for (int64_t p = 250; p + 1'000 < length; p += 400) {
    const int64_t cell = detail::cell_after(p);
    if (!claims.free(cell)) continue;
    claims.claim(cell);
    line(l, "indicatori_vmax,  " + to_string(p) + ",  90,  100,  120,  0,  ,  ,  ,  0");
  }

  // Sign boards take general-table slots from 80 down: two of them leave
  // room for 77 stations.
  line(l, "[indicazioni]");
  int sign_boards = 0;
  for (int64_t p = 20'700; sign_boards < 2 && p + 1'000 < length; p += 50) {
    const int64_t cell = detail::cell_after(p);
    if (!claims.free(cell)) continue;
    claims.claim(cell);
    line(l,
         "cartello indicatore,  " + to_string(p) + ",  \"BIVIO " + to_string(sign_boards) + "\"");
    ++sign_boards;
  }
  line(l, "[fine]");

  line(s, "[generale]");
  line(s, "numero vetture,    6");
  line(s, "percentuale massa frenata,    110");
  line(s, "sabbia,    300");
  line(s, "orologio,    6               0            0 ");
  line(s, "[aderenze]");
  line(s, "aderenza,   0,    100");
  line(s, "[vel_limite]");
  static constexpr int kSpeeds[] = {90, 120, 140, 110};
  for (int64_t p = 0, n = 0; p + 1'000 < length; p += 10'000, ++n)
    line(s, "velocita,  " + to_string(p) + ",  " + to_string(kSpeeds[n % 4]));

  // A station of 400 m puts its stop mark on cell (p + 200) / 50 - 1.
  line(s, "[stazioni]");
  const int max_stations = 78 - sign_boards;
  int stations = 0;
  for (int64_t p = 3'000; stations < max_stations && p + 2'000 < length; p += 13'000) {
    const int64_t stop = (p + 200) / 50 - 1;
    if (!claims.all_free({stop})) continue;
    claims.claim(stop);
    const int64_t minutes = 6 * 60 + stations * 8;
    line(s, "stazione,  " + to_string(p) + ",  2,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,   " +
                to_string(minutes / 60) + "," + to_string(minutes % 60) + ", 0, STAZIONE " +
                to_string(stations + 1));
    ++stations;
  }

  line(s, "[rallentamenti]");
  for (const slowdown& r : slowdowns)
    line(s,
         "rallentamento,  " + to_string(r.x) + ",  60,  " + to_string(r.length) + ", 0,  1,  60");

  line(s, "[segnali]");
  for (int64_t p = 1'400; p + 1'000 < length; p += 1'000) {
    const int64_t cell = detail::cell_after(p);
    if (!claims.free(cell)) continue;
    claims.claim(cell);
    line(s, "segnale,  " + to_string(p) + ",   2, 4, 1,  1, 0,    2,  2,1,1, 0");
  }
  line(s, "[codici]");
  line(s, "[fine]");
  return t;
}

}  // namespace scenario::synthetic

#endif  // SCENARIO_BENCH_SYNTHETIC_SCENARIO_H_
