#include "tool/picture/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <set>
#include <sstream>

#include "model/fields.h"
#include "model/positions.h"
#include "model/rounding.h"
#include "system/terminal_text.h"
#include "tool/picture/label_placement.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool {
namespace {

constexpr double kWidth = 1200;
constexpr double kLeft = 90;
constexpr double kRight = 30;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kPlanMaxHeight = 460;
constexpr double kLabelRoom = 80;       // above the plan, for the station names
constexpr double kLabelRoomBelow = 30;  // and under it
constexpr double kPanelHeight = 110;
constexpr double kPanelGap = 14;
constexpr double kStationBand = 24;  // station numbers and signals above the profiles
constexpr double kTunnelBand = 18;
constexpr double kBannerHeight = 56;
constexpr int kMaxPlanPoints = 2500;
constexpr size_t kManyLabels = 300;

const char* const kLineColour = "#1f3b73";
const char* const kStationColour = "#111111";
const char* const kSignalColour = "#1f8a3a";
const char* const kTunnelColour = "#8a5a00";
const char* const kSlowdownColour = "#d62728";
const char* const kSignBoardColour = "#7b3fa0";
const char* const kLeaderColour = "#888888";

// Coordinates and lengths in the picture; the few that could be huge (a
// scale bar over a crafted route plan) take the exponent form.
std::string fmt(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, std::abs(v) < 1e15 ? "%.1f" : "%g", v);
  return buffer;
}

std::string text_element(double x, double y, std::string_view content, std::string_view attrs) {
  return "<text x=\"" + fmt(x) + "\" y=\"" + fmt(y) + "\" " + std::string(attrs) + ">" +
         xml_escape(content) + "</text>\n";
}

// Round tick steps (1, 2, 5 times a power of ten) giving about `wanted` ticks.
double tick_step(double span, int wanted) {
  if (!(span > 0)) return 1;
  const double raw = span / wanted;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) return std::isfinite(m * power) ? m * power : raw;
  return 10 * power;
}

// The route plan as it is drawn: a metre is drawn when both its cells hold
// a finite number.  Any other metre of the line lies where the last drawn
// metre before it does, known for every metre in one pass.
class drawn_plan {
 public:
  explicit drawn_plan(const route_plan& plan) : plan_(plan) {
    int32_t last = -1;
    last_drawn_.reserve(static_cast<size_t>(std::max(plan.last() + 1, 0)));
    for (int32_t m = 0; m <= plan.last(); ++m) {
      if (is_drawable(plan, m)) last = m;
      last_drawn_.push_back(last);
    }
  }

  static bool is_drawable(const route_plan& plan, int32_t m) {
    return plan.tag(m, 0) != cell_tag::empty && plan.tag(m, 1) != cell_tag::empty &&
           std::isfinite(plan.value(m, 0)) && std::isfinite(plan.value(m, 1));
  }

  int32_t last() const { return plan_.last(); }
  bool drawn(int32_t m) const { return last_drawn_[static_cast<size_t>(m)] == m; }

  std::optional<std::pair<double, double>> at(int64_t metre) const {
    if (plan_.last() < 0) return std::nullopt;
    const int32_t m = last_drawn_[static_cast<size_t>(std::clamp<int64_t>(metre, 0, plan_.last()))];
    if (m < 0) return std::nullopt;
    return std::pair{plan_.value(m, 0), plan_.value(m, 1)};
  }

 private:
  const route_plan& plan_;
  std::vector<int32_t> last_drawn_;
};

// Maps the plan's coordinates to the picture: to scale, a quarter turn
// when the line runs more north-south than east-west so that it fills the
// width (a rotation keeps left and right curves as they are).  It works on
// half coordinates, whose differences cannot overflow, whatever a file holds.
struct plan_view {
  bool rotated = false;
  double scale = 1;  // pixels per half metre
  double min_u = 0, min_v = 0;
  double top = 0, height = 0;

  std::pair<double, double> uv(double x, double y) const {
    return rotated ? std::pair{y / 2, x / 2} : std::pair{x / 2, -y / 2};
  }
  std::pair<double, double> at(double x, double y) const {
    const auto [u, v] = uv(x, y);
    return {kLeft + (u - min_u) * scale, top + (v - min_v) * scale};
  }
  double pixels_per_metre() const { return scale / 2; }
};

plan_view fit_plan(const drawn_plan& plan, double top) {
  double min_x = std::numeric_limits<double>::max(), max_x = -min_x;
  double min_y = min_x, max_y = -min_x;
  for (int32_t m = 0; m <= plan.last(); ++m) {
    if (!plan.drawn(m)) continue;
    const auto [x, y] = *plan.at(m);
    min_x = std::min(min_x, x), max_x = std::max(max_x, x);
    min_y = std::min(min_y, y), max_y = std::max(max_y, y);
  }
  plan_view view;
  if (min_x > max_x) return view;
  view.rotated = (max_y / 2 - min_y / 2) > (max_x / 2 - min_x / 2);
  const auto [u0, v0] = view.uv(min_x, min_y);
  const auto [u1, v1] = view.uv(max_x, max_y);
  view.min_u = std::min(u0, u1), view.min_v = std::min(v0, v1);
  const double w = std::max(std::abs(u1 - u0), 0.5), h = std::max(std::abs(v1 - v0), 0.5);
  view.scale = std::min(kPlotWidth / w, kPlanMaxHeight / h);
  view.top = top;
  view.height = h * view.scale;
  return view;
}

