// The page of `scenario-tool view`: its HTML template, style sheet and script,
// kept as files of their own under src/tool/picture/view/ and built into the tool.
#ifndef SCENARIO_TOOL_VIEW_ASSETS_H_
#define SCENARIO_TOOL_VIEW_ASSETS_H_

#include <string_view>

namespace scenario::tool {

std::string_view view_page_template();  // view/page.html
std::string_view view_style();          // view/view.css
std::string_view view_script();         // view/view.js

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_VIEW_ASSETS_H_
