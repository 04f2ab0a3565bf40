// scenario-tool: compiles a scenario author's own source texts, lists the
// compiled files and draws them.  `scenario-tool --help` tells how.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/cli.h"
#include "tool/exit_status.h"

int main(int argc, char** argv) {
  scenario::platform::ignore_file_size_limit_signal();
  scenario::platform::set_up_console();
  const std::vector<std::string> arguments = scenario::platform::program_arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  // Diagnostics are coloured only for a terminal, and never when the user
  // asks for none (https://no-color.org).
  const bool colour = ::isatty(STDERR_FILENO) == 1 && std::getenv("NO_COLOR") == nullptr;
  // Whatever the texts, file names and compiled files hold, no byte of
  // theirs reaches the terminal as a control byte; only the diagnostics'
  // own colour settings pass.
  scenario::printable_stream out(std::cout), err(std::cerr, colour);
  try {
    return scenario::tool::run_tool(static_cast<int>(pointers.size()), pointers.data(), out, err,
                                    colour);
  } catch (const std::bad_alloc&) {
    err << "scenario-tool: error: out of memory\n";
    return scenario::tool::kExitFile;
  }
}