// The points of the plan from metre a to metre b, at most kMaxPlanPoints.
std::vector<point> plan_points(const drawn_plan& plan, const plan_view& view, int64_t a,
                               int64_t b) {
  a = std::max<int64_t>(a, 0), b = std::min<int64_t>(b, plan.last());
  const int64_t step = std::max<int64_t>(1, (b - a) / kMaxPlanPoints);
  std::vector<point> points;
  for (int64_t m = a; m <= b; m += (m + step > b && m != b) ? (b - m) : step) {
    if (auto p = plan.at(m)) {
      const auto [sx, sy] = view.at(p->first, p->second);
      points.push_back({sx, sy});
    }
    if (m == b) break;
  }
  return points;
}

std::string points_attribute(const std::vector<point>& points) {
  std::string s;
  for (const point& p : points) s += fmt(p.x) + "," + fmt(p.y) + " ";
  return s;
}

// A polyline of the plan from metre a to metre b.
std::string plan_path(const drawn_plan& plan, const plan_view& view, int64_t a, int64_t b) {
  return points_attribute(plan_points(plan, view, a, b));
}

// Runs of cells whose tunnel type is not 0, as metre spans.
std::vector<std::pair<int32_t, int32_t>> tunnel_spans(const std::vector<track_segment>& cells) {
  std::vector<std::pair<int32_t, int32_t>> spans;
  // A tunnel from s to f covers cells s / 50 to f / 50 - 1.
  for (const auto& [first, last] : tunnel_cells(cells)) {
    const metre_span span = segment_span(static_cast<int64_t>(first), static_cast<int64_t>(last));
    spans.emplace_back(static_cast<int32_t>(span.from), static_cast<int32_t>(span.to));
  }
  return spans;
}

std::string legend(double y) {
  std::string s;
  double x = kLeft;
  auto item = [&](const std::string& mark, std::string_view label) {
    s += mark;
    s += text_element(x + 26, y + 4, label, "font-size=\"13\"");
    x += 44 + 7.5 * static_cast<double>(label.size());
  };
  item("<line x1=\"" + fmt(x) + "\" y1=\"" + fmt(y) + "\" x2=\"" + fmt(x + 20) + "\" y2=\"" +
           fmt(y) + "\" stroke=\"" + kLineColour + "\" stroke-width=\"2\"/>\n",
       "track axis");
  item("<circle cx=\"" + fmt(x + 10) + "\" cy=\"" + fmt(y) +
           "\" r=\"4.5\" fill=\"white\" stroke=\"" + kStationColour + "\" stroke-width=\"2\"/>\n",
       "station");
  item("<rect x=\"" + fmt(x + 7) + "\" y=\"" + fmt(y - 3) + "\" width=\"6\" height=\"6\" fill=\"" +
           kSignalColour + "\"/>\n",
       "signal");
  item("<line x1=\"" + fmt(x) + "\" y1=\"" + fmt(y) + "\" x2=\"" + fmt(x + 20) + "\" y2=\"" +
           fmt(y) + "\" stroke=\"" + kTunnelColour + "\" stroke-width=\"7\" opacity=\"0.8\"/>\n",
       "tunnel");
  item("<rect x=\"" + fmt(x) + "\" y=\"" + fmt(y - 6) + "\" width=\"20\" height=\"12\" fill=\"" +
           kSlowdownColour + "\" opacity=\"0.35\" stroke=\"" + kSlowdownColour + "\"/>\n",
       "slowdown (rallentamento)");
  item("<polygon points=\"" + fmt(x + 5) + "," + fmt(y - 5) + " " + fmt(x + 15) + "," + fmt(y - 5) +
           " " + fmt(x + 10) + "," + fmt(y + 4) + "\" fill=\"" + kSlowdownColour + "\"/>\n",
       "warning point");
  item("<rect x=\"" + fmt(x + 9) + "\" y=\"" + fmt(y - 5) +
           "\" width=\"2\" height=\"10\" fill=\"#333\"/>\n",
       "speed board");
  item("<path d=\"M" + fmt(x + 10) + "," + fmt(y - 5) + " L" + fmt(x + 14.5) + "," + fmt(y + 3.5) +
           " L" + fmt(x + 5.5) + "," + fmt(y + 3.5) + " Z\" fill=\"" + kSignBoardColour + "\"/>\n",
       "sign board");
  return s;
}

double scale_bar_metres(double pixels_per_metre) {
  // About a sixth of the width, rounded to 1, 2 or 5 of a power of ten.
  return tick_step(kPlotWidth / 6 / pixels_per_metre, 1);
}

