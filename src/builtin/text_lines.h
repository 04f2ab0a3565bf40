// Plain-text documents of a scenario: one byte per character (Windows-1252),
// every line closed by CR LF, the way the simulator's Windows tools expect.
#ifndef SCENARIO_DOCUMENTS_TEXT_LINES_H_
#define SCENARIO_DOCUMENTS_TEXT_LINES_H_

#include <span>
#include <string>
#include <string_view>

namespace scenario {

// The bytes of a text file made of `lines`: each line, the last one included,
// followed by CR LF. The bytes of each line are copied as they are.
std::string join_crlf(std::span<const std::string_view> lines);

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_TEXT_LINES_H_
