// scenario-tool: compiles a scenario author's own source texts, lists the
// compiled files and draws them.  `scenario-tool --help` tells how.
#include <iostream>
#include <new>

#include "app/message_text.h"
#include "app/platform.h"
#include "tool/cli.h"
#include "tool/compile_command.h"

int main(int argc, char** argv) {
  scenario::platform::ignore_file_size_limit_signal();
  // Whatever the texts, file names and compiled files hold, no byte of
  // theirs reaches the terminal as a control byte.
  scenario::printable_stream out(std::cout), err(std::cerr);
  try {
    return scenario::tool::run_tool(argc, argv, out, err);
  } catch (const std::bad_alloc&) {
    err << "scenario-tool: error: out of memory\n";
    return scenario::tool::kExitFile;
  }
}