// A sign board's mark: a triangle like the page's, its text on hover.
std::string sign_board_mark(const plot_input& in, size_t cell, double x, double y) {
  const int slot = in.segments[cell].value1;
  const std::string text = slot >= 0 && slot < kGeneralSlots
                               ? cp1252_to_utf8(in.table[static_cast<size_t>(slot)].text)
                               : std::string();
  return "<path class=\"sign-board\" d=\"M" + fmt(x) + "," + fmt(y - 5) + " L" + fmt(x + 4.5) +
         "," + fmt(y + 3.5) + " L" + fmt(x - 4.5) + "," + fmt(y + 3.5) + " Z\" fill=\"" +
         kSignBoardColour + "\"><title>" +
         xml_escape("sign board at " + std::to_string(plotted_position(in.segments, cell)) +
                    " m: " + text) +
         "</title></path>\n";
}

// The marks standing on the track: signals, sign boards, stations and the
// line's end. Each is an obstacle for the labels placed after them.
std::string plan_marks(const plot_input& in, const drawn_plan& plan, const plan_view& view,
                       const std::vector<plotted_station>& stations, int32_t line_end,
                       label_layout& layout) {
  std::string s;
  for (size_t i = 0; i < in.segments.size(); ++i) {
    const uint8_t kind = in.segments[i].kind;
    if (kind != kSignal && kind != kSignBoard) continue;
    if (auto p = plan.at(plotted_position(in.segments, i))) {
      const auto [x, y] = view.at(p->first, p->second);
      if (kind == kSignal)
        s += "<rect x=\"" + fmt(x - 3) + "\" y=\"" + fmt(y - 3) +
             "\" width=\"6\" height=\"6\" fill=\"" + kSignalColour + "\"/>\n";
      else
        s += sign_board_mark(in, i, x, y);
      layout.add_obstacle({x - 5, y - 5, x + 5, y + 5});
    }
  }
  for (const plotted_station& st : stations) {
    auto p = plan.at(st.position);
    if (!p) continue;
    const auto [x, y] = view.at(p->first, p->second);
    s += "<circle cx=\"" + fmt(x) + "\" cy=\"" + fmt(y) + "\" r=\"4.5\" fill=\"white\" stroke=\"" +
         kStationColour + "\" stroke-width=\"2\"/>\n";
    layout.add_obstacle({x - 6, y - 6, x + 6, y + 6});
  }
  if (auto p = plan.at(line_end); p && line_end < plan.last()) {
    const auto [x, y] = view.at(p->first, p->second);
    s += "<circle cx=\"" + fmt(x) + "\" cy=\"" + fmt(y) + "\" r=\"3.5\" fill=\"black\"/>\n";
    layout.add_obstacle({x - 4, y - 4, x + 4, y + 4});
  }
  return s;
}

// A label to place on the plan: what it says (SVG content) and where it
// belongs.
struct label_request {
  point anchor;
  double width = 0;
  double font_size = 0;
  std::string attrs;
  std::string content;
};

// One label placed by the layout: its text starting at the box's left
// edge, and its leader line when it stands away from its anchor.
std::string label_svg(const label_request& r, const placed_label& label) {
  std::string s;
  if (label.leader)
    s += "<line class=\"leader\" x1=\"" + fmt(label.leader->first.x) + "\" y1=\"" +
         fmt(label.leader->first.y) + "\" x2=\"" + fmt(label.leader->second.x) + "\" y2=\"" +
         fmt(label.leader->second.y) + "\" stroke=\"" + kLeaderColour +
         "\" stroke-width=\"0.8\"/>\n";
  return s + "<text x=\"" + fmt(label.where.left) + "\" y=\"" +
         fmt(label.where.top + kAscent * r.font_size) + "\" font-size=\"" + fmt(r.font_size) +
         "\"" + (r.attrs.empty() ? "" : " " + r.attrs) + ">" + r.content + "</text>\n";
}

// Places the labels one after the other in `order`; a label placed early
// takes the spots nearest its anchor, so the order decides who moves.
std::vector<std::optional<placed_label>> place_in_order(label_layout layout,
                                                        const std::vector<label_request>& labels,
                                                        const std::vector<size_t>& order) {
  std::vector<std::optional<placed_label>> placed(labels.size());
  for (size_t n : order)
    placed[n] =
        layout.place(labels[n].anchor, labels[n].width, (kAscent + kDescent) * labels[n].font_size);
  return placed;
}

// Places the labels in their own order and then backwards; when some find
// no room, tries again with those first, and keeps the try that left out
// the fewest. A picture with very many labels gets the first try only.
std::vector<std::optional<placed_label>> place_labels(const label_layout& layout,
                                                      const std::vector<label_request>& labels) {
  auto left_out = [](const std::vector<std::optional<placed_label>>& p) {
    return std::count(p.begin(), p.end(), std::nullopt);
  };
  std::vector<std::optional<placed_label>> best;
  for (bool backwards : {false, true}) {
    std::vector<size_t> order(labels.size());
    for (size_t n = 0; n < order.size(); ++n) order[n] = backwards ? order.size() - 1 - n : n;
    for (int attempt = 0; attempt < 3; ++attempt) {
      std::vector<std::optional<placed_label>> placed = place_in_order(layout, labels, order);
      const bool better = best.empty() || left_out(placed) < left_out(best);
      if (better) best = placed;
      if (left_out(best) == 0 || labels.size() > kManyLabels) return best;
      std::stable_partition(order.begin(), order.end(), [&](size_t n) { return !placed[n]; });
    }
  }
  return best;
}

