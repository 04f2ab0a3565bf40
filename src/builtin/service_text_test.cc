#include "builtin/service_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace scenario {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t begin = 0;
  for (size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
    lines.push_back(text.substr(begin, end - begin));
  EXPECT_EQ(begin, text.size()) << "the last line must end with CR LF";
  return lines;
}

TEST(ServiceTextTest, FiftyFourLinesAsWritten) {
  const std::vector<std::string> lines = lines_of(dati_treno());
  ASSERT_EQ(lines.size(), 54u);
  EXPECT_EQ(lines.front(), "[generale]");
  EXPECT_EQ(lines.back(), "[fine]");
  EXPECT_EQ(lines[4], "orologio,    0               24            30 ");
  EXPECT_EQ(lines[19],
            "stazione,   24000, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   0,49, 0, "
            "CARNATE - USMATE");
  EXPECT_EQ(lines[29], "rallentamento,   13200,    30,  750, 0,  1,  30");
  EXPECT_EQ(lines[52], "[codici]");
  int stations = 0, signals = 0;
  for (const std::string& line : lines) {
    stations += line.rfind("stazione,", 0) == 0;
    signals += line.rfind("segnale,", 0) == 0;
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }
  EXPECT_EQ(stations, 14);
  EXPECT_EQ(signals, 21);
  EXPECT_EQ(dati_treno().find("riferimento fine del file"), std::string::npos);
}

}  // namespace
}  // namespace scenario
