// The words the editor features share about an entry and its values: a
// value's meaning and how it is kept, and an entry's list of fields.
#ifndef SCENARIO_TOOL_LSP_FEATURES_FIELD_TEXT_H_
#define SCENARIO_TOOL_LSP_FEATURES_FIELD_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>

#include "reading/entry_forms.h"

namespace scenario::tool::lsp {

// "x, v, l, f_tt, f_ta, d_v"
std::string field_list(const entry_form& form);

// A number field's value; none for a field that is no plain number.  An
// empty field reads as 0.
std::optional<int64_t> number_value(std::string_view field);

// How `value` of `field` is kept, in a sentence; empty when kept as written.
std::string stored_text(const field_form& field, int64_t value);

// The value a wrapping field keeps for `value`, and the nearest value that
// it keeps unchanged.
int64_t kept_value(stored_as storage, int64_t value);
int64_t nearest_fitting(stored_as storage, int64_t value);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_FEATURES_FIELD_TEXT_H_
