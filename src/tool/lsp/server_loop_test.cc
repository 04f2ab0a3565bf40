#include "tool/lsp/server_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tool/lsp/message_framing.h"

namespace scenario::tool::lsp {
namespace {

std::vector<json> answers_in(const std::string& bytes) {
  message_framer framer;
  framer.feed(bytes);
  std::vector<json> out;
  while (framer.has_frame()) out.push_back(json::parse(framer.take_frame().body));
  return out;
}

json message(int id, const std::string& method, const json& params = json::object()) {
  json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
  if (id != 0) m["id"] = id;
  return m;
}

// The whole loop on streams in memory: the end of the input ends it.
TEST(ServerLoop, AnswersFramedMessagesInOrderAndGoesOnPastABrokenOne) {
  const std::string uri = "file:///nowhere/Milano_Lecco_L5244-.txt";
  std::istringstream in(
      framed(message(1, "initialize")) + "Content-Length: 3\r\n\r\n{x}" +
      framed(
          message(0, "textDocument/didOpen",
                  {{"textDocument", {{"uri", uri}, {"version", 4}, {"text", "[generale]\n"}}}})) +
      framed(message(2, "shutdown")));
  std::ostringstream out;
  // The end of the input comes before any compilation would: the server
  // ends without publishing, after a shutdown with status 0.
  EXPECT_EQ(serve(in, out, nullptr, feature_table{}, std::chrono::milliseconds(0)), 0);
  const std::vector<json> answers = answers_in(out.str());
  ASSERT_GE(answers.size(), 3u);
  EXPECT_EQ(answers[0]["id"], 1);
  EXPECT_EQ(answers[1]["error"]["code"], kParseError);
  EXPECT_EQ(std::count_if(
                answers.begin(), answers.end(),
                [](const json& a) { return a.value("id", json()) == 2 && a.contains("result"); }),
            1);
}

TEST(ServerLoop, WithoutShutdownTheStatusIsOne) {
  std::istringstream in(framed(message(1, "initialize")));
  std::ostringstream out;
  EXPECT_EQ(serve(in, out, nullptr, feature_table{}), 1);
}

}  // namespace
}  // namespace scenario::tool::lsp
