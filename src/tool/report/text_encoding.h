// Scenario texts (station names, board texts, identifiers) are
// Windows-1252 bytes; listings, JSON and SVG need UTF-8.
#ifndef SCENARIO_TOOL_TEXT_ENCODING_H_
#define SCENARIO_TOOL_TEXT_ENCODING_H_

#include <string>
#include <string_view>

namespace scenario::tool {

// Every byte taken as a Windows-1252 character; the five bytes that code
// page leaves undefined become U+FFFD.
std::string cp1252_to_utf8(std::string_view bytes);

// A line identifier or a train code as the characters it names.  Taken
// from a file name or the command line, it is UTF-8 already; one that is
// not (a file name from a system that writes another code page) is read
// as Windows-1252, as the simulator reads it.
std::string identifier_text(std::string_view id);

// Text for XML content or an attribute value: the markup characters
// escaped, characters XML cannot carry (control characters) replaced.
std::string xml_escape(std::string_view utf8);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_TEXT_ENCODING_H_
