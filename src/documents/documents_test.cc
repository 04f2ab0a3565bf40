// What every driver document must be: the approved bytes, cut into CR LF
// lines of the approved widths, in the bytes a document may hold.  The cases
// stand beside their documents' other tests (notes_page_test.cc,
// slow_order_form_test.cc, train_sheet_test.cc).
#include "testing/documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace scenario {
namespace {

using testing::document_case;
using testing::DocumentTest;
using testing::expect_document_bytes_only;
using testing::expect_line_lengths;
using testing::fnv1a64;
using testing::kEndSentinel;

TEST_P(DocumentTest, IsTheApprovedTextClosedByCrLf) {
  const document_case& c = GetParam();
  const std::vector<std::string> lines = this->lines();
  if (c.bytes != 0) {
    EXPECT_EQ(text().size(), c.bytes);
  }
  ASSERT_GE(text().size(), 2u);
  EXPECT_EQ(text().substr(text().size() - 2), "\r\n");
  ASSERT_EQ(lines.size(), c.lines);
  EXPECT_EQ(text().find(kEndSentinel), std::string::npos);
  expect_document_bytes_only(lines);
  // The fingerprint was taken from the reference text, not from this code.
  std::string approved;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (std::count(c.prose_lines.begin(), c.prose_lines.end(), static_cast<int>(i)) == 0)
      approved += lines[i] + "\r\n";
  }
  EXPECT_EQ(fnv1a64(approved), c.fingerprint);
}

TEST_P(DocumentTest, EveryLineHasItsWidth) { expect_line_lengths(lines(), GetParam().widths); }

}  // namespace
}  // namespace scenario
