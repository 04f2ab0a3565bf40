#include "tool/cli.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/commands/compile_command.h"
#include "tool/commands/decompile_command.h"
#include "tool/commands/diff_command.h"
#include "tool/commands/dump_command.h"
#include "tool/commands/explain_command.h"
#include "tool/commands/identifiers.h"
#include "tool/commands/lsp_command.h"
#include "tool/commands/plot_command.h"
#include "tool/commands/template_command.h"
#include "tool/commands/view_command.h"
#include "tool/exit_status.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace {

const char* const kFormats[] = {"text", "json"};
const char* const kNoWaitHelp =
    "when another run is writing into the folder, exit (status 3) instead of waiting for it";

// The driver's documents: `documents`, and `compile --documents`.
struct document_flags {
  document_options options;
  std::string notes;
  CLI::Option* notes_flag = nullptr;
  bool wanted = false;

  void add_to(CLI::App& command, bool optional) {
    if (optional)
      command.add_flag("--documents", wanted,
                       "write the driver's documents (train sheet, slow order form, notes "
                       "page) beside the compiled files");
    command.add_option("--line-name", options.line_name,
                       "the line's name in the documents (default: from the line identifier)");
    notes_flag = command.add_option("--notes", notes, "the author's text for the notes page");
    command.add_option("--speed-rank", options.speed_rank, "the train sheet's side box")
        ->capture_default_str();
    command.add_option("--classification", options.classification, "the train's classification")
        ->capture_default_str();
    command.add_option("--blocked-mass", options.blocked_mass, "the train's blocked mass")
        ->capture_default_str();
  }
  compile_options finish(compile_options o, bool optional) const {
    o.documents = wanted || !optional;
    o.compiled_files = optional;
    o.document = options;
    if (notes_flag->count() > 0) o.notes_file = notes;
    return o;
  }
};

// The flags `compile`, `check` and `documents` share.
struct compile_flags {
  compile_options options;
  std::string line_id, train_code, out_dir = ".", format = "text";
  CLI::Option* line_flag = nullptr;
  CLI::Option* train_flag = nullptr;
  bool no_geometry = false;
  bool werror = false;
  bool no_warnings = false;

  CLI::App* add_to(CLI::App& tool, const char* name, const char* what, bool writes,
                   document_flags* documents = nullptr) {
    CLI::App& command = *tool.add_subcommand(name, what);
    command.add_option("LINE_TXT", options.line_text, "line description text (<line>_linea.txt)")
        ->required();
    command
        .add_option("SERVICE_TXT", options.service_text, "train service text (<line>_<train>-.txt)")
        ->required();
    if (writes) {
      command.add_option("--out", out_dir,
                         std::string_view(name) == "documents"
                             ? "directory for the documents (default: .)"
                             : "directory for the compiled files (default: .)");
      command.add_flag("--no-wait{false}", options.wait, kNoWaitHelp);
    }
    line_flag =
        command.add_option("--line-id", line_id, "line identifier (default: from LINE_TXT's name)");
    train_flag = command.add_option("--train-code", train_code,
                                    "train code (default: from SERVICE_TXT's name)");
    command.add_flag("--no-geometry", no_geometry, "compile without the route plan");
    command.add_flag("--werror", werror, "exit with status 1 when there is any warning");
    command.add_flag("-w", no_warnings, "report no warnings (errors are always reported)");
    command
        .add_option("--allow", options.allowed,
                    "report a loss of this id (an error) as a warning the author means; "
                    "repeatable")
        ->allow_extra_args(false);
    command.add_option("--format", format, "diagnostics as text (standard error) or json")
        ->check(CLI::IsMember({kFormats[0], kFormats[1]}));
    if (documents) documents->add_to(command, std::string_view(name) == "compile");
    return &command;
  }

