#include "tool/commands/explain_command.h"

#include "compile/explanations.h"
#include "reading/reading.h"
#include "tool/exit_status.h"

namespace scenario::tool {
namespace {

constexpr size_t kTextWidth = 78;

// A paragraph broken into lines of at most kTextWidth columns, indented.
std::string wrapped(std::string_view text, std::string_view indent) {
  std::string out, line;
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find(' ', begin);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(begin, end - begin);
    if (!line.empty() && indent.size() + line.size() + 1 + word.size() > kTextWidth) {
      out += std::string(indent) + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + std::string(word);
    begin = end + 1;
  }
  if (!line.empty()) out += std::string(indent) + line + "\n";
  return out;
}

std::string title(const explanation& e) {
  if (is_loss(e)) return std::string(e.id) + " (error, a loss)";
  return e.level == severity::error ? "failure " + std::string(e.id) + " (error)"
                                    : std::string(e.id) + " (warning)";
}

void explain(const explanation& e, std::ostream& out) {
  out << title(e) << ": " << e.meaning << "\n\n";
  out << "What happens:\n" << wrapped(e.causes, "  ") << '\n';
  out << "How to fix it:\n" << wrapped(e.fix, "  ");
  if (e.example.empty()) return;
  out << "\nExample:\n";
  std::string_view example = e.example;
  while (!example.empty()) {
    const size_t end = std::min(example.find('\n'), example.size());
    out << "  " << example.substr(0, end) << '\n';
    example.remove_prefix(std::min(end + 1, example.size()));
  }
}

}  // namespace

int run_explain(const std::optional<std::string>& id, std::ostream& out, std::ostream& err) {
  if (!id) {
    for (const explanation& e : explanations())
      out << "  " << title(e) << ": " << e.meaning << '\n';
    return kExitOk;
  }
  const explanation* e = find_explanation(*id);
  if (e == nullptr) {
    err << "scenario-tool: error: " << quoted(*id)
        << " is neither a failure code nor a warning id (scenario-tool explain lists them)\n";
    return kExitUsage;
  }
  explain(*e, out);
  return kExitOk;
}

}  // namespace scenario::tool
