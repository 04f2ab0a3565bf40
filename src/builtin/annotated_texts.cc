#include "builtin/annotated_texts.h"

#include <map>
#include <string_view>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"

namespace scenario::tool {
namespace {

using comment_block = std::vector<std::string_view>;

// Comments before the first line, then after each section line.
struct annotations {
  comment_block header;
  std::map<std::string_view, comment_block> after_section;
};

const comment_block kCommonHeader = {
    "-- Every line holds a keyword and its values separated by commas; blanks around a value",
    "-- are padding and an empty value reads as 0. Positions and lengths are metres from the",
    "-- start of the line; speeds are km/h. A line that holds a dash is a comment and is passed",
    "-- over. Section lines in brackets only group the entries.",
    "-- The guide for authors: docs/authoring.md; scenario-tool explain ID tells what a",
    "-- diagnostic means.",
};

annotations line_annotations() {
  annotations a;
  a.header = {"-- Line description: the route and what stands along it."};
  a.header.insert(a.header.end(), kCommonHeader.begin(), kCommonHeader.end());
  a.after_section = {
      {"[generale]",
       {"-- General section. Route length: metres (at most 1000000); it comes first.",
        "-- Kilometric references one to three: position; value; flag (1 adds 100 to the value).",
        "--   Their positions and values are multiples of 50.",
        "-- Scenery choices one to three: a number each.",
        "-- Cab-signal repetition (4 or 9 codes in the keyword): start; end (multiples of 50;",
        "--   an end of 0 means none)."}},
      {"[curve]",
       {"-- Bends of the route plan: s (left) or d (right) and the class digit in the keyword;",
        "--   then start; length. Class 1 to 6: radius 10000 / 5000 / 2500 / 1000 / 500 / 333 m.",
        "--   The plan is drawn in the order of the text: bends follow one another."}},
      {"[pendenze]",
       {"-- Gradients: position; gradient (a whole number from -100 to 155). Each one holds up",
        "--   to the next; the first at 0; in increasing position."}},
      {"[montagne]",
       {"-- Tunnels: start; end; type (1 or 2; add 10 for a marker every 200 m). A tunnel that",
        "--   begins 150 m or less after the end of the one before is joined to it as type 3."}},
      {"[cartelli]",
       {"-- Speed boards: position; left side speeds A; B; C and stripe count; right side",
        "--   speeds A; B; C and stripe count. Right side speeds are kept in steps of 5 km/h."}},
      {"[indicazioni]",
       {"-- Sign boards (none here): position; the board's text. The guide gives the keyword."}},
  };
  return a;
}

annotations service_annotations() {
  annotations a;
  a.header = {"-- Train service description: the train and its run over the line."};
  a.header.insert(a.header.end(), kCommonHeader.begin(), kCommonHeader.end());
  a.after_section = {
      {"[generale]",
       {"-- The train: number of coaches; braked-mass percentage; sand carried; the start clock",
        "--   as hours minutes seconds separated by blanks."}},
      {"[aderenze]",
       {"-- Adhesion profile: position; value (0 to 255). Each holds up to the next; the first",
        "--   at 0; in increasing position."}},
      {"[vel_limite]",
       {"-- Speed limits: position; speed (steps of 5 km/h). Each holds up to the next; the",
        "--   first at 0; in increasing position."}},
      {"[stazioni]",
       {"-- Stations in running order: position (a multiple of 50); type; length (a multiple",
        "--   of 100); option_a; option_e; option_d; number_a; number_b; option_b; number_c;",
        "--   number_d; number_e; stop time in seconds (0 to 255); departure hours; minutes;",
        "--   seconds; the name (to the end of the line; no comma). Stations 350 m apart at "
        "least."}},
      {"[rallentamenti]",
       {"-- Slowdowns: start; speed; length (50 m or more); f_tt; f_ta (1 also marks the four",
        "--   cells before the warning point 1200 m ahead; only beyond 1500 m); d_v."}},
      {"[segnali]",
       {"-- Signals: position; sx; s1; s2; s3; rapp; dx; d1; d2; d3; tempo. s1 to s3 and d1 to",
        "--   d3 are the aspects of the left and right side; a signal needs 350 m of line behind",
        "--   it for its approach marks."}},
      {"[codici]",
       {"-- Code marks (none here): position; value (above 0: the code; else a mark without",
        "--   one). The guide gives the keyword."}},
  };
  return a;
}

// The text with the comment blocks put in, every line closed by CR LF.
std::string annotate(const std::string& text, const annotations& a) {
  std::string out;
  auto put = [&out](std::string_view line) {
    out += line;
    out += "\r\n";
  };
  for (std::string_view line : a.header) put(line);
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t end = text.find("\r\n", begin);
    const std::string_view line(text.data() + begin, end - begin);
    put(line);
    if (auto it = a.after_section.find(line); it != a.after_section.end())
      for (std::string_view comment : it->second) put(comment);
    begin = end + 2;
  }
  return out;
}

}  // namespace

std::string annotated_line_description() { return annotate(dati_linea(), line_annotations()); }

std::string annotated_train_service() { return annotate(dati_treno(), service_annotations()); }

}  // namespace scenario::tool