  compile_options finish(bool writes, bool colour) {
    if (line_flag->count() > 0) options.line_id = line_id;
    if (train_flag->count() > 0) options.train_code = train_code;
    options.out_dir = platform::path_from_utf8(out_dir);
    options.geometry = !no_geometry;
    options.write = writes;
    options.json = format == "json";
    options.werror = werror;
    options.no_warnings = no_warnings;
    options.colour = colour;
    return options;
  }
};

// The flags `plot` and `view` share: which compiled scenario, and the file
// to write.
struct picture_flags {
  plot_options options;
  std::string dir, line_id, train_code, output;
  CLI::Option* line_flag = nullptr;
  CLI::Option* train_flag = nullptr;
  CLI::Option* output_flag = nullptr;

  CLI::App* add_to(CLI::App& app, const char* name, const char* what, const char* output_help) {
    CLI::App* command = app.add_subcommand(name, what);
    command->add_option("DIR", dir, "directory of the compiled files")->required();
    line_flag = command->add_option("--line-id", line_id, "line identifier");
    train_flag = command->add_option("--train-code", train_code, "train code");
    output_flag = command->add_option("-o,--output", output, output_help);
    return command;
  }

  plot_options finish() {
    options.dir = platform::path_from_utf8(dir);
    if (line_flag->count() > 0) options.line_id = line_id;
    if (train_flag->count() > 0) options.train_code = train_code;
    if (output_flag->count() > 0) options.output = platform::path_from_utf8(output);
    return options;
  }
};

// `template DIR`.  Paths are taken as UTF-8 text, each made a path on its
// own: the standard library would read narrow text in Windows' ANSI code page.
struct template_flags {
  template_options options;
  std::string dir;

  CLI::App* add_to(CLI::App& tool) {
    CLI::App* command =
        tool.add_subcommand("template", "write the built-in source texts into DIR to start from");
    command->add_option("DIR", dir, "directory for the two texts")->required();
    command->add_option("--line-id", options.line_id, "line identifier of the names");
    command->add_option("--train-code", options.train_code, "train code of the names");
    command->add_flag("--force", options.force, "replace texts already in DIR");
    command->add_flag("--no-wait{false}", options.wait, kNoWaitHelp);
    command->add_flag("--annotated", options.annotated,
                      "with comment lines explaining every entry, field by field");
    return command;
  }
  template_options finish() {
    options.dir = platform::path_from_utf8(dir);
    return options;
  }
};

// `dump FILE`.
struct dump_flags {
  dump_options options;
  std::string file, format = "text", kind;
  CLI::Option* kind_flag = nullptr;

  CLI::App* add_to(CLI::App& tool) {
    CLI::App* command = tool.add_subcommand("dump", "list a compiled file as text or JSON");
    command
        ->add_option("FILE", file,
                     "line geometry (.._linea.dat), table (.sim) "
                     "or segment (.dat) file")
        ->required();
    command->add_option("--format", format, "text or json")
        ->check(CLI::IsMember({kFormats[0], kFormats[1]}));
    kind_flag = command->add_option("--kind", kind, "the file's kind, when its name does not tell")
                    ->check(CLI::IsMember({"geometry", "table", "segments"}));
    return command;
  }
  dump_options finish() {
    options.file = platform::path_from_utf8(file);
    if (kind_flag->count() > 0) options.kind = kind;
    options.json = format == "json";
    return options;
  }
};

// `diff OLD NEW`.
struct diff_flags {
  diff_options options;
  std::string format = "text", line_id, train_code;
  CLI::Option* line_flag = nullptr;
  CLI::Option* train_flag = nullptr;

