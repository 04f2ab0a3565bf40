#include "builtin/line_text.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(LineTextTest, FortyFourLinesEndedByCrLf) {
  const std::string text = dati_linea();
  EXPECT_EQ(text.size(), 1185u);
  size_t lines = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++lines;
      EXPECT_EQ(text[i - 1], '\r');
    }
  }
  EXPECT_EQ(lines, 44u);
  EXPECT_EQ(text.substr(0, 12), "[generale]\r\n");
  EXPECT_EQ(text.substr(text.size() - 8), "[fine]\r\n");
  EXPECT_EQ(text.find("riferimento fine del file"), std::string::npos);
  EXPECT_NE(text.find("curvas6,  18000,  300\r\ncurvas6,  19000,  300\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nindicatori_vmax,  1000,  90,  90,  90,  0,  ,  ,  ,  0\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace scenario
