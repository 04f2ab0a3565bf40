#include "tool/lsp/message_framing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario::tool::lsp {
namespace {

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Every frame the bytes give, a fault as "!" and its first word.
std::vector<std::string> frames_of(const std::string& bytes, std::size_t largest = kLargestBody,
                                   bool byte_by_byte = false) {
  message_framer framer(largest);
  if (byte_by_byte)
    for (char c : bytes) framer.feed(std::string_view(&c, 1));
  else
    framer.feed(bytes);
  std::vector<std::string> out;
  while (framer.has_frame()) {
    const frame f = framer.take_frame();
    out.push_back(f.fault.empty() ? f.body : "!" + f.fault.substr(0, f.fault.find(' ')));
  }
  return out;
}

struct framing_case {
  const char* what;
  std::string bytes;
  std::vector<std::string> frames;
};

TEST(MessageFraming, GivesEveryWholeBodyAndGoesOnPastABrokenFrame) {
  const framing_case cases[] = {
      {"two frames", framed("{\"a\":1}") + framed("{}"), {"{\"a\":1}", "{}"}},
      {"other header fields and any letter case",
       "content-length: 2\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}",
       {"{}"}},
      {"bare line feeds", "Content-Length: 2\n\n{}", {"{}"}},
      {"no length", "Content-Type: x\r\n\r\n" + framed("{}"), {"!a", "{}"}},
      {"a length that is no number", "Content-Length: 1x\r\n\r\n" + framed("{}"), {"!the", "{}"}},
      {"a negative length", "Content-Length: -4\r\n\r\n" + framed("{}"), {"!the", "{}"}},
      {"a line that is no header", "hello\r\n\r\n" + framed("{}"), {"!a", "{}"}},
      {"an empty body", framed(""), {""}},
      // A body shorter than its length swallows the next frame's start; the
      // framer finds the length field after it again.
      {"a length too short", "Content-Length: 3\r\n\r\n{\"a\":1}" + framed("{}"), {"{\"a", "{}"}},
      {"a body too large, passed over", framed(std::string(100, 'x')) + framed("{}"), {"!a", "{}"}},
  };
  for (const framing_case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(frames_of(c.bytes, 64), c.frames);
    EXPECT_EQ(frames_of(c.bytes, 64, true), c.frames);
  }
}

TEST(MessageFraming, AHeaderLineWithoutEndIsRefusedNotKept) {
  const std::string bytes = std::string(kLongestHeaderLine * 4, 'h') + "\r\n\r\n" + framed("{}");
  EXPECT_EQ(frames_of(bytes), (std::vector<std::string>{"!a", "{}"}));
}

TEST(MessageFraming, WantsNoByteBeyondTheFrameItIsIn) {
  message_framer framer;
  EXPECT_EQ(framer.wanted(), 1u);
  framer.feed("Content-Length: 10\r\n\r\n");
  EXPECT_EQ(framer.wanted(), 10u);
  framer.feed("{\"a\":");
  EXPECT_EQ(framer.wanted(), 5u);
  framer.feed("true}");
  EXPECT_EQ(framer.wanted(), 1u);
  ASSERT_TRUE(framer.has_frame());
  EXPECT_EQ(framer.take_frame().body, "{\"a\":true}");
}

}  // namespace
}  // namespace scenario::tool::lsp
