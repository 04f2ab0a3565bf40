// The built-in source texts with comment lines that explain every entry,
// field by field: a starting point for an author who has not read the guide
// yet.  The comments are written so that the readers truly pass them over:
// each is one field holding a dash, with no comma and none of the words the
// readers look for, so the texts compile to the very same bytes.
#ifndef SCENARIO_TOOL_ANNOTATED_TEXTS_H_
#define SCENARIO_TOOL_ANNOTATED_TEXTS_H_

#include <string>

namespace scenario::tool {

std::string annotated_line_description();
std::string annotated_train_service();

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_ANNOTATED_TEXTS_H_
