// What the tool's unit tests share: the built-in scenario, compiled.
#ifndef SCENARIO_TOOL_TOOL_TEST_SUPPORT_H_
#define SCENARIO_TOOL_TOOL_TEST_SUPPORT_H_

#include <string>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "tool/picture/plot.h"

namespace scenario::tool {

// The built-in texts compiled as the generator compiles them.
inline plot_input built_in_scenario() {
  scenario_records r;
  r.line_id = "Milano_Lecco";
  r.train_code = "L5244";
  const std::string line = dati_linea(), service = dati_treno();
  compile_scenario(r, 1, line, service);
  return {r.line_id, r.train_code, r.track_geometry, r.general_table, r.segments};
}

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_TOOL_TEST_SUPPORT_H_
