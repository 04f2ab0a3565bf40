#include "testing/program_runs.h"

#include <sys/wait.h>

#include <cstdlib>

#include "system/files.h"

namespace scenario::testing {
namespace fs = std::filesystem;

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

run_result run_in(const fs::path& dir, const std::string& program,
                  const std::vector<std::string>& args, const std::string& prelude) {
  std::string command = "cd " + quoted(dir.string()) + " && " + prelude +
                        (prelude.empty() ? "" : " && ") + "exec " + quoted(program);
  for (const std::string& a : args) command += " " + quoted(a);
  const fs::path out = dir / ".stdout", err = dir / ".stderr";
  command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
  const int raw = std::system(command.c_str());
  run_result r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  // A prelude that fails leaves the outputs unopened.
  if (fs::exists(out)) r.out = read_whole_file(out);
  if (fs::exists(err)) r.err = read_whole_file(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

}  // namespace scenario::testing
