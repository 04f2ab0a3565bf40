// `scenario-tool lsp` as an editor starts it: framed messages on standard
// input, answers and diagnostics on standard output, the exit status of the
// lifecycle.  The editor's input comes through a pipe in two parts with a
// pause between them, so that the debounced compilation has its time.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace {

using nlohmann::json;

std::string framed(const json& m) {
  const std::string body = m.dump();
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The bodies of the frames of `bytes`; a frame that breaks the framing
// fails the test.
std::vector<json> frames_of(std::string_view bytes) {
  std::vector<json> out;
  while (!bytes.empty()) {
    const std::size_t blank = bytes.find("\r\n\r\n");
    const std::string_view prefix = "Content-Length: ";
    EXPECT_TRUE(blank != std::string_view::npos && bytes.starts_with(prefix))
        << bytes.substr(0, 80);
    if (blank == std::string_view::npos || !bytes.starts_with(prefix)) break;
    const std::size_t length = std::stoul(std::string(bytes.substr(prefix.size(), blank)));
    out.push_back(json::parse(bytes.substr(blank + 4, length)));
    bytes.remove_prefix(blank + 4 + length);
  }
  return out;
}

json message(int id, const std::string& method, const json& params) {
  json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
  if (id != 0) m["id"] = id;
  return m;
}

// The editor's text: UTF-8.
std::string utf8_of(const std::string& windows_1252) {
  std::string out;
  for (char c : windows_1252) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      EXPECT_GE(b, 0xA0);  // the built-in texts hold no other bytes
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

TEST(LspServer, PublishesTheDiagnosticsOfAnOpenTextAndEndsAfterShutdownAndExit) {
  if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  testing::scratch_dir dir;
  testing::spill(dir / "Milano_Lecco_linea.txt", dati_linea());
  std::string service = utf8_of(dati_treno());
  service.replace(service.find("0, MILANO GRECO PIRELLI"), 23, "0, CITT\xC3\x80, 99");
  const std::string uri = "file://" + dir.path().string() + "/Milano_Lecco_L5244-.txt";

  const json utf8 = {{"general", {{"positionEncodings", {"utf-8", "utf-16"}}}}};
  testing::spill(dir / "first", framed(message(1, "initialize", {{"capabilities", utf8}})) +
                                    framed(message(0, "initialized", json::object())) +
                                    "Content-Length: 7\r\n\r\n{broken" +
                                    framed(message(0, "textDocument/didOpen",
                                                   {{"textDocument",
                                                     {{"uri", uri},
                                                      {"languageId", "scenario-service"},
                                                      {"version", 1},
                                                      {"text", service}}}})));
  testing::spill(dir / "then",
                 framed(message(2, "shutdown", nullptr)) + framed(message(0, "exit", nullptr)));
  const testing::run_result r =
      testing::run_in(dir.path(), TOOL_PATH, {"lsp"},
                      "mkfifo input && { (cat first; sleep 1; cat then) >input & } && exec <input");
  EXPECT_EQ(r.status, 0) << r.err;

  const std::vector<json> frames = frames_of(r.out);
  ASSERT_GE(frames.size(), 4u) << r.out;
  EXPECT_EQ(frames[0]["result"]["capabilities"]["positionEncoding"], "utf-8");
  EXPECT_EQ(frames[1]["error"]["code"], -32700);
  json published;
  for (const json& f : frames)
    if (f.value("method", "") == "textDocument/publishDiagnostics" && f["params"]["uri"] == uri)
      published = f["params"];
  ASSERT_TRUE(published.is_object()) << r.out;
  EXPECT_EQ(published["version"], 1);
  ASSERT_EQ(published["diagnostics"].size(), 1u);
  const json& d = published["diagnostics"][0];
  EXPECT_EQ(d["code"], "extra-values");
  EXPECT_EQ(d["source"], "scenario");
  // "CITTÀ, 99": the À is two UTF-8 bytes before the 99.
  EXPECT_EQ(d["range"], json({{"start", {{"line", 15}, {"character", 80}}},
                              {"end", {{"line", 15}, {"character", 82}}}}));
  EXPECT_EQ(frames.back()["id"], 2);
}

}  // namespace
}  // namespace scenario::tool_e2e
