#include "builtin/service_text.h"

#include <array>

#include "builtin/text_lines.h"

namespace scenario {

std::string dati_treno() {
  // The clock line separates its numbers by blanks and keeps a trailing one.
  static constexpr std::array<std::string_view, 54> kLines = {
      "[generale]",
      "numero vetture,    4",
      "percentuale massa frenata,    125",
      "sabbia,    300",
      "orologio,    0               24            30 ",
      "[aderenze]",
      "aderenza,   0,    100",
      "[vel_limite]",
      "velocita,       0,    90",
      "velocita,    8000,   110",
      "velocita,   13000,   120",
      "velocita,   49100,    90",
      "velocita,   49800,    30",
      "[stazioni]",
      "stazione,       0,  2, 1000,  0, 0, 0,  1,1,0,  4,1,1,    1,   0,25, 0, MILANO CENTRALE",
      "stazione,    4000,  4,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   0,30, 0, MILANO GRECO "
      "PIRELLI",
      "stazione,    7100, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   30,   0,34, 0, SESTO SAN GIOVANNI",
      "stazione,   11400, 12,  400,  0, 0, 0,  1,1,0,  5,1,1,   30,   0,38, 0, MONZA",
      "stazione,   19250, 22,  200,  0, 0, 0,  0,0,0,  4,1,1,   30,   0,44, 0, ARCORE",
      "stazione,   24000, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   0,49, 0, CARNATE - USMATE",
      "stazione,   28000, 22,  200,  0, 0, 0,  0,0,0,  3,1,1,   30,   0,52, 0, OSNAGO",
      "stazione,   29000, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,   30,   0,55, 0, CERNUSCO - MERATE",
      "stazione,   33300, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,   30,   0,59, 0, OLGIATE",
      "stazione,   36900, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,   30,   1, 3, 0, AIRUNO",
      "stazione,   43000, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,   30,   1, 8, 0, CALOLZIOCORTE - "
      "OLGINATE",
      "stazione,   44900, 22,  200,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, VERCURAGO",
      "stazione,   47200, 22,  300,  0, 0, 0,  0,0,0,  3,1,1,   30,   1,12, 0, MAGGIANICO",
      "stazione,   50100,  2,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,   1,15, 0, LECCO",
      "[rallentamenti]",
      "rallentamento,   13200,    30,  750, 0,  1,  30",
      "[segnali]",
      "segnale,    1450,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,    2800,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,    5800,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,    8800,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   10150,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   14000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   16550,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   17900,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   21450,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   22800,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   25300,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   26650,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   30650,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   32000,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   34250,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   35600,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   38500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   40350,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   41700,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   45900,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   48900,   2, 2, 3,  1, 0,    2,  2,1,1, 0",
      "[codici]",
      "[fine]",
  };
  return join_crlf(kLines);
}

}  // namespace scenario
