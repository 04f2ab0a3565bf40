#include "documents/train_sheet.h"

#include <array>
#include <string_view>
#include <vector>

#include "builtin/text_lines.h"
#include "documents/train_sheet_parts.h"

namespace scenario {
namespace {

// The rows of the built-in card, spacers between them as it draws them (one
// with a trailing blank): every blank counts, the drivers' viewers showing
// the card in a monospaced font.
// clang-format off
constexpr auto kRows = std::to_array<std::string_view>({
    " |     |     |          |     |                            |                |     |",
    " | 90  |     | 0.100    |     | Milano Centrale            |     0.25       |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 3.900    |     | Milano Greco Pirelli       | 0.29  - 0.30   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 7.150    |     | Sesto San Giovanni         | 0.33+ - 0.34   |     |",
    " |     |     |          |     |                            |                |     | ",
    " | 110 |     | 8.000    |     | Cippo Km 8                 |     0.35       |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 11.600   |     | Monza                      | 0.37+ - 0.38   |     |",
    " |     |     |          |     |                            |                |     |",
    " | 120 |     | 13.000   |     | Cippo Km 13                |     0.40       |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 19.100   |     | Arcore                     | 0.43+ - 0.44   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 24.100   |     | Carnate - Usmate           | 0.48  - 0.49   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 28.000   |     | Osnago                     | 0.51+ - 0.52   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 29.000   |     | Cernusco - Merate          | 0.54+ - 0.55   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 32.800   |     | Olgiate                    | 0.58+ - 0.59   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 37.100   |     | Aiuruno                    | 1.02+ - 1.03   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 43.050   |     | Calolziocorte - Olginate   | 1.07+ - 1.08   |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 45.100   |     | Vercurago                  |     1.10       |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     | 47.000   |     | Maggianico                 | 1.11+ - 1.12   |     |",
    " |     |     |          |     |                            |                |     |",
    " | 90  |     | 50.100   |     | Lecco                      |     1.15       |     |",
    " |     |     |          |     |                            |                |     |",
});
// clang-format on

}  // namespace

std::string dati_scheda() {
  using namespace train_sheet_parts;
  std::vector<std::string_view> lines = {
      "",
      "",
      kTopRule,
      kTitle,
      " |   TRENO n.5244    |                   da: Milano Centrale       |    V120 A    |",
      " |___________________|                    a: Lecco                 |     125%     |",
      kHeaderEnd,
      kSecondBoxesTop[0],
      kSecondBoxesTop[1],
      " |     Locale        |              |      280T         |",
      kSecondBoxesEnd,
      ""};
  lines.insert(lines.end(), kTableHead.begin(), kTableHead.end());
  lines.insert(lines.end(), kRows.begin(), kRows.end());
  lines.push_back(kTableEnd);
  lines.push_back("");
  return join_crlf(lines);
}

}  // namespace scenario
