#include "tool/lsp/server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "testing/scratch_dir.h"
#include "tool/lsp/document_text.h"
#include "tool/lsp/document_uri.h"

namespace scenario::tool::lsp {
namespace {

// The built-in texts as an editor holds them: UTF-8.
std::string editor_text(const std::string& windows_1252) { return to_utf8(windows_1252); }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// A server driven message by message, with everything it sends kept.
class Server : public ::testing::Test {
 protected:
  Server() : s_(feature_table{}, [this](const json& m) { sent_.push_back(m); }) {}

  std::string uri(const std::string& name) const {
    return "file://" + dir_.path().string() + "/" + percent_encoded(name);
  }
  json request(const std::string& method, const json& params) {
    const std::size_t before = sent_.size();
    s_.handle({{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", params}});
    for (std::size_t i = before; i < sent_.size(); ++i)
      if (sent_[i].contains("id") && sent_[i]["id"] == id_) return sent_[i];
    ADD_FAILURE() << "no answer to " << method;
    return json();
  }
  void notify(const std::string& method, const json& params) {
    s_.handle({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }
  void initialize(const json& capabilities = json::object()) {
    request("initialize", {{"capabilities", capabilities}});
    notify("initialized", json::object());
  }
  void open(const std::string& name, const std::string& utf8, int version = 1) {
    notify("textDocument/didOpen",
           {{"textDocument",
             {{"uri", uri(name)}, {"languageId", ""}, {"version", version}, {"text", utf8}}}});
  }
  void change(const std::string& name, int version, const json& changes) {
    notify("textDocument/didChange", {{"textDocument", {{"uri", uri(name)}, {"version", version}}},
                                      {"contentChanges", changes}});
  }
  // The diagnostics last published for a text; null when none were.
  json published(const std::string& name) const {
    for (auto it = sent_.rbegin(); it != sent_.rend(); ++it)
      if (it->value("method", "") == "textDocument/publishDiagnostics" &&
          (*it)["params"]["uri"] == uri(name))
        return (*it)["params"];
    return nullptr;
  }
  json diagnostics(const std::string& name) {
    const json p = published(name);
    return p.is_null() ? json() : p["diagnostics"];
  }

  testing::scratch_dir dir_;
  std::vector<json> sent_;
  server s_;
  int id_ = 0;
};

const std::string kLineName = "Milano_Lecco_linea.txt";
const std::string kServiceName = "Milano_Lecco_L5244-.txt";

TEST_F(Server, InitializeNegotiatesThePositionEncodingAndNamesEveryCapability) {
  const json utf16 = request("initialize", {{"capabilities", json::object()}})["result"];
  EXPECT_EQ(utf16["capabilities"]["positionEncoding"], "utf-16");
  const json& c = utf16["capabilities"];
  EXPECT_EQ(c["textDocumentSync"]["change"], 2);
  EXPECT_EQ(c["completionProvider"]["triggerCharacters"], json::array({"["}));
  EXPECT_EQ(c["signatureHelpProvider"]["triggerCharacters"], json::array({","}));
  EXPECT_EQ(c["codeActionProvider"]["codeActionKinds"], json::array({"quickfix"}));
  for (const char* provider :
       {"hoverProvider", "documentSymbolProvider", "foldingRangeProvider",
        "documentFormattingProvider", "documentRangeFormattingProvider", "inlayHintProvider"})
    EXPECT_EQ(c[provider], true) << provider;

  std::vector<json> answers;
  server utf8(feature_table{}, [&](const json& m) { answers.push_back(m); });
  utf8.handle({{"jsonrpc", "2.0"},
               {"id", 1},
               {"method", "initialize"},
               {"params",
                {{"capabilities", {{"general", {{"positionEncodings", {"utf-16", "utf-8"}}}}}}}}});
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0]["result"]["capabilities"]["positionEncoding"], "utf-8");
}

TEST_F(Server, AnswersEveryRequestOutOfTurnWithTheProtocolsErrorAndGoesOn) {
  EXPECT_EQ(request("textDocument/hover", json::object())["error"]["code"], kServerNotInitialized);
  initialize();
  EXPECT_EQ(request("initialize", json::object())["error"]["code"], kInvalidRequest);
  EXPECT_EQ(request("no/such/method", json::object())["error"]["code"], kMethodNotFound);
  notify("no/such/notification", json::object());  // ignored, no answer
  EXPECT_EQ(request("textDocument/hover", {{"textDocument", 5}})["error"]["code"], kInvalidParams);
  EXPECT_EQ(request("textDocument/hover", json::array())["error"]["code"], kInvalidParams);
  open(kServiceName, "[generale]\n");
  EXPECT_EQ(request("textDocument/hover", {{"textDocument", {{"uri", uri(kServiceName)}}},
                                           {"position", "here"}})["error"]["code"],
            kInvalidParams);
  // A place far beyond the text is clamped into it.
  EXPECT_TRUE(request("textDocument/hover", {{"textDocument", {{"uri", uri(kServiceName)}}},
                                             {"position", {{"line", 1000000}, {"character", 99}}}})
                  .contains("result"));
  s_.handle_frame({"{\"jsonrpc\": ", {}});
  EXPECT_EQ(sent_.back()["error"]["code"], kParseError);
  s_.handle_frame({{}, "a message without a Content-Length"});
  EXPECT_EQ(sent_.back()["error"]["code"], kParseError);
  s_.handle_frame({"[1, 2]", {}});
  EXPECT_EQ(sent_.back()["error"]["code"], kInvalidRequest);

  EXPECT_EQ(request("shutdown", nullptr)["result"], nullptr);
  EXPECT_EQ(request("textDocument/hover", json::object())["error"]["code"], kInvalidRequest);
  EXPECT_FALSE(s_.exited());
  notify("exit", nullptr);
  EXPECT_TRUE(s_.exited());
  EXPECT_EQ(s_.exit_status(), 0);
}

TEST_F(Server, ExitWithoutShutdownEndsWithStatusOne) {
  initialize();
  notify("exit", nullptr);
  EXPECT_TRUE(s_.exited());
  EXPECT_EQ(s_.exit_status(), 1);
}

TEST_F(Server, TheBuiltInTextsHaveNoDiagnosticsAndBothArePublished) {
  initialize();
  open(kLineName, editor_text(dati_linea()));
  open(kServiceName, editor_text(dati_treno()));
  s_.compile_and_publish_all();
  EXPECT_EQ(diagnostics(kLineName), json::array());
  EXPECT_EQ(diagnostics(kServiceName), json::array());
  EXPECT_EQ(published(kServiceName)["version"], 1);
}

// The fault of an accented station name's line: "CITTÀ, 99" leaves "99" over.
struct column_case {
  const char* name;
  json capabilities;
  int start, end;
};

TEST_F(Server, ColumnsAfterAnAccentedLetterAreRightInBothEncodings) {
  const column_case cases[] = {
      {"utf-16", json::object(), 79, 81},
      {"utf-8", {{"general", {{"positionEncodings", {"utf-8"}}}}}, 80, 82},
  };
  for (const column_case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<json> sent;
    server s(feature_table{}, [&](const json& m) { sent.push_back(m); });
    s.handle({{"jsonrpc", "2.0"},
              {"id", 1},
              {"method", "initialize"},
              {"params", {{"capabilities", c.capabilities}}}});
    const std::string service =
        replaced(editor_text(dati_treno()), "0, MILANO GRECO PIRELLI", "0, CITT\xC3\x80, 99");
    for (const auto& [name, text] :
         {std::pair{kLineName, editor_text(dati_linea())}, std::pair{kServiceName, service}})
      s.handle(
          {{"jsonrpc", "2.0"},
           {"method", "textDocument/didOpen"},
           {"params", {{"textDocument", {{"uri", uri(name)}, {"version", 1}, {"text", text}}}}}});
    s.compile_and_publish_all();
    json found;
    for (const json& m : sent)
      if (m.value("method", "") == "textDocument/publishDiagnostics" &&
          m["params"]["uri"] == uri(kServiceName))
        found = m["params"]["diagnostics"];
    ASSERT_EQ(found.size(), 1u) << found.dump();
    EXPECT_EQ(found[0]["code"], "extra-values");
    EXPECT_EQ(found[0]["severity"], 2);
    EXPECT_EQ(found[0]["source"], "scenario");
    EXPECT_EQ(found[0]["range"], json({{"start", {{"line", 15}, {"character", c.start}}},
                                       {"end", {{"line", 15}, {"character", c.end}}}}));
    EXPECT_EQ(found[0]["message"].get<std::string>().find('^'), std::string::npos);
  }
}

TEST_F(Server, AnIncrementalChangeIsCompiledAndAnOlderVersionIsIgnored) {
  initialize();
  open(kLineName, editor_text(dati_linea()));
  open(kServiceName, editor_text(dati_treno()));
  s_.compile_and_publish_all();
  ASSERT_EQ(diagnostics(kServiceName), json::array());
  // Line 9 (from 0): "velocita,       0,    90" gets a value its field wraps.
  const json put = {
      {"range",
       {{"start", {{"line", 8}, {"character", 22}}}, {"end", {{"line", 8}, {"character", 24}}}}},
      {"text", "9999"}};
  change(kServiceName, 2, json::array({put}));
  s_.compile_and_publish_all();
  json found = diagnostics(kServiceName);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(published(kServiceName)["version"], 2);
  EXPECT_EQ(found[0]["range"]["start"], json({{"line", 8}, {"character", 22}}));
  const std::string code = found[0]["code"];

  // Version 1 again: stale, passed over; the text stays as version 2 made it.
  change(kServiceName, 1, json::array({{{"text", editor_text(dati_treno())}}}));
  s_.compile_and_publish_all();
  EXPECT_EQ(diagnostics(kServiceName)[0]["code"], code);
  // A whole-text change puts it right.
  change(kServiceName, 3, json::array({{{"text", editor_text(dati_treno())}}}));
  s_.compile_and_publish_all();
  EXPECT_EQ(diagnostics(kServiceName), json::array());
}

TEST_F(Server, NoStaleDiagnosticsArePublishedOverANewerChange) {
  initialize();
  open(kLineName, editor_text(dati_linea()));
  open(kServiceName, replaced(editor_text(dati_treno()), "[generale]", "[generle]"));
  const std::vector<compiled_group> old = s_.compile_due(clock::time_point::max());
  change(kServiceName, 2, json::array({{{"text", editor_text(dati_treno())}}}));
  s_.publish(old);  // computed from version 1: kept back
  EXPECT_TRUE(published(kServiceName).is_null());
  s_.compile_and_publish_all();
  EXPECT_EQ(diagnostics(kServiceName), json::array());
  EXPECT_EQ(published(kServiceName)["version"], 2);
}

TEST_F(Server, ChangesWaitForTheDebounceTime) {
  initialize();
  open(kServiceName, editor_text(dati_treno()));
  ASSERT_TRUE(s_.next_due().has_value());
  EXPECT_TRUE(s_.compile_due(clock::now()).empty());
  EXPECT_EQ(s_.compile_due(clock::now() + kDebounce * 2).size(), 1u);
  EXPECT_FALSE(s_.next_due().has_value());
}

TEST_F(Server, AServiceTextCompilesWithItsLineDescriptionOnDiskAndAChangeThereRecompiles) {
  testing::spill(dir_ / kLineName, dati_linea());
  initialize();
  open(kServiceName, editor_text(dati_treno()));
  s_.compile_and_publish_all();
  EXPECT_EQ(diagnostics(kServiceName), json::array());
  EXPECT_EQ(diagnostics(kLineName), json::array());

  // Route length 54000 -> 540: the service's entries lie beyond its end.
  testing::spill(dir_ / kLineName, replaced(dati_linea(), "54000", "540"));
  notify("workspace/didChangeWatchedFiles",
         {{"changes", {{{"uri", uri(kLineName)}, {"type", 2}}}}});
  s_.compile_and_publish_all();
  EXPECT_FALSE(diagnostics(kServiceName).empty() && diagnostics(kLineName).empty());

  // Closed: its diagnostics and those of its partner go.
  notify("textDocument/didClose", {{"textDocument", {{"uri", uri(kServiceName)}}}});
  EXPECT_EQ(diagnostics(kServiceName), json::array());
  EXPECT_EQ(diagnostics(kLineName), json::array());
}

TEST_F(Server, ATextWithoutPartnerGetsOneInformationSayingWhatWasLookedFor) {
  initialize();
  open(kServiceName, editor_text(dati_treno()));
  s_.compile_and_publish_all();
  const json found = diagnostics(kServiceName);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0]["severity"], 3);
  EXPECT_NE(found[0]["message"].get<std::string>().find(kLineName), std::string::npos);

  open(kLineName, editor_text(dati_linea()));
  s_.compile_and_publish_all();
  EXPECT_EQ(diagnostics(kServiceName), json::array());
}

TEST_F(Server, ALineDescriptionAloneGetsOnlyItsOwnDiagnostics) {
  initialize();
  open(kLineName,
       replaced(editor_text(dati_linea()), "pendenza,  24000,", "pendenza,  240000000000,"));
  s_.compile_and_publish_all();
  // Its own failure, exactly on the field; nothing of the service text it
  // never reaches; and a note that no service text is beside it.
  const json found = diagnostics(kLineName);
  ASSERT_EQ(found.size(), 2u) << found.dump();
  EXPECT_EQ(found[1]["code"], "no-partner");
  EXPECT_EQ(found[1]["severity"], 3);
  EXPECT_EQ(found[0]["code"], "25");
  EXPECT_EQ(found[0]["severity"], 1);
  EXPECT_EQ(found[0]["range"], json({{"start", {{"line", 29}, {"character", 11}}},
                                     {"end", {{"line", 29}, {"character", 23}}}}));
  EXPECT_NE(found[0]["message"].get<std::string>().find("(failure 25"), std::string::npos);

  // With a service text beside it on disk, no note.
  testing::spill(dir_ / kServiceName, dati_treno());
  notify("workspace/didChangeWatchedFiles",
         {{"changes", {{{"uri", uri(kServiceName)}, {"type", 1}}}}});
  s_.compile_and_publish_all();
  ASSERT_EQ(diagnostics(kLineName).size(), 1u);
  EXPECT_EQ(diagnostics(kLineName)[0]["code"], "25");
}

TEST_F(Server, ACharacterWithoutAWindows1252ByteIsAnEncodingWarningAtItsPlace) {
  initialize();
  open(kLineName, editor_text(dati_linea()));
  open(kServiceName,
       replaced(editor_text(dati_treno()), "MONZA", "MONZA \xE2\x82\xAC \xF0\x9F\x9A\x82"));
  s_.compile_and_publish_all();
  const json found = diagnostics(kServiceName);
  ASSERT_EQ(found.size(), 1u) << found.dump();  // the euro sign has a byte, the train none
  EXPECT_EQ(found[0]["code"], "encoding");
  const int column = static_cast<int>(dati_treno().find("MONZA") -
                                      dati_treno().rfind('\n', dati_treno().find("MONZA")) - 1) +
                     8;
  EXPECT_EQ(found[0]["range"]["start"]["character"], column);
  EXPECT_EQ(found[0]["range"]["end"]["character"], column + 2);  // two UTF-16 units
}

TEST_F(Server, AnotherLineTheMessageNamesIsRelatedInformation) {
  initialize();
  open(kLineName, editor_text(dati_linea()));
  // MONZA (line 18) leaves at 0:20, before SESTO SAN GIOVANNI (line 17) at 0:34.
  open(kServiceName, replaced(editor_text(dati_treno()), "0,38, 0, MONZA", "0,20, 0, MONZA"));
  s_.compile_and_publish_all();
  const json found = diagnostics(kServiceName);
  ASSERT_EQ(found.size(), 1u) << found.dump();
  EXPECT_EQ(found[0]["code"], "times-backwards");
  const json& related = found[0]["relatedInformation"];
  ASSERT_EQ(related.size(), 2u) << found.dump();
  EXPECT_EQ(related[1]["location"]["uri"], uri(kServiceName));
  const std::string sesto =
      "stazione,    7100, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   30,   0,34, 0, SESTO SAN GIOVANNI";
  EXPECT_EQ(related[1]["location"]["range"],
            json({{"start", {{"line", 16}, {"character", 0}}},
                  {"end", {{"line", 16}, {"character", sesto.size()}}}}));
}

TEST_F(Server, HoverOnAWarningsPlaceExplainsIt) {
  initialize();
  open(kLineName, editor_text(dati_linea()));
  open(kServiceName,
       replaced(editor_text(dati_treno()), "0, MILANO GRECO PIRELLI", "0, MILANO, 99"));
  s_.compile_and_publish_all();
  const json d = diagnostics(kServiceName);
  ASSERT_EQ(d.size(), 1u);
  const json hover =
      request("textDocument/hover", {{"textDocument", {{"uri", uri(kServiceName)}}},
                                     {"position", d[0]["range"]["start"]}})["result"];
  ASSERT_TRUE(hover.is_object());
  EXPECT_NE(hover["contents"]["value"].get<std::string>().find("extra-values"), std::string::npos);
  EXPECT_EQ(hover["range"], d[0]["range"]);
  const json elsewhere =
      request("textDocument/hover", {{"textDocument", {{"uri", uri(kServiceName)}}},
                                     {"position", {{"line", 0}, {"character", 1}}}})["result"];
  EXPECT_TRUE(elsewhere.is_null());
}

TEST_F(Server, ADidChangeForAClosedTextIsIgnored) {
  initialize();
  change(kServiceName, 2, json::array({{{"text", "x"}}}));
  s_.compile_and_publish_all();
  EXPECT_TRUE(published(kServiceName).is_null());
  EXPECT_EQ(request("textDocument/documentSymbol",
                    {{"textDocument", {{"uri", uri(kServiceName)}}}})["result"],
            json::array());
}

TEST_F(Server, AHundredMegabyteDocumentIsTakenAndAnswered) {
  initialize();
  std::string big(100u << 20, 'x');
  big[50] = '\n';
  open(kServiceName, big);
  s_.compile_and_publish_all();
  EXPECT_EQ(diagnostics(kServiceName).size(), 1u);  // no line description here
  const json answer =
      request("textDocument/hover", {{"textDocument", {{"uri", uri(kServiceName)}}},
                                     {"position", {{"line", 1}, {"character", 99999999}}}});
  EXPECT_TRUE(answer.contains("result"));
}

}  // namespace
}  // namespace scenario::tool::lsp
