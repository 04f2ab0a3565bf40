// The fixed parts of the train sheet, which the built-in card and the card
// of any scenario share: the header's boxes and rules, the table's head, its
// spacer row and its closing rule.
#ifndef SCENARIO_DOCUMENTS_TRAIN_SHEET_PARTS_H_
#define SCENARIO_DOCUMENTS_TRAIN_SHEET_PARTS_H_

#include <array>
#include <string_view>

namespace scenario::train_sheet_parts {

// The fixed parts of the card, as the built-in sheet draws them; every blank
// counts, the drivers' viewers showing it in a monospaced font.
// clang-format off
inline constexpr std::string_view kTopRule =
    "  ___________________                                               ______________";
inline constexpr std::string_view kTitle =
    " |                   |                    SCHEDA                   |              |";
inline constexpr std::string_view kHeaderEnd =
    "                                                                   |______________|";
inline constexpr std::array<std::string_view, 2> kSecondBoxesTop = {
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "};
inline constexpr std::string_view kSecondBoxesEnd =
    " |___________________|              |___________________|";
inline constexpr std::array<std::string_view, 4> kTableHead = {
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|"};
inline constexpr std::string_view kSpacer =
    " |     |     |          |     |                            |                |     |";
inline constexpr std::string_view kTableEnd =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
// clang-format on

}  // namespace scenario::train_sheet_parts

#endif  // SCENARIO_DOCUMENTS_TRAIN_SHEET_PARTS_H_
