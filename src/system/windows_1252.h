// The texts of a scenario (station names, board texts, every field an
// author writes) are Windows-1252 bytes, as the simulator reads them; what
// the programs print is UTF-8.
#ifndef SCENARIO_SYSTEM_WINDOWS_1252_H_
#define SCENARIO_SYSTEM_WINDOWS_1252_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// A character an author gave that the code page has no byte for: where its
// '?' stands in the converted bytes, and its code point.
struct unencodable_character {
  std::size_t offset = 0;
  uint32_t code_point = 0;
};

// Text from outside the scenario's texts (the command line, an author's
// notes) as Windows-1252 bytes.  Well-formed UTF-8 is converted character by
// character (a leading byte-order mark dropped), each character without a
// byte becoming '?' and listed in `missing`; text that is not well-formed
// UTF-8 was written in the code page already and comes back unchanged.
std::string windows_1252_of_text(std::string_view text,
                                 std::vector<unencodable_character>& missing);

}  // namespace scenario

#endif  // SCENARIO_SYSTEM_WINDOWS_1252_H_
