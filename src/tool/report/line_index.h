// The lines of a source text found by number without reading the text from
// its start each time: a report quotes the line of every diagnostic it
// shows, and a text of a few hundred thousand bad lines has as many.
#ifndef SCENARIO_TOOL_LINE_INDEX_H_
#define SCENARIO_TOOL_LINE_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace scenario::tool {

class line_index {
 public:
  // Reads `text` once; it must outlive the index.
  explicit line_index(std::string_view text);

  // Line `number` (from 1) of the text without its line end, the lines
  // counted as the readers count them (CR LF, a lone CR or a lone LF ends
  // one); nothing past the last line.
  std::optional<std::string_view> line(int32_t number) const;

 private:
  // Not every line's start: a text of empty lines would make an index
  // eight times its size.  The first line starting in each stretch of
  // kStride bytes is kept, so that a look-up reads at most that many bytes
  // of whole lines before the one it wants.
  static constexpr size_t kStride = 4096;
  struct mark {
    int32_t line = 1;
    size_t begin = 0;
  };
  std::string_view text_;
  std::vector<mark> marks_;
};

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_LINE_INDEX_H_
