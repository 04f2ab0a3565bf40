#include "reading/general_section.h"

#include <array>
#include <optional>
#include <vector>

#include "reading/entry_watch.h"
#include "reading/reading.h"

namespace scenario {
namespace {

std::string_view trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string counted(size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// "a, b and c".
std::string listed(const std::vector<std::string>& parts) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " and " : ", ";
    out += parts[i];
  }
  return out;
}

}  // namespace

std::string missing_general_section(std::string_view text, std::span<const counted_kind> kinds) {
  static constexpr std::array<std::string_view, 1> kGenerale = {"[generale]"};
  std::vector<size_t> counts(kinds.size() + 1, 0);  // the last: other entries
  std::optional<std::pair<int32_t, std::string_view>> misspelt;
  std::optional<int32_t> last_field;  // "[generale]" as the text's very last field
  int32_t line = 0;
  for (size_t begin = 0; begin < text.size();) {
    // A line ends with CR LF, a lone CR or a lone LF.
    size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    const std::string_view whole = text.substr(begin, end - begin);
    const std::string_view first = trimmed(whole.substr(0, whole.find(',')));
    begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (first.empty()) continue;
    if (contains_ignoring_case(whole, "[generale]")) last_field = line;
    if (!misspelt && !closest_word(first, kGenerale).empty()) {
      misspelt = {line, first};
      continue;
    }
    if (is_comment_field(first) || is_section_field(first)) continue;
    size_t kind = 0;
    while (kind < kinds.size() && !contains_ignoring_case(first, kinds[kind].word)) ++kind;
    ++counts[kind];
  }
  std::vector<std::string> parts;
  for (size_t kind = 0; kind < kinds.size(); ++kind)
    if (counts[kind] > 0) parts.push_back(counted(counts[kind], kinds[kind].one, kinds[kind].many));
  if (counts.back() > 0)
    parts.push_back(counted(counts.back(), parts.empty() ? "entry" : "other entry",
                            parts.empty() ? "entries" : "other entries"));
  size_t total = 0;
  for (size_t n : counts) total += n;
  std::string out = total == 0   ? std::string("nothing in it is read")
                    : total == 1 ? listed(parts) + " is not read"
                                 : listed(parts) + " are not read";
  if (last_field)
    out += "; the \"[generale]\" on line " + std::to_string(*last_field) +
           " is the text's last field, which the search never takes";
  if (misspelt)
    out += "; line " + std::to_string(misspelt->first) + " holds " + quoted(misspelt->second) +
           " (did you mean \"[generale]\"?)";
  return out;
}

}  // namespace scenario
