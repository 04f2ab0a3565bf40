// The dense layout of the made-up scenarios: regular, as full of entries as
// a line may be.  The compiled bytes of its longest form are pinned, so every
// character of these texts stays as it is.
#include <cstdint>
#include <string>
#include <vector>

#include "model/rounding.h"
#include "testing/scenario_texts.h"

namespace scenario::testing {
namespace {

using std::to_string;

// The segment of a point object (a board, a signal, a slowdown mark) at
// `position`, a multiple of 50 here.
int64_t mark_segment(int64_t position) { return segment_index(position, 1); }

void line(std::string& out, const std::string& text) {
  out += text;
  out += "\r\n";
}

// A slowdown of 600 m every 100 km.  Slowdowns come first: each needs its
// start, end, warning and approach segments free, so every other point
// object keeps clear of the room they take.
std::vector<int64_t> claim_slowdowns(int64_t length, segment_claims& claims) {
  std::vector<int64_t> starts;
  for (int64_t x = 60'000; x + 2'000 < length; x += 100'000) {
    starts.push_back(x);
    const int64_t end = mark_segment(x + 600), warning = mark_segment(x - 1200);
    for (int64_t c = warning - 40; c <= end + 40; ++c) claims.claim(c);
  }
  return starts;
}

// The line description's entries that draw the plan: curves, gradients,
// tunnels.
void write_line_drawing(int64_t length, std::string& l) {
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
}

// The line description; gives the number of sign boards it holds.
int write_line_description(int64_t length, segment_claims& claims, std::string& l) {
  line(l, "[generale]");
  line(l, "lunghezza percorso,    " + to_string(length));
  line(l, "progressiva chilometrica uno,    0,    0,    0");
  line(l, "progressiva chilometrica due,    0,    0,    0");
  line(l, "progressiva chilometrica tre,    0,    0,    0");
  line(l, "sfondo uno,    0");
  line(l, "sfondo due,    1");
  line(l, "sfondo tre,    0");
  line(l, "ripetizione segnali 4 codici,    0,    " + to_string(length - 2000));
  write_line_drawing(length, l);

  line(l, "[cartelli]");
  for (int64_t p = 250; p + 1'000 < length; p += 400) {
    const int64_t segment = mark_segment(p);
    if (!claims.free(segment)) continue;
    claims.claim(segment);
    line(l, "indicatori_vmax,  " + to_string(p) + ",  90,  100,  120,  0,  ,  ,  ,  0");
  }

  // Sign boards take general-table slots from 80 down: two of them leave
  // room for 77 stations.
  line(l, "[indicazioni]");
  int sign_boards = 0;
  for (int64_t p = 20'700; sign_boards < 2 && p + 1'000 < length; p += 50) {
    const int64_t segment = mark_segment(p);
    if (!claims.free(segment)) continue;
    claims.claim(segment);
    line(l,
         "cartello indicatore,  " + to_string(p) + ",  \"BIVIO " + to_string(sign_boards) + "\"");
    ++sign_boards;
  }
  line(l, "[fine]");
  return sign_boards;
}

// As many stations of 400 m as the general table has room for, one every
// 13 km; a station puts its stop mark on segment (p + 200) / 50 - 1.
void write_stations(int64_t length, int sign_boards, segment_claims& claims, std::string& s) {
  line(s, "[stazioni]");
  const int max_stations = 78 - sign_boards;
  int stations = 0;
  for (int64_t p = 3'000; stations < max_stations && p + 2'000 < length; p += 13'000) {
    const int64_t stop = (p + 200) / 50 - 1;
    if (!claims.free(stop)) continue;
    claims.claim(stop);
    const int64_t minutes = 6 * 60 + stations * 8;
    line(s, "stazione,  " + to_string(p) + ",  2,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,   " +
                to_string(minutes / 60) + "," + to_string(minutes % 60) + ", 0, STAZIONE " +
                to_string(stations + 1));
    ++stations;
  }
}

void write_train_service(int64_t length, int sign_boards, const std::vector<int64_t>& slowdowns,
                         segment_claims& claims, std::string& s) {
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
  write_stations(length, sign_boards, claims, s);

  line(s, "[rallentamenti]");
  for (const int64_t x : slowdowns)
    line(s, "rallentamento,  " + to_string(x) + ",  60,  600, 0,  1,  60");

  line(s, "[segnali]");
  for (int64_t p = 1'400; p + 1'000 < length; p += 1'000) {
    const int64_t segment = mark_segment(p);
    if (!claims.free(segment)) continue;
    claims.claim(segment);
    line(s, "segnale,  " + to_string(p) + ",   2, 4, 1,  1, 0,    2,  2,1,1, 0");
  }
  line(s, "[codici]");
  line(s, "[fine]");
}

}  // namespace

scenario_texts dense_texts(int64_t length) {
  segment_claims claims(segment_index(length + 7000, 0));
  scenario_texts t;
  t.length = length;
  const std::vector<int64_t> slowdowns = claim_slowdowns(length, claims);
  const int sign_boards = write_line_description(length, claims, t.line_description);
  write_train_service(length, sign_boards, slowdowns, claims, t.train_service);
  return t;
}

}  // namespace scenario::testing
