#include "format/fingerprint.h"

#include <cstdint>
#include <cstdio>

#include "model/little_endian.h"

namespace scenario {
namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;

uint64_t mix(uint64_t hash, uint64_t word) {
  hash ^= word;
  hash *= kMultiplier;
  return hash ^ (hash >> 32);
}

}  // namespace

std::string fingerprint(std::string_view bytes) {
  // Four lanes run side by side, so the multiplications do not wait for
  // each other; the length and the last bytes are mixed in at the end.
  uint64_t lanes[4] = {0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL, 0xA4093822299F31D0ULL,
                       0x082EFA98EC4E6C89ULL};
  const char* p = bytes.data();
  const size_t n = bytes.size();
  size_t i = 0;
  for (; i + 32 <= n; i += 32)
    for (size_t lane = 0; lane < 4; ++lane)
      lanes[lane] = mix(lanes[lane], little_endian::load_int<uint64_t>(p + i + 8 * lane));
  uint64_t hash = mix(0, static_cast<uint64_t>(n));
  for (uint64_t lane : lanes) hash = mix(hash, lane);
  for (; i < n; ++i) hash = mix(hash, static_cast<uint8_t>(p[i]));
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace scenario
