// The built-in scenario compiled, as the tool's pictures take it.
#ifndef SCENARIO_TESTING_BUILT_IN_SCENARIO_H_
#define SCENARIO_TESTING_BUILT_IN_SCENARIO_H_

#include <string>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "tool/picture/plot.h"

namespace scenario::testing {

// The built-in texts compiled as the generator compiles them.
inline tool::plot_input built_in_scenario() {
  scenario_records r;
  r.line_id = "Milano_Lecco";
  r.train_code = "L5244";
  const std::string line = dati_linea(), service = dati_treno();
  compile_scenario(r, 1, line, service);
  return {r.line_id, r.train_code, r.track_geometry, r.general_table, r.segments};
}

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_BUILT_IN_SCENARIO_H_
