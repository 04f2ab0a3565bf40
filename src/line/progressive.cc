#include "line/progressive.h"

#include <array>
#include <limits>

#include "model/fields.h"
#include "reading/reading.h"

namespace scenario {
namespace {

struct progressive {
  int32_t position = 0;
  int32_t value = 0;
  int32_t flag = 0;
};

progressive take(const general_entry& e) {
  using namespace progressive_slot;
  return {position.of(e), value.of(e), flag.of(e)};
}

void put(general_entry& e, const progressive& p) {
  using namespace progressive_slot;
  position.of(e) = p.position;
  value.of(e) = p.value;
  flag.of(e) = p.flag;
}

// Slots 81, 82, 83 in the order given.
using order = std::array<progressive, 3>;

order by_position(const progressive& uno, const progressive& due, const progressive& tre) {
  // Ties between the two lower entries keep the order uno, due, tre.
  const std::array<const progressive*, 3> read = {&uno, &due, &tre};
  for (int top = 0; top < 3; ++top) {
    const progressive& a = *read[(top + 1) % 3];
    const progressive& b = *read[(top + 2) % 3];
    if (read[top]->position <= a.position || read[top]->position <= b.position) continue;
    const progressive* first = &a;
    const progressive* second = &b;
    // a and b are in reading order unless top is "due" (then a = tre, b = uno).
    if (top == 1) std::swap(first, second);
    if (second->position > first->position) std::swap(first, second);
    return {*read[top], *first, *second};
  }
  return {};  // the two greatest positions are equal
}

order by_value(const progressive& uno, const progressive& due, const progressive& tre) {
  if (uno.value > 0) return {uno, due, tre};
  if (due.value > 0) return {due, tre, uno};
  if (tre.value > 0) return {tre, due, uno};
  return {};
}

}  // namespace

void progressive_ordina(general_table_t& table) {
  const progressive tre = take(table[kSlotProgressiveTre]);
  const progressive due = take(table[kSlotProgressiveDue]);
  const progressive uno = take(table[kSlotProgressiveUno]);
  const int64_t sum = int64_t{tre.position} + due.position + uno.position;
  const order sorted = sum != 0 ? by_position(uno, due, tre) : by_value(uno, due, tre);
  // All three slots are ordered before any flag applies, so that a value
  // the flag pushes past its field leaves them ordered.
  for (int i = 0; i < 3; ++i) put(table[kSlotProgressiveTre + i], sorted[i]);
  for (int i = 0; i < 3; ++i) {
    general_entry& slot = table[kSlotProgressiveTre + i];
    if (progressive_slot::flag.of(slot) != 1) continue;
    int32_t& value = progressive_slot::value.of(slot);
    if (value > std::numeric_limits<int32_t>::max() - 100)
      throw run_time_failure{"progressive value too large"};
    value += 100;
  }
}

}  // namespace scenario
