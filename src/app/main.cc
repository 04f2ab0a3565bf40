// scenario-generator: writes the built-in Milano Centrale - Lecco scenario of
// train 5244 beside its own executable.  It takes no arguments.
#include <iostream>

#include "app/generator.h"

int main() {
  try {
    return scenario::Form_Load(scenario::output_directory(), std::cerr);
  } catch (const scenario::file_error& e) {
    std::cerr << "scenario-generator: " << e.what() << '\n';
    return 2;
  }
}