// Labels of the stations (by number and name; the profiles below show the
// numbers), of the slowdowns (their speed beside their middle; the speed
// profile shows it too) and of the line's end. A station whose name finds
// no room goes to `unnamed`, to be listed under the plan.
std::string plan_labels(const plot_input& in, const drawn_plan& plan, const plan_view& view,
                        const std::vector<plotted_station>& stations, int32_t line_end,
                        const label_layout& layout, std::vector<size_t>& unnamed) {
  auto anchor = [&](int64_t metre) -> std::optional<point> {
    auto p = plan.at(metre);
    if (!p) return std::nullopt;
    const auto [x, y] = view.at(p->first, p->second);
    return point{x, y};
  };
  constexpr double kNameGap = 4;  // the dx between a station's number and its name
  std::vector<label_request> labels;
  std::vector<size_t> station_of;  // the station of each of the first labels
  for (size_t n = 0; n < stations.size(); ++n) {
    const std::optional<point> at = anchor(stations[n].position);
    if (!at) continue;
    const std::string number = std::to_string(n + 1);
    labels.push_back({*at, text_width(number, 12) + kNameGap + text_width(stations[n].name, 12), 12,
                      "",
                      "<tspan font-weight=\"bold\">" + number + "</tspan><tspan dx=\"" +
                          fmt(kNameGap) + "\">" + xml_escape(stations[n].name) + "</tspan>"});
    station_of.push_back(n);
  }
  // Past a few hundred, slowdowns are left to the speed profile to label:
  // a crafted file may hold thousands.
  std::vector<plotted_slowdown> slowdowns = slowdowns_of(in.segments);
  slowdowns.resize(std::min(slowdowns.size(), kManyLabels));
  for (const plotted_slowdown& sd : slowdowns) {
    const std::string speed = std::to_string(sd.speed) + " km/h";
    if (auto at = anchor((int64_t{sd.from} + sd.to) / 2))
      labels.push_back({*at, text_width(speed, 11), 11,
                        "font-weight=\"bold\" fill=\"" + std::string(kSlowdownColour) + "\"",
                        speed});
  }
  if (auto at = anchor(line_end); at && line_end < plan.last())
    labels.push_back({*at, text_width("end of line", 11), 11, "", "end of line"});

  const std::vector<std::optional<placed_label>> placed = place_labels(layout, labels);
  std::string s;
  for (size_t n = 0; n < labels.size(); ++n) {
    if (placed[n])
      s += label_svg(labels[n], *placed[n]);
    else if (n < station_of.size())
      unnamed.push_back(station_of[n]);
  }
  return s;
}

std::string draw_plan(const plot_input& in, const drawn_plan& plan, const plan_view& view,
                      const std::vector<plotted_station>& stations, int32_t line_end,
                      std::vector<size_t>& unnamed) {
  // Labels stay between the legend and the scale bar.
  label_layout layout(
      {4, view.top - kLabelRoom + 6, kWidth - 4, view.top + view.height + kLabelRoomBelow});
  std::string s = "<g id=\"route-plan\">\n";
  const std::vector<point> track = plan_points(plan, view, 0, line_end);
  s += "<polyline fill=\"none\" stroke=\"" + std::string(kLineColour) +
       "\" stroke-width=\"2\" stroke-linejoin=\"round\" points=\"" + points_attribute(track) +
       "\"/>\n";
  // Tunnels and slowdowns are drawn wide over the track: labels keep clear.
  layout.add_line(track, 6);
  // The plan runs on past the end of the line; that part is drawn faint.
  if (line_end < plan.last()) {
    const std::vector<point> run_out = plan_points(plan, view, line_end, plan.last());
    s += "<polyline fill=\"none\" stroke=\"" + std::string(kLineColour) +
         "\" stroke-width=\"1.2\" stroke-dasharray=\"6,4\" opacity=\"0.5\" points=\"" +
         points_attribute(run_out) + "\"/>\n";
    layout.add_line(run_out, 3);
  }
  for (const auto& [from, to] : tunnel_spans(in.segments))
    s += "<polyline fill=\"none\" stroke=\"" + std::string(kTunnelColour) +
         "\" stroke-width=\"7\" opacity=\"0.8\" points=\"" + plan_path(plan, view, from, to) +
         "\"/>\n";
  for (const plotted_slowdown& sd : slowdowns_of(in.segments))
    s += "<polyline fill=\"none\" stroke=\"" + std::string(kSlowdownColour) +
         "\" stroke-width=\"9\" opacity=\"0.45\" points=\"" +
         plan_path(plan, view, sd.from, std::max(sd.to, sd.from + 1)) + "\"><title>slowdown " +
         std::to_string(sd.from) + " to " + std::to_string(sd.to) +
         " m: " + std::to_string(sd.speed) + " km/h</title></polyline>\n";
  s += plan_marks(in, plan, view, stations, line_end, layout);
  s += plan_labels(in, plan, view, stations, line_end, layout, unnamed);
  // Scale bar and a word on the orientation.
  const double metres = scale_bar_metres(view.pixels_per_metre());
  const double bar_y = view.top + view.height + kLabelRoomBelow + 20;
  s += "<line x1=\"" + fmt(kLeft) + "\" y1=\"" + fmt(bar_y) + "\" x2=\"" +
       fmt(kLeft + metres * view.pixels_per_metre()) + "\" y2=\"" + fmt(bar_y) +
       "\" stroke=\"black\" stroke-width=\"3\"/>\n";
  s += text_element(kLeft + metres * view.pixels_per_metre() + 8, bar_y + 4,
                    (metres >= 1000 ? fmt(metres / 1000) + " km" : fmt(metres) + " m") +
                        (view.rotated ? "   (route plan to scale, turned a quarter turn: "
                                        "the line starts on the left)"
                                      : "   (route plan to scale)"),
                    "font-size=\"12\"");
  return s + "</g>\n";
}

