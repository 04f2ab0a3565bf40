// scenario-generator: writes the built-in Milano Centrale - Lecco scenario of
// train 5244 beside its own executable.  It takes no arguments.
#include <iostream>
#include <new>

#include "app/generator.h"
#include "app/message_text.h"

int main() {
  scenario::platform::ignore_file_size_limit_signal();
  scenario::printable_stream err(std::cerr);
  try {
    return scenario::Form_Load(scenario::output_directory(), err);
  } catch (const scenario::file_error& e) {
    err << "scenario-generator: " << e.what() << '\n';
    return 2;
  } catch (const std::bad_alloc&) {
    err << "scenario-generator: out of memory\n";
    return 2;
  }
}
