#include "compile/explanations.h"

#include <algorithm>

#include "reading/warning_ids.h"

namespace scenario {
namespace {

namespace w = warning_id;
constexpr severity E = severity::error;
constexpr severity W = severity::warning;

// A warning whose level is an error is a loss: an entry, or a whole text,
// that does not reach the compiled files (or reaches them where no train
// goes).  The files are written as ever, but the compilation fails unless
// the author allows the loss by its id.
//
// Reading stops at a failure of the readers; what was read before it stays,
// and the compiled files are still written from it when the route length
// had been read.  The causes below say it once per entry where it matters.
constexpr explanation kExplanations[] = {
    {"1", E, false, "\"lunghezza percorso\" is over 1 000 000 m",
     "The route length in the general section of the line description is larger than the "
     "1 000 000 m a scenario can hold. Reading stops there, before anything is sized, so no "
     "compiled file is written.",
     "Give a route length of at most 1 000 000 m; split a longer line into several scenarios.",
     "lunghezza percorso, 1200000"},
    {"2", E, false, "a \"progressiva chilometrica\" position or value is not a multiple of 50",
     "The three kilometric progressive entries of the general section, once ordered, must have "
     "positions and values that are multiples of 50. The check is the last step of reading, so "
     "everything else has been read and the compiled files are written.",
     "Make the position and the value of each \"progressiva chilometrica\" entry multiples of "
     "50 (a flag of 1 adds 100 to the value, which keeps it a multiple of 50).",
     "progressiva chilometrica uno, 1020, 0, 0"},
    {"3", E, false, "\"ripetizione segnali\" start is not a multiple of 50",
     "The first value of the cab-signal repetition entry is not a multiple of 50 m. Reading "
     "stops at this entry.",
     "Give the start of the repetition as a multiple of 50 m.",
     "ripetizione segnali 4 codici, 120, 52000"},
    {"4", E, false, "\"ripetizione segnali\" end is not a multiple of 50",
     "The second value of the cab-signal repetition entry is not a multiple of 50 m. Reading "
     "stops at this entry.",
     "Give the end of the repetition as a multiple of 50 m, or 0 for no repetition.",
     "ripetizione segnali 4 codici, 0, 52010"},
    {"5", E, false, "\"ripetizione segnali\" keyword names neither 4 nor 9 codes",
     "The keyword of the cab-signal repetition entry must hold the number of codes, the digit 4 "
     "or 9. Reading stops at this entry.",
     "Write \"ripetizione segnali 4 codici\" or \"ripetizione segnali 9 codici\".",
     "ripetizione segnali codici, 0, 52000"},
    {"6", E, true, "sign board (\"cartello indicatore\") on a taken segment",
     "A sign board stands on segment position / 50 + 1, rounded; another board already holds "
     "that segment. The message names it. Reading stops at this entry.",
     "Move one of the two boards by 50 m or more.",
     "indicatori_vmax, 1000, 90, 90, 90, 0, , , , 0\ncartello indicatore, 1000, ALT"},
    {"7", E, true, "\"abbattimento\" on a taken segment",
     "An abbattimento mark stands on segment position / 50, rounded; a signal, a slowdown mark, "
     "a board, a station's stop mark or another abbattimento mark already holds it. The message "
     "names it. Reading stops at this entry.",
     "Move the abbattimento mark, or the entry that holds its segment, by 50 m or more.",
     "abbattimento, 1000, 1\nabbattimento, 1000, 2"},
    {"8", E, true, "\"stazione\" position is not a multiple of 50",
     "A station's position must be a multiple of 50 m. Reading stops at this entry; the "
     "station's record keeps only its position.",
     "Give the station's position as a multiple of 50 m.",
     "stazione, 1010, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, ALFA"},
    {"9", E, true, "\"stazione\" length is not a multiple of 100",
     "A station's length, its third value, must be a multiple of 100 m, so that half of it is "
     "a multiple of 50. Reading stops at this entry.",
     "Give the length as a multiple of 100 m.",
     "stazione, 1000, 2, 450, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, ALFA"},
    {"10", E, false, "no room left in the general table for another \"stazione\"",
     "Stations fill the general table from slot 1 upward and sign boards from slot 80 "
     "downward; they met. Without sign boards 78 stations fit, and each sign board takes one "
     "place away.",
     "Use fewer stations or fewer sign boards.", "(79 \"stazione\" entries)"},
    {"11", E, true, "no cell for the code point before a signal behind a slowdown warning",
     "A signal up to 20 segments behind a slowdown's warning point needs a code point on one of "
     "the two segments just before it; both hold other marks and neither is a code point. The "
     "track-code pass records this after reading; the compiled files are still written.",
     "Move the signal, or the entry whose mark stands just before it, by 100 m or more.",
     "segnale, 11000, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0\nabbattimento, 11000, 0\n"
     "abbattimento, 10950, 0\nrallentamento, 13000, 30, 500, 0, 0, 30"},
    {"12", E, true, "no cell for a code point ahead of a slowdown start",
     "Ahead of a slowdown's start the track-code pass places three code points, each on the "
     "first free one of three segments (5 to 7, 11 to 13 and 18 to 20 segments before the "
     "start); all three segments of one group hold other marks.",
     "Keep signals, boards and stop marks from crowding the 250 m to 1 000 m before the "
     "slowdown's start, or move the slowdown.",
     "(signals or stations on three neighbouring segments 250 m before a slowdown)"},
    {"13", E, true, "no cell for a code point inside or after a slowdown",
     "Inside a slowdown slower than 110 km/h the track-code pass places a code point every 8 "
     "segments, and one just before the first signal within 12 segments after its end; the "
     "segment due and its neighbours all hold other marks.",
     "Move the marks that crowd the slowdown, or the signal just after its end.",
     "(signals on three neighbouring segments inside a 30 km/h slowdown)"},
    {"15", E, true, "entry beyond the end of the line",
     "An entry's first value lies past what the segment array covers: (position + 100) / 50 "
     "must not exceed the last segment (position + 800 for a station). The line description is "
     "then read as if it ended there; in the train service description reading ends too, and a "
     "15 from the line description ends the train service description at its first "
     "\"segnale\" or \"rallentamento\" entry.",
     "Keep every entry within the route length.",
     "lunghezza percorso, 5000\n...\n"
     "pendenza, 20000, 5"},
    {"16", E, true, "\"segnale\" on a taken segment",
     "A signal stands on segment position / 50 + 1, rounded; a signal, a slowdown mark, a board "
     "or a station's stop mark already holds it. The message names what holds it. Nothing of "
     "the signal is written and reading stops.",
     "Move the signal or the entry that holds its segment by 50 m or more.",
     "segnale, 2000, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0\nsegnale, 2000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0"},
    {"17", E, true, "\"rallentamento\" warning point on a taken segment",
     "A slowdown starting beyond 1 500 m has a warning point 1 200 m before its start, on "
     "segment (start - 1200) / 50 + 1; that segment already holds a mark, named in the "
     "message. Nothing of the slowdown is written and reading stops.",
     "Move the slowdown, or the entry that holds its warning segment, by 50 m or more.",
     "segnale, 1800, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0\nrallentamento, 3000, 30, 500, 0, 0, 0"},
    {"18", E, true, "\"rallentamento\" start on a taken segment",
     "A slowdown's start stands on segment start / 50 + 1; that segment already holds a mark, "
     "named in the message. Nothing of the slowdown is written and reading stops.",
     "Move the slowdown, or the entry that holds its start segment, by 50 m or more.",
     "segnale, 3000, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0\nrallentamento, 3000, 30, 500, 0, 0, 0"},
    {"19", E, true, "\"rallentamento\" end on a taken segment",
     "A slowdown's end stands on segment (start + length) / 50 + 1; that segment already holds "
     "a mark, named in the message. Nothing of the slowdown is written and reading stops.",
     "Change the slowdown's length, or move the entry that holds its end segment.",
     "segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0\nrallentamento, 3000, 30, 500, 0, 0, 0"},
    {"20", E, true, "\"rallentamento\" lead-in segments are taken",
     "With f_ta not 0, a slowdown starting beyond 1 500 m marks the four segments just before "
     "its warning point; one of them already holds a mark, named in the message. The warning "
     "point, start and end are written; reading stops.",
     "Move the slowdown or the entry in its lead-in, or set f_ta to 0.",
     "segnale, 1700, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0\nrallentamento, 3000, 30, 500, 0, 1, 0"},
    {"21", E, true, "speed board (\"indicatori_vmax\") on a taken segment",
     "A speed board stands on segment position / 50 + 1, rounded; another board already holds "
     "it. The message names it. Reading stops at this entry.",
     "Move one of the two boards by 50 m or more.",
     "indicatori_vmax, 1000, 90, 90, 90, 0, , , , 0\nindicatori_vmax, 1000, 60, 60, 60, 0, , , , "
     "0"},
    {"22", E, true, "\"stazione\" starts less than 350 m after the previous station's end",
     "A station's extent (its position less half its length, for most types) must begin at "
     "least 350 m after the end of the station before it. Stations must also come in running "
     "order. The message names the station before it, where that one ends, where this one "
     "begins and the gap between them. Reading stops at this entry.",
     "Move the stations apart, shorten them, or put them in running order.",
     "stazione, 1000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, ALFA\n"
     "stazione, 1400, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 30, 0, BETA"},
    {"24", E, false, "\"stazione\" ends within the first 100 m of the line",
     "A station's stop mark goes on the segment before its end; a station that ends within the "
     "first 100 m leaves no such segment. Reading stops at this entry.",
     "Place the station so that its end lies beyond 100 m.",
     "stazione, 0, 2, 100, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, ALFA"},
    {"25", E, false, "unreadable text or value",
     "A value could not be read or stored: a number field that is not a whole number, a value "
     "too large for its field (a stop time over 255, a speed over 1 277 km/h), an entry short of "
     "values on the text's last line (a read past the end), an entry before the route length, "
     "no route length at all, a missing train service description. The diagnostic names the "
     "cause and points at the field. Both texts are used up and reading stops.",
     "Correct the field the diagnostic points at.",
     "stazione, 1000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 300, 0, 25, 0, ALFA"},
    {"30", E, true,
     "entry outside the line: a negative position, or a cell or metre beyond the arrays",
     "An entry's first value is negative, or the entry would write a segment or route-plan "
     "metre outside the arrays: a signal needs 8 segments behind it (at least 350 m), a tunnel "
     "or a curve may not run past the arrays. What the entry wrote before stays. The "
     "diagnostic points at the first value, or at the value that carries the entry past the "
     "end of the line (a tunnel's end, a curve's, slowdown's or station's length).",
     "Keep every entry, and all it marks, within the line.",
     "segnale, 100, 2, 4, 1, 1, 0, 2, 2, "
     "1, 1, 0"},
    {"31", E, true, "too many entries: at most 80 tunnels (\"montagna\") and 80 sign boards",
     "The tunnel lists hold 80 tunnels and the general table 80 sign-board texts; this entry "
     "would be the 81st. Reading stops at this entry.",
     "Join neighbouring tunnels or boards.", "(81 \"montagna\" entries)"},
    {"101", E, false, "the line description does not exist",
     "The generator found no line description to read. scenario-tool reports a missing text "
     "file as an input error instead.",
     "Write the line description first (scenario-tool template shows one).", ""},
    {"102", E, false, "no \"[generale]\" section in the line description",
     "Nothing in the line description contains \"[generale]\" before its last line, so there "
     "is no general section and no route length. The message stands at line 1, where the "
     "section belongs, counts the entries that are not read and names a line that looks like a "
     "misspelt \"[generale]\" (\"[generali]\", \"generale\" without its brackets).",
     "Begin the line description with a \"[generale]\" line and end it with \"[fine]\".",
     "[curve]\nlunghezza percorso, 5000\n[fine]"},
    {"103", E, false,
     "curve (\"curva\") without a class digit 1 to 6, or the route plan passed 1 000 000 m",
     "A curve's keyword must hold its class, a digit 1 to 6, after \"curvas\" or \"curvad\"; "
     "or the route plan was drawn past metre 1 000 000.",
     "Write the class digit (\"curvas4\") and keep curves within the line.", "curvas, 100, 100"},
    {"1250", E, false, "an entry wrote into the scenario stamp's place",
     "Before writing, the compilation stamps value1 of segment 1 (covering 50-100 m) and table "
     "slot 85; an entry already wrote there: a signal, board or slowdown mark at 0 m, an "
     "abbattimento mark at 50 m. Nothing is written.",
     "Place point entries at 50 m or more (abbattimento marks at 100 m or more).",
     "segnale, 0, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
    {"1251", E, false, "an entry wrote into the check code's place",
     "Before writing, the compilation stores the check code in value2 of segment cell 1 "
     "(covering 50-100 m) and table slot 85; an entry already wrote there. Nothing is written.",
     "Place point entries at 50 m or more.", "rallentamento, 0, 30, 500, 0, 0, 30"},

    {w::kUnknownEntry, E, false, "a line whose first field is no entry is passed over",
     "The first field of the line matches no entry keyword of its text, and it is neither a "
     "section line in brackets nor a comment holding a dash. The whole line is passed over: a "
     "misspelt keyword, a general entry outside the general section (or one inside it that "
     "belongs after it), or a general keyword in capitals (those are read in lower case).",
     "Correct the keyword; the message suggests the nearest one it knows. A line meant as a "
     "note holds a dash (\"- note\"); \"--allow unknown-entry\" makes this a warning.",
     "segnae, 6050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
    {w::kMisspeltSection, W, false, "a section line holds an entry keyword and is read as one",
     "Section lines are not interpreted, but a bracketed line that holds an entry keyword is "
     "read as that entry: it takes the fields after it as its values, which usually ends in "
     "failure 25 or garbles the next entry.",
     "Spell the section line as the writer does (\"[pendenze]\", \"[stazioni]\"), or leave it "
     "out: sections only group the entries for the reader of the text.",
     "[pendenza]\npendenza, 0, 0"},
    {w::kExtraValues, W, false, "values left on a line after its entry are passed over",
     "An entry reads a fixed number of values; more stood on its line. They are read as further "
     "keyword fields, match nothing and are dropped.",
     "Remove the extra values, or check that the entry has the values it should.",
     "pendenza, 1000, 5, 7"},
    {w::kValuesFromNextLine, W, false, "an entry took values from the line after it",
     "An entry short of values on its own line reads the fields of the next line as its "
     "values: a station without its name takes the next line's keyword as its name, and the "
     "next entry is lost.",
     "Give the entry all its values on its own line.",
     "stazione, 11400, 12, 400, 0, 0, 0, 1, 1, 0, 5, 1, 1, 30, 0, 38, 0\n"
     "stazione, 19250, 22, 200, 0, 0, 0, 0, 0, 0, 4, 1, 1, 30, 0, 44, 0, ARCORE"},
    {w::kOverridden, W, false, "a general entry is given twice; the later one wins",
     "Train make-up, clock, sand, route length, kilometric progressives, scenery choices and "
     "the cab-signal repetition are single values: a second entry replaces the first.",
     "Keep one entry of each.", "sabbia, 300\nsabbia, 200"},
    {w::kValueWrapped, W, false, "a value is stored as its low 8 or 16 bits, which changes it",
     "Some fields keep only the low 8 or 16 bits of what is written into them (gradients, "
     "adhesion, tunnel types, signal aspects and times, slowdown values, abbattimento values); "
     "a value outside the field's range comes out as another number.",
     "Keep the value within its field: gradients -100 to 155, adhesion 0 to 255, 16-bit values "
     "-32768 to 32767.",
     "pendenza, 1000, -150"},
    {w::kValueRounded, W, false, "a speed is stored rounded to its 5 km/h step",
     "Speed limits (\"velocita\") and the right-side speeds of speed boards are stored in steps "
     "of 5 km/h; a speed that is not a multiple of 5 is rounded, half to even, and may come out "
     "above the limit written.",
     "Write speeds as multiples of 5 km/h.", "velocita, 8000, 123"},
    {w::kPositionSnapped, W, false,
     "a position that is not a multiple of 50 m is rounded to a segment",
     "The segment array has one cell for every 50 m; an entry whose position is not a multiple "
     "of 50 lands on a segment by rounding (half to even). The message names the segment and "
     "the position `dump` labels it with.",
     "Write positions as multiples of 50 m, where the entry's mark lands exactly.",
     "segnale, 11249, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
    {w::kBeyondLineEnd, E, false, "an entry lies past the end of the line, in the run-out",
     "The arrays run on 7 000 m past the route length, and the range test lets entries in "
     "there; no train reaches them, so the entry is lost to the scenario though the compiled "
     "files hold it.",
     "Keep entries within the route length, or lengthen the line.",
     "lunghezza percorso, 20000\n...\nsegnale, 21000, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
    {w::kOutOfOrder, W, false, "profile entries are not in increasing position",
     "Gradient, speed-limit and adhesion entries each form a step profile filled from the "
     "previous entry's position to this one's: an entry at or before the previous one still "
     "sets one segment with the old value and garbles the profile.",
     "List the entries of each profile in increasing position.",
     "velocita, 1000, 90\nvelocita, 900, 100"},
    {w::kCurveShortened, W, false, "a curve starts behind the route plan drawn so far",
     "The route plan is drawn metre by metre in the order of the text. A curve that starts "
     "before the end of the previous curve turns only from where the plan has got to: its turn "
     "starts late and the line bends less than written.",
     "List curves in increasing position without overlaps.",
     "curvas4, 1000, 300\ncurvad4, 1200, 300"},
    {w::kCurveIgnored, W, false,
     "a curve ends behind the route plan drawn so far and draws nothing",
     "The route plan is drawn metre by metre in the order of the text; a curve that ends before "
     "the plan's current end cannot go back, and draws nothing.",
     "List curves in increasing position.", "curvas4, 2000, 300\ncurvad4, 1000, 300"},
    {w::kTunnelJoined, W, false, "a tunnel is stored as type 3 by the 150 m rule",
     "A tunnel that begins 150 m or less after the end of the tunnel before it in the text (or "
     "overlaps it) is joined to it and stored as type 3, whatever type is written.",
     "Leave more than 150 m between tunnels, or write type 3 where joining is meant.",
     "montagna, 5000, 5500, 1\nmontagna, 5600, 6000, 2"},
    {w::kTunnelReversed, E, false, "a tunnel ends before it starts and marks nothing",
     "A tunnel from start to end marks segments start / 50 to end / 50 - 1; with the end before "
     "the start there are none. The tunnel still counts as the previous one for the next "
     "tunnel's 150 m rule.",
     "Write the start first, then the end.", "montagna, 8000, 7000, 1"},
    {w::kMarkOverwritten, W, false, "a mark is written over another entry's mark",
     "A signal's or station's approach marks are written over whatever approach marks stood on "
     "those segments, and a station's stop mark over whatever mark held its segment (a signal, "
     "a slowdown mark, a board); the earlier mark is lost.",
     "Move one of the two entries so that their marks do not meet.",
     "stazione, 1000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, ALFA\n"
     "segnale, 1300, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
    {w::kLeadInIgnored, W, false, "a slowdown asks for lead-in marks it cannot have",
     "A slowdown starting at 1 500 m or less has no warning point and so no lead-in; its f_ta "
     "value is ignored.",
     "Set f_ta to 0, or start the slowdown beyond 1 500 m.",
     "rallentamento, 1000, 30, 500, 0, 1, 0"},
    {w::kSlowdownInOneSegment, W, false, "a slowdown ends in its own start segment",
     "A slowdown shorter than about 50 m has its start and end on one segment, which keeps the "
     "start mark only. With no end of its own, the track-code pass walks on to the next "
     "slowdown's end or to the end of the line, placing a code point every 8 segments (a 0 m "
     "slowdown can add a hundred code points).",
     "Give the slowdown a length of 50 m or more.", "rallentamento, 20000, 30, 0, 0, 0, 0"},
    {w::kEncoding, W, false, "a text holds UTF-8 characters the simulator shows wrongly",
     "The simulator reads station names and board texts as Windows-1252 bytes; a text saved as "
     "UTF-8 shows each accented letter as two or three other characters (\"Citt\xC3\xA0\" "
     "shows as \"Citt\xC3\x83\xC2\xA0\").",
     "Save the source text in Windows-1252 (or write the name without accents).",
     "stazione, 1000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, CITT\xC3\x80"},
    {w::kNoGeneralSection, E, false, "the train service description has no \"[generale]\" line",
     "The train service description is read from its \"[generale]\" line on (in any letter "
     "case); without one nothing of it is read: no train, clock, station, signal, slowdown or "
     "speed limit reaches the compiled files, which are still written from the line "
     "description. The message stands at line 1, counts the entries that are not read and "
     "names a line that looks like a misspelt \"[generale]\".",
     "Begin the train service description with a \"[generale]\" line and end it with "
     "\"[fine]\".",
     "[generali]\nnumero vetture, 10\n...\n[fine]"},
    // What a value becomes: stored, but not as written.
    {w::kTempoRaised, W, false, "a signal's tempo of 1 to 100 is stored as 101",
     "A signal whose sx is 2 keeps its time (tempo) with it; any time from 1 to 100 is raised to "
     "101 before it is stored, so the simulator never sees it as written.",
     "Write 0, or a tempo of 101 to 255.", "segnale, 6050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 30"},
    {w::kTempoUnused, W, false, "a signal's tempo is not stored, its sx not being 2",
     "A signal keeps its time (tempo) only when its sx is 2; with any other sx the time written "
     "is dropped and the signal's cell holds 0.",
     "Write a tempo of 0, or sx 2 if the signal is meant to keep its time.",
     "segnale, 6050, 1, 4, 1, 1, 0, 2, 2, 1, 1, 150"},
    {w::kDigitCarried, W, false, "a signal's aspect digit carries into its neighbour",
     "A signal's aspects are stored as digits of one number: s1 x 10 + d1 (and so for 2 and 3), "
     "rapp x 10 + sx x 3 + dx. A d1, d2 or d3 outside 0 to 9, a dx outside 0 to 2 or an "
     "sx x 3 + dx above 9 changes the digit beside it: d1 15 with s1 4 is stored as 55, which the "
     "simulator reads as s1 5, d1 5.",
     "Keep d1 to d3 within 0 to 9, dx within 0 to 2 and sx x 3 + dx within 0 to 9.",
     "segnale, 6050, 2, 4, 1, 1, 0, 2, 15, 1, 1, 0"},
    {w::kStationTypeUnknown, W, false, "a station type the reader does not tell apart",
     "The reader computes a station's extent one way for types 5 and 6, another for 7 and 8 and a "
     "third for every other type, and marks the station in the segments for types below 25; the "
     "built-in line uses 2, 4, 12 and 22. Any other type below 25 is read as an ordinary marked "
     "station, and the simulator may not know it.",
     "Use one of the types 2, 4, 5, 6, 7, 8, 12 or 22, or 25 and above for a station without "
     "marks.",
     "stazione, 1000, 3, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, MONZA"},
    {w::kTunnelTypeUnknown, W, false, "a tunnel type the built-in line does not use",
     "A tunnel's type is written into every segment it covers (a type above 10 is the type minus "
     "10, with every fourth segment marked). The built-in line uses types 1 and 2, and 3 is the "
     "type of tunnels joined to the one before; 0 means no tunnel, so a tunnel of type 0 leaves "
     "the line open.",
     "Write type 1 or 2 (11 or 12 for a marked tunnel).", "montagna, 2000, 3000, 5"},
    {w::kStationOptionCleared, W, false, "a station's option_e or option_d is stored as 0",
     "option_e is cleared for a station shorter than 600 m and for the first station; option_d "
     "(an extent 50 m longer) is cleared for station types 5 to 8 and for the first station. What "
     "was written there does not reach the compiled files.",
     "Write 0 there, or make the station long enough or of another type.",
     "stazione, 1000, 2, 400, 0, 1, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, MONZA"},
    // What compiles but no real run would have.
    {w::kTimesBackwards, W, false, "station times do not increase along the line",
     "The times of the stations that have one (the departure, and the arrival at the last "
     "station) are meant to increase from each station to the next; one that is not after the "
     "one before it is most likely a typing mistake, and the train sheet shows the train going "
     "back in time.",
     "Correct the hours, minutes or seconds of the station named.",
     "stazione, 4000, 4, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 60, 0, 30, 0, A\n"
     "stazione, 8000, 4, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 60, 0, 20, 0, B"},
    {w::kStopWithoutTime, W, false, "a stopping station has no departure time",
     "A station with a stop time above 0 is one the train stops at, and its departure time is "
     "then given; all three time values 0 leave the train sheet without one. The last station, "
     "whose time is the arrival, is not checked.",
     "Give the departure time, or a stop time of 0 for a station passed through.",
     "stazione, 4000, 4, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 60, 0, 0, 0, A"},
    {w::kTimeWithoutStop, W, false, "a station passed without stopping has a time",
     "A station with a stop time of 0 is passed through, and its three time values are 0; a "
     "time there usually means that the stop time was forgotten. The last station, whose time "
     "is the arrival, is not checked.",
     "Give the stop time in seconds, or write 0, 0, 0 for the time.",
     "stazione, 4000, 4, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 30, 0, A"},
    {w::kSpeedLimitImplausible, W, false, "a speed limit of 0 inside the line, or above 300 km/h",
     "A speed limit (\"velocita\") holds from its position to the next one's; 0 km/h inside the "
     "line stops every train there, and no line is run faster than 300 km/h.",
     "Give the limit in km/h, between 5 and 300.", "velocita, 8000, 0"},
    {w::kSlowdownAboveLimit, W, false, "a slowdown is faster than the line's limit over it",
     "A slowdown lowers the speed over part of the line; one whose speed is above the lowest "
     "speed limit in force over its length slows no train down there.",
     "Give the slowdown a speed below the line's limit, or check the speed limits.",
     "velocita, 0, 90\nrallentamento, 5000, 120, 500, 0, 0, 0"},
    {w::kSlowdownPastEnd, W, false, "a slowdown is longer than the line left after its start",
     "A slowdown's end lies at its start plus its length; past the route length its end mark "
     "falls in the run-out, where no train comes, and the slowdown never ends for the driver.",
     "Shorten the slowdown to end within the line.", "rallentamento, 9800, 30, 500, 0, 0, 0"},
    {w::kSignalInStation, W, false, "a signal stands inside a station's extent",
     "A station reaches over its platforms, from the start to the end of its extent; a signal "
     "inside it stands between the platforms, where the train stops, which is most likely a "
     "wrong position of the signal or the station.",
     "Move the signal before or after the station.",
     "stazione, 4000, 4, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 60, 0, 30, 0, A\n"
     "segnale, 4000, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
    {w::kQuoteOverLines, E, false, "a quoted text field runs over line ends",
     "A text field that begins with a double quote runs to the next double quote, across commas "
     "and line ends, or to the end of the text when none follows. A stray quote, such as one "
     "before a station name, so swallows the lines after it: their entries become part of the "
     "name and are never read. The message stands at the opening quote and counts the lines "
     "and entries swallowed.",
     "Close the quote on its own line, or remove it.",
     "stazione, 14000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, \"MONZA\n"
     "segnale, 15000, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"},
    {w::kSplitNumber, E, false, "a number field holds two numbers separated by a blank",
     "A number field ends at the first blank, and the number after the blank is read as the "
     "next value: \"13 800\" reads as 13, and 800 goes into the field after it, so every "
     "later value of the entry shifts by one. Only the \"orologio\" line writes its numbers "
     "apart by blanks. A tab is a blank too, so tabs used between values are read the same way.",
     "Write the number without blanks (13800), and separate the values with commas.",
     "velocita, 13 800, 80"},
    // What the driver's documents cannot show as written.
    {w::kNameCut, W, false, "a name is too long for its column in a driver's document",
     "The train sheet and the slow order form are boxes of fixed width, as the drivers know "
     "them: a station's name has 26 characters in the sheet's table and 21 beside \"da:\" and "
     "\"a:\" in its header, the stations either side of a slowdown 26 in the form. A longer "
     "text is cut at its column; the compiled files keep the whole name.",
     "Shorten the name, or write its well-known short form (\"C.le\" for \"Centrale\").",
     "stazione, 0, 2, 1000, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 0, 25, 0, "
     "CALOLZIOCORTE - OLGINATE - VERCURAGO"},
};

}  // namespace

bool is_numbered(const explanation& e) {
  return !e.id.empty() && e.id.find_first_not_of("0123456789") == std::string_view::npos;
}

std::span<const explanation> explanations() { return kExplanations; }

const explanation* find_explanation(std::string_view id) {
  const auto* it = std::find_if(std::begin(kExplanations), std::end(kExplanations),
                                [id](const explanation& e) { return e.id == id; });
  return it == std::end(kExplanations) ? nullptr : it;
}

const explanation* find_explanation(int32_t code) {
  return find_explanation(std::string_view(std::to_string(code)));
}

}  // namespace scenario
