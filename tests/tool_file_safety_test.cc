// scenario-tool in a hostile setting: links planted in a shared directory,
// identifiers that make names collide or carry control bytes, failing disks
// and memory limits, compiled files crafted to be huge, slow or extreme.
// Each run must end with one clear line and the documented status, touch
// nothing outside its outputs, leave no earlier file half replaced and no
// temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "system/files.h"
#include "system/terminal_text.h"
#include "testing/program_runs.h"
#include "testing/sanitizers.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::quoted;
using testing::run_in;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;
namespace {

using testing::kSanitized;

const std::string kLineTxt = "Milano_Lecco_linea.txt";
const std::string kServiceTxt = "Milano_Lecco_L5244-.txt";

std::map<std::string, std::string> regular_files_in(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file() && !e.is_symlink())
      files[e.path().filename().string()] = read_whole_file(e);
  return files;
}

std::vector<std::string> temporaries_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.path().filename().string().find(".tmp") != std::string::npos)
      names.push_back(e.path().string());
  return names;
}

size_t line_count(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

bool has_control_byte(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == '\x7F';
  });
}

// A file of `size` bytes that takes no room on the disk.
void sparse_file(const fs::path& path, uintmax_t size) {
  spill(path, "");
  fs::resize_file(path, size);
}

// Cells of a line geometry file.
std::string empty_cell() { return std::string(2, '\0'); }
std::string integer_cell(int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  return std::string{'\x02', '\0', static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
}
std::string real_cell(double v) {
  std::string cell{'\x05', '\0'};
  const auto bits = std::bit_cast<uint64_t>(v);
  for (int i = 0; i < 8; ++i) cell.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  return cell;
}

class ToolFileSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
    ASSERT_EQ(run_tool(dir.path(), {"template", "."}).status, 0);
  }

  // The built-in scenario compiled into `out`.
  void compile_into(const std::string& out) {
    const run_result r = run_tool(dir.path(), {"compile", kLineTxt, kServiceTxt, "--out", out});
    ASSERT_EQ(r.status, 0) << r.err;
  }

  // Runs the tool and fails the test when it takes longer than `seconds`.
  run_result timed(const std::vector<std::string>& args, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    run_result r = run_tool(dir.path(), args);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), seconds) << args[0] << " " << args[1];
    return r;
  }

  scratch_dir dir;
  scratch_dir elsewhere;  // a directory outside every output, for victims
};

// Links planted at the output names, and at the temporary names an earlier
// version foresaw (<file>.tmp<pid>): the files they point to stay as they
// were, and every output ends up a file of its own.
TEST_F(ToolFileSafety, PlantedLinksAreNeverFollowed) {
  compile_into("c");
  const fs::path victim = elsewhere / "victim";
  struct planted_case {
    const char* what;
    std::vector<std::string> args;
    std::vector<std::string> outputs;
  } cases[] = {
      {"compile",
       {"compile", kLineTxt, kServiceTxt, "--out", "o"},
       {"o/Milano_Lecco_linea.dat", "o/Milano_Lecco_L5244.sim", "o/Milano_Lecco_L5244.dat"}},
      {"template", {"template", "t", "--force"}, {"t/" + kLineTxt, "t/" + kServiceTxt}},
      {"plot", {"plot", "c", "-o", "p/picture.svg"}, {"p/picture.svg"}},
  };
  for (const planted_case& c : cases) {
    SCOPED_TRACE(c.what);
    spill(victim, "precious");
    std::string plant;
    for (const std::string& out : c.outputs) {
      fs::create_directories((dir / out).parent_path());
      fs::remove(dir / out);
      fs::create_symlink(victim, dir / out);
      plant += (plant.empty() ? "" : " && ") + std::string("ln -s ") + quoted(victim.string()) +
               " " + quoted(out) + ".tmp$$";
    }
    const run_result r = run_tool(dir.path(), c.args, plant);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(read_whole_file(victim) == "precious");
    for (const std::string& out : c.outputs) {
      EXPECT_FALSE(fs::is_symlink(dir / out)) << out;
      EXPECT_GT(fs::file_size(dir / out), 100u) << out;
    }
  }
}