std::string rect(double x, double y, double w, double h, std::string_view attrs) {
  return "<rect x=\"" + fmt(x) + "\" y=\"" + fmt(y) + "\" width=\"" + fmt(w) + "\" height=\"" +
         fmt(h) + "\" " + std::string(attrs) + "/>\n";
}

std::string vline(double x, double y1, double y2, std::string_view attrs) {
  return "<line x1=\"" + fmt(x) + "\" y1=\"" + fmt(y1) + "\" x2=\"" + fmt(x) + "\" y2=\"" +
         fmt(y2) + "\" " + std::string(attrs) + "/>\n";
}

// One profile along the line: a step line of one value per cell.
struct profile {
  std::string title;
  std::function<double(const track_segment&)> value;
  const char* colour;
  bool speeds = false;  // the speed profile, which carries the slowdowns and boards
};

// What the profiles share: the span of line they show and its scale.
struct profile_frame {
  const plot_input* in;
  size_t cells;      // the cells drawn: within the axis, less the last three the readers leave
  double metres;     // the length the width stands for
  int32_t line_end;  // the route length
  std::vector<plotted_station> stations;
  std::vector<plotted_slowdown> slowdowns;
  double x(double m) const { return kLeft + std::min(m, metres) / metres * kPlotWidth; }
};

// The axis ends where the line ends; it runs on into the run-out only as far
// as something placed there, so that such an entry is not hidden.
double axis_metres(const std::vector<track_segment>& cells, int32_t line_end) {
  int64_t last = 0;
  for (size_t i = 0; i < cells.size(); ++i)
    if (cells[i].kind != kNothing || cells[i].tunnel_type != 0) last = static_cast<int64_t>(i);
  const int64_t placed = segment_position(last + 1, 0);
  const int64_t all = static_cast<int64_t>(cells.size()) * kSegmentMetres;
  return static_cast<double>(
      std::max<int64_t>(1, placed > line_end ? std::min(placed + 500, all) : line_end));
}

std::string y_axis(const profile& p, double top, double lo, double hi, double step,
                   const std::function<double(double)>& sy) {
  std::string s;
  for (double v = lo; v <= hi + step / 2; v += step) {
    s += "<line x1=\"" + fmt(kLeft) + "\" y1=\"" + fmt(sy(v)) + "\" x2=\"" +
         fmt(kLeft + kPlotWidth) + "\" y2=\"" + fmt(sy(v)) + "\" stroke=\"#e0e0e0\"/>\n";
    char label[32];
    std::snprintf(label, sizeof label, "%g", v);
    s += text_element(kLeft - 6, sy(v) + 4, label, "font-size=\"11\" text-anchor=\"end\"");
  }
  s += text_element(kLeft - 48, top + kPanelHeight / 2, p.title,
                    "font-size=\"12\" text-anchor=\"middle\" transform=\"rotate(-90 " +
                        fmt(kLeft - 48) + " " + fmt(top + kPanelHeight / 2) + ")\"");
  return s;
}

std::string x_axis(const profile_frame& f, double bottom) {
  std::string s;
  const double km_step = tick_step(f.metres / 1000, 10);
  for (double km = 0; km * 1000 <= f.metres; km += km_step) {
    s += vline(f.x(km * 1000), bottom, bottom + 4, "stroke=\"#555\"");
    char label[32];
    std::snprintf(label, sizeof label, "%g", km);
    s +=
        text_element(f.x(km * 1000), bottom + 16, label, "font-size=\"11\" text-anchor=\"middle\"");
  }
  return s + text_element(kLeft + kPlotWidth / 2, bottom + 34, "position along the line (km)",
                          "font-size=\"12\" text-anchor=\"middle\"");
}

