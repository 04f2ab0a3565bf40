#include "reading/entry_forms.h"

#include <array>

#include "model/rounding.h"

namespace scenario {
namespace {

using s = stored_as;

// A position that lands on a segment with the offset its entry gives.
constexpr field_form placed(std::string_view name, std::string_view meaning, int64_t offset) {
  return {name, "m", meaning, s::segment, offset};
}

constexpr field_form kLength[] = {
    {"length", "m", "The route length; at most 1000000, it sizes the segment array.", s::as_read}};
constexpr field_form kProgressive[] = {
    {"position", "m", "Where along the route the kilometric reference stands (a multiple of 50).",
     s::as_read},
    {"value", "m", "The kilometric value shown there (a multiple of 50).", s::as_read},
    {"flag", "", "1 adds 100 to the value.", s::as_read}};
constexpr field_form kScenery[] = {
    {"choice", "", "The scenery the simulator draws beside the line.", s::as_read}};
constexpr field_form kRepetition[] = {
    {"start", "m", "Where cab-signal repetition begins (a multiple of 50).", s::as_read},
    {"end", "m", "Where it ends (a multiple of 50); 0 means no repetition.", s::as_read}};
constexpr field_form kCurve[] = {
    {"start", "m", "Where the bend begins; the plan is drawn in the order of the text.",
     s::as_read},
    {"length", "m", "How far the bend runs at the curvature its class digit gives.", s::as_read}};
constexpr field_form kGradient[] = {
    placed("position", "Where the gradient comes into force, up to the next one.", 0),
    {"gradient", "", "The gradient in force from here on (-100 to 155).", s::gradient}};
constexpr field_form kTunnel[] = {
    placed("start", "Where the tunnel begins: its first segment.", 0),
    placed("end", "Where the tunnel ends: its last segment is the one before.", -1),
    {"type", "", "1 or 2; add 10 for a marker every 200 m.", s::tunnel_type}};
constexpr field_form kSpeedBoard[] = {
    placed("position", "Where the board stands; it shows one segment after.", kMarkOffset),
    {"vas", "km/h", "Left side speed A.", s::as_read},
    {"vbs", "km/h", "Left side speed B.", s::as_read},
    {"vcs", "km/h", "Left side speed C.", s::as_read},
    {"strisces", "", "Left side stripe count.", s::as_read},
    {"vad", "km/h", "Right side speed A; empty for none.", s::speed_step},
    {"vbd", "km/h", "Right side speed B; empty for none.", s::speed_step},
    {"vcd", "km/h", "Right side speed C; empty for none.", s::speed_step},
    {"strisced", "", "Right side stripe count.", s::as_read}};
constexpr field_form kSignBoard[] = {
    placed("position", "Where the board stands; it shows one segment after.", kMarkOffset),
    {"text", "", "The board's text, one field without commas.", s::text}};

constexpr field_form kCars[] = {{"count", "", "The number of coaches of the train.", s::as_read}};
constexpr field_form kBraking[] = {
    {"percent", "%", "The braked-mass percentage of the train.", s::as_read}};
constexpr field_form kSand[] = {{"amount", "", "The sand the train carries.", s::as_read}};
constexpr field_form kClock[] = {
    {"hours", "h", "The clock time the scenario starts at: hours.", s::as_read},
    {"minutes", "min", "Minutes, apart from the hours by blanks, not a comma.", s::as_read},
    {"seconds", "s", "Seconds, apart from the minutes by blanks.", s::as_read}};
constexpr field_form kAdhesion[] = {
    placed("position", "Where this adhesion comes into force, up to the next one.", 0),
    {"value", "", "The adhesion in force from here on (0 to 255).", s::low8}};
constexpr field_form kSpeed[] = {
    placed("position", "Where this speed limit comes into force, up to the next one.", 0),
    {"speed", "km/h", "The speed limit in force from here on.", s::speed_step}};
constexpr field_form kStation[] = {
    {"position", "m", "The station's reference point; a multiple of 50.", s::as_read},
    {"type", "", "How its extent is computed; types below 25 are marked on the track.", s::low8},
    {"length", "m", "The platform length; a multiple of 100, it sets the extent.", s::length},
    {"option_a", "", "Stored as read (1 for the last station).", s::low8},
    {"option_e", "", "Cleared below 600 m of length and for the first station.", s::low8},
    {"option_d", "", "Non-zero: the extent ends 50 m further (not for types 5 to 8).", s::low8},
    {"number_a", "", "Stored as read.", s::low16},
    {"number_b", "", "Stored as read.", s::low16},
    {"option_b", "", "Stored as read.", s::low8},
    {"number_c", "", "Stored as read.", s::low16},
    {"number_d", "", "Stored as read.", s::low16},
    {"number_e", "", "Stored as read.", s::low16},
    {"stop", "s", "How long the train stands at the station; 0 passes it.", s::low8},
    {"hours", "h", "Departure time (arrival at the last station): hours.", s::as_read},
    {"minutes", "min", "Departure time: minutes.", s::as_read},
    {"seconds", "s", "Departure time: seconds.", s::as_read},
    {"name", "", "The station's name, to the end of the line.", s::text}};
constexpr field_form kSlowdown[] = {
    placed("x", "Where the slowdown starts; its marks stand one segment after.", kMarkOffset),
    {"v", "km/h", "The speed limit over the slowdown.", s::low16},
    {"l", "m", "Its length; its end x + l lands on a segment too.", s::length, kMarkOffset},
    {"f_tt", "", "A value stored at the slowdown's start and end.", s::low16},
    {"f_ta", "", "Non-zero: the four segments before the warning point are marked too.",
     s::as_read},
    {"d_v", "", "A second value stored with the slowdown when non-zero.", s::low16}};
constexpr field_form kSignal[] = {
    placed("posizione", "Where the signal stands; it shows one segment after.", kMarkOffset),
    {"sx", "", "Left aspect code; 2 keeps the tempo.", s::combined},
    {"s1", "", "Left code 1, kept as s1 x 10 + d1.", s::combined},
    {"s2", "", "Left code 2, kept as s2 x 10 + d2.", s::combined},
    {"s3", "", "Left code 3, kept as s3 x 10 + d3.", s::combined},
    {"rapp", "", "Kept as rapp x 10 + sx x 3 + dx.", s::combined},
    {"dx", "", "Right aspect code.", s::combined},
    {"d1", "", "Right code 1.", s::combined},
    {"d2", "", "Right code 2.", s::combined},
    {"d3", "", "Right code 3.", s::combined},
    {"tempo", "s", "Kept only when sx is 2; 1 to 100 is raised to 101.", s::low8}};
constexpr field_form kAbbattimento[] = {
    placed("position", "The segment the track-code point marks.", 0),
    {"value", "", "Above 0 the segment carries it; otherwise marked without value.", s::low16}};

// Keyword tests as the readers make them: every word must be in the field.
struct keyword_test {
  std::array<std::string_view, 2> words;
  bool any_case = true;
};

struct form_row {
  entry_form form;
  keyword_test test;
};

constexpr form_row kLineRows[] = {
    {{"lunghezza percorso", "[generale]", "The route length.", kLength, true},
     {{"percorso", "lunghezza"}}},
    {{"progressiva chilometrica uno", "[generale]", "The first kilometric reference.", kProgressive,
      true},
     {{"progressiva", "uno"}, false}},
    {{"progressiva chilometrica due", "[generale]", "The second kilometric reference.",
      kProgressive, true},
     {{"progressiva", "due"}, false}},
    {{"progressiva chilometrica tre", "[generale]", "The third kilometric reference.", kProgressive,
      true},
     {{"progressiva", "tre"}, false}},
    {{"sfondo uno", "[generale]", "The first scenery choice.", kScenery, true},
     {{"sfondo", "uno"}, false}},
    {{"sfondo due", "[generale]", "The second scenery choice.", kScenery, true},
     {{"sfondo", "due"}, false}},
    {{"sfondo tre", "[generale]", "The third scenery choice.", kScenery, true},
     {{"sfondo", "tre"}, false}},
    {{"ripetizione segnali 4 codici", "[generale]", "Cab-signal repetition with 4 codes.",
      kRepetition, true},
     {{"segnali", "ripetizione"}, false}},
    {{"curvas", "[curve]", "A bend to the left; the digit after it (1 to 6) is its class.", kCurve},
     {{"curva", "s"}}},
    {{"curvad", "[curve]", "A bend to the right; the digit after it (1 to 6) is its class.",
      kCurve},
     {{"curva", ""}}},
    {{"pendenza", "[pendenze]", "A gradient step.", kGradient}, {{"pendenza", ""}}},
    {{"montagna", "[montagne]", "A tunnel.", kTunnel}, {{"montagna", ""}}},
    {{"indicatori_vmax", "[cartelli]", "A speed-limit board.", kSpeedBoard},
     {{"indicatori_v", ""}}},
    {{"cartello indicatore", "[indicazioni]", "A sign board.", kSignBoard},
     {{"cartello", "indicat"}}},
};

constexpr form_row kServiceRows[] = {
    {{"numero vetture", "[generale]", "The train's coaches.", kCars, true}, {{"vetture", ""}}},
    {{"percentuale massa frenata", "[generale]", "The train's braking.", kBraking, true},
     {{"frenata", "massa"}}},
    {{"sabbia", "[generale]", "The train's sand.", kSand, true}, {{"sabbia", ""}}},
    {{"orologio", "[generale]", "The clock time the scenario starts at.", kClock, true},
     {{"orologio", ""}}},
    {{"aderenza", "[aderenze]", "An adhesion step.", kAdhesion}, {{"aderenza", ""}}},
    {{"velocita", "[vel_limite]", "A speed-limit step.", kSpeed}, {{"velocit", ""}}},
    {{"stazione", "[stazioni]", "A station of the run, with its timetable.", kStation},
     {{"stazione", ""}}},
    {{"rallentamento", "[rallentamenti]", "A slowdown.", kSlowdown}, {{"rallentamento", ""}}},
    {{"segnale", "[segnali]", "A signal.", kSignal}, {{"segnale", ""}}},
    {{"abbattimento", "[codici]", "A track-code point.", kAbbattimento}, {{"abbattimento", ""}}},
};

template <size_t N>
constexpr std::array<entry_form, N> forms_of(const form_row (&rows)[N]) {
  std::array<entry_form, N> forms{};
  for (size_t i = 0; i < N; ++i) forms[i] = rows[i].form;
  return forms;
}
constexpr auto kLineForms = forms_of(kLineRows);
constexpr auto kServiceForms = forms_of(kServiceRows);

constexpr section_form kLineSectionForms[] = {
    {"[generale]", "The route's length, kilometric references, scenery and cab signalling."},
    {"[curve]", "The bends of the route plan."},
    {"[pendenze]", "The gradient profile."},
    {"[montagne]", "The tunnels."},
    {"[cartelli]", "The speed-limit boards."},
    {"[indicazioni]", "The sign boards."},
    {"[fine]", "The end of the text."},
};
constexpr section_form kServiceSectionForms[] = {
    {"[generale]", "The train's make-up and the clock time the scenario starts at."},
    {"[aderenze]", "The adhesion profile."},
    {"[vel_limite]", "The speed-limit profile."},
    {"[stazioni]", "The stations with their timetable."},
    {"[rallentamenti]", "The slowdowns."},
    {"[segnali]", "The signals."},
    {"[codici]", "The track-code points."},
    {"[fine]", "The end of the text."},
};

bool passes(const keyword_test& test, std::string_view field) {
  for (std::string_view word : test.words)
    if (!word.empty() &&
        !(test.any_case ? contains_ignoring_case(field, word) : contains(field, word)))
      return false;
  return true;
}

bool is_digit_in(char c, std::string_view digits) {
  return digits.find(c) != std::string_view::npos;
}

}  // namespace

std::span<const entry_form> entry_forms(source_kind text) {
  if (text == source_kind::line_description) return kLineForms;
  return kServiceForms;
}

std::span<const section_form> section_forms(source_kind text) {
  if (text == source_kind::line_description) return kLineSectionForms;
  return kServiceSectionForms;
}

const entry_form* find_entry_form(source_kind text, std::string_view keyword_field) {
  const std::span<const form_row> rows = text == source_kind::line_description
                                             ? std::span<const form_row>(kLineRows)
                                             : std::span<const form_row>(kServiceRows);
  const std::span<const entry_form> forms = entry_forms(text);
  for (size_t i = 0; i < rows.size(); ++i)
    if (passes(rows[i].test, keyword_field)) return &forms[i];
  return nullptr;
}

bool is_written_keyword(const entry_form& form, std::string_view field) {
  const std::string_view k = form.keyword;
  if (k == "curvas" || k == "curvad")
    return field.size() == 7 && field.starts_with(k) && is_digit_in(field[6], "123456");
  if (k.starts_with("ripetizione segnali"))
    return field.size() == k.size() && field.starts_with("ripetizione segnali ") &&
           is_digit_in(field[20], "49") && field.ends_with(" codici");
  return field == k;
}

}  // namespace scenario
