// The Windows programs, cross-built and run under Wine, against the Linux
// build's: the same command in two scratch directories, one run by each
// build, must end with the same exit status, say the same on standard output
// and standard error, and leave the same files, byte for byte.
//
// The Windows build's folder is WINDOWS_BUILD (make test-windows sets it);
// Wine runs through scripts/wine.sh, headless, in the prefix WINEPREFIX.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scenario_texts.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::built_in_compiled_names;
using testing::quoted;
using testing::run_in;
using testing::run_result;
using testing::scratch_dir;
using testing::spill;
namespace {

fs::path windows_build() {
  const char* dir = std::getenv("WINDOWS_BUILD");
  return dir != nullptr && *dir != '\0' ? fs::path(dir) : fs::path(WINDOWS_BUILD_DEFAULT);
}

std::string windows_program(const std::string& name) {
  const fs::path exe = windows_build() / (name + ".exe");
  if (!fs::is_regular_file(exe))
    throw std::runtime_error(exe.string() + " is missing: run make test-windows");
  return exe.string();
}

// Every regular file under `dir` (path relative to it, with '/') and its bytes.
using tree = std::map<std::string, std::string>;

tree files_under(const fs::path& dir) {
  tree files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file())
      files[fs::relative(e.path(), dir).generic_string()] = read_whole_file(e.path());
  return files;
}

// The names and sizes only, for a readable failure message.
std::string listing(const tree& files) {
  std::string s;
  for (const auto& [name, bytes] : files)
    s += "  " + name + " (" + std::to_string(bytes.size()) + ")\n";
  return s;
}

// Windows writes the paths it prints with its own separator, which JSON
// escapes as two backslashes.
std::string with_posix_separators(std::string text, bool json) {
  const std::string separator = json ? "\\\\" : "\\";
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, at + 1))
    text.replace(at, separator.size(), "/");
  return text;
}

// Where two outputs part, with a little of each from there.
std::string first_difference(const std::string& windows, const std::string& linux_side) {
  size_t at = 0;
  while (at < windows.size() && at < linux_side.size() && windows[at] == linux_side[at]) ++at;
  return "sizes " + std::to_string(windows.size()) + " (Windows) and " +
         std::to_string(linux_side.size()) + " (Linux), first difference at byte " +
         std::to_string(at) + ": Windows \"" + windows.substr(at, 40) + "\", Linux \"" +
         linux_side.substr(at, 40) + "\"";
}

// One command run by both builds, each in a scratch directory of its own.
class WineParity : public ::testing::Test {
 protected:
  // Runs `program` (a Linux build target's name) in the Linux directory and
  // its .exe under Wine in the Windows one.
  std::pair<run_result, run_result> run_both(const std::string& program,
                                             const std::vector<std::string>& args) {
    run_result on_linux = run_in(linux_dir.path(), linux_program(program), args);
    std::vector<std::string> wine_args = {windows_program(program)};
    wine_args.insert(wine_args.end(), args.begin(), args.end());
    run_result on_windows = run_in(windows_dir.path(), WINE_RUNNER, wine_args);
    return {on_linux, on_windows};
  }

  static std::string linux_program(const std::string& name) {
    return name == "scenario-tool" ? TOOL_PATH : GENERATOR_PATH;
  }

  // Runs both and expects the same status and the same output; a command
  // that prints paths is compared with '/' for Windows' separator.
  run_result expect_same_run(const std::string& program, const std::vector<std::string>& args,
                             bool prints_paths = false) {
    auto [on_linux, on_windows] = run_both(program, args);
    std::string command = program;
    for (const std::string& a : args) command += " " + a;
    SCOPED_TRACE(command);
    EXPECT_EQ(on_windows.status, on_linux.status) << on_windows.err;
    if (prints_paths) {
      const bool json = std::find(args.begin(), args.end(), "json") != args.end();
      on_windows.out = with_posix_separators(on_windows.out, json);
      on_windows.err = with_posix_separators(on_windows.err, false);
    }
    EXPECT_TRUE(on_windows.err == on_linux.err) << "Windows:\n"
                                                << on_windows.err << "\nLinux:\n"
                                                << on_linux.err;
    EXPECT_TRUE(on_windows.out == on_linux.out)
        << "standard output differs: " << first_difference(on_windows.out, on_linux.out);
    return on_linux;
  }

