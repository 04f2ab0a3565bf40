#include "compile/failure_messages.h"

#include "compile/explanations.h"

namespace scenario {

std::string_view failure_meaning(int32_t code) {
  const explanation* e = find_explanation(code);
  return e != nullptr && e->level == severity::error ? e->meaning : "unknown failure";
}

bool failure_has_position(int32_t code) {
  const explanation* e = find_explanation(code);
  return e != nullptr && e->positioned;
}

}  // namespace scenario
