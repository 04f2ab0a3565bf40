#include "tool/commands/template_command.h"

#include <system_error>
#include <vector>

#include "builtin/annotated_texts.h"
#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "system/terminal_text.h"
#include "tool/commands/compile_command.h"
#include "tool/commands/identifiers.h"
#include "tool/exit_status.h"

namespace scenario::tool {
namespace fs = std::filesystem;

int run_template(const template_options& options, std::ostream& out, std::ostream& err) {
  check_identifier("line identifier", options.line_id);
  check_train_code(options.train_code);
  const std::string line = options.annotated ? annotated_line_description() : dati_linea();
  const std::string service = options.annotated ? annotated_train_service() : dati_treno();
  const std::vector<output_file> texts = {
      {path_in(options.dir, line_description_file_name(options.line_id)), line},
      {path_in(options.dir, train_service_file_name(options.line_id, options.train_code)),
       service}};
  std::error_code ec;
  for (const auto& text : texts) {
    if (!options.force && fs::exists(text.path, ec)) {
      err << "scenario-tool: error: " << shown(text.path)
          << " already exists; it may hold an author's work (--force replaces it)\n";
      return kExitFile;
    }
  }
  make_directories(options.dir);
  const std::vector<fs::path> paths = {texts[0].path, texts[1].path};
  const held_folder held(options.dir, paths, "scenario-tool template", options.wait,
                         waiting_note(err, options.dir));
  replace_files(texts);
  for (const auto& text : texts) out << "wrote " << shown(text.path) << '\n';
  return kExitOk;
}

}  // namespace scenario::tool
