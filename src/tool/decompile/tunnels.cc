// The tunnel entries behind the segment array's tunnel types and tunnel
// markers.  A later tunnel paints its type over an earlier one's, while a
// marker, once laid, stays (or hides under a point object); a tunnel that
// starts 150 m or less after the previous entry's end is stored as type 3.
// The entries are laid as a painter would: first the tunnels that only lay
// markers no tunnel of the final picture explains, or that reach the last
// cells (no entry may start there), then one entry per run of cells of one
// type, left to right.
#include <algorithm>
#include <string>

#include "line/tunnels_and_boards.h"
#include "model/positions.h"
#include "model/rounding.h"
#include "tool/decompile/recovery.h"

namespace scenario::tool::recovery {
namespace {

constexpr int64_t kJoinDistance = 150;
constexpr int64_t kJoinedType = 3;
constexpr int64_t kMarkedTypeOffset = 10;

// A run of cells one entry paints.
struct paint {
  int64_t first = 0, last = 0;
  int64_t type = 0;          // the stored type it must leave
  bool marked = false;       // a marker on every fourth cell
  bool type_matters = true;  // false when later entries paint every cell again
  std::string note;
};

bool is_marker(const track_segment& s) { return s.kind == kTunnelMarker; }
// A cell whose marker, if one was laid, a point object has taken since.
bool covered(const track_segment& s) { return s.kind != kNothing && s.kind != kTunnelMarker; }

// The type an entry writes so that `stored` is kept: types above 10 mean
// "marked", and only the low 8 bits are stored.
int64_t written_type(int64_t stored, bool marked) {
  if (marked) return stored + kMarkedTypeOffset + (stored == 0 ? 256 : 0);
  return stored <= kMarkedTypeOffset ? stored : stored - 256;
}

class tunnel_recovery {
 public:
  explicit tunnel_recovery(held_scenario& held) : held_(held), last_(held.last) {}

  std::vector<tunnel_entry> recover() {
    find_runs();
    std::vector<paint> first_laid = marker_chains();
    add_tail_paints(first_laid);
    std::vector<paint> later = runs_;
    add_fillers(first_laid, later);
    std::sort(later.begin(), later.end(),
              [](const paint& a, const paint& b) { return a.first < b.first; });
    for (const paint& p : first_laid) emit(p);
    for (const paint& p : later) emit(p);
    if (static_cast<int64_t>(entries_.size()) > kMaxTunnels)
      held_.notes.push_back("the tunnels need " + std::to_string(entries_.size()) +
                            " entries, more than the " + std::to_string(kMaxTunnels) +
                            " a line description may hold");
    return std::move(entries_);
  }

 private:
  uint8_t type_at(int64_t c) const { return held_.at(c).tunnel_type; }

  // Runs of one non-zero type; a run is marked when its fourth cells all
  // hold a marker (or an object laid over one), and at least one does.
  void find_runs() {
    std::vector<bool> explained(static_cast<size_t>(last_ + 1), false);
    for (int64_t c = 0; c <= last_;) {
      int64_t e = c;
      while (e + 1 <= last_ && type_at(e + 1) == type_at(c)) ++e;
      if (type_at(c) != 0) {
        paint run{c, e, type_at(c), false, true, {}};
        bool any = false, all = true;
        for (int64_t m = c + 3; m <= e; m += 4) {
          any = any || is_marker(held_.at(m));
          all = all && (is_marker(held_.at(m)) || covered(held_.at(m)));
        }
        run.marked = any && all;
        if (run.marked)
          for (int64_t m = c + 3; m <= e; m += 4) explained[static_cast<size_t>(m)] = true;
        runs_.push_back(run);
      }
      c = e + 1;
    }
    for (int64_t c = 0; c <= last_; ++c)
      if (is_marker(held_.at(c)) && !explained[static_cast<size_t>(c)]) orphans_.push_back(c);
  }

  // Markers no run explains come from tunnels whose types later entries
  // painted over: one marked entry for every chain of them four cells apart.
  std::vector<paint> marker_chains() {
    std::vector<paint> chains;
    for (size_t i = 0; i < orphans_.size();) {
      size_t j = i;
      while (j + 1 < orphans_.size() && orphans_[j + 1] == orphans_[j] + 4) ++j;
      const int64_t first = orphans_[i] - 3;
      if (first < 0) {
        held_.notes.push_back(segment_text(orphans_[i], kTunnelMarker) +
                              ": no tunnel lays a marker this close to the start of the line");
      } else {
        chains.push_back({first, orphans_[j], 1, true, false,
                          "lays tunnel markers; the entries below paint its cells again"});
      }
      i = j + 1;
    }
    return chains;
  }

