// Valid source texts made from a few numbers, for the tests, benchmarks and
// browser checks that need more than the built-in scenario: lines up to the
// longest a scenario may have, holding every kind of entry, that compile
// without a numbered failure.
//
// Two layouts come from the one generator:
//
//  - dense: as long as asked and regular, a curve, a gradient and a speed
//    board every few hundred metres, a tunnel every dozen kilometres, a
//    station every 13 km (as many as the general table holds), a signal every
//    kilometre and a slowdown every 100 km.  The benchmarks measure the
//    readers and writers on its longest form, and the compiled bytes of that
//    form are pinned: its texts must not change.
//
//  - varied: from a seed, a line of a few kilometres up to 1 000 000 m
//    holding every kind of entry in its variants (curves of all six classes
//    both ways, back to back, overlapping, of one metre, up to the last
//    metre; gradients, profiles, tunnels plain, joined and overlapping;
//    boards and stations whose texts hold commas, quotes or blanks; slowdowns
//    with signals and code points in the room around them; positions on half
//    segments).  The property tests take hundreds of them through the
//    compiler and back.
//
// Either way every point object gets a segment of its own (or is placed
// where it is meant to be covered), so the texts compile cleanly.
#ifndef SCENARIO_TESTING_SCENARIO_TEXTS_H_
#define SCENARIO_TESTING_SCENARIO_TEXTS_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace scenario::testing {

// The longest line a scenario may have, in metres.
inline constexpr int64_t kLongestLine = 1'000'000;

struct scenario_texts {
  std::string line_description;
  std::string train_service;
  int64_t length = 0;  // metres
};

// The dense layout of a line `length` metres long (a multiple of 1000, at
// least 20 000).
scenario_texts dense_texts(int64_t length = kLongestLine);

// The varied layout of a line `length` metres long.
scenario_texts varied_texts(uint64_t seed, int64_t length);

// The varied layout with a length the seed chooses too: mostly a few to
// sixty kilometres, sometimes a few hundred, now and then the longest.
scenario_texts varied_texts(uint64_t seed);

// A small, portable generator (splitmix64): the same seed gives the same
// numbers with every compiler and library.
class random {
 public:
  explicit random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int64_t between(int64_t lo, int64_t hi) {
    return lo + static_cast<int64_t>(next() % static_cast<uint64_t>(hi - lo + 1));
  }
  bool chance(int percent) { return between(0, 99) < percent; }
  template <typename T>
  T pick(std::initializer_list<T> values) {
    return *(values.begin() + between(0, static_cast<int64_t>(values.size()) - 1));
  }

 private:
  uint64_t state_;
};

// The segments already claimed by a point object of a text being made, from
// 0 to the line's last segment.
class segment_claims {
 public:
  explicit segment_claims(int64_t last) : taken_(static_cast<size_t>(last) + 1, false) {}

  int64_t last() const { return static_cast<int64_t>(taken_.size()) - 1; }
  bool free(int64_t segment) const {
    return segment >= 0 && segment <= last() && !taken_[static_cast<size_t>(segment)];
  }
  void claim(int64_t segment) {
    if (segment >= 0 && segment <= last()) taken_[static_cast<size_t>(segment)] = true;
  }

 private:
  std::vector<bool> taken_;
};

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_SCENARIO_TEXTS_H_