// The segment file is named <line>_<train>.dat and the line geometry file
// <line>_linea.dat; the simulator's file system does not tell letter case
// apart.  A train code ending in "_linea" would give line A's segment file
// the name of line "A_B"'s geometry file.
TEST_F(ToolFileSafety, IdentifiersWhoseNamesCollideAreRefused) {
  fs::create_directory(dir / "out");
  for (const char* train : {"linea", "LINEA", "Linea", "B_linea", "x_LINEA"}) {
    for (const char* command : {"compile", "check"}) {
      SCOPED_TRACE(std::string(command) + " --train-code " + train);
      std::vector<std::string> args = {command, kLineTxt,       kServiceTxt, "--line-id",
                                       "A",     "--train-code", train};
      if (std::string(command) == "compile") args.insert(args.end(), {"--out", "out"});
      const run_result r = run_tool(dir.path(), args);
      EXPECT_EQ(r.status, 2);
      EXPECT_EQ(line_count(r.err), 1u) << r.err;
      EXPECT_NE(r.err.find("ends in \"linea\""), std::string::npos) << r.err;
      EXPECT_TRUE(fs::is_empty(dir / "out"));
    }
  }
  // An output that is one of the inputs.
  fs::copy_file(dir / kServiceTxt, dir / "out/A_T.dat");
  const std::string service = read_whole_file(dir / "out/A_T.dat");
  for (const char* command : {"compile", "check"}) {
    const run_result r = run_tool(dir.path(), {command, kLineTxt, "out/A_T.dat", "--line-id", "A",
                                               "--train-code", "T", "--out", "out"});
    EXPECT_EQ(r.status, 2) << command << "\n" << r.err;
    EXPECT_EQ(read_whole_file(dir / "out/A_T.dat"), service);
  }
}