// The slowdowns' own speeds over them, their warning points and the speed
// boards, on the speed profile.
std::string speed_marks(const profile_frame& f, double top,
                        const std::function<double(double)>& sy) {
  std::string s;
  const std::string red = "fill=\"" + std::string(kSlowdownColour) + "\"";
  for (const plotted_slowdown& sd : f.slowdowns) {
    s += "<line x1=\"" + fmt(f.x(sd.from)) + "\" y1=\"" + fmt(sy(sd.speed)) + "\" x2=\"" +
         fmt(f.x(sd.to)) + "\" y2=\"" + fmt(sy(sd.speed)) + "\" stroke=\"" + kSlowdownColour +
         "\" stroke-width=\"2.5\"/>\n";
    s += text_element(f.x(sd.to) + 4, sy(sd.speed) - 4, std::to_string(sd.speed) + " km/h",
                      "font-size=\"11\" font-weight=\"bold\" " + red);
  }
  const auto& cells = f.in->segments;
  for (size_t i = 0; i < cells.size(); ++i) {
    const double x = f.x(plotted_position(cells, i));
    if (cells[i].kind == kSlowdownWarning) {
      s += "<polygon points=\"" + fmt(x - 5) + "," + fmt(top + 2) + " " + fmt(x + 5) + "," +
           fmt(top + 2) + " " + fmt(x) + "," + fmt(top + 11) + "\" " + red + "/>\n";
    } else if (cells[i].kind == kSpeedBoard) {
      // value1 packs the left-side speed A twenty to the km/h.
      const int left = cells[i].value1 / 20;
      s += rect(x - 1, top + 2, 2, 10, "fill=\"#333\"");
      s += text_element(x + 3, top + 11, std::to_string(left),
                        "font-size=\"10\" fill=\"#333\" font-weight=\"bold\"");
    }
  }
  return s;
}

std::string draw_profile(const profile_frame& f, const profile& p, double top) {
  const auto& cells = f.in->segments;
  double lo = 0, hi = 0;
  for (size_t i = 0; i < f.cells; ++i)
    lo = std::min(lo, p.value(cells[i])), hi = std::max(hi, p.value(cells[i]));
  const double step = tick_step(std::max(hi - lo, 1.0), 4);
  lo = std::floor(lo / step) * step, hi = std::ceil(hi / step) * step;
  if (hi - lo < step) hi = lo + step;
  auto sy = [&](double v) { return top + kPanelHeight - (v - lo) / (hi - lo) * kPanelHeight; };

  std::string s = "<g class=\"profile\">\n";
  s += rect(kLeft, top, kPlotWidth, kPanelHeight, "fill=\"#fafafa\" stroke=\"#999\"");
  s += y_axis(p, top, lo, hi, step, sy);
  for (const plotted_slowdown& sd : f.slowdowns)
    s += rect(f.x(sd.from), top, std::max(f.x(sd.to) - f.x(sd.from), 2.0), kPanelHeight,
              "fill=\"" + std::string(kSlowdownColour) + "\" opacity=\"0.22\"");
  if (p.speeds) s += speed_marks(f, top, sy);
  std::string points;
  for (size_t i = 0; i < f.cells; ++i) {
    const double y = sy(p.value(cells[i]));
    points += fmt(f.x(static_cast<double>(i) * kSegmentMetres)) + "," + fmt(y) + " " +
              fmt(f.x(static_cast<double>(i + 1) * kSegmentMetres)) + "," + fmt(y) + " ";
  }
  s += "<polyline fill=\"none\" stroke=\"" + std::string(p.colour) +
       "\" stroke-width=\"1.8\" points=\"" + points + "\"/>\n";
  return s + "</g>\n";
}

// A band along the line above the profiles: stations by number, signals,
// and under it the tunnels.
std::string draw_bands(const profile_frame& f, double top) {
  std::string s = "<g class=\"bands\">\n";
  s += text_element(kLeft - 6, top + 10, "stations", "font-size=\"11\" text-anchor=\"end\"");
  s += text_element(kLeft - 6, top + 21, "signals", "font-size=\"11\" text-anchor=\"end\"");
  for (size_t n = 0; n < f.stations.size(); ++n)
    s += text_element(f.x(f.stations[n].position), top + 10, std::to_string(n + 1),
                      "font-size=\"10\" font-weight=\"bold\" text-anchor=\"middle\"");
  const auto& cells = f.in->segments;
  // Sign boards stand in the signals' row, their texts on hover.
  for (size_t i = 0; i < cells.size(); ++i)
    if (cells[i].kind == kSignal)
      s += rect(f.x(plotted_position(cells, i)) - 2.5, top + 15, 5, 5,
                "fill=\"" + std::string(kSignalColour) + "\"");
    else if (cells[i].kind == kSignBoard)
      s += sign_board_mark(*f.in, i, f.x(plotted_position(cells, i)), top + 17);
  const double tunnels = top + kStationBand;
  s += text_element(kLeft - 6, tunnels + 11, "tunnels", "font-size=\"11\" text-anchor=\"end\"");
  s += rect(kLeft, tunnels + 3, kPlotWidth, kTunnelBand - 6, "fill=\"#f3f3f3\"");
  for (const auto& [from, to] : tunnel_spans(cells))
    s += rect(f.x(from), tunnels + 3, std::max(f.x(to) - f.x(from), 2.0), kTunnelBand - 6,
              "fill=\"" + std::string(kTunnelColour) + "\" opacity=\"0.85\"");
  return s + "</g>\n";
}

