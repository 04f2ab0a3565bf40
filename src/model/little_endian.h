// Numbers stored into and loaded from the bytes of a compiled file:
// little-endian whatever the host, a double as its IEEE 754 bits.
#ifndef SCENARIO_MODEL_LITTLE_ENDIAN_H_
#define SCENARIO_MODEL_LITTLE_ENDIAN_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace scenario::little_endian {

static_assert(std::numeric_limits<double>::is_iec559, "the route plan is stored as IEEE doubles");

inline char* store_u16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
  return p + 2;
}

inline uint16_t load_u16(const char* p) {
  return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
}

// An integer of any width, byte by byte: the compiler merges the bytes into
// one move where the host allows it.
template <typename T>
inline void store_int(char* p, T v) {
  using U = std::make_unsigned_t<T>;
  const U u = static_cast<U>(v);
  for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

template <typename T>
inline T load_int(const char* p) {
  using U = std::make_unsigned_t<T>;
  U u = 0;
  for (size_t i = 0; i < sizeof(T); ++i)
    u = static_cast<U>(u | static_cast<U>(static_cast<U>(static_cast<uint8_t>(p[i])) << (8 * i)));
  return static_cast<T>(u);
}

// On a little-endian host a double's bytes are already in file order, and
// the copy is one move; elsewhere they are laid out one by one.
inline char* store_f64(char* p, double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &bits, 8);
  } else {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  }
  return p + 8;
}

inline double load_f64(const char* p) {
  uint64_t bits = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&bits, p, 8);
  } else {
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<uint8_t>(p[i]);
  }
  return std::bit_cast<double>(bits);
}

}  // namespace scenario::little_endian

#endif  // SCENARIO_MODEL_LITTLE_ENDIAN_H_
