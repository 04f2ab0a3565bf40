#include "system/windows_1252.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace scenario {
namespace {

TEST(Readable, ShowsWindows1252CharactersAndEscapesOnlyWhatTheTerminalMustNotGet) {
  const struct {
    std::string bytes, shown;
  } cases[] = {
      {"C\xC0 DEL BOSCO", "C\xC3\x80 DEL BOSCO"},
      {"Citt\xE0", "Citt\xC3\xA0"},
      {"\x80 5", "\xE2\x82\xAC 5"},                           // the euro sign of 0x80
      {"\x9F", "\xC5\xB8"},                                   // Y with diaeresis
      {"\x81\x8D\x8F\x90\x9D", "\\x81\\x8D\\x8F\\x90\\x9D"},  // undefined in the code page
      {"a\x1B[2Jb\x07", "a\\x1B[2Jb\\x07"},
      {std::string("nul\0tab\tdel\x7F", 12), "nul\\x00tab\\x09del\\x7F"},
      {"line\r\nend", "line\\x0D\\x0Aend"},
      {"\xC3\xA0", "\xC3\x83\xC2\xA0"},  // UTF-8 shows as the simulator shows it
  };
  for (const auto& c : cases) EXPECT_EQ(readable(c.bytes), c.shown) << c.bytes;
}

TEST(WindowsOfText, ConvertsUtf8AndKeepsWhatIsAlreadyTheCodePage) {
  const struct {
    std::string text, bytes;
    std::vector<std::pair<std::size_t, uint32_t>> missing;
  } cases[] = {
      {"plain ASCII", "plain ASCII", {}},
      {"Citt\xC3\xA0 \xE2\x82\xAC 5", "Citt\xE0 \x80 5", {}},  // the euro sign has 0x80
      {"\xEF\xBB\xBFNote", "Note", {}},                        // the byte-order mark goes
      {"Gy\xC5\x91r \xE2\x86\x92 Wien", "Gy?r ? Wien", {{2, 0x151}, {5, 0x2192}}},
      {"\xF0\x9F\x9A\x82!", "?!", {{0, 0x1F682}}},
      // Not UTF-8: the bytes were written in the code page.
      {"Citt\xE0 e \xE8", "Citt\xE0 e \xE8", {}},
      {"\xC3", "\xC3", {}},                  // a sequence cut short
      {"\xC0\xAF", "\xC0\xAF", {}},          // an overlong form
      {"\xED\xA0\x80", "\xED\xA0\x80", {}},  // a surrogate
  };
  for (const auto& c : cases) {
    std::vector<unencodable_character> missing;
    EXPECT_EQ(windows_1252_of_text(c.text, missing), c.bytes) << c.text;
    std::vector<std::pair<std::size_t, uint32_t>> got;
    for (const unencodable_character& m : missing) got.emplace_back(m.offset, m.code_point);
    EXPECT_EQ(got, c.missing) << c.text;
  }
}

}  // namespace
}  // namespace scenario
