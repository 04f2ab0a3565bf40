#include "codes/check_codes.h"

#include <cstddef>

#include "model/fields.h"

namespace scenario {
namespace {

// Pads short identifiers so that the work text always has 25 counted
// characters.
constexpr std::string_view kFiller = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t kCountedCharacters = 25;

unsigned char lower_byte(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  switch (c) {
    case 0x8A:  // S caron
    case 0x8C:  // OE ligature
    case 0x8E:  // Z caron
      return c + 0x10;
    case 0x9F:  // Y diaeresis
      return 0xFF;
    default:
      return c;
  }
}

// The train code before the line identifier, lower-cased, then the filler.
std::string work_text(const general_table_t& table) {
  std::string text = lower_cp1252(signalling_and_train_slot::train_code.in(table) +
                                  scenery_and_line_slot::line_id.in(table));
  text += kFiller;
  return text;
}

unsigned char code_at(const std::string& text, size_t i) {
  return static_cast<unsigned char>(text[i]);
}

}  // namespace

std::string lower_cp1252(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(lower_byte(static_cast<unsigned char>(c)));
  return lowered;
}

int32_t codice_gara_st(const general_table_t& table) {
  const std::string text = work_text(table);
  int32_t total = 0;
  for (size_t i = 0; i < kCountedCharacters; ++i) {
    total += code_at(text, i) * static_cast<int32_t>(i + 1);
  }
  return total;
}

int16_t codice_gara_og(const general_table_t& table) {
  const std::string text = work_text(table);
  int32_t total = 0;  // at most 25 x 255, well within 16 bits
  for (size_t i = 0; i < kCountedCharacters; ++i) total += code_at(text, i);
  return static_cast<int16_t>(total);
}

}  // namespace scenario
