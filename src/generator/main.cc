// scenario-generator: writes the built-in Milano Centrale - Lecco scenario of
// train 5244 beside its own executable.  It takes no arguments: given any,
// it only says what it does.
#include <iostream>
#include <new>
#include <string_view>

#include "generator/exit_status.h"
#include "generator/generator.h"
#include "system/platform.h"
#include "system/terminal_text.h"

namespace {

constexpr std::string_view kAbout =
    "Usage: scenario-generator\n"
    "\n"
    "Writes the built-in driving scenario of the railway simulator - the line from\n"
    "Milano Centrale to Lecco, run by the local passenger train 5244 - into the\n"
    "directory that holds this program: the two source texts (read back and then\n"
    "deleted), the three compiled files the simulator loads (Milano_Lecco_linea.dat,\n"
    "Milano_Lecco_L5244.sim, Milano_Lecco_L5244.dat) and three documents for the\n"
    "driver (train sheet, slow order form, notes page).\n"
    "\n"
    "It takes no arguments and reads no input; run it without any to write the\n"
    "scenario. Given an argument it writes nothing and only prints this text.\n"
    "To compile scenarios of your own, use scenario-tool (scenario-tool --help);\n"
    "the guide for authors is docs/authoring.md.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::string_view first = argv[1];
    const bool asked = first == "--help" || first == "-h" || first == "help";
    (asked ? std::cout : std::cerr) << kAbout;
    return asked ? scenario::generator::kExitOk : scenario::generator::kExitFileOrUsage;
  }
  scenario::platform::ignore_file_size_limit_signal();
  scenario::platform::set_up_console();
  scenario::printable_stream err(std::cerr);
  try {
    return scenario::Form_Load(scenario::output_directory(), err);
  } catch (const scenario::file_error& e) {
    err << "scenario-generator: " << e.what() << '\n';
    return scenario::generator::kExitFileOrUsage;
  } catch (const std::bad_alloc&) {
    err << "scenario-generator: out of memory\n";
    return scenario::generator::kExitFileOrUsage;
  }
}
