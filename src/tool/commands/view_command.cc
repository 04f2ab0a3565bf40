#include "tool/commands/view_command.h"

#include "tool/picture/view.h"

namespace scenario::tool {

int run_view(const view_options& options, std::ostream& out, std::ostream& err) {
  return write_picture(options, ".html", render_view_html, out, err);
}

}  // namespace scenario::tool
