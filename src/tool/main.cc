// scenario-tool: compiles a scenario author's own source texts, lists the
// compiled files and draws them.  `scenario-tool --help` tells how.
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/cli.h"
#include "tool/exit_status.h"

namespace {

// Memory can also run out where no handler is reached: in a destructor that
// needs memory to take its object apart, or while an exception is already
// on its way out.  The tool then ends as it does on any other lack of
// memory, with one line and status 3, not with an abort; anything else
// that ends here aborts as before.
[[noreturn]] void end_on_lost_memory() {
  if (const std::exception_ptr thrown = std::current_exception()) {
    try {
      std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
      static constexpr char kLine[] = "scenario-tool: error: out of memory\n";
      [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kLine, sizeof kLine - 1);
      std::_Exit(scenario::tool::kExitFile);
    } catch (...) {
    }
  }
  std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(end_on_lost_memory);
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
  } catch (const std::length_error&) {
    err << "scenario-tool: error: out of memory\n";
    return scenario::tool::kExitFile;
  }
}