TEST_F(ToolFileSafety, AllCompiledFilesAreReplacedOrNone) {
  compile_into("out");
  const auto before = regular_files_in(dir / "out");
  ASSERT_EQ(before.size(), 4u);  // the three compiled files and the compile record
  // A shorter line: every compiled file would change.
  std::string line = read_whole_file(dir / kLineTxt);
  line.replace(line.find("54000"), 5, "53000");
  spill(dir / kLineTxt, line);

  fs::remove(dir / "out/Milano_Lecco_L5244.dat");
  fs::create_directory(dir / "out/Milano_Lecco_L5244.dat");
  const run_result r = run_tool(dir.path(), {"compile", kLineTxt, kServiceTxt, "--out", "out"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(line_count(r.err), 1u) << r.err;
  EXPECT_NE(r.err.find("cannot replace out/Milano_Lecco_L5244.dat: Is a directory"),
            std::string::npos)
      << r.err;
  auto after = regular_files_in(dir / "out");
  EXPECT_EQ(after.size(), 3u);
  for (const auto& [name, bytes] : after) EXPECT_TRUE(bytes == before.at(name)) << name;
  EXPECT_TRUE(temporaries_in(dir.path()).empty());
}

// Without the signal ignored, a write past the limit would end the tool
// without a word and leave its temporary file.
TEST_F(ToolFileSafety, AFileSizeLimitIsAFileErrorLikeAnyOther) {
  compile_into("out");
  compile_into("c");
  const auto before = regular_files_in(dir / "out");
  const std::vector<std::vector<std::string>> command_lines = {
      {"compile", kLineTxt, kServiceTxt, "--out", "out"},
      {"template", "out", "--force"},
      {"plot", "c", "-o", "out/picture.svg"},
  };
  for (const auto& args : command_lines) {
    SCOPED_TRACE(args[0]);
    const run_result r = run_tool(dir.path(), args, "ulimit -f 2");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(line_count(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
    EXPECT_EQ(regular_files_in(dir / "out"), before);
    EXPECT_TRUE(temporaries_in(dir.path()).empty());
  }
}

// `check` refuses whatever `compile` would refuse, with the same status,
// and neither writes anything.
TEST_F(ToolFileSafety, CheckRefusesWhatCompileRefuses) {
  fs::create_directory(dir / "out");
  struct refused_case {
    const char* what;
    std::vector<std::string> flags;
    int status;
    const char* error;
  } cases[] = {
      {"a name that only its temporary ending makes too long",
       {"--line-id", std::string(244, 'L'), "--train-code", "T"},
       3,
       "a temporary file adds"},
      {"a line identifier of 70 000 bytes",
       {"--line-id", std::string(70'000, 'L'), "--train-code", "T"},
       3,
       "bytes left out"},
      {"colliding names", {"--train-code", "linea"}, 2, "ends in \"linea\""},
      {"a control byte", {"--train-code", "L\x1B[2J"}, 2, "control byte"},
      {"a name out of the directory", {"--train-code", "../L"}, 2, "inside their directory"},
  };
  for (const refused_case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* command : {"compile", "check"}) {
      std::vector<std::string> args = {command, kLineTxt, kServiceTxt};
      args.insert(args.end(), c.flags.begin(), c.flags.end());
      if (std::string(command) == "compile") args.insert(args.end(), {"--out", "out"});
      const run_result r = run_tool(dir.path(), args);
      EXPECT_EQ(r.status, c.status) << command << "\n" << r.err.substr(0, 500);
      EXPECT_EQ(line_count(r.err), 1u) << command;
      EXPECT_NE(r.err.find(c.error), std::string::npos) << command << "\n" << r.err.substr(0, 500);
      EXPECT_LT(r.err.size(), 1500u) << command;
      EXPECT_TRUE(fs::is_empty(dir / "out")) << command;
    }
  }
}

TEST_F(ToolFileSafety, PlotNeverWritesOverItsOwnInputs) {
  compile_into("c");
  const auto before = regular_files_in(dir / "c");
  fs::create_hard_link(dir / "c/Milano_Lecco_L5244.sim", dir / "table-link");
  fs::create_symlink("c/Milano_Lecco_L5244.dat", dir / "segments-link");
  for (const char* output :
       {"c/Milano_Lecco_L5244.sim", "c/Milano_Lecco_L5244.dat", "c/Milano_Lecco_linea.dat",
        "table-link", "segments-link", "c/../c/Milano_Lecco_linea.dat"}) {
    SCOPED_TRACE(output);
    const run_result r = run_tool(dir.path(), {"plot", "c", "-o", output});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("would replace the compiled file"), std::string::npos) << r.err;
    EXPECT_EQ(regular_files_in(dir / "c"), before);
  }
  EXPECT_TRUE(fs::is_symlink(dir / "segments-link"));
}

// The bytes a plain read of `path` gives, whatever size the file claims:
// the probe must not be the reader under test.
std::uintmax_t bytes_read_from(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<std::uintmax_t>(
      std::distance(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

// A virtual file that says it is 4096 bytes long and holds fewer.
TEST_F(ToolFileSafety, AShortReadIsAFileError) {
  const fs::path virtual_file = "/sys/kernel/mm/transparent_hugepage/enabled";
  std::error_code ec;
  if (!fs::is_regular_file(virtual_file, ec) || fs::file_size(virtual_file, ec) <= 100 ||
      bytes_read_from(virtual_file) >= fs::file_size(virtual_file, ec))
    GTEST_SKIP() << "no virtual file that reads short on this machine";
  const run_result r = run_tool(dir.path(), {"compile", virtual_file.string(), kServiceTxt,
                                             "--line-id", "X", "--train-code", "T"});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("it ended after"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "X_T.dat"));
}

// Under a memory limit a large text could not be read whole: an error, not
// a text cut short and compiled; an allocation that fails elsewhere ends
// the tool with one line, never an abort.
TEST_F(ToolFileSafety, MemoryExhaustionIsOneLineAndStatusThree) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
  sparse_file(dir / "Big_linea.txt", 600u << 20);
  spill(dir / "Big_T-.txt", read_whole_file(dir / kServiceTxt));
  std::string longest = read_whole_file(dir / kLineTxt);
  longest.replace(longest.find("54000"), 5, "1000000");
  spill(dir / "Long_linea.txt", longest);
  spill(dir / "Long_T-.txt", read_whole_file(dir / kServiceTxt));
  struct limited_case {
    std::vector<std::string> args;
    const char* limit;
    const char* error;
  } cases[] = {
      {{"compile", "Big_linea.txt", "Big_T-.txt"}, "ulimit -v 262144", "not enough memory"},
      {{"check", "Big_linea.txt", "Big_T-.txt", "--format", "json"},
       "ulimit -v 262144",
       "not enough memory"},
      {{"compile", "Long_linea.txt", "Long_T-.txt"}, "ulimit -v 20000", "out of memory"},
  };
  for (const limited_case& c : cases) {
    SCOPED_TRACE(c.args[1] + " under " + c.limit);
    const run_result r = run_tool(dir.path(), c.args, c.limit);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(line_count(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_TRUE(temporaries_in(dir.path()).empty());
  }
  EXPECT_FALSE(fs::exists(dir / "Big_T.sim"));
  EXPECT_FALSE(fs::exists(dir / "Long_T.sim"));
}

// Files larger than the compilation ever writes are refused at once, and a
// crafted file of allowed size decodes and plots in time proportional to it.
TEST_F(ToolFileSafety, OversizedAndCraftedCompiledFilesAreDealtWithQuickly) {
  compile_into("c");
  sparse_file(dir / "Big_T.dat", 15'000'000);
  sparse_file(dir / "Big_T.sim", 87 * (34 + 65'535) + 1);
  sparse_file(dir / "Big_linea.dat", 2 * 1'007'001 * 10 + 1);
  std::string too_many_metres;
  for (int i = 0; i < 2 * 1'007'002; ++i) too_many_metres += empty_cell();
  spill(dir / "Many_linea.dat", too_many_metres);
  for (const char* file : {"Big_T.dat", "Big_T.sim", "Big_linea.dat", "Many_linea.dat"}) {
    for (const char* format : {"text", "json"}) {
      SCOPED_TRACE(std::string(file) + " as " + format);
      const run_result r = timed({"dump", file, "--format", format}, 5);
      EXPECT_EQ(r.status, 3);
      EXPECT_EQ(line_count(r.err), 1u) << r.err;
      EXPECT_NE(r.err.find("more than the"), std::string::npos) << r.err;
      if (std::string(format) == "json") {
        EXPECT_EQ(nlohmann::json::parse(r.out)["exit_status"], 3) << r.out;
      }
    }
  }
  // The longest route plan there is, with only metre 0 drawn: every other
  // metre lies where metre 0 does.
  std::string sparse_plan;
  for (int column = 0; column < 2; ++column) {
    sparse_plan += integer_cell(0);
    for (int m = 1; m < 1'007'001; ++m) sparse_plan += empty_cell();
  }
  spill(dir / "c/Milano_Lecco_linea.dat", sparse_plan);
  const run_result plot = timed({"plot", "c", "-o", "sparse.svg"}, 20);
  EXPECT_EQ(plot.status, 0) << plot.err;
  const run_result json = timed({"dump", "c/Milano_Lecco_linea.dat", "--format", "json"}, 20);
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(nlohmann::json::parse(json.out)["last_metre"], 1'007'000);
}

// Every double a file may hold comes out exactly, NaN and infinities kept
// apart from each other and from an empty cell, and the picture stays valid.
TEST_F(ToolFileSafety, ExtremeDoublesAreShownExactly) {
  compile_into("c");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct value_case {
    std::string cell;
    const char* text;
    nlohmann::json json;
  } cases[] = {
      {integer_cell(-7), "-7", -7},
      {real_cell(1e100), "1e+100", 1e100},
      {real_cell(2.0), "2.0", 2.0},
      {real_cell(-0.0), "-0.0", -0.0},
      {real_cell(0.1), "0.1", 0.1},
      {real_cell(5e-324), "5e-324", 5e-324},
      {real_cell(1.7976931348623157e308), "1.7976931348623157e+308", 1.7976931348623157e308},
      {real_cell(-1795.5199222766541), "-1795.5199222766541", -1795.5199222766541},
      {real_cell(nan), "nan", "NaN"},
      {real_cell(-nan), "-nan", "-NaN"},
      {real_cell(inf), "inf", "Infinity"},
      {real_cell(-inf), "-inf", "-Infinity"},
      {empty_cell(), "-", nullptr},
  };
  std::string column;
  for (const value_case& c : cases) column += c.cell;
  spill(dir / "c/Milano_Lecco_linea.dat", column + column);

  const run_result text = run_tool(dir.path(), {"dump", "c/Milano_Lecco_linea.dat"});
  ASSERT_EQ(text.status, 0) << text.err;
  const run_result json =
      run_tool(dir.path(), {"dump", "c/Milano_Lecco_linea.dat", "--format", "json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json points = nlohmann::json::parse(json.out)["points"];
  for (size_t m = 0; m < std::size(cases); ++m) {
    const std::string shown = std::string(cases[m].text);
    EXPECT_NE(text.out.find("\n" + std::to_string(m) + " " + shown + " " + shown + "\n"),
              std::string::npos)
        << shown << "\n"
        << text.out;
    const nlohmann::json& x = points[m][0];
    EXPECT_EQ(x, cases[m].json) << shown;
    if (x.is_number_float()) {
      EXPECT_EQ(std::signbit(x.get<double>()), std::signbit(cases[m].json.get<double>()));
    }
  }
  const run_result plot = run_tool(dir.path(), {"plot", "c", "-o", "extreme.svg"});
  ASSERT_EQ(plot.status, 0) << plot.err;
  EXPECT_NE(plot.err.find("warning: 4 metres of the route plan hold a coordinate that is not a "
                          "finite number"),
            std::string::npos)
      << plot.err;
  const std::string svg = read_whole_file(dir / "extreme.svg");
  EXPECT_NE(svg.find("4 metres of the route plan"), std::string::npos);
  // No coordinate, length or label is anything but a number.
  std::smatch bad;
  EXPECT_FALSE(std::regex_search(svg, bad, std::regex("[\"\\s,(-](nan|inf)", std::regex::icase)))
      << bad.str();
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "xmllint is not installed";
  EXPECT_EQ(run_in(dir.path(), "xmllint", {"--noout", "extreme.svg"}).status, 0);
}

TEST_F(ToolFileSafety, DecodeErrorsInJsonAreAnErrorObject) {
  compile_into("c");
  std::string table = read_whole_file(dir / "c/Milano_Lecco_L5244.sim");
  spill(dir / "cut.sim", table.substr(0, table.size() - 1));
  spill(dir / "tag.dat", std::string("\x07\x00", 2));
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"dump", "cut.sim", "--format", "json"},
           {"dump", "tag.dat", "--kind", "geometry", "--format", "json"},
           {"dump", "missing.sim", "--format", "json"}}) {
    SCOPED_TRACE(args[1]);
    const run_result r = run_tool(dir.path(), args);
    EXPECT_EQ(r.status, 3);
    const nlohmann::json error = nlohmann::json::parse(r.out);
    EXPECT_EQ(error["exit_status"], 3);
    EXPECT_NE(error["error"].get<std::string>().find(args[1]), std::string::npos) << r.out;
    EXPECT_EQ(line_count(r.err), 1u) << r.err;
  }
}

// A named pipe in place of a compiled file would keep a reader waiting for
// a writer forever: every command that reads compiled files refuses it at
// once with one line.  A record in a pipe is as good as none.  The source
// texts may still come from a pipe.
TEST_F(ToolFileSafety, OnlyRegularFilesAreReadAsCompiledFiles) {
  compile_into("c");
  const fs::path record = "c/Milano_Lecco_L5244.report.json";
  ASSERT_TRUE(fs::exists(dir / record));
  // Each run is bounded: a reader that waits is killed and fails the test.
  auto bounded = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"60", TOOL_PATH});
    return run_in(dir.path(), "timeout", args);
  };
  for (const std::string& name : testing::built_in_compiled_names()) {
    const fs::path piped = fs::path("c") / name;
    fs::copy_file(dir / piped, dir / "kept");
    fs::remove(dir / piped);
    ASSERT_EQ(::mkfifo((dir / piped).c_str(), 0600), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{{"view", "c", "-o", "v.html"},
                                                                  {"plot", "c", "-o", "p.svg"},
                                                                  {"decompile", "c", "--out", "d"},
                                                                  {"diff", "c", "c"},
                                                                  {"dump", piped.string()}}) {
      SCOPED_TRACE(name + ": " + args[0]);
      const run_result r = bounded(args);
      EXPECT_EQ(r.status, 3) << r.err;
      EXPECT_EQ(line_count(r.err), 1u) << r.err;
      EXPECT_NE(r.err.find(name + ": it is a named pipe, not a regular file"), std::string::npos)
          << r.err;
    }
    fs::remove(dir / piped);
    fs::rename(dir / "kept", dir / piped);
  }
  EXPECT_FALSE(fs::exists(dir / "v.html"));
  EXPECT_FALSE(fs::exists(dir / "d"));

  fs::remove(dir / record);
  ASSERT_EQ(::mkfifo((dir / record).c_str(), 0600), 0);
  for (const char* command : {"view", "plot"}) {
    SCOPED_TRACE(command);
    const run_result r = bounded({command, "c", "-o", std::string("picture.") + command});
    EXPECT_EQ(r.status, 0) << r.err;
  }

  const run_result piped_text =
      run_in(dir.path(), "sh",
             {"-c", "cat " + kLineTxt + " | exec " + quoted(TOOL_PATH) + " compile /dev/stdin " +
                        kServiceTxt + " --line-id P --train-code T --out p"});
  EXPECT_EQ(piped_text.status, 0) << piped_text.err;
  ASSERT_EQ(run_tool(dir.path(), {"compile", kLineTxt, kServiceTxt, "--line-id", "P",
                                  "--train-code", "T", "--out", "q"})
                .status,
            0);
  for (const char* name : {"P_linea.dat", "P_T.sim", "P_T.dat"})
    EXPECT_TRUE(read_whole_file(dir / "p" / name) == read_whole_file(dir / "q" / name)) << name;
}

// A failure that quotes a long field of accented characters: wherever the
// byte limits of the message and of the plot's banner fall, inside a
// character of two bytes (Windows-1252 "\xE0", a grave) or of three ("\x80",
// the euro sign), the message and the pictures stay UTF-8 and the SVG XML.
TEST_F(ToolFileSafety, TextIsCutOnlyBetweenWholeCharacters) {
  const std::string service = read_whole_file(dir / kServiceTxt);
  const bool xmllint = std::system("command -v xmllint >/dev/null 2>&1") == 0;
  for (const char accented : {'\xE0', '\x80'}) {
    for (size_t shift = 0; shift < 3; ++shift) {
      SCOPED_TRACE(printable(std::string(1, accented)) + " shifted by " + std::to_string(shift));
      std::string failing = service;
      failing.insert(failing.find("[codici]"), "segnale, 1450" + std::string(shift, 'x') +
                                                   std::string(120, accented) +
                                                   ", 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n");
      spill(dir / "U_T-.txt", failing);
      fs::copy_file(dir / kLineTxt, dir / "U_linea.txt", fs::copy_options::overwrite_existing);
      const run_result r =
          run_tool(dir.path(), {"compile", "U_linea.txt", "U_T-.txt", "--out", "u"});
      EXPECT_EQ(r.status, 1) << r.err;
      EXPECT_NE(r.err.find("bytes left out]"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("\\x"), std::string::npos) << r.err;
      ASSERT_EQ(run_tool(dir.path(), {"plot", "u", "-o", "u.svg"}).status, 0);
      ASSERT_EQ(run_tool(dir.path(), {"view", "u", "-o", "u.html"}).status, 0);
      const std::string svg = read_whole_file(dir / "u.svg");
      EXPECT_NE(svg.find("id=\"failure\">Compiled with failure 25: &quot;1450"), std::string::npos);
      EXPECT_TRUE(is_well_formed_utf8(svg));
      EXPECT_TRUE(is_well_formed_utf8(read_whole_file(dir / "u.html")));
      if (xmllint) {
        EXPECT_EQ(run_in(dir.path(), "xmllint", {"--noout", "u.svg"}).status, 0);
      }
    }
  }
}

// Nothing from an input reaches the terminal as a control byte, and a huge
// field of an input makes a short message.
TEST_F(ToolFileSafety, ControlBytesNeverReachTheTerminal) {
  for (const char* bad : {"L\n", "L\x1B[31m", "L\rerror: forged", "L\x7F", "L\x01", "L\t"}) {
    SCOPED_TRACE(printable(bad));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"compile", kLineTxt, kServiceTxt, "--line-id", bad},
             {"check", kLineTxt, kServiceTxt, "--train-code", bad},
             {"template", "t", "--train-code", bad},
             {"plot", ".", "--line-id", bad, "--train-code", "T"}}) {
      const run_result r = run_tool(dir.path(), args);
      EXPECT_EQ(r.status, 2) << args[0];
      EXPECT_NE(r.err.find("control byte"), std::string::npos) << args[0] << "\n" << r.err;
      EXPECT_FALSE(has_control_byte(r.err)) << args[0];
      EXPECT_EQ(line_count(r.err), 1u) << args[0];
    }
  }
  // Identifiers taken from the names of the texts.
  fs::copy_file(dir / kLineTxt, dir / "X\x1B[2J_linea.txt");
  const run_result named =
      run_tool(dir.path(), {"check", "X\x1B[2J_linea.txt", kServiceTxt, "--train-code", "T"});
  EXPECT_EQ(named.status, 2);
  EXPECT_NE(named.err.find("X\\x1B[2J"), std::string::npos) << named.err;
  EXPECT_FALSE(has_control_byte(named.err));

  struct field_case {
    const char* what;
    std::string field;
    const char* shown;
  } fields[] = {
      {"escape sequences", "5\x1B[2J\x1B]0;owned\x07", "5\\x1B[2J\\x1B]0;owned\\x07"},
      {"a field of a megabyte", std::string(1 << 20, '9') + "km", "bytes left out]"},
  };
  for (const field_case& c : fields) {
    SCOPED_TRACE(c.what);
    std::string line = read_whole_file(dir / kLineTxt);
    line.replace(line.find("54000"), 5, c.field);
    spill(dir / "F_linea.txt", line);
    const run_result r =
        run_tool(dir.path(), {"check", "F_linea.txt", kServiceTxt, "--train-code", "T"});
    EXPECT_EQ(r.status, 1) << r.err.substr(0, 300);
    EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err.substr(0, 300);
    EXPECT_FALSE(has_control_byte(r.err));
    EXPECT_LT(r.err.size(), 600u);
  }
  // A file name given on the command line, quoted in an error.
  const run_result missing = run_tool(dir.path(), {"dump", "\x1B[2Jgone.sim"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("\\x1B[2Jgone.sim"), std::string::npos) << missing.err;
  EXPECT_FALSE(has_control_byte(missing.err));
}

}  // namespace
}  // namespace scenario::tool_e2e
