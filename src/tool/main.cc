// scenario-tool: compiles a scenario author's own source texts, lists the
// compiled files and draws them.  `scenario-tool --help` tells how.
#include <iostream>

#include "tool/cli.h"

int main(int argc, char** argv) {
  return scenario::tool::run_tool(argc, argv, std::cout, std::cerr);
}
