// Running scenario-tool and the generator from the end-to-end tests: a
// scratch directory per test, a command line run with its output captured.
#ifndef SCENARIO_TESTS_TOOL_TEST_SUPPORT_H_
#define SCENARIO_TESTS_TOOL_TEST_SUPPORT_H_

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace scenario::tool_e2e {
namespace fs = std::filesystem;

inline std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void spill(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class scratch_dir {
 public:
  scratch_dir() {
    std::string pattern = (fs::temp_directory_path() / "scenario-tool-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~scratch_dir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  scratch_dir(const scratch_dir&) = delete;
  scratch_dir& operator=(const scratch_dir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

inline std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct run_result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` in `dir`.  The shell runs `prelude` first (a
// resource limit, a file to plant) and then becomes the program, which thus
// keeps the shell's process id ($$).
inline run_result run_in(const fs::path& dir, const std::string& program,
                         const std::vector<std::string>& args, const std::string& prelude = "") {
  std::string command = "cd " + quoted(dir.string()) + " && " + prelude +
                        (prelude.empty() ? "" : " && ") + "exec " + quoted(program);
  for (const std::string& a : args) command += " " + quoted(a);
  const fs::path out = dir / ".stdout", err = dir / ".stderr";
  command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
  const int raw = std::system(command.c_str());
  run_result r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

inline run_result run_tool(const fs::path& dir, const std::vector<std::string>& args,
                           const std::string& prelude = "") {
  return run_in(dir, TOOL_PATH, args, prelude);
}

// The compiled files of a run of the built-in scenario.
inline std::vector<std::string> built_in_compiled_names() {
  return {"Milano_Lecco_linea.dat", "Milano_Lecco_L5244.sim", "Milano_Lecco_L5244.dat"};
}

}  // namespace scenario::tool_e2e

#endif  // SCENARIO_TESTS_TOOL_TEST_SUPPORT_H_
