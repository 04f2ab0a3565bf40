#include "app/generator.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "app/compilation.h"
#include "app/failure_messages.h"
#include "documents/notes_page.h"
#include "documents/slow_order_form.h"
#include "documents/train_sheet.h"
#include "line/line_text.h"
#include "model/compiled_files.h"
#include "service/service_text.h"

namespace scenario {
namespace fs = std::filesystem;
namespace {

std::string reason(const std::error_code& ec) { return ec.message(); }

std::optional<std::string> read_if_present(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return std::nullopt;
  return read_whole_file(path);
}

void remove_file(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
  if (ec) throw file_error("cannot delete " + path.string() + ": " + reason(ec));
}

std::string document_name(std::string_view line_id, std::string_view train_code,
                          std::string_view ending) {
  return std::string(line_id) + "_" + std::string(train_code) + "_" + std::string(ending);
}

}  // namespace

std::string read_whole_file(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec))
    throw file_error("cannot read " + path.string() + ": a directory");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw file_error("cannot read " + path.string() + ": " + std::strerror(errno));
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw file_error("cannot read " + path.string() + ": " + std::strerror(errno));
  return std::move(bytes).str();
}

void write_compiled_files(const scenario_records& r, const fs::path& dir) {
  if (r.build_geometry != 0)
    replace_file(dir / line_geometry_file_name(r.line_id),
                 [&](std::ostream& out) { write_line_geometry(out, r.track_geometry); });
  replace_file(dir / table_file_name(r.line_id, r.train_code),
               [&](std::ostream& out) { write_general_table(out, r.general_table); });
  replace_file(dir / segment_file_name(r.line_id, r.train_code),
               [&](std::ostream& out) { write_segments(out, r.segments); });
}

fs::path output_directory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) throw file_error("cannot find the program's own directory: " + reason(ec));
  return exe.parent_path();
}

void replace_file(const fs::path& path, const std::function<void(std::ostream&)>& write) {
  fs::path temporary = path;
  temporary += ".tmp" + std::to_string(::getpid());
  // Whatever stops the write, the temporary file does not outlive it.
  struct temporary_guard {
    const fs::path& file;
    bool kept = false;
    ~temporary_guard() {
      std::error_code ignored;
      if (!kept) fs::remove(file, ignored);
    }
  } guard{temporary};
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw file_error("cannot write " + path.string() + ": " + std::strerror(errno));
    write(out);
    out.flush();
    if (!out) throw file_error("cannot write " + path.string() + ": " + std::strerror(errno));
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (ec) throw file_error("cannot replace " + path.string() + ": " + reason(ec));
  guard.kept = true;
}

void replace_file(const fs::path& path, std::string_view bytes) {
  replace_file(path, [bytes](std::ostream& out) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  });
}

int errore(std::string_view a, std::ostream& err) {
  err << " Errore n. " << a << '\n';
  return 1;
}

int memorizza_percorso(scenario_records& records, int32_t j, const fs::path& dir,
                       std::ostream& err) {
  const fs::path line_path = dir / line_description_file_name(records.line_id);
  const fs::path service_path = dir / train_service_file_name(records.line_id, records.train_code);
  const std::optional<std::string> line = read_if_present(line_path);
  const std::optional<std::string> service = read_if_present(service_path);
  const compilation result = compile_scenario(records, j, line, service);
  // The readers use their texts up, as far as they got.
  if (result.reading.delete_line_description) remove_file(line_path);
  if (result.reading.delete_train_service) remove_file(service_path);

  if (result.stamp_error != 0) return errore(std::to_string(result.stamp_error), err);
  if (result.compiled) write_compiled_files(records, dir);
  if (records.failure_code == 0) return 0;
  // A failure that leaves the position as it was has none to show.
  err << "scenario-generator: warning: failure " << records.failure_code;
  if (failure_has_position(records.failure_code)) err << " at " << records.failure_position << " m";
  err << ": " << failure_meaning(records.failure_code) << '\n';
  return 1;
}

int Form_Load(const fs::path& dir, std::ostream& err) {
  scenario_records records;
  records.line_id = "Milano_Lecco";
  records.train_code = "L5244";
  err << "Attendere\n";
  try {
    const std::string& line = records.line_id;
    const std::string& train = records.train_code;
    replace_file(dir / line_description_file_name(line), dati_linea());
    replace_file(dir / train_service_file_name(line, train), dati_treno());
    replace_file(dir / document_name(line, train, "note.txt"), dati_note());
    replace_file(dir / document_name(line, train, "rallentamenti.txt"), dati_rallentamenti());
    replace_file(dir / document_name(line, train, "scheda_treno.txt"), dati_scheda());
    return memorizza_percorso(records, 1, dir, err);
  } catch (const file_error& e) {
    err << "scenario-generator: " << e.what() << '\n';
    return 2;
  }
}

}  // namespace scenario
