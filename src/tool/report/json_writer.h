// JSON written as it is made, value after value, into a stream: a report of
// a few hundred thousand diagnostics or a listing of every segment never
// becomes a tree of nodes in memory first, and nothing is left whose
// destruction needs memory when memory has run out.  The layout is the one
// nlohmann::json's dump gives (two values never differ by a byte), so that
// the outputs read as before; members come in the order they are written,
// which the callers keep sorted as dump sorts them.
#ifndef SCENARIO_TOOL_JSON_WRITER_H_
#define SCENARIO_TOOL_JSON_WRITER_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

// A JSON string of `text`, quotes included, escaped as dump escapes it:
// control characters, quote and backslash always, every character past
// ASCII too when `ascii` is set; a byte that is not part of well-formed
// UTF-8 becomes U+FFFD (one for each longest ill-formed run).
void append_json_string(std::string_view text, bool ascii, std::string& out);

class json_writer {
 public:
  // `indent` spaces a level, as dump(indent); a negative one writes
  // everything on one line, without blanks.
  json_writer(std::ostream& out, int indent, bool ascii);
  json_writer(const json_writer&) = delete;
  json_writer& operator=(const json_writer&) = delete;

  void begin_object();
  void end_object();
  void begin_array();
  void end_array();
  // The name of the next member of the object being written.
  json_writer& key(std::string_view name);

  void value(std::string_view text);
  void value(const char* text) { value(std::string_view(text)); }
  void value(int64_t number);
  void value(bool truth);
  void null();

  // Hands what is held to the stream; the writer holds at most a few
  // kilobytes between flushes.
  void flush();

 private:
  void before_value();
  void new_line(size_t depth);

  std::ostream& out_;
  int indent_;
  bool ascii_;
  std::string held_;
  struct level {
    bool object = false;
    bool empty = true;
  };
  std::vector<level> levels_;
  bool after_key_ = false;
};

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_JSON_WRITER_H_
