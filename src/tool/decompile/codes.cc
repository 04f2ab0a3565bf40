// Which code points the track-code pass placed and which are the text's own
// abbattimento marks.  The pass is replayed over the held cells: where it
// would place a point, the cell must hold a code point of code 180, which it
// then claims.  A code point the pass never claims is an abbattimento mark.
//
// Which of two such cells the pass took only matters along a slow slowdown,
// where the next point is counted from the last one: there the replay tries
// each choice in turn and keeps the one the rest of the walk agrees with.
// Everywhere else either choice leaves the same cells, so the first is taken.
#include <optional>

#include "codes/track_codes.h"
#include "tool/decompile/recovery.h"

namespace scenario::tool::recovery {
namespace {

using namespace track_codes;

// Choices tried along all walks before the replay takes the first ones.
constexpr int64_t kWalkBudget = 200'000;

class pass_replay {
 public:
  explicit pass_replay(const held_scenario& held)
      : held_(held), last_(held.last), claimed_(held.cells.size(), false) {
    for (int64_t c = 0; c <= last_; ++c)
      if (kind(c) == kSlowdownStart) last_start_ = c;
  }

  std::vector<int64_t> abbattimento_cells() {
    for (int64_t i = 1; i <= last_ - 2; ++i) {
      if (kind(i) == kSlowdownWarning) signals_behind_warning(i);
      if (kind(i) == kSlowdownStart) slowdown(i);
    }
    std::vector<int64_t> cells;
    for (int64_t c = 0; c <= last_; ++c) {
      const uint8_t k = kind(c);
      if (k == kCodePointWithoutValue || (k == kCodePoint && !claimed_[static_cast<size_t>(c)]))
        cells.push_back(c);
    }
    return cells;
  }

 private:
  // free: the held cell is free, so the pass would have placed a point on it;
  // open: a code point of code 180 the pass may have placed; taken: anything else.
  enum class probe { free, open, taken };

  uint8_t kind(int64_t c) const {
    return held_.inside(c) ? held_.at(c).kind : static_cast<uint8_t>(kNothing);
  }
  probe at(int64_t c) const {
    if (!held_.inside(c)) return probe::taken;
    const track_segment& s = held_.at(c);
    if (is_free(s)) return probe::free;
    if (s.kind == kCodePoint && s.value1 == kSlowdownTrackCode && !claimed_[static_cast<size_t>(c)])
      return probe::open;
    return probe::taken;
  }
  void claim(int64_t c) { claimed_[static_cast<size_t>(c)] = true; }
  void release(int64_t c) { claimed_[static_cast<size_t>(c)] = false; }

  // The first cell the pass could have placed on, claimed.
  std::optional<int64_t> place_first(std::initializer_list<int64_t> cells) {
    for (int64_t c : cells) {
      const probe p = at(c);
      if (p == probe::taken) continue;
      if (p == probe::open) claim(c);
      return c;
    }
    return std::nullopt;
  }

  void signals_behind_warning(int64_t warning) {
    const int64_t lowest = std::max<int64_t>(warning - kLookBack, kLowestSignal);
    for (int64_t d = warning - 1; d >= lowest; --d)
      if (kind(d) == kSignal) place_first({d - 1, d - 2});
  }

  void slowdown(int64_t start) {
    for (const auto& offsets : kApproachOffsets)
      if (start > offsets[2])
        place_first({start - offsets[0], start - offsets[1], start - offsets[2]});
    if (held_.at(start).value1 >= kSlowSpeed) return;
    const int64_t end = walk(start);
    const int64_t stop = std::min<int64_t>(end + kSignalSearch, last_);
    for (int64_t m = end; m <= stop; ++m) {
      if (kind(m) != kSignal) continue;
      place_first({m - 1, m - 2});
      return;
    }
  }

  int64_t walk(int64_t start) {
    std::vector<int64_t> claims;
    if (const std::optional<int64_t> end = search_walk(start, claims)) return *end;
    for (int64_t c : claims) release(c);
    return greedy_walk(start);
  }

  // A point due at cell k, and the next place the search tries for it: k,
  // k - 1, k + 1 (a code point there may be the pass's or the text's own
  // mark, which the pass passed over), then no point at all (failure 13: no
  // cell had room, and the walk places no more).
  struct due_point {
    int64_t k;
    int next = 0;
    size_t claims_before;
  };

  // A depth-first search of the walk's choices, kept on a stack of its own:
  // a walk through a long slowdown has thousands of points.
  std::optional<int64_t> search_walk(int64_t start, std::vector<int64_t>& claims) {
    std::vector<due_point> points;
    int64_t k = start, since = 0;
    for (;;) {
      // Walk on to the next point due, or to the end.
      bool ended = false;
      for (;;) {
        if (kind(k) == kSlowdownEnd || k >= last_) {
          ended = true;
          break;
        }
        ++k;
        if (++since == kWalkSpacing) break;
      }
      // A code point the walk passed that no abbattimento entry can have
      // placed (the range test keeps them off the last two cells) must be
      // one of the walk's own.
      if (ended && !leaves_unplaceable(start, k)) return k;
      if (!ended) points.push_back({k, 0, claims.size()});
      // The next choice of the latest point; back to earlier points while a
      // point has none left.
      for (;;) {
        if (points.empty() || ++spent_ > kWalkBudget) return std::nullopt;
        due_point& point = points.back();
        k = point.k;
        if (const std::optional<int64_t> next_since = next_choice(point, claims)) {
          since = *next_since;
          break;
        }
        points.pop_back();
      }
    }
  }

  bool leaves_unplaceable(int64_t from, int64_t to) const {
    // A later slowdown's walk may still take them.
    if (from < last_start_) return false;
    for (int64_t c = std::max(from, last_ - 1); c <= std::min(to + 1, last_); ++c)
      if (at(c) == probe::open) return true;
    return false;
  }

  // Takes the point's next choice, undoing the claims of the choices after
  // it: the walk counter it leaves, or nothing when none is left.
  std::optional<int64_t> next_choice(due_point& point, std::vector<int64_t>& claims) {
    while (claims.size() > point.claims_before) {
      release(claims.back());
      claims.pop_back();
    }
    const int64_t cells[] = {point.k, point.k - 1, point.k + 1};
    while (point.next < 3) {
      const int64_t c = cells[point.next++];
      const probe p = at(c);
      if (p == probe::free) {  // the pass placed its point here, or nowhere
        point.next = 4;
        return std::nullopt;
      }
      if (p == probe::open) {
        claims.push_back(c);
        claim(c);
        return point.k - c;
      }
    }
    if (point.next++ == 3) return kWalkSpacing;
    return std::nullopt;
  }

  int64_t greedy_walk(int64_t start) {
    int64_t since = 0, k = start;
    while (k < last_) {
      ++k;
      if (++since == kWalkSpacing) {
        const std::optional<int64_t> placed = place_first({k, k - 1, k + 1});
        since = placed ? k - *placed : kWalkSpacing;
      }
      if (kind(k) == kSlowdownEnd) break;
    }
    return k;
  }

  const held_scenario& held_;
  int64_t last_;
  std::vector<bool> claimed_;
  int64_t last_start_ = -1;  // the last slowdown start the pass visits
  int64_t spent_ = 0;
};

}  // namespace

std::vector<int64_t> abbattimento_cells(const held_scenario& held) {
  return pass_replay(held).abbattimento_cells();
}

}  // namespace scenario::tool::recovery