  void expect_same_files(const std::string& sub = "") {
    expect_same_trees(files_under(windows_dir / sub), files_under(linux_dir / sub));
  }

  static void expect_same_trees(const tree& on_windows, const tree& on_linux) {
    ASSERT_FALSE(on_linux.empty()) << "the Linux run left no file";
    ASSERT_EQ(keys(on_windows), keys(on_linux)) << "Windows:\n"
                                                << listing(on_windows) << "Linux:\n"
                                                << listing(on_linux);
    for (const auto& [name, bytes] : on_linux) {
      // The compile record lists the files written, by Windows' own paths.
      const bool record = name.size() > 12 && name.substr(name.size() - 12) == ".report.json";
      const std::string windows =
          record ? with_posix_separators(on_windows.at(name), true) : on_windows.at(name);
      EXPECT_TRUE(windows == bytes) << name << " differs: " << first_difference(windows, bytes);
    }
  }

  // Puts the same file into both directories.
  void put(const std::string& name, const std::string& bytes) {
    for (const scratch_dir* d : {&linux_dir, &windows_dir}) {
      fs::create_directories((*d / name).parent_path());
      spill(*d / name, bytes);
    }
  }

  static std::vector<std::string> keys(const tree& files) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) names.push_back(name);
    return names;
  }

  scratch_dir linux_dir, windows_dir;
};

// ---------------------------------------------------------------- generator

// Places each build's generator in `sub` of its directory, as a user does.
void place_generators(const scratch_dir& linux_dir, const scratch_dir& windows_dir,
                      const std::string& sub) {
  fs::create_directories(linux_dir / sub);
  fs::create_directories(windows_dir / sub);
  fs::copy_file(GENERATOR_PATH, linux_dir / sub / "scenario-generator");
  fs::copy_file(windows_program("scenario-generator"),
                windows_dir / sub / "scenario-generator.exe");
}

class WineGenerator : public WineParity {
 protected:
  std::pair<run_result, run_result> run_generators(const std::string& sub) {
    run_result on_linux =
        run_in(linux_dir / sub, (linux_dir / sub / "scenario-generator").string(), {});
    run_result on_windows = run_in(windows_dir / sub, WINE_RUNNER,
                                   {(windows_dir / sub / "scenario-generator.exe").string()});
    return {on_linux, on_windows};
  }

  // The six files of a run, without the programs themselves.
  tree outputs(const scratch_dir& d, const std::string& sub) {
    tree files = files_under(d / sub);
    files.erase("scenario-generator");
    files.erase("scenario-generator.exe");
    return files;
  }

  void expect_same_outputs(const std::string& sub) {
    const tree on_linux = outputs(linux_dir, sub);
    ASSERT_EQ(on_linux.size(), 6u) << listing(on_linux);
    expect_same_trees(outputs(windows_dir, sub), on_linux);
  }
};

TEST_F(WineGenerator, EmptyDirectoryGetsTheLinuxRunsSixFiles) {
  place_generators(linux_dir, windows_dir, "run");
  const auto [on_linux, on_windows] = run_generators("run");
  ASSERT_EQ(on_linux.status, 0) << on_linux.err;
  EXPECT_EQ(on_windows.status, 0) << on_windows.err;
  EXPECT_EQ(on_windows.err, on_linux.err);
  expect_same_outputs("run");

  // A second run replaces every file of the first one.
  const auto [again_linux, again_windows] = run_generators("run");
  EXPECT_EQ(again_windows.status, 0) << again_windows.err;
  expect_same_outputs("run");
}

