// The writer gives byte for byte what nlohmann::json's dump gives for the
// same value, whatever the bytes of its strings: the reports and listings
// it now writes read exactly as they did when they were trees.
#include "tool/report/json_writer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

namespace scenario::tool {
namespace {

using nlohmann::json;

std::string dumped(const json& value, int indent, bool ascii) {
  return value.dump(indent, ' ', ascii, json::error_handler_t::replace);
}

void write(json_writer& w, const json& value) {
  if (value.is_object()) {
    w.begin_object();
    for (const auto& [name, member] : value.items()) write(w.key(name), member);
    w.end_object();
  } else if (value.is_array()) {
    w.begin_array();
    for (const json& element : value) write(w, element);
    w.end_array();
  } else if (value.is_string()) {
    w.value(value.get_ref<const std::string&>());
  } else if (value.is_boolean()) {
    w.value(value.get<bool>());
  } else if (value.is_number_integer()) {
    w.value(value.get<int64_t>());
  } else {
    w.null();
  }
}

std::string written(const json& value, int indent, bool ascii) {
  std::ostringstream out;
  json_writer w(out, indent, ascii);
  write(w, value);
  w.flush();
  return out.str();
}

// Bytes that are mostly ASCII, with UTF-8 of every length, its ill-formed
// neighbours (overlong forms, surrogates, cut sequences, stray
// continuations) and control bytes among them.
std::string random_bytes(std::mt19937& random) {
  static const std::string kPieces[] = {"a",
                                        "Z",
                                        " ",
                                        "\"",
                                        "\\",
                                        "\n",
                                        "\t",
                                        "\x01",
                                        "\x1f",
                                        "\x7f",
                                        "\b",
                                        "\f",
                                        "\r",
                                        "/",
                                        "\xC3\xA0",
                                        "\xE2\x82\xAC",
                                        "\xF0\x9F\x9A\x82",
                                        "\xC3",
                                        "\xE2\x82",
                                        "\xF0\x9F\x9A",
                                        "\x80",
                                        "\xBF",
                                        "\xC0\xAF",
                                        "\xC1\xBF",
                                        "\xE0\x80\xAF",
                                        "\xED\xA0\x80",
                                        "\xF4\x90\x80\x80",
                                        "\xF5",
                                        "\xFF",
                                        "\xEF\xBF\xBD",
                                        "\xED\x9F\xBF",
                                        "\xF4\x8F\xBF\xBF",
                                        "\xE0\xA0\x80"};
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1), count(0, 12);
  std::string out;
  for (size_t n = count(random); n > 0; --n) out += kPieces[piece(random)];
  return out;
}

json random_value(std::mt19937& random, int depth) {
  std::uniform_int_distribution<int> kind(0, depth > 3 ? 3 : 5), count(0, 4);
  switch (kind(random)) {
    case 0:
      return random_bytes(random);
    case 1:
      return std::uniform_int_distribution<int64_t>(INT64_MIN, INT64_MAX)(random) >>
             std::uniform_int_distribution<int>(0, 63)(random);
    case 2:
      return count(random) % 2 == 0;
    case 3:
      return nullptr;
    case 4: {
      json array = json::array();
      for (int n = count(random); n > 0; --n) array.push_back(random_value(random, depth + 1));
      return array;
    }
    default: {
      json object = json::object();
      for (int n = count(random); n > 0; --n)
        object[random_bytes(random)] = random_value(random, depth + 1);
      return object;
    }
  }
}

TEST(JsonWriter, WritesWhatDumpWritesForAnyValue) {
  std::mt19937 random(26);
  for (int round = 0; round < 3000; ++round) {
    const json value = random_value(random, 0);
    for (int indent : {-1, 0, 1, 2, 4})
      for (bool ascii : {true, false})
        ASSERT_EQ(written(value, indent, ascii), dumped(value, indent, ascii))
            << "indent " << indent << ", ascii " << ascii << ", round " << round;
  }
}

TEST(JsonWriter, ReplacesEachIllFormedRunOnce) {
  struct example {
    std::string bytes;
    std::string ascii;
  };
  const example examples[] = {
      {"\xC3\xA0", "\"\\u00e0\""},
      {"\xF0\x9F\x9A\x82", "\"\\ud83d\\ude82\""},
      {"a\xE2\x82", "\"a\\ufffd\""},                  // cut at the end
      {"\xE2\x82z", "\"\\ufffdz\""},                  // cut before an ASCII byte
      {"\xE0\x80\xAF", "\"\\ufffd\\ufffd\\ufffd\""},  // overlong: every byte
      {"\xC3\xC3\xA0", "\"\\ufffd\\u00e0\""},         // the breaking byte starts anew
      {"\x7f\x1f", "\"\\u007f\\u001f\""},
  };
  for (const example& e : examples) {
    std::string out;
    append_json_string(e.bytes, true, out);
    EXPECT_EQ(out, e.ascii);
    EXPECT_EQ(out, dumped(e.bytes, -1, true));
  }
}

}  // namespace
}  // namespace scenario::tool
