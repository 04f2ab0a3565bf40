// The fixed parts of the slow order form, which the built-in form and the
// form of any scenario share: the title, the table's head, its blank row and
// closing rule, the key of the specific prescriptions, and the rows printed.
#ifndef SCENARIO_DOCUMENTS_SLOW_ORDER_FORM_PARTS_H_
#define SCENARIO_DOCUMENTS_SLOW_ORDER_FORM_PARTS_H_

#include <array>
#include <cstddef>
#include <string_view>

namespace scenario::slow_order_form_parts {

// The form's fixed lines, word for word as the drivers know it (its
// spelling slip "Rallentamneto" and the key's order A, B, D, C included).
// clang-format off
inline constexpr std::array<std::string_view, 4> kTitle = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________"};
inline constexpr std::array<std::string_view, 5> kTableHead = {
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|"};
inline constexpr std::string_view kBlankRow =
    " |   |                            |            |          |         |            |";
inline constexpr std::string_view kTableEnd =
    " |___|____________________________|____________|__________|_________|____________|";
inline constexpr std::array<std::string_view, 7> kKey = {
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:........."};
// clang-format on

// The rows of the printed form; a scenario with more slowdowns gets more.
inline constexpr size_t kFormRows = 25;

}  // namespace scenario::slow_order_form_parts

#endif  // SCENARIO_DOCUMENTS_SLOW_ORDER_FORM_PARTS_H_
