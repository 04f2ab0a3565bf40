// The driver's documents of any scenario, filled from its compiled records:
// the train sheet, the slow order form and the notes page, in the layout,
// widths, code page and line ends of the built-in ones.  Bytes in memory;
// writing the files is the caller's.
#ifndef SCENARIO_DOCUMENTS_DOCUMENTS_FROM_SCENARIO_H_
#define SCENARIO_DOCUMENTS_DOCUMENTS_FROM_SCENARIO_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/document_cells.h"
#include "documents/scenario_facts.h"
#include "model/records.h"

namespace scenario {

// What the records do not hold.  Texts are UTF-8 (as a command line gives
// them) or Windows-1252; the defaults are the built-in scenario's.
struct document_options {
  // The line's name for the header of the form and the notes page; empty:
  // the line identifier with " - " for each "_" ("Milano - Lecco").
  std::string line_name;
  std::string speed_rank = "V120 A";  // the sheet's side box
  std::string classification = "Locale";
  std::string blocked_mass = "280T";
  // The author's notes for the notes page, the bytes of their file.
  std::optional<std::string> notes;
};

struct scenario_documents {
  std::string train_sheet;
  std::string slow_orders;
  std::string notes;
  std::vector<document_warning> warnings;
};

scenario_documents documents_from_scenario(const scenario_records& records,
                                           const document_options& options);

// The texts of the options as the documents write them: in Windows-1252,
// the line name made from the identifier when none is given.
struct document_texts {
  std::string line_name;
  std::string speed_rank;
  std::string classification;
  std::string blocked_mass;
  std::string train_code;
  std::string train_number;  // the train code without its letters in front: "5244"
};

// The parts: each from the facts of the records and the texts above; the
// warnings of what they cut are added to `warnings`.
std::string train_sheet_from_records(const scenario_records& records, const scenario_facts& facts,
                                     const document_texts& texts,
                                     std::vector<document_warning>& warnings);
std::string slow_order_form_from_records(const scenario_records& records,
                                         const scenario_facts& facts, const document_texts& texts,
                                         std::vector<document_warning>& warnings);
// `notes` are the author's lines, in Windows-1252, or none for the summary
// alone.
std::string notes_page_from_records(const scenario_facts& facts, const document_texts& texts,
                                    const std::optional<std::vector<std::string>>& notes);

// The lines of an author's notes file: UTF-8 or Windows-1252, any line
// ends, tabs set to every eighth column, other control bytes as blanks; a
// character without a Windows-1252 byte is '?', with an encoding warning.
std::vector<std::string> notes_lines(std::string_view bytes,
                                     std::vector<document_warning>& warnings);

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_DOCUMENTS_FROM_SCENARIO_H_
