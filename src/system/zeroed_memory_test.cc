#include "system/zeroed_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace scenario {
namespace {

// Every size, small ones from the heap and large ones mapped on their own,
// comes zeroed to its last byte and can be written to its last byte; a
// second allocation after the first was given back is zeroed again, though
// the first was written all over.
TEST(ZeroedMemoryTest, ZeroedAndWholeAtEverySize) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  const std::size_t sizes[] = {1, 4095, 4 * kMiB - 1, 4 * kMiB, 4 * kMiB + 1, 9 * kMiB + 123};
  for (std::size_t size : sizes) {
    SCOPED_TRACE(size);
    for (int round = 0; round < 2; ++round) {
      auto* p = static_cast<unsigned char*>(zeroed_memory::allocate(size));
      ASSERT_NE(p, nullptr);
      EXPECT_TRUE(std::all_of(p, p + size, [](unsigned char c) { return c == 0; }));
      std::memset(p, 0xA5, size);
      EXPECT_EQ(p[size - 1], 0xA5);
      zeroed_memory::release(p, size);
    }
  }
}

}  // namespace
}  // namespace scenario