// Lines through the bands and profiles: each station, the line's end, and
// the run-out beyond it shaded when the axis shows any of it.
std::string draw_verticals(const profile_frame& f, double top, double bottom) {
  std::string s;
  for (const plotted_station& st : f.stations)
    s += vline(f.x(st.position), top + 12, bottom, "stroke=\"#888\" stroke-dasharray=\"3,3\"");
  if (f.metres > f.line_end)
    s += rect(f.x(f.line_end), top, f.x(f.metres) - f.x(f.line_end), bottom - top,
              "fill=\"#9a9a9a\" opacity=\"0.25\"") +
         text_element(f.x(f.line_end) + 4, bottom - 4, "run-out", "font-size=\"11\" fill=\"#555\"");
  s += vline(f.x(f.line_end), top, bottom, "stroke=\"black\" stroke-width=\"1.5\"");
  char end[48];
  std::snprintf(end, sizeof end, "end of line, %.1f km", f.line_end / 1000.0);
  s += text_element(f.x(f.line_end) - 4, top - 4, end, "font-size=\"11\" text-anchor=\"end\"");
  return s;
}

// A scenario compiled with a recorded failure holds only what was read
// before it: the picture must not look normal.
std::string failure_banner(const recorded_failure& failure, double y) {
  std::string text = "Compiled with failure " + std::to_string(failure.code);
  if (failure.position) text += " at " + std::to_string(*failure.position) + " m";
  if (!failure.message.empty()) text += ": " + failure.message;
  constexpr size_t kLongest = 150;
  if (text.size() > kLongest) text = std::string(whole_characters(text, kLongest - 3)) + "...";
  std::string s = rect(kLeft - 8, y, kPlotWidth + 16, 44,
                       "fill=\"#fde8e8\" stroke=\"" + std::string(kSlowdownColour) + "\"");
  s += text_element(kLeft, y + 18, text,
                    "font-size=\"13\" font-weight=\"bold\" fill=\"#9b1c1c\" id=\"failure\"");
  s += text_element(kLeft, y + 35,
                    "Reading stopped there: the compiled files hold only what was read before "
                    "it (scenario-tool explain " +
                        std::to_string(failure.code) + ").",
                    "font-size=\"12\" fill=\"#9b1c1c\"");
  return s;
}

// Without a route plan to name them on, or without room for their names
// on it, the stations (`which` of them) are listed by number.
std::string station_list(const std::vector<plotted_station>& stations,
                         const std::vector<size_t>& which, double& y) {
  std::string s;
  double x = kLeft;
  for (size_t n : which) {
    const double width = 36 + 8.0 * static_cast<double>(stations[n].name.size());
    if (x > kLeft && x + width > kLeft + kPlotWidth) x = kLeft, y += 18;
    s += "<text x=\"" + fmt(x) + "\" y=\"" + fmt(y) +
         "\" font-size=\"12\"><tspan font-weight=\"bold\">" + std::to_string(n + 1) +
         "</tspan><tspan dx=\"4\">" + xml_escape(stations[n].name) + "</tspan></text>\n";
    x += width;
  }
  y += 30;
  return s;
}

std::string draw_profiles(const profile_frame& f, double& y) {
  const std::vector<profile> profiles = {
      {"gradient", [](const track_segment& c) { return c.gradient - 100.0; }, "#6a3d9a"},
      {"speed limit (km/h)", [](const track_segment& c) { return c.speed_limit * 5.0; }, "#1f3b73",
       true},
      {"adhesion", [](const track_segment& c) { return static_cast<double>(c.adhesion); },
       "#2b8a8a"},
  };
  const double top = y + 14;  // room for the line's end above the bands
  std::string s = draw_bands(f, top);
  double panel = top + kStationBand + kTunnelBand + 8;
  for (const profile& p : profiles) {
    s += draw_profile(f, p, panel);
    panel += kPanelHeight + kPanelGap;
  }
  const double bottom = panel - kPanelGap;
  s += draw_verticals(f, top, bottom);
  s += x_axis(f, bottom);
  y = bottom + 46;
  return s;
}

}  // namespace

std::vector<plotted_station> stations_of(const general_table_t& table,
                                         const std::vector<track_segment>& segments) {
  std::set<int> board_slots;
  for (const track_segment& c : segments)
    if (c.kind == kSignBoard) board_slots.insert(c.value1);
  std::vector<plotted_station> stations;
  for (int slot = 1; slot < kFirstSignBoardSlot; ++slot) {
    const general_entry& e = table[static_cast<size_t>(slot)];
    if (board_slots.count(slot) != 0 || e == general_entry{}) break;
    stations.push_back(
        {slot, cp1252_to_utf8(station_slot::name.of(e)), station_slot::position.of(e)});
  }
  return stations;
}

int32_t plotted_position(const std::vector<track_segment>& cells, size_t cell) {
  const auto i = static_cast<int64_t>(cell);
  return static_cast<int32_t>(author_position(cells[cell].kind, i).value_or(segment_span(i).from));
}