  CLI::App* add_to(CLI::App& tool) {
    CLI::App* command =
        tool.add_subcommand("diff", "list what changed between two scenarios, by name");
    const char* side = "a directory of compiled files, or LINE_TXT,SERVICE_TXT compiled in memory";
    command->add_option("OLD", options.old_side, side)->required();
    command->add_option("NEW", options.new_side, side)->required();
    line_flag = command->add_option("--line-id", line_id, "line identifier");
    train_flag = command->add_option("--train-code", train_code, "train code");
    command->add_option("--format", format, "text or json")
        ->check(CLI::IsMember({kFormats[0], kFormats[1]}));
    command->add_option("--context", options.context,
                        "unchanged objects to show before and after each changed one (text)");
    return command;
  }
  diff_options finish() {
    if (line_flag->count() > 0) options.line_id = line_id;
    if (train_flag->count() > 0) options.train_code = train_code;
    options.json = format == "json";
    return options;
  }
};

// `explain [ID]`.
struct explain_command {
  CLI::App* command = nullptr;
  CLI::Option* id_option = nullptr;
  std::string id;

  CLI::App* add_to(CLI::App& tool) {
    command = tool.add_subcommand(
        "explain", "what a failure code, loss or warning id means, its causes and its fix");
    id_option = command->add_option("ID", id,
                                    "a failure code (16), a loss id (unknown-entry) or a warning "
                                    "id (value-wrapped); none lists them all");
    return command;
  }
  int run(std::ostream& out, std::ostream& err) const {
    return run_explain(id_option->count() > 0 ? std::optional(id) : std::nullopt, out, err);
  }
};

// `decompile DIR`: which compiled scenario, and where its texts go.
struct decompile_flags {
  decompile_options options;
  std::string dir, line_id, train_code, out_dir = ".";
  CLI::App* command = nullptr;
  CLI::Option* line_flag = nullptr;
  CLI::Option* train_flag = nullptr;

  CLI::App* add_to(CLI::App& tool) {
    command = tool.add_subcommand(
        "decompile", "recover the two source texts of a compiled scenario, exactly where possible");
    command->add_option("DIR", dir, "directory of the compiled files")->required();
    line_flag = command->add_option("--line-id", line_id, "line identifier");
    train_flag = command->add_option("--train-code", train_code, "train code");
    command->add_option("--out", out_dir, "directory for the two texts (default: .)");
    command->add_flag("--force", options.force, "replace texts already there");
    command->add_flag("--no-wait{false}", options.wait, kNoWaitHelp);
    return command;
  }
  decompile_options finish() {
    options.dir = platform::path_from_utf8(dir);
    options.out_dir = platform::path_from_utf8(out_dir);
    if (line_flag->count() > 0) options.line_id = line_id;
    if (train_flag->count() > 0) options.train_code = train_code;
    return options;
  }
};

// `lsp [--log FILE]`.
struct lsp_flags {
  lsp_options options;
  std::string log;
  CLI::Option* log_flag = nullptr;

  CLI::App* add_to(CLI::App& tool) {
    CLI::App* command = tool.add_subcommand(
        "lsp", "serve an editor as a language server on standard input and output");
    log_flag = command->add_option("--log", log, "append what the server notes to FILE");
    return command;
  }
  lsp_options finish() {
    if (log_flag->count() > 0) options.log = log;
    return options;
  }
};

// Runs a command, turning the tool's own errors into messages and statuses.
int guarded(const std::function<int()>& command, bool json, std::ostream& out, std::ostream& err) {
  auto fail = [&](const std::string& what, int status) {
    err << "scenario-tool: error: " << what << '\n';
    if (json) out << error_json(what, status) << '\n';
    return status;
  };
  try {
    return command();
  } catch (const usage_error& e) {
    return fail(e.what(), kExitUsage);
  } catch (const file_error& e) {
    return fail(e.what(), kExitFile);
  } catch (const std::bad_alloc&) {
    return fail("out of memory", kExitFile);
  } catch (const std::length_error&) {
    // A size past what any allocation can hold: memory runs out all the same.
    return fail("out of memory", kExitFile);
  }
}

// The parser quotes the command line in its errors: one line, shortened.
std::string parse_failure(const CLI::App*, const CLI::Error& e) {
  return shortened(e.what(), 2 * kQuotedBytes) + "\nRun with --help for more information.\n";
}

