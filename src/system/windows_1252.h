// The texts of a scenario (station names, board texts, every field an
// author writes) are Windows-1252 bytes, as the simulator reads them; what
// the programs print is UTF-8.
#ifndef SCENARIO_SYSTEM_WINDOWS_1252_H_
#define SCENARIO_SYSTEM_WINDOWS_1252_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

// The code point of a Windows-1252 byte; 0 for the five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t windows_1252_code_point(unsigned char byte);

// Appends a code point below U+10000 in UTF-8.
void append_utf8(uint32_t code_point, std::string& out);

// Text of a scenario as a message shows it: every character in UTF-8, as
// the simulator shows it, but control bytes and the five undefined bytes
// as \xNN, so that nothing of the text acts on the terminal.
std::string readable(std::string_view windows_1252);

}  // namespace scenario

#endif  // SCENARIO_SYSTEM_WINDOWS_1252_H_
