#include "app/failure_messages.h"

namespace scenario {

std::string_view failure_meaning(int32_t code) {
  switch (code) {
    case 1:
      return "\"lunghezza percorso\" is over 1 000 000 m";
    case 2:
      return "a \"progressiva chilometrica\" position or value is not a multiple of 50";
    case 3:
      return "\"ripetizione segnali\" start is not a multiple of 50";
    case 4:
      return "\"ripetizione segnali\" end is not a multiple of 50";
    case 5:
      return "\"ripetizione segnali\" keyword names neither 4 nor 9 codes";
    case 6:
      return "sign board (\"cartello indicatore\") on a taken segment";
    case 7:
      return "\"abbattimento\" on a taken segment";
    case 8:
      return "\"stazione\" position is not a multiple of 50";
    case 9:
      return "\"stazione\" length is not a multiple of 100";
    case 10:
      return "no room left in the general table for another \"stazione\"";
    case 11:
      return "no cell for the code point before a signal behind a slowdown warning";
    case 12:
      return "no cell for a code point ahead of a slowdown start";
    case 13:
      return "no cell for a code point inside or after a slowdown";
    case 15:
      return "entry beyond the end of the line";
    case 16:
      return "\"segnale\" on a taken segment";
    case 17:
      return "\"rallentamento\" warning point on a taken segment";
    case 18:
      return "\"rallentamento\" start on a taken segment";
    case 19:
      return "\"rallentamento\" end on a taken segment";
    case 20:
      return "\"rallentamento\" lead-in segments are taken";
    case 21:
      return "speed board (\"indicatori_vmax\") on a taken segment";
    case 22:
      return "\"stazione\" starts less than 350 m after the previous station's end";
    case 24:
      return "\"stazione\" ends within the first 100 m of the line";
    case 25:
      return "unreadable text: a read past the end, a value that is not a number or too large for "
             "its field, a missing text or route length";
    case 30:
      return "entry outside the line: a negative position, or a cell or metre beyond the arrays";
    case 31:
      return "too many entries: at most 80 tunnels (\"montagna\") and 80 sign boards";
    case 101:
      return "the line description does not exist";
    case 102:
      return "no \"[generale]\" section in the line description";
    case 103:
      return "curve (\"curva\") without a class digit 1 to 6, or the route plan passed 1 000 000 m";
    default:
      return "unknown failure";
  }
}

}  // namespace scenario
