#include "tool/picture/label_placement.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace scenario::tool {
namespace {

constexpr double kGridCell = 32;
constexpr double kLabelGap = 2;     // between two labels, and a label and a mark
constexpr double kLeaderFrom = 10;  // a label nearer its anchor than this needs no leader
constexpr double kLeaderSkip = 7;   // the leader's first pixels lie over the anchor's own mark
constexpr double kLeaderClearance = 1;

// The grid cells a box touches; far-off coordinates share the outermost
// cells, so a crafted picture cannot make the grid huge.
std::pair<long long, long long> cell_range(double from, double to) {
  auto at = [](double v) {
    return static_cast<long long>(std::floor(std::clamp(v, -1e5, 1e5) / kGridCell));
  };
  return {at(from), at(to)};
}

long long key(long long i, long long j) { return i * 100003 + j; }

point nearest_on(const box& b, point p) {
  return {std::clamp(p.x, b.left, b.right), std::clamp(p.y, b.top, b.bottom)};
}

double distance(point a, point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The spots tried around an anchor at one distance r, nearest sides
// first: above and below (starting at the anchor, centred on it, ending
// at it), right and left (centred, or just above or below the anchor's
// height), then the four corners.
std::array<box, 16> candidates(point p, double r, double w, double h) {
  const double d = r * 0.7;
  auto at = [&](double left, double top) { return box{left, top, left + w, top + h}; };
  return {at(p.x - 4, p.y - r - h),
          at(p.x - w / 2, p.y - r - h),
          at(p.x + 4 - w, p.y - r - h),
          at(p.x - 4, p.y + r),
          at(p.x - w / 2, p.y + r),
          at(p.x + 4 - w, p.y + r),
          at(p.x + r, p.y - h / 2),
          at(p.x - r - w, p.y - h / 2),
          at(p.x + r, p.y - h),
          at(p.x - r - w, p.y - h),
          at(p.x + r, p.y),
          at(p.x - r - w, p.y),
          at(p.x + d, p.y - d - h),
          at(p.x - d - w, p.y - d - h),
          at(p.x + d, p.y + d),
          at(p.x - d - w, p.y + d)};
}

}  // namespace

size_t character_count(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

double text_width(std::string_view utf8, double font_size) {
  return kCharacterWidth * font_size * static_cast<double>(character_count(utf8));
}

box text_box(double x, double baseline, double width, double font_size) {
  return {x, baseline - kAscent * font_size, x + width, baseline + kDescent * font_size};
}

bool crosses(point a, point b, const box& area) {
  // Clip the segment's parameter range against the box's two slabs.
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const std::array<std::pair<double, double>, 4> sides = {{{-dx, a.x - area.left},
                                                           {dx, area.right - a.x},
                                                           {-dy, a.y - area.top},
                                                           {dy, area.bottom - a.y}}};
  for (const auto& [p, q] : sides) {
    if (p == 0) {
      if (q < 0) return false;
      continue;
    }
    const double t = q / p;
    if (p < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  return true;
}

void label_layout::index(const box& area, int item) {
  const auto [i0, i1] = cell_range(area.left, area.right);
  const auto [j0, j1] = cell_range(area.top, area.bottom);
  for (long long i = i0; i <= i1; ++i)
    for (long long j = j0; j <= j1; ++j) grid_[key(i, j)].push_back(item);
}

template <typename F>
bool label_layout::any_near(const box& area, F&& hit) const {
  const auto [i0, i1] = cell_range(area.left, area.right);
  const auto [j0, j1] = cell_range(area.top, area.bottom);
  for (long long i = i0; i <= i1; ++i)
    for (long long j = j0; j <= j1; ++j)
      if (auto it = grid_.find(key(i, j)); it != grid_.end())
        for (int item : it->second)
          if (hit(item)) return true;
  return false;
}

void label_layout::add_line(const std::vector<point>& points, double clearance) {
  for (size_t n = 1; n < points.size(); ++n) {
    const point a = points[n - 1], b = points[n];
    segments_.push_back({a, b, clearance});
    const box reach =
        box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}.grown(
            clearance);
    index(reach, static_cast<int>(segments_.size()) - 1);
  }
}

void label_layout::add_obstacle(const box& b) {
  boxes_.push_back(b);
  index(b, -static_cast<int>(boxes_.size()));
}

bool label_layout::free(const box& b) const {
  if (b.left < bounds_.left || b.right > bounds_.right || b.top < bounds_.top ||
      b.bottom > bounds_.bottom)
    return false;
  const box reach = b.grown(kLabelGap + 8);
  return !any_near(reach, [&](int item) {
    if (item < 0) return boxes_[static_cast<size_t>(-item - 1)].overlaps(b.grown(kLabelGap));
    const segment& s = segments_[static_cast<size_t>(item)];
    return crosses(s.a, s.b, b.grown(s.clearance));
  });
}

bool label_layout::leader_free(point from, point to) const {
  const double length = distance(from, to);
  if (length <= kLeaderSkip) return true;
  const point start = {from.x + (to.x - from.x) * kLeaderSkip / length,
                       from.y + (to.y - from.y) * kLeaderSkip / length};
  const box reach = box{std::min(start.x, to.x), std::min(start.y, to.y), std::max(start.x, to.x),
                        std::max(start.y, to.y)};
  return !any_near(reach, [&](int item) {
    if (item < 0) return crosses(start, to, boxes_[static_cast<size_t>(-item - 1)]);
    const segment& s = segments_[static_cast<size_t>(item)];
    // Two segments cross when each one's ends lie on both sides of the other.
    auto side = [](point p, point q, point r) {
      return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
    };
    return side(s.a, s.b, start) * side(s.a, s.b, to) <= 0 &&
           side(start, to, s.a) * side(start, to, s.b) <= 0;
  });
}

std::optional<placed_label> label_layout::place(point anchor, double width, double height) {
  for (double r : {4.0, 8.0, 12.0, 17.0, 23.0, 30.0, 38.0, 48.0, 60.0, 75.0, 92.0, 112.0, 136.0,
                   165.0, 200.0}) {
    for (const box& b : candidates(anchor, r, width, height)) {
      if (!free(b)) continue;
      placed_label label{b, std::nullopt};
      const point end = nearest_on(b, anchor);
      if (distance(anchor, end) > kLeaderFrom) {
        if (!leader_free(anchor, end)) continue;
        label.leader = std::pair{anchor, end};
        add_line({anchor, end}, kLeaderClearance);
      }
      add_obstacle(b);
      return label;
    }
  }
  return std::nullopt;
}

}  // namespace scenario::tool