std::vector<plotted_slowdown> slowdowns_of(const std::vector<track_segment>& segments) {
  std::vector<plotted_slowdown> slowdowns;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (segments[i].kind != kSlowdownStart) continue;
    size_t end = i;
    for (size_t j = i + 1; j < segments.size(); ++j) {
      if (segments[j].kind == kSlowdownEnd) {
        end = j;
        break;
      }
      if (segments[j].kind == kSlowdownStart) break;
    }
    slowdowns.push_back({plotted_position(segments, i), plotted_position(segments, end),
                         segments[i].value1, i, end});
  }
  return slowdowns;
}

size_t unplottable_metres(const route_plan& plan) {
  size_t count = 0;
  for (int32_t m = 0; m <= plan.last(); ++m) {
    bool finite = true;
    for (int column = 0; column < 2; ++column)
      if (plan.tag(m, column) != cell_tag::empty && !std::isfinite(plan.value(m, column)))
        finite = false;
    count += finite ? 0 : 1;
  }
  return count;
}

std::vector<std::pair<size_t, size_t>> tunnel_cells(const std::vector<track_segment>& cells) {
  std::vector<std::pair<size_t, size_t>> runs;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].tunnel_type == 0) continue;
    size_t j = i;
    while (j + 1 < cells.size() && cells[j + 1].tunnel_type != 0) ++j;
    runs.emplace_back(i, j);
    i = j;
  }
  return runs;
}

int32_t line_length(const plot_input& in) {
  const int32_t read = train_and_length_slot::route_length.in(in.table);
  const int64_t cells = static_cast<int64_t>(in.segments.size()) * kSegmentMetres;
  return read > 0 && read < cells ? read
                                  : static_cast<int32_t>(std::min<int64_t>(cells, INT32_MAX));
}

std::string scenario_facts(const plot_input& in) {
  size_t signals = 0;
  for (const track_segment& c : in.segments) signals += c.kind == kSignal ? 1 : 0;
  char length[32];
  std::snprintf(length, sizeof length, "%.1f km", line_length(in) / 1000.0);
  auto count = [](size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
  };
  return length + (", " + count(stations_of(in.table, in.segments).size(), "station", "stations") +
                   ", " + count(signals, "signal", "signals") + ", " +
                   count(tunnel_cells(in.segments).size(), "tunnel", "tunnels") + ", " +
                   count(slowdowns_of(in.segments).size(), "slowdown", "slowdowns"));
}

std::string render_svg(const plot_input& in) {
  const int32_t line_end = line_length(in);
  profile_frame frame{&in,
                      0,
                      axis_metres(in.segments, line_end),
                      line_end,
                      stations_of(in.table, in.segments),
                      slowdowns_of(in.segments)};
  // The readers leave the last three cells without profile values.
  const size_t valued = in.segments.size() > 3 ? in.segments.size() - 3 : in.segments.size();
  frame.cells = std::min(valued, static_cast<size_t>(std::ceil(frame.metres / kSegmentMetres)));
  std::string body;
  double y = 80;
  if (in.failure) {
    body += failure_banner(*in.failure, y);
    y += kBannerHeight;
  }
  if (in.plan && in.plan->last() >= 0) {
    const drawn_plan plan(*in.plan);
    const plan_view view = fit_plan(plan, y + kLabelRoom);
    std::vector<size_t> unnamed;
    body += draw_plan(in, plan, view, frame.stations, line_end, unnamed);
    y = view.top + view.height + kLabelRoomBelow + 50;
    if (const size_t left_out = unplottable_metres(*in.plan); left_out > 0) {
      body += text_element(kLeft, y - 10,
                           std::to_string(left_out) +
                               " metres of the route plan hold a coordinate that is not a "
                               "finite number: they are left out.",
                           "font-size=\"12\" font-style=\"italic\"");
      y += 20;
    }
    if (!unnamed.empty()) {
      body += text_element(kLeft, y, "Stations without room for their names on the plan:",
                           "font-size=\"12\" font-style=\"italic\"");
      y += 20;
      body += station_list(frame.stations, unnamed, y);
    }
  } else {
    body += text_element(kLeft, y + 20,
                         "No route plan: the scenario was compiled without one (--no-geometry).",
                         "font-size=\"13\" font-style=\"italic\"");
    y += 44;
    std::vector<size_t> all(frame.stations.size());
    for (size_t n = 0; n < all.size(); ++n) all[n] = n;
    body += station_list(frame.stations, all, y);
  }
  body += draw_profiles(frame, y);

  const std::string title = identifier_text(in.line_id) + ", train " +
                            identifier_text(in.train_code) + ": " + scenario_facts(in);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fmt(kWidth) + "\" height=\"" +
         fmt(y) + "\" viewBox=\"0 0 " + fmt(kWidth) + " " + fmt(y) +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  svg += "<title>" + xml_escape(title) + "</title>\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += text_element(kLeft, 32, title, "font-size=\"18\" font-weight=\"bold\"");
  svg += legend(58);
  return svg + body + "</svg>\n";
}

}  // namespace scenario::tool