// One row of the command table: the subcommand the parser filled, and how to
// run it once parsed.
struct command_row {
  CLI::App* command;
  std::function<int()> run;
};

}  // namespace

int run_tool(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool colour) {
  CLI::App app{"Compile, inspect, plot and view the scenarios of the railway driving simulator.",
               "scenario-tool"};
  app.footer(
      "How the source texts are written, every entry and every diagnostic: docs/authoring.md.\n"
      "scenario-tool explain ID tells what a failure code, a loss id or a warning id means.");
  app.set_version_flag("--version", std::string("scenario-tool ") + kToolVersion);
  app.failure_message(parse_failure);
  app.require_subcommand(1);

  // The order of the rows is the order of --help.
  template_flags template_f;
  explain_command explain;
  compile_flags compile_f, check_f, documents_f;
  document_flags compile_documents, documents_only;
  dump_flags dump_f;
  diff_flags diff_f;
  picture_flags plot_f, view_f;
  decompile_flags decompile_f;
  lsp_flags lsp_f;
  auto run_guarded = [&](auto run, bool json) { return guarded(run, json, out, err); };
  const command_row commands[] = {
      {template_f.add_to(app),
       [&] {
         return run_guarded([&] { return run_template(template_f.finish(), out, err); }, false);
       }},
      {explain.add_to(app), [&] { return explain.run(out, err); }},
      {compile_f.add_to(app, "compile",
                        "compile two source texts into the three compiled files, as the "
                        "generator does",
                        true, &compile_documents),
       [&] {
         const compile_options options =
             compile_documents.finish(compile_f.finish(true, colour), true);
         return run_guarded([&] { return run_compile(options, out, err); }, options.json);
       }},
      {documents_f.add_to(app, "documents",
                          "compile two source texts and write the driver's documents: train "
                          "sheet, slow order form and notes page",
                          true, &documents_only),
       [&] {
         const compile_options options =
             documents_only.finish(documents_f.finish(true, colour), false);
         return run_guarded([&] { return run_compile(options, out, err); }, options.json);
       }},
      {check_f.add_to(app, "check", "compile two source texts and report, writing nothing", false),
       [&] {
         const compile_options options = check_f.finish(false, colour);
         return run_guarded([&] { return run_compile(options, out, err); }, options.json);
       }},
      {dump_f.add_to(app),
       [&] {
         const dump_options options = dump_f.finish();
         return run_guarded([&] { return run_dump(options, out, err); }, options.json);
       }},
      {diff_f.add_to(app),
       [&] {
         const diff_options options = diff_f.finish();
         return run_guarded([&] { return run_diff(options, out, err); }, options.json);
       }},
      {plot_f.add_to(app, "plot", "draw a compiled scenario as an SVG picture",
                     "SVG file to write (default: DIR/<line>_<train>.svg)"),
       [&] { return run_guarded([&] { return run_plot(plot_f.finish(), out, err); }, false); }},
      {view_f.add_to(app, "view",
                     "write an interactive page of a compiled scenario: map, profiles and "
                     "a segment inspector, in one HTML file",
                     "HTML file to write (default: DIR/<line>_<train>.html)"),
       [&] { return run_guarded([&] { return run_view(view_f.finish(), out, err); }, false); }},
      {decompile_f.add_to(app),
       [&] {
         return run_guarded([&] { return run_decompile(decompile_f.finish(), out, err); }, false);
       }},
      // The protocol's bytes go to the standard streams as they are: framed
      // JSON, never text for a terminal.
      {lsp_f.add_to(app),
       [&] {
         return run_guarded([&] { return run_lsp(lsp_f.finish(), std::cin, std::cout); }, false);
       }},
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return e.get_exit_code() == 0 ? kExitOk : kExitUsage;
  }
  for (const command_row& row : commands)
    if (*row.command) return row.run();
  return kExitUsage;  // the parser requires a command: not reached
}

}  // namespace scenario::tool
