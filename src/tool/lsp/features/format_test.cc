#include <gtest/gtest.h>

#include "builtin/annotated_texts.h"
#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "testing/scenario_texts.h"
#include "tool/lsp/features.h"
#include "tool/lsp/features/feature_testing.h"

namespace scenario::tool::lsp {
namespace {

std::string formatted(const std::string& text, text_kind which,
                      std::optional<text_range> range = std::nullopt) {
  return testing::applied(text, format(text, which, range));
}

TEST(Format, AlignsEachRunOfEntriesAsDecompileWritesThem) {
  const struct {
    text_kind which;
    std::string text, expected;
  } cases[] = {
      {text_kind::line_description,
       "[pendenze]\r\npendenza,0,0\r\n  pendenza ,  24000 ,5 \r\n- note\r\npendenza,30000,0\r\n",
       "[pendenze]\r\npendenza,      0,  0\r\npendenza,  24000,  5\r\n- note\r\n"
       "pendenza,  30000,  0\r\n"},
      // Empty values keep their place; a text value is not padded.
      {text_kind::line_description,
       "indicatori_vmax,1000,90,90,90,0,,,,0\ncartello indicatore, 50 ,  Lecco centro  \n",
       "indicatori_vmax,  1000,  90,  90,  90,  0,  ,  ,  ,  0\n"
       "cartello indicatore,  50,  Lecco centro\n"},
      // Lines the formatter cannot be sure of stay as written: values from the
      // next line, values left over, a number split by a blank, the clock, a
      // keyword not as the writer spells it, a quote inside a value.
      {text_kind::train_service,
       "segnale, 1450, 2\n4, 1, 1\nsabbia,  300, 5\nsabbia, 3 00\norologio, 0  24 30\n"
       "Velocita,0,90\naderenza, \"0\", 5\n",
       "segnale, 1450, 2\n4, 1, 1\nsabbia,  300, 5\nsabbia, 3 00\norologio, 0  24 30\n"
       "Velocita,0,90\naderenza, \"0\", 5\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatted(c.text, c.which), c.expected) << c.text;
    EXPECT_TRUE(format(c.expected, c.which, std::nullopt).empty()) << c.expected;
  }
}

// A quote left open runs over the line ends: the blanks of the lines it
// takes belong to the station's name.
TEST(Format, LeavesTheLinesAnOpenQuoteRunsOver) {
  std::string service = dati_treno();
  const std::string name = ", MILANO CENTRALE\r\n";
  service.replace(service.find(name), name.size(), ", \"MILANO\r\n");
  const std::string closing = "stazione,    7100, 12,  300";
  service.replace(service.find(closing), closing.size(), "stazione,    7100 \"");
  ASSERT_FALSE(testing::compiled(dati_linea(), service).bytes.table.empty());
  const std::string after = formatted(service, text_kind::train_service);
  EXPECT_EQ(testing::compiled(dati_linea(), service).bytes,
            testing::compiled(dati_linea(), after).bytes);
  EXPECT_NE(after.find("\r\nstazione,    4000,  4,  500,  0, 0, 0,"), std::string::npos);
  EXPECT_NE(service, after);  // the lines outside the quote are laid out
}

TEST(Format, ARangeChangesOnlyTheEntriesOnItsLines) {
  const std::string text = "velocita,0,90\nvelocita,8000,110\nvelocita,13000,120\n";
  EXPECT_EQ(formatted(text, text_kind::train_service, text_range{{1, 0}, {1, 3}}),
            "velocita,0,90\nvelocita,   8000,  110\nvelocita,13000,120\n");
  EXPECT_EQ(formatted(text, text_kind::train_service, text_range{{0, 0}, {1, 0}}),
            "velocita,      0,   90\nvelocita,8000,110\nvelocita,13000,120\n");
}

// Formatting never changes what the pair compiles to.
void expect_same_compiled_files(const std::string& line, const std::string& service) {
  const std::string line_after = formatted(line, text_kind::line_description);
  const std::string service_after = formatted(service, text_kind::train_service);
  EXPECT_EQ(testing::compiled(line, service).bytes,
            testing::compiled(line_after, service_after).bytes);
  EXPECT_TRUE(format(line_after, text_kind::line_description, std::nullopt).empty());
  EXPECT_TRUE(format(service_after, text_kind::train_service, std::nullopt).empty());
}

TEST(Format, KeepsTheCompiledBytesOfTheBuiltInAndAnnotatedTexts) {
  expect_same_compiled_files(dati_linea(), dati_treno());
  expect_same_compiled_files(annotated_line_description(), annotated_train_service());
  EXPECT_FALSE(format(dati_treno(), text_kind::train_service, std::nullopt).empty());
}

TEST(Format, KeepsTheCompiledBytesOfVariedTexts) {
  for (uint64_t seed = 1; seed <= 100; ++seed) {
    SCOPED_TRACE(seed);
    const scenario::testing::scenario_texts texts = scenario::testing::varied_texts(seed);
    expect_same_compiled_files(texts.line_description, texts.train_service);
  }
}

}  // namespace
}  // namespace scenario::tool::lsp
