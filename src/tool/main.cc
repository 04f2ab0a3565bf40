// scenario-tool: compiles a scenario author's own source texts, lists the
// compiled files and draws them.  `scenario-tool --help` tells how.
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "tool/cli.h"

int main(int argc, char** argv) {
  // Diagnostics are coloured only for a terminal, and never when the user
  // asks for none (https://no-color.org).
  const bool colour = ::isatty(STDERR_FILENO) == 1 && std::getenv("NO_COLOR") == nullptr;
  return scenario::tool::run_tool(argc, argv, std::cout, std::cerr, colour);
}
