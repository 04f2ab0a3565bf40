// Helpers shared by the driver-document tests.
#ifndef SCENARIO_TESTING_DOCUMENTS_H_
#define SCENARIO_TESTING_DOCUMENTS_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::testing {

// The lines of a document cut at every CR LF. Bytes after the last CR LF, if
// any, come back as one more line, so a missing final line end shows up as a
// wrong line count or a wrong last line instead of vanishing.
inline std::vector<std::string> split_crlf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos;
       start = end + 2) {
    lines.emplace_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

// FNV-1a, 64 bits: a fingerprint of a document's approved bytes, so that a
// changed character anywhere in it is caught.
inline uint64_t fnv1a64(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

struct line_length {
  int slot;
  std::size_t bytes;
};

// Checks each listed line's length in bytes, blanks at either end included.
inline void expect_line_lengths(const std::vector<std::string>& lines,
                                const std::vector<line_length>& expected) {
  for (const line_length& row : expected) {
    SCOPED_TRACE("line " + std::to_string(row.slot));
    ASSERT_LT(static_cast<std::size_t>(row.slot), lines.size());
    EXPECT_EQ(lines[row.slot].size(), row.bytes) << "[" << lines[row.slot] << "]";
  }
}

// Every byte that a document line may hold: printable ASCII and the
// Windows-1252 single bytes of the Italian accented letters and the degree
// sign. Control bytes, stray CR or LF, and UTF-8 sequences (lead bytes C2/C3)
// are all refused.
inline bool is_document_byte(unsigned char c) {
  if (c >= 0x20 && c <= 0x7E) return true;
  static constexpr std::string_view kAccented =
      "\xB0\xC0\xC8\xC9\xCC\xD2\xD9\xE0\xE8\xE9\xEC\xF2\xF9";
  return kAccented.find(static_cast<char>(c)) != std::string_view::npos;
}

inline void expect_document_bytes_only(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (std::size_t k = 0; k < lines[i].size(); ++k) {
      EXPECT_TRUE(is_document_byte(static_cast<unsigned char>(lines[i][k])))
          << "line " << i << ", column " << k << ": byte 0x" << std::hex
          << static_cast<int>(static_cast<unsigned char>(lines[i][k]));
    }
  }
}

inline constexpr std::string_view kEndSentinel = "riferimento fine del file";

// What every driver document must be, checked by the tests of
// documents/documents_test.cc; each document's own test file instantiates
// them with its case (INSTANTIATE_TEST_SUITE_P(Name, DocumentTest, ...)).
struct document_case {
  std::string text;
  std::size_t lines = 0;
  std::size_t bytes = 0;         // 0 where the author's wording sets the size
  std::vector<int> prose_lines;  // the author's wording, left out of the fingerprint
  uint64_t fingerprint = 0;      // of the other lines, each closed by CR LF
  std::vector<line_length> widths;
};

class DocumentTest : public ::testing::TestWithParam<document_case> {
 protected:
  const std::string& text() const { return GetParam().text; }
  std::vector<std::string> lines() const { return split_crlf(GetParam().text); }
};

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_DOCUMENTS_H_
