// Places the plot's labels (station names, slowdown speeds, the line's end)
// near what they name without crossing the track or one another: a few
// candidate spots around the anchor, nearest first, and a leader line
// back to the anchor when the label had to move away from it.
#ifndef SCENARIO_TOOL_LABEL_PLACEMENT_H_
#define SCENARIO_TOOL_LABEL_PLACEMENT_H_

#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace scenario::tool {

struct point {
  double x = 0, y = 0;
};

struct box {
  double left = 0, top = 0, right = 0, bottom = 0;
  double width() const { return right - left; }
  double height() const { return bottom - top; }
  bool overlaps(const box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
  box grown(double by) const { return {left - by, top - by, right + by, bottom + by}; }
};

// The box a line of text takes, estimated from its size and its number of
// characters (UTF-8 counted by character): a little wider than a line of
// capitals and blanks of DejaVu Sans takes, from the height of a capital above the baseline to the
// descenders below it.
inline constexpr double kCharacterWidth = 0.65;  // of the font size
inline constexpr double kAscent = 0.8;
inline constexpr double kDescent = 0.25;
size_t character_count(std::string_view utf8);
double text_width(std::string_view utf8, double font_size);
box text_box(double x, double baseline, double width, double font_size);

// Whether the segment from a to b passes through the box.
bool crosses(point a, point b, const box& area);

// A placed label and, when it stands away from its anchor, the leader
// line's two ends.
struct placed_label {
  box where;
  std::optional<std::pair<point, point>> leader;
};

class label_layout {
 public:
  // Labels stay inside `bounds`.
  explicit label_layout(box bounds) : bounds_(bounds) {}

  // A polyline no label may come within `clearance` of.
  void add_line(const std::vector<point>& points, double clearance);
  // A box no label may cover (a mark drawn on the track).
  void add_obstacle(const box& b);

  // Finds the nearest free spot for a label of this size around `anchor`
  // and keeps it for the labels after it; nothing when none is free.
  std::optional<placed_label> place(point anchor, double width, double height);

 private:
  struct segment {
    point a, b;
    double clearance;
  };
  bool free(const box& b) const;
  bool leader_free(point from, point to) const;
  void index(const box& area, int item);
  template <typename F>
  bool any_near(const box& area, F&& hit) const;

  box bounds_;
  std::vector<segment> segments_;  // item i >= 0
  std::vector<box> boxes_;         // item -1 - i
  std::unordered_map<long long, std::vector<int>> grid_;
};

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_LABEL_PLACEMENT_H_
