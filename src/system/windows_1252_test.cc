#include "system/windows_1252.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace scenario
