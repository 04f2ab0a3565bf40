// Every file name of a scenario, built and taken apart in this one place: the
// three compiled files the simulator loads, the two source texts, the three
// documents, the compile record and the pictures the tool writes beside them.
// A name is "<line>_..." where <line> is the line identifier and <train> the
// train code; both are UTF-8 text, and so are the names made of them.
#ifndef SCENARIO_FORMAT_SCENARIO_NAMES_H_
#define SCENARIO_FORMAT_SCENARIO_NAMES_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// What names a scenario.
struct scenario_ids {
  std::string line_id;
  std::string train_code;
};

// The three compiled files.
enum class file_kind { geometry, table, segments };

// "<line>_linea.dat", "<line>_<train>.sim", "<line>_<train>.dat".
std::string line_geometry_file_name(std::string_view line_id);
std::string table_file_name(std::string_view line_id, std::string_view train_code);
std::string segment_file_name(std::string_view line_id, std::string_view train_code);
std::string compiled_file_name(file_kind kind, const scenario_ids& ids);

// "<line>_linea.txt" (the line description), "<line>_<train>-.txt" (the
// train service).
std::string line_description_file_name(std::string_view line_id);
std::string train_service_file_name(std::string_view line_id, std::string_view train_code);

// The documents the generator writes for the driver.
enum class document { notes, slow_orders, train_sheet };
// "<line>_<train>_note.txt", "..._rallentamenti.txt", "..._scheda_treno.txt".
std::string document_file_name(std::string_view line_id, std::string_view train_code,
                               document which);

// "<line>_<train>.report.json": what `compile` records beside its files.
std::string compile_record_name(std::string_view line_id, std::string_view train_code);

// "<line>_<train><extension>": a picture of the scenario (".svg", ".html").
std::string picture_file_name(const scenario_ids& ids, std::string_view extension);

// A name inside `dir`.  The name is UTF-8 text: on Windows the standard
// library would read narrow text in the ANSI code page instead.
std::filesystem::path path_in(const std::filesystem::path& dir, std::string_view name);

// The compiled files of a scenario in `dir`, in the order they are written:
// the line geometry file (when `geometry`), the table file, the segment file.
std::vector<std::filesystem::path> compiled_file_paths(std::string_view line_id,
                                                       std::string_view train_code, bool geometry,
                                                       const std::filesystem::path& dir);

// Which compiled file a name stands for, by its ending alone ("_linea.dat",
// else ".sim", else ".dat"); nothing for any other name.
std::optional<file_kind> compiled_kind_of_name(std::string_view file_name);

// Names taken apart.  Each gives nothing for a name of another shape or
// whose identifier would be empty; the train code is asked of a name for
// a given line, since both identifiers may hold '_'.
std::optional<std::string> line_id_of_geometry_name(std::string_view file_name);
std::optional<std::string> line_id_of_description_name(std::string_view file_name);
std::optional<std::string> train_code_of_table_name(std::string_view file_name,
                                                    std::string_view line_id);
std::optional<std::string> train_code_of_service_name(std::string_view file_name,
                                                      std::string_view line_id);
// "<line>_<train>" of a table file name "<line>_<train>.sim".
std::optional<std::string> scenario_of_table_name(std::string_view file_name);

}  // namespace scenario

#endif  // SCENARIO_FORMAT_SCENARIO_NAMES_H_
