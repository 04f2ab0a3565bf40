#include "generator/generator.h"

#include <new>
#include <optional>
#include <string>
#include <system_error>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "compile/failure_messages.h"
#include "documents/notes_page.h"
#include "documents/slow_order_form.h"
#include "documents/train_sheet.h"
#include "format/compiled_set.h"
#include "format/scenario_names.h"
#include "generator/exit_status.h"
#include "system/platform.h"

namespace scenario {
namespace fs = std::filesystem;
namespace {

// A file that could not be read, written or deleted, or no memory left.

std::optional<std::string> read_if_present(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return std::nullopt;
  return read_whole_file(path);
}

// The two source texts are the run's own workings: the readers delete them
// once read, and whatever else ends the run, they do not stay behind.
class own_texts {
 public:
  own_texts() = default;
  own_texts(const own_texts&) = delete;
  own_texts& operator=(const own_texts&) = delete;
  ~own_texts() {
    for (const fs::path& path : paths_) {
      try {
        platform::remove_file(path);
      } catch (const file_error&) {
        // The run is ending on an error of its own already.
      }
    }
  }
  void add(const fs::path& path) { paths_.push_back(path); }

 private:
  std::vector<fs::path> paths_;
};

// Every file of the run: the texts and documents in their order, then the
// compiled files.
std::vector<fs::path> run_file_names(const scenario_records& r, const fs::path& dir) {
  const std::string& line = r.line_id;
  const std::string& train = r.train_code;
  std::vector<fs::path> names = {
      path_in(dir, line_description_file_name(line)),
      path_in(dir, train_service_file_name(line, train)),
      path_in(dir, document_file_name(line, train, document::notes)),
      path_in(dir, document_file_name(line, train, document::slow_orders)),
      path_in(dir, document_file_name(line, train, document::train_sheet))};
  const std::vector<fs::path> compiled = compiled_file_paths(line, train, true, dir);
  names.insert(names.end(), compiled.begin(), compiled.end());
  return names;
}

// The texts and documents, in their order, all or none.  Every name of the
// run, the compiled files' too, is checked before the first file is written.
void write_texts(const std::vector<fs::path>& names, own_texts& texts) {
  check_output_names(names);

  const std::string bytes[] = {dati_linea(), dati_treno(), dati_note(), dati_rallentamenti(),
                               dati_scheda()};
  std::vector<output_file> files;
  for (size_t i = 0; i < std::size(bytes); ++i) files.push_back({names[i], bytes[i]});
  try {
    replace_files(files);
  } catch (const replacement_error& e) {
    for (const fs::path& p : e.replaced())
      if (p == names[0] || p == names[1]) texts.add(p);
    throw;
  }
  texts.add(names[0]);
  texts.add(names[1]);
}

}  // namespace

int errore(std::string_view a, std::ostream& err) {
  err << " Errore n. " << a << '\n';
  return generator::kExitFailure;
}

int memorizza_percorso(scenario_records& records, bool build_geometry, const fs::path& dir,
                       std::ostream& err) {
  const fs::path line_path = path_in(dir, line_description_file_name(records.line_id));
  const fs::path service_path =
      path_in(dir, train_service_file_name(records.line_id, records.train_code));
  const std::optional<std::string> line = read_if_present(line_path);
  const std::optional<std::string> service = read_if_present(service_path);
  const compilation result = compile_scenario(records, build_geometry, line, service);
  // The readers use their texts up, as far as they got.
  if (result.reading.delete_line_description) platform::remove_file(line_path);
  if (result.reading.delete_train_service) platform::remove_file(service_path);

  if (result.stamp_error != 0) return errore(std::to_string(result.stamp_error), err);
  if (result.compiled) write_compiled_files(records, dir);
  if (records.failure_code == 0) return generator::kExitOk;
  // A failure that leaves the position as it was has none to show.
  err << "scenario-generator: warning: failure " << records.failure_code;
  if (failure_has_position(records.failure_code)) err << " at " << records.failure_position << " m";
  err << ": " << failure_meaning(records.failure_code) << '\n';
  return generator::kExitFailure;
}

int Form_Load(const fs::path& dir, std::ostream& err) {
  scenario_records records;
  records.line_id = "Milano_Lecco";
  records.train_code = "L5244";
  err << "Attendere\n";
  try {
    // Held for the whole run, texts included: another run in this folder
    // would read or delete them.
    const std::vector<fs::path> names = run_file_names(records, dir);
    const held_folder held(dir, names, "scenario-generator", true, [&](const std::string& holder) {
      err << "scenario-generator: waiting for " << holder << " to finish writing here\n";
    });
    own_texts texts;
    write_texts(names, texts);
    return memorizza_percorso(records, true, dir, err);
  } catch (const file_error& e) {
    err << "scenario-generator: " << e.what() << '\n';
    return generator::kExitFileOrUsage;
  } catch (const std::bad_alloc&) {
    err << "scenario-generator: out of memory\n";
    return generator::kExitFileOrUsage;
  }
}

}  // namespace scenario