  // No entry may start on the last two cells (the range test): a cell there
  // that no run from further back paints gets an entry of its own from the
  // last cell an entry may start on, the furthest first, each painting over
  // the one before; the runs further back then paint their own cells again.
  void add_tail_paints(std::vector<paint>& first_laid) {
    const int64_t last_start = last_ - 2;
    if (last_start < 0) return;
    std::erase_if(runs_, [last_start](const paint& r) { return r.first > last_start; });
    std::vector<bool> painted = painted_by(first_laid);
    for (int64_t x = last_; x > last_start; --x) {
      const bool settled = std::any_of(runs_.begin(), runs_.end(),
                                       [x](const paint& r) { return r.first <= x && x <= r.last; });
      if (settled || (type_at(x) == 0 && !painted[static_cast<size_t>(x)])) continue;
      first_laid.push_back({last_start, x, type_at(x), false, true,
                            type_at(x) == 0 ? "clears the tunnel type an entry above laid" : ""});
      for (int64_t c = last_start; c <= x; ++c) painted[static_cast<size_t>(c)] = true;
    }
  }

  std::vector<bool> painted_by(const std::vector<paint>& paints) const {
    std::vector<bool> painted(static_cast<size_t>(last_ + 1), false);
    for (const paint& p : paints)
      for (int64_t c = std::max<int64_t>(p.first, 0); c <= std::min(p.last, last_); ++c)
        painted[static_cast<size_t>(c)] = true;
    return painted;
  }

  // Cells the first entries painted that end without a tunnel type are
  // painted again with type 0 (those past the last start already are).
  void add_fillers(const std::vector<paint>& first_laid, std::vector<paint>& later) const {
    const std::vector<bool> painted = painted_by(first_laid);
    const int64_t last_start = last_ - 2;
    for (int64_t c = 0; c <= last_start; ++c) {
      if (!painted[static_cast<size_t>(c)] || type_at(c) != 0) continue;
      int64_t e = c;
      while (e + 1 <= last_start && painted[static_cast<size_t>(e + 1)] && type_at(e + 1) == 0) ++e;
      later.push_back({c, e, 0, false, true, "clears the tunnel type an entry above laid"});
      c = e;
    }
  }

  // Starts and ends as far apart as the rounding of their cells allows.
  static int64_t latest_start(int64_t first) {
    return kSegmentMetres * first + (first % 2 == 0 ? 25 : 24);
  }
  static int64_t earliest_end(int64_t last) {
    return kSegmentMetres * last + (last % 2 == 0 ? 25 : 26);
  }

  void emit(const paint& p) {
    tunnel_entry e{segment_position(p.first, 0), segment_position(p.last, -1),
                   written_type(p.type, p.marked), p.note};
    const bool must_not_join = p.type_matters && p.type != kJoinedType;
    if (must_not_join && !entries_.empty() && e.start - entries_.back().end <= kJoinDistance) {
      const int64_t start = latest_start(p.first);
      const int64_t before_last = last_cells_.back();
      const int64_t end = before_last >= 0 ? earliest_end(before_last) : entries_.back().end;
      if (start - end > kJoinDistance && start <= kSegmentMetres * last_ - 100) {
        e.start = start;
        entries_.back().end = end;
      } else {
        entries_.push_back(
            {0, -1000, 0, "no tunnel: keeps the next one from being joined to the one before"});
        last_cells_.push_back(-1);
      }
    }
    entries_.push_back(std::move(e));
    last_cells_.push_back(p.last);
  }

  held_scenario& held_;
  int64_t last_;
  std::vector<paint> runs_;
  std::vector<int64_t> orphans_;
  std::vector<tunnel_entry> entries_;
  std::vector<int64_t> last_cells_;  // each entry's last cell, -1 for none
};

}  // namespace

std::vector<tunnel_entry> recover_tunnels(held_scenario& held) {
  return tunnel_recovery(held).recover();
}

}  // namespace scenario::tool::recovery
