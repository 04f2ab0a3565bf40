// The route plan: x (column 0) and y (column 1) of the track axis for every
// metre 0..last, each cell empty, a 16-bit integer or a double.
#ifndef SCENARIO_MODEL_ROUTE_PLAN_H_
#define SCENARIO_MODEL_ROUTE_PLAN_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "model/little_endian.h"
#include "system/zeroed_memory.h"

namespace scenario {

// A cell of the route plan: empty, a 16-bit integer or a double.  The tag
// values are those stored in the line geometry file.
enum class cell_tag : uint8_t { empty = 0, integer = 2, real = 5 };

// Memory that the system hands out already zeroed: the pages of a large
// plan are first touched when they are drawn, not once more to clear them.
template <class T>
struct zeroed_allocator {
  using value_type = T;
  zeroed_allocator() = default;
  template <class U>
  explicit zeroed_allocator(const zeroed_allocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(zeroed_memory::allocate(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) { zeroed_memory::release(p, n * sizeof(T)); }
  // A new element is left as the allocation gave it: zero.
  template <class U>
  void construct(U*) noexcept {}
  template <class U, class... A>
  void construct(U* p, A&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
  }
  bool operator==(const zeroed_allocator&) const = default;
};

// A plan of the greatest length is twenty megabytes, all of it written to
// the line geometry file.  So the plan is kept as the very bytes of that
// file in the shape a complete reading gives it: metres 0 and 1 integers,
// 2 to last - 2 doubles, the last two empty.  Drawing a metre stores its tag
// and double where the file holds them, and the file is then these bytes as
// they stand.  Any other content is held exactly as well (the four edge
// metres of a column beside the bytes, an inner cell's tag in its place), but
// a plan of another shape has to be encoded cell by cell.
class route_plan {
 public:
  route_plan() = default;
  explicit route_plan(int32_t last);

  bool allocated() const { return last_ >= 0; }
  int32_t last() const { return last_; }

  cell_tag tag(int32_t metre, int column) const {
    if (inner(metre)) return static_cast<cell_tag>(little_endian::load_u16(slot(metre, column)));
    return edge(metre, column).tag;
  }
  double value(int32_t metre, int column) const {
    if (inner(metre)) return little_endian::load_f64(slot(metre, column) + 2);
    return edge(metre, column).value;
  }

  void set_integer(int32_t metre, int column, int16_t v);
  void set_real(int32_t metre, int column, double v) {
    if (!inner(metre)) return set_edge(metre, column, cell_tag::real, v);
    char* p = slot(metre, column);
    if (little_endian::load_u16(p) != kRealTag) ++inner_reals_;
    little_endian::store_f64(little_endian::store_u16(p, kRealTag), v);
  }
  void clear_cell(int32_t metre, int column);

  // The line geometry file, when the plan has the usual shape; none when it
  // has to be encoded cell by cell.
  std::optional<std::string_view> file_bytes() const;

 private:
  static constexpr uint16_t kRealTag = static_cast<uint16_t>(cell_tag::real);
  // A column's bytes in the usual shape around its inner metres: two
  // integer cells before them, two empty cells after.
  static constexpr std::size_t kHeadBytes = 8;
  static constexpr std::size_t kTailBytes = 4;
  static constexpr std::size_t kInnerCellBytes = 10;

  struct edge_cell {
    cell_tag tag = cell_tag::empty;
    double value = 0.0;
  };

  // Metres 2 to last - 2, which the usual shape gives a fixed place.
  bool inner(int32_t metre) const { return metre >= 2 && metre <= last_ - 2; }
  std::size_t slot_offset(int32_t metre, int column) const {
    return static_cast<std::size_t>(column) * column_bytes_ + kHeadBytes +
           kInnerCellBytes * static_cast<std::size_t>(metre - 2);
  }
  char* slot(int32_t metre, int column) { return bytes_.data() + slot_offset(metre, column); }
  const char* slot(int32_t metre, int column) const {
    return bytes_.data() + slot_offset(metre, column);
  }
  // Metres 0 and 1, then last - 1 and last.
  std::size_t edge_index(int32_t metre, int column) const {
    return static_cast<std::size_t>(column * 4 + (metre < 2 ? metre : metre - last_ + 3));
  }
  edge_cell& edge(int32_t metre, int column) { return edges_[edge_index(metre, column)]; }
  const edge_cell& edge(int32_t metre, int column) const {
    return edges_[edge_index(metre, column)];
  }
  void set_edge(int32_t metre, int column, cell_tag tag, double value);
  void replace_inner(int32_t metre, int column, cell_tag tag, double value);
  bool usual_shape() const;

  int32_t last_ = -1;
  std::size_t column_bytes_ = 0;
  std::vector<char, zeroed_allocator<char>> bytes_;
  std::array<edge_cell, 8> edges_{};
  std::size_t inner_reals_ = 0;  // inner cells, of both columns, that hold a double
};

}  // namespace scenario

#endif  // SCENARIO_MODEL_ROUTE_PLAN_H_
