#include "model/route_plan.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>
#include <map>

#include "format/compiled_files.h"

namespace scenario {
namespace {

// A plan together with the cells the test put into it, kept apart from the
// plan, so that what the plan gives back can be checked against them.
struct drawn {
  route_plan plan;
  std::map<std::pair<int32_t, int>, std::pair<cell_tag, double>> cells;

  explicit drawn(int32_t last) : plan(last) {}
  void integer(int32_t m, int c, int16_t v) {
    plan.set_integer(m, c, v);
    cells[{m, c}] = {cell_tag::integer, v};
  }
  void real(int32_t m, int c, double v) {
    plan.set_real(m, c, v);
    cells[{m, c}] = {cell_tag::real, v};
  }
  void clear(int32_t m, int c) {
    plan.clear_cell(m, c);
    cells.erase({m, c});
  }
  // The usual shape: integers at 0 and 1, doubles up to last - 2.
  void usual() {
    for (int c = 0; c < 2; ++c) {
      integer(0, c, static_cast<int16_t>(-c));
      integer(1, c, static_cast<int16_t>(300 + c));
      for (int32_t m = 2; m <= plan.last() - 2; ++m) real(m, c, m * 0.25 - c * 1e9);
    }
  }

  // The line geometry file as the format states it, from the test's cells.
  std::string expected_file() const {
    std::string file;
    auto put = [&file](uint64_t v, int bytes) {
      for (int i = 0; i < bytes; ++i) file.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    for (int c = 0; c < 2; ++c) {
      for (int32_t m = 0; m <= plan.last(); ++m) {
        const auto it = cells.find({m, c});
        if (it == cells.end()) {
          put(0, 2);
        } else if (it->second.first == cell_tag::integer) {
          put(2, 2);
          put(static_cast<uint16_t>(static_cast<int16_t>(it->second.second)), 2);
        } else {
          put(5, 2);
          put(std::bit_cast<uint64_t>(it->second.second), 8);
        }
      }
    }
    return file;
  }
};

struct shape_case {
  const char* name;
  int32_t last;
  std::function<void(drawn&)> draw;
  bool usual_shape;
};

std::vector<shape_case> shapes() {
  return {
      {"usual", 40, [](drawn& d) { d.usual(); }, true},
      {"usual, shortest", 3, [](drawn& d) { d.usual(); }, true},
      {"never drawn", 40, [](drawn&) {}, false},
      {"seeded only", 40,
       [](drawn& d) {
         for (int c = 0; c < 2; ++c) d.integer(0, c, 0), d.integer(1, c, 1);
       },
       false},
      {"drawn part way", 40,
       [](drawn& d) {
         d.usual();
         for (int32_t m = 30; m <= 38; ++m) d.clear(m, 0), d.clear(m, 1);
       },
       false},
      {"last two metres drawn", 40,
       [](drawn& d) {
         d.usual();
         d.real(39, 1, 7.5);
         d.real(40, 1, -7.5);
       },
       false},
      {"last but one metre drawn", 40,
       [](drawn& d) {
         d.usual();
         d.real(39, 0, 7.5);
       },
       false},
      {"an inner integer", 40,
       [](drawn& d) {
         d.usual();
         d.integer(17, 0, -32768);
       },
       false},
      {"metre 0 a double", 40,
       [](drawn& d) {
         d.usual();
         d.real(0, 1, 0.5);
       },
       false},
      {"back to the usual shape", 40,
       [](drawn& d) {
         d.usual();
         d.clear(20, 0);
         d.integer(21, 1, 4);
         d.real(39, 0, 1.0);
         d.real(20, 0, 2.5);
         d.real(21, 1, 3.5);
         d.clear(39, 0);
       },
       true},
      {"one metre", 0, [](drawn& d) { d.integer(0, 1, 12); }, false},
      {"two metres", 1,
       [](drawn& d) {
         d.integer(0, 0, 1);
         d.real(1, 1, 0.125);
       },
       false},
      {"three metres", 2,
       [](drawn& d) {
         d.integer(1, 0, 1);
         d.real(2, 1, 0.125);
       },
       false},
  };
}

TEST(RoutePlanTest, EveryShapeGivesTheFileItsCellsMake) {
  for (const shape_case& s : shapes()) {
    SCOPED_TRACE(s.name);
    drawn d(s.last);
    s.draw(d);
    const std::string expected = d.expected_file();
    EXPECT_EQ(line_geometry_bytes(d.plan), expected);
    EXPECT_EQ(d.plan.file_bytes().has_value(), s.usual_shape);
    // A copy is a plan of its own with the same file.
    route_plan copy = d.plan;
    EXPECT_EQ(line_geometry_bytes(copy), expected);
    copy.clear_cell(0, 0);
    EXPECT_EQ(line_geometry_bytes(d.plan), expected);
  }
}

TEST(RoutePlanTest, CellsComeBackExactlyWhereverTheyAre) {
  const double odd_values[] = {-0.0, std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::infinity(),
                               std::bit_cast<double>(uint64_t{0x7FF4000000000123}),  // NaN
                               -1.0e308};
  const int32_t last = 12;
  const int32_t metres[] = {0, 1, 2, 6, last - 2, last - 1, last};
  for (int32_t m : metres) {
    for (int c = 0; c < 2; ++c) {
      SCOPED_TRACE("metre " + std::to_string(m) + ", column " + std::to_string(c));
      route_plan plan(last);
      for (double v : odd_values) {
        plan.set_real(m, c, v);
        EXPECT_EQ(plan.tag(m, c), cell_tag::real);
        EXPECT_EQ(std::bit_cast<uint64_t>(plan.value(m, c)), std::bit_cast<uint64_t>(v));
      }
      plan.set_integer(m, c, -7);
      EXPECT_EQ(plan.tag(m, c), cell_tag::integer);
      EXPECT_EQ(plan.value(m, c), -7.0);
      plan.clear_cell(m, c);
      EXPECT_EQ(plan.tag(m, c), cell_tag::empty);
      EXPECT_EQ(plan.value(m, c), 0.0);
      // The other column and the neighbours were never touched.
      EXPECT_EQ(plan.tag(m, 1 - c), cell_tag::empty);
      if (m > 0) {
        EXPECT_EQ(plan.tag(m - 1, c), cell_tag::empty);
      }
      if (m < last) {
        EXPECT_EQ(plan.tag(m + 1, c), cell_tag::empty);
      }
    }
  }
}

TEST(RoutePlanTest, AllocatedOnceSized) {
  EXPECT_FALSE(route_plan().allocated());
  EXPECT_FALSE(route_plan(-1).allocated());
  EXPECT_TRUE(route_plan(0).allocated());
  EXPECT_EQ(route_plan(61000).last(), 61000);
  EXPECT_EQ(route_plan(61000).tag(30000, 1), cell_tag::empty);
}

}  // namespace
}  // namespace scenario
