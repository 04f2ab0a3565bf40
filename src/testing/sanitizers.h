// Whether the tests run in the address-sanitized build, where memory
// limits set on a child (ulimit -v) stop the sanitizer's own reservations
// rather than the program under test.
#ifndef SCENARIO_TESTING_SANITIZERS_H_
#define SCENARIO_TESTING_SANITIZERS_H_

namespace scenario::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_SANITIZERS_H_
