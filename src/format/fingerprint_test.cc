#include "format/fingerprint.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace scenario {
namespace {

TEST(Fingerprint, EveryByteLengthAndOrderCounts) {
  // A buffer longer than one 32-byte block, so that both the lanes and the
  // tail are covered; each change must give a fingerprint not seen before.
  std::string bytes(77, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  std::set<std::string> seen = {fingerprint(bytes)};
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::string changed = bytes;
    changed[i] = static_cast<char>(changed[i] ^ 1);
    EXPECT_TRUE(seen.insert(fingerprint(changed)).second) << "byte " << i;
  }
  EXPECT_TRUE(seen.insert(fingerprint(bytes + '\0')).second);
  EXPECT_TRUE(seen.insert(fingerprint(bytes.substr(1))).second);
  std::string swapped = bytes;
  std::swap(swapped[0], swapped[8]);  // two words of one block
  EXPECT_TRUE(seen.insert(fingerprint(swapped)).second);
  EXPECT_NE(fingerprint(""), fingerprint(std::string(1, '\0')));
}

TEST(Fingerprint, IsTheSameOnEveryHost) {
  // A record written on one system is read on another: the value of a
  // fixed input must never depend on the host's byte order or word size,
  // nor change from one version of the tool to the next.
  EXPECT_EQ(fingerprint(""), "76be81c43835fdd0");
  EXPECT_EQ(fingerprint("table file bytes, longer than one block of 32"), "e477bd449e1d1b0a");
}

}  // namespace
}  // namespace scenario
