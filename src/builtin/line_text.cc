#include "builtin/line_text.h"

#include <array>

#include "builtin/text_lines.h"

namespace scenario {

std::string dati_linea() {
  static constexpr std::array<std::string_view, 44> kLines = {
      "[generale]",
      "lunghezza percorso,    54000",
      "progressiva chilometrica uno,    0,    0,    0",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    0",
      "sfondo due,    1",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    0,    52000",
      "[curve]",
      "curvas4,  1500,  300",
      "curvad5,  2700,  300",
      "curvas1,  4700,  3300",
      "curvad2,  8500,  2300",
      "curvas5,  13300,  300",
      "curvad5,  13600,  300",
      "curvas6,  18000,  300",
      "curvas6,  19000,  300",
      "curvad2,  19600,  7300",
      "curvas3,  28600,  800",
      "curvad4,  30000,  300",
      "curvas4,  32300,  1300",
      "curvad3,  35000,  4000",
      "curvas1,  40000,  4300",
      "curvad4,  48000,  300",
      "curvas6,  48500,  300",
      "curvad3,  49100,  300",
      "[pendenze]",
      "pendenza,   0,    0",
      "pendenza,  24000,   5",
      "pendenza,  30000,   0",
      "pendenza,  44000,   5",
      "pendenza,  49000,   0",
      "[montagne]",
      "montagna,   34300,  34800,  2",
      "montagna,   43500,  44250,  1",
      "montagna,   48000,  49000,  1",
      "[cartelli]",
      "indicatori_vmax,  1000,  90,  90,  90,  0,  ,  ,  ,  0",
      "indicatori_vmax,  8000,  110,  115,  120,  0,  ,  ,  ,  0",
      "indicatori_vmax,  13000,  120,  125,  130,  0,  ,  ,  ,  0",
      "indicatori_vmax,  49100,  90,  90,  90,  0,  ,  ,  ,  0",
      "[indicazioni]",
      "[fine]",
  };
  return join_crlf(kLines);
}

}  // namespace scenario
