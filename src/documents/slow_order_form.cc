#include "documents/slow_order_form.h"

#include <string_view>
#include <vector>

#include "builtin/text_lines.h"
#include "documents/slow_order_form_parts.h"

namespace scenario {

// The built-in form orders the one slowdown of Milano Centrale - Lecco; the
// fixed parts are those every form prints.
std::string dati_rallentamenti() {
  using namespace slow_order_form_parts;
  std::vector<std::string_view> lines(kTitle.begin(), kTitle.end());
  lines.push_back("  Linea  Milano - Lecco - Sondrio");
  lines.push_back("");
  lines.push_back(
      "  Si ordina al macchinista del treno L5244 di effettuare i seguenti rallentamenti");
  lines.insert(lines.end(), kTableHead.begin(), kTableHead.end());
  lines.push_back(kBlankRow);
  lines.push_back(
      " | 1 |     Monza - Arcore         |   13.200   |    30    |   750   |     -      |");
  lines.insert(lines.end(), kFormRows - 1, kBlankRow);
  lines.push_back(kTableEnd);
  lines.insert(lines.end(), kKey.begin(), kKey.end());
  return join_crlf(lines);
}

}  // namespace scenario