TEST_F(WineGenerator, DirectoryWithANonAsciiNameWorks) {
  const std::string sub = "Scenari \xC3\xA0 Lecco \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC";
  place_generators(linux_dir, windows_dir, sub);
  const auto [on_linux, on_windows] = run_generators(sub);
  ASSERT_EQ(on_linux.status, 0) << on_linux.err;
  EXPECT_EQ(on_windows.status, 0) << on_windows.err;
  expect_same_outputs(sub);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

// What a file that cannot be replaced does to a run in `dir`: after the
// "Attendere" line, one line naming the file by its whole path, exit status
// 2, the earlier file whole and no temporary file left behind.
void expect_replacement_refused(const run_result& r, const fs::path& dir, const std::string& sub,
                                const std::string& name, const std::string& earlier) {
  EXPECT_EQ(r.status, 2) << r.err;
  const std::vector<std::string> lines = lines_of(r.err);
  ASSERT_EQ(lines.size(), 2u) << r.err;
  EXPECT_EQ(lines[0], "Attendere");
  EXPECT_EQ(lines[1].rfind("scenario-generator: cannot ", 0), 0u) << r.err;
  EXPECT_NE(lines[1].find(sub), std::string::npos) << r.err;
  EXPECT_NE(lines[1].find(name), std::string::npos) << r.err;
  if (!earlier.empty()) {
    EXPECT_TRUE(read_whole_file(dir / name) == earlier) << name << " changed";
  }
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// A program holding `name` in `dir` open, as the simulator holds the
// scenario it has loaded, for as long as the object lives.
class file_holder {
 public:
  file_holder(const fs::path& dir, const std::string& name) {
    const std::string command = "cd " + quoted(dir.string()) + " && " + quoted(WINE_RUNNER) + " " +
                                quoted(windows_program("hold-file")) + " " + quoted(name);
    pipe_ = popen(command.c_str(), "w");
    if (pipe_ == nullptr) throw std::runtime_error("cannot start hold-file");
    for (int waited = 0; !fs::exists(dir / (name + ".held")); waited += 50) {
      if (waited > 30'000) throw std::runtime_error("hold-file never held " + name);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    fs::remove(dir / (name + ".held"));
  }
  ~file_holder() { pclose(pipe_); }
  file_holder(const file_holder&) = delete;
  file_holder& operator=(const file_holder&) = delete;

 private:
  FILE* pipe_;
};

// Windows refuses to replace a file another program holds open; the run
// stops there and the simulator keeps the file it loaded.
TEST_F(WineGenerator, FileHeldOpenByAnotherProgramIsNotReplaced) {
  const std::string sub = "r\xC3\xA9sultats";
  place_generators(linux_dir, windows_dir, sub);
  const fs::path dir = windows_dir / sub;
  const std::string table = "Milano_Lecco_L5244.sim";
  const std::string earlier = "the table file of a scenario the simulator has loaded";
  spill(dir / table, earlier);
  run_result r;
  {
    const file_holder simulator(dir, table);
    r = run_generators(sub).second;
  }
  expect_replacement_refused(r, dir, sub, table, earlier);
}

TEST_F(WineGenerator, DirectoryInTheFilesPlaceStopsBothBuildsAlike) {
  place_generators(linux_dir, windows_dir, "run");
  const std::string segments = "Milano_Lecco_L5244.dat";
  fs::create_directory(linux_dir / "run" / segments);
  fs::create_directory(windows_dir / "run" / segments);
  const auto [on_linux, on_windows] = run_generators("run");
  expect_replacement_refused(on_linux, linux_dir / "run", "run", segments, "");
  expect_replacement_refused(on_windows, windows_dir / "run", "run", segments, "");
  EXPECT_TRUE(fs::is_directory(windows_dir / "run" / segments));
}

// --------------------------------------------------------------------- tool

struct text_pair {
  std::string name;
  std::string line, service;
};

std::string replaced(std::string text, const std::string& what, const std::string& with) {
  const size_t at = text.find(what);
  if (at == std::string::npos) throw std::runtime_error("no \"" + what + "\" in the text");
  return text.replace(at, what.size(), with);
}

// The compile fuzz target's seeds: line description, NUL, train service.
std::vector<text_pair> fuzz_seeds() {
  std::vector<text_pair> pairs;
  for (const auto& e : fs::directory_iterator(fs::path(SOURCE_DIR) / "fuzz/corpus/compile_fuzz")) {
    const std::string bytes = read_whole_file(e.path());
    const size_t nul = bytes.find('\0');
    if (nul == std::string::npos) continue;  // no train service to name
    pairs.push_back({e.path().filename().string(), bytes.substr(0, nul), bytes.substr(nul + 1)});
  }
  return pairs;
}

// Texts that take the readers and writers through their varied paths:
// failures with and without compiled files, the stamp check, Windows-1252
// letters that listings turn into UTF-8, and the longest line there may be.
std::vector<text_pair> varied_texts() {
  const std::string line = dati_linea(), service = dati_treno();
  std::vector<text_pair> pairs = fuzz_seeds();
  pairs.push_back(
      {"occupied signal cell", line,
       replaced(service, "[codici]", "segnale, 1450, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n[codici]")});
  pairs.push_back(
      {"signal on the stamp cell", line,
       replaced(service, "[codici]", "segnale, 0, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n[codici]")});
  pairs.push_back({"Windows-1252 names",
                   replaced(line, "[indicazioni]",
                            "[indicazioni]\r\ncartello indicatore, 3000, \"\x80 PI\xD9 \xC0\xE8\""),
                   replaced(service, "LECCO",
                            "L\xC8"
                            "CCO \x8A\x9F")});
  const testing::scenario_texts longest = testing::dense_texts(testing::kLongestLine);
  pairs.push_back({"longest line", longest.line_description, longest.train_service});
  return pairs;
}

class WineTool : public WineParity {
 protected:
  // The texts `decompile` recovers from the compiled files in `out`, into
  // `back`: the same messages and the same texts, byte for byte.
  void expect_same_decompilation() {
    expect_same_run("scenario-tool", {"decompile", "out", "--out", "back"}, true);
    expect_same_files("back");
  }

  const std::string line_txt = "Linea_linea.txt";
  const std::string service_txt = "Linea_T1-.txt";
};

TEST_F(WineTool, TemplateWritesTheSameTexts) {
  expect_same_run("scenario-tool", {"template", "texts"}, true);
  expect_same_files();
  EXPECT_TRUE(read_whole_file(windows_dir / "texts/Milano_Lecco_linea.txt") == dati_linea());
}

TEST_F(WineTool, CompileCheckDumpAndDecompileAgreeOnTheBuiltInTexts) {
  put("Milano_Lecco_linea.txt", dati_linea());
  put("Milano_Lecco_L5244-.txt", dati_treno());
  expect_same_run("scenario-tool",
                  {"compile", "Milano_Lecco_linea.txt", "Milano_Lecco_L5244-.txt", "--out", "out"},
                  true);
  expect_same_files("out");
  for (const std::string& name : built_in_compiled_names())
    for (const char* format : {"text", "json"})
      expect_same_run("scenario-tool", {"dump", "out/" + name, "--format", format});
  expect_same_decompilation();
}

TEST_F(WineTool, CompileCheckDumpAndDecompileAgreeOnVariedTexts) {
  for (const text_pair& texts : varied_texts()) {
    SCOPED_TRACE(texts.name);
    put(line_txt, texts.line);
    put(service_txt, texts.service);
    for (const char* format : {"text", "json"})
      expect_same_run("scenario-tool", {"check", line_txt, service_txt, "--format", format});
    const run_result compiled = expect_same_run(
        "scenario-tool", {"compile", line_txt, service_txt, "--out", "out", "--format", "json"},
        true);
    if (!fs::exists(linux_dir / "out")) continue;  // nothing compiled
    expect_same_files("out");
    for (const std::string file : nlohmann::json::parse(compiled.out)["files"])
      for (const char* format : {"text", "json"})
        expect_same_run("scenario-tool", {"dump", file, "--format", format});
    expect_same_decompilation();
    for (const char* dir : {"out", "back"}) {
      fs::remove_all(linux_dir / dir);
      fs::remove_all(windows_dir / dir);
    }
  }
}

// The driver's documents: the same bytes, whether written alone or beside
// the compiled files, with an author's notes in UTF-8 and names beyond
// ASCII (one with no Windows-1252 byte, which both builds warn of alike).
TEST_F(WineTool, DocumentsAreTheSameBytes) {
  put("Milano_Lecco_linea.txt", dati_linea());
  put("Milano_Lecco_L5244-.txt", dati_treno());
  put("note \xC3\xA8.txt", "Citt\xC3\xA0 di Lecco,\n\tsul lago \xE2\x80\x94 \xE2\x86\x92 fine\r\n");
  expect_same_run("scenario-tool",
                  {"documents", "Milano_Lecco_linea.txt", "Milano_Lecco_L5244-.txt", "--out",
                   "docs \xC3\xB9", "--notes", "note \xC3\xA8.txt", "--line-name",
                   "Milano \xE2\x80\x93 Lecco \xE2\x80\x93 Sondrio"},
                  true);
  expect_same_files();
  EXPECT_TRUE(fs::exists(windows_dir / "docs \xC3\xB9" / "Milano_Lecco_L5244_scheda_treno.txt"));
  const std::string line = "Citt\xC3\xA0", train = "T\xD0\x96";
  put(line + "_linea.txt", dati_linea());
  put(line + "_" + train + "-.txt", dati_treno());
  for (const char* format : {"text", "json"})
    expect_same_run("scenario-tool",
                    {"compile", "--documents", line + "_linea.txt", line + "_" + train + "-.txt",
                     "--out", "out", "--format", format},
                    true);
  expect_same_files();
  EXPECT_TRUE(fs::exists(windows_dir / "out" / (line + "_" + train + "_note.txt")));
}

// Folders and identifiers beyond ASCII: the identifiers come from the
// texts' names, make the compiled files' names, and `plot` and `decompile`
// find them again by listing the folder (`decompile` from the table file's
// name when there is no line geometry file).
TEST_F(WineTool, PathsWithNonAsciiNamesWork) {
  const std::string texts = "Testi \xC3\xA8 \xE2\x82\xAC \xE6\x97\xA5";
  const std::string out = "Uscita \xC3\xA7 \xCE\xA9";
  const std::string line = "Citt\xC3\xA0", train = "T\xD0\x96";
  expect_same_run("scenario-tool", {"template", texts, "--line-id", line, "--train-code", train},
                  true);
  expect_same_run("scenario-tool",
                  {"compile", texts + "/" + line + "_linea.txt",
                   texts + "/" + line + "_" + train + "-.txt", "--out", out},
                  true);
  expect_same_files();
  expect_same_run("scenario-tool", {"dump", out + "/" + line + "_" + train + ".sim"}, true);
  expect_same_run("scenario-tool", {"plot", out}, true);
  expect_same_files();
  EXPECT_TRUE(fs::exists(windows_dir / out / (line + "_" + train + ".svg")));
  const std::string back = "Ritorno \xC3\xB9 \xE6\x97\xA5";
  expect_same_run("scenario-tool", {"decompile", out, "--out", back}, true);
  expect_same_files();
  EXPECT_TRUE(fs::exists(windows_dir / back / (line + "_linea.txt")));
  const std::string flat = "Senza \xC3\xA8 percorso";
  expect_same_run("scenario-tool",
                  {"compile", texts + "/" + line + "_linea.txt",
                   texts + "/" + line + "_" + train + "-.txt", "--no-geometry", "--out", flat},
                  true);
  expect_same_run("scenario-tool", {"decompile", flat, "--out", back, "--force"}, true);
  expect_same_files();

  // A diagnostic names its text by the path given.
  const std::string service = texts + "/" + line + "_" + train + "-.txt";
  put(service,
      replaced(dati_treno(), "[codici]", "segnale, 1450, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n[codici]"));
  for (const char* format : {"text", "json"})
    expect_same_run("scenario-tool",
                    {"check", texts + "/" + line + "_linea.txt", service, "--format", format});
}

// Output without the terminal's control sequences.
std::string without_escapes(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\x1b') {
      plain.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '[') ++i;
    while (i + 1 < text.size() && !std::isalpha(static_cast<unsigned char>(text[i + 1]))) ++i;
    ++i;  // the final letter
  }
  return plain;
}

// On a console, UTF-8 output shows as the characters it stands for, not as
// its bytes read in the console's code page.  `script` runs Wine on a
// terminal, which Wine makes the program's console.
TEST_F(WineTool, ConsoleShowsNonAsciiLettersAsThemselves) {
  put(line_txt, dati_linea());
  put(service_txt, replaced(dati_treno(), "LECCO",
                            "L\xC8"
                            "CCO"));
  ASSERT_EQ(run_in(windows_dir.path(), TOOL_PATH, {"compile", line_txt, service_txt}).status, 0);
  const std::string command =
      quoted(WINE_RUNNER) + " " + quoted(windows_program("scenario-tool")) + " dump Linea_T1.sim";
  const run_result r = run_in(windows_dir.path(), "script", {"-qec", command, "/dev/null"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string shown = without_escapes(r.out);
  EXPECT_NE(shown.find("L\xC3\x88"
                       "CCO"),
            std::string::npos)
      << shown.substr(0, 4000);
}

TEST_F(WineTool, FileThatCannotBeReplacedIsAFileError) {
  put(line_txt, dati_linea());
  put(service_txt, dati_treno());
  for (const scratch_dir* d : {&linux_dir, &windows_dir})
    fs::create_directories(*d / "out/Linea_T1.sim");
  const auto [on_linux, on_windows] =
      run_both("scenario-tool", {"compile", line_txt, service_txt, "--out", "out"});
  EXPECT_EQ(on_linux.status, 3) << on_linux.err;
  EXPECT_EQ(on_windows.status, 3) << on_windows.err;
  EXPECT_EQ(on_windows.err.rfind("scenario-tool: error: cannot ", 0), 0u) << on_windows.err;
  EXPECT_EQ(std::count(on_windows.err.begin(), on_windows.err.end(), '\n'), 1) << on_windows.err;
  EXPECT_TRUE(fs::is_directory(windows_dir / "out/Linea_T1.sim"));
}

// Two compiles into one folder at once take turns through the folder's lock
// (LockFileEx): both succeed, the folder holds one whole set of one of them,
// and neither the lock file nor a temporary file stays.
TEST_F(WineTool, OverlappingCompilesTakeTurns) {
  const testing::scenario_texts texts = testing::dense_texts(20'000);
  std::string other = texts.train_service;
  other.replace(other.find("STAZIONE 1"), 10, "STAZIONE X");
  for (const char* d : {"a", "b", "shared"}) fs::create_directories(windows_dir / d);
  spill(windows_dir / "a/X_linea.txt", texts.line_description);
  spill(windows_dir / "a/X_T-.txt", texts.train_service);
  spill(windows_dir / "b/X_linea.txt", texts.line_description);
  spill(windows_dir / "b/X_T-.txt", other);
  const std::vector<std::string> compile = {windows_program("scenario-tool"),
                                            "compile",
                                            "X_linea.txt",
                                            "X_T-.txt",
                                            "--out",
                                            "..\\shared"};
  auto run = [&](const char* d) { return run_in(windows_dir / d, WINE_RUNNER, compile); };
  ASSERT_EQ(run("a").status, 0);
  const tree set_a = files_under(windows_dir / "shared");
  ASSERT_EQ(run("b").status, 0);
  const tree set_b = files_under(windows_dir / "shared");
  ASSERT_EQ(set_a.size(), 4u) << listing(set_a);
  for (int round = 0; round < 3; ++round) {
    std::thread second([&] { EXPECT_EQ(run("b").status, 0); });
    EXPECT_EQ(run("a").status, 0);
    second.join();
    const tree left = files_under(windows_dir / "shared");
    EXPECT_TRUE(left == set_a || left == set_b) << listing(left);
  }
}

}  // namespace
}  // namespace scenario::tool_e2e
