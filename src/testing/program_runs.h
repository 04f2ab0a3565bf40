// Running the built programs from the end-to-end tests: a command line run
// in a directory, with its exit status and its two outputs captured.
#ifndef SCENARIO_TESTING_PROGRAM_RUNS_H_
#define SCENARIO_TESTING_PROGRAM_RUNS_H_

#include <filesystem>
#include <string>
#include <vector>

namespace scenario::testing {

struct run_result {
  int status = -1;  // the exit status; -1 when the program did not exit
  std::string out;
  std::string err;
};

// `s` in single quotes, as the shell reads it back.
std::string quoted(const std::string& s);

// Runs `program` with `args` in `dir`.  The shell runs `prelude` first (a
// resource limit, a file to plant) and then becomes the program, which thus
// keeps the shell's process id ($$).
run_result run_in(const std::filesystem::path& dir, const std::string& program,
                  const std::vector<std::string>& args, const std::string& prelude = "");

// The test programs that are given the tool's path run it by name.
#ifdef TOOL_PATH
inline run_result run_tool(const std::filesystem::path& dir, const std::vector<std::string>& args,
                           const std::string& prelude = "") {
  return run_in(dir, TOOL_PATH, args, prelude);
}
#endif

// The compiled files of a run of the built-in scenario.
inline std::vector<std::string> built_in_compiled_names() {
  return {"Milano_Lecco_linea.dat", "Milano_Lecco_L5244.sim", "Milano_Lecco_L5244.dat"};
}

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_PROGRAM_RUNS_H_
