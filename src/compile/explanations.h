// What every diagnostic a compilation can give means: the numbered failures,
// the stamp errors and the warnings, each with its usual causes, how to fix
// it and a short example.  The diagnostics take their one-line meanings from
// here and `scenario-tool explain` shows the whole entry, so the two never
// disagree.
#ifndef SCENARIO_APP_EXPLANATIONS_H_
#define SCENARIO_APP_EXPLANATIONS_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace scenario {

enum class severity { error, warning };

struct explanation {
  std::string_view id;  // a failure code ("16") or a warning id ("unknown-entry")
  severity level = severity::error;
  // A failure whose `failure_position` names the entry; the others leave it
  // as it was and have no position to show.
  bool positioned = false;
  std::string_view meaning;  // one line
  std::string_view causes;
  std::string_view fix;
  std::string_view example;
};

// A numbered failure or stamp error, whose id is its code.
bool is_numbered(const explanation& e);

// A warning of the readers whose level is an error: an entry or a text that
// does not reach the compiled files, which `--allow` turns back into a
// warning.
inline bool is_loss(const explanation& e) { return e.level == severity::error && !is_numbered(e); }

// Every explanation: the failure codes in increasing order, then the stamp
// errors, then the warnings.
std::span<const explanation> explanations();

// The explanation of a failure code or warning id; nullptr for an unknown one.
const explanation* find_explanation(std::string_view id);
const explanation* find_explanation(int32_t code);

}  // namespace scenario

#endif  // SCENARIO_APP_EXPLANATIONS_H_
