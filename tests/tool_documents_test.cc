// The driver's documents through the built tool: `documents` writes the
// three of them and nothing else, `compile --documents` writes them in the
// set of the compiled files and its record, and a scenario that does not
// compile leaves the folder as it was.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "documents/documents_from_scenario.h"
#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::built_in_compiled_names;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;
namespace {

const std::vector<std::string> kDocumentNames = {"Milano_Lecco_L5244_scheda_treno.txt",
                                                 "Milano_Lecco_L5244_rallentamenti.txt",
                                                 "Milano_Lecco_L5244_note.txt"};

// Each file of a folder with its bytes.
std::map<std::string, std::string> folder(const fs::path& dir) {
  std::map<std::string, std::string> files;
  if (!fs::exists(dir)) return files;
  for (const fs::directory_entry& e : fs::directory_iterator(dir))
    files[e.path().filename().string()] = read_whole_file(e.path());
  return files;
}

class ToolDocuments : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
    const run_result r = run_tool(dir.path(), {"template", "."});
    ASSERT_EQ(r.status, 0) << r.err;
  }

  // What the documents of the built-in texts must be, made in this process.
  static scenario_documents expected(const document_options& options = {}) {
    scenario_records r;
    r.line_id = "Milano_Lecco";
    r.train_code = "L5244";
    compile_scenario(r, 1, dati_linea(), dati_treno());
    return documents_from_scenario(r, options);
  }

  static std::vector<std::string> bytes_of(const scenario_documents& d) {
    return {d.train_sheet, d.slow_orders, d.notes};
  }

  scratch_dir dir;
  const std::string line_txt = "Milano_Lecco_linea.txt";
  const std::string service_txt = "Milano_Lecco_L5244-.txt";
};

TEST_F(ToolDocuments, DocumentsCommandWritesTheThreeDocumentsAlone) {
  spill(dir / "notes.txt", "Buon viaggio a Lecco, citt\xC3\xA0 sul lago.\n");
  const run_result r =
      run_tool(dir.path(), {"documents", line_txt, service_txt, "--out", "out", "--notes",
                            "notes.txt", "--line-name", "Milano - Lecco - Sondrio"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::map<std::string, std::string> written = folder(dir / "out");
  ASSERT_EQ(written.size(), 3u);  // no compiled file, no record
  document_options options;
  options.line_name = "Milano - Lecco - Sondrio";
  options.notes = "Buon viaggio a Lecco, citt\xC3\xA0 sul lago.\n";
  const std::vector<std::string> want = bytes_of(expected(options));
  for (size_t i = 0; i < kDocumentNames.size(); ++i) {
    ASSERT_EQ(written.count(kDocumentNames[i]), 1u) << kDocumentNames[i];
    EXPECT_TRUE(written.at(kDocumentNames[i]) == want[i]) << kDocumentNames[i] << " differs";
    EXPECT_NE(r.out.find("wrote out/" + kDocumentNames[i]), std::string::npos) << r.out;
  }
  EXPECT_NE(written.at(kDocumentNames[2]).find("citt\xE0 sul lago.\r\n"), std::string::npos);
  EXPECT_NE(written.at(kDocumentNames[1]).find("  Linea  Milano - Lecco - Sondrio\r\n"),
            std::string::npos);
}

TEST_F(ToolDocuments, CompileWritesThemInTheSetOfItsRecord) {
  const run_result plain = run_tool(dir.path(), {"compile", line_txt, service_txt, "--out", "a"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  const run_result r =
      run_tool(dir.path(), {"compile", "--documents", line_txt, service_txt, "--out", "b"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::map<std::string, std::string> a = folder(dir / "a"), b = folder(dir / "b");
  for (const std::string& name : built_in_compiled_names())
    EXPECT_TRUE(a.at(name) == b.at(name)) << name << " differs from plain compile's";
  const std::vector<std::string> want = bytes_of(expected());
  for (size_t i = 0; i < kDocumentNames.size(); ++i) {
    ASSERT_EQ(b.count(kDocumentNames[i]), 1u) << kDocumentNames[i];
    EXPECT_TRUE(b.at(kDocumentNames[i]) == want[i]) << kDocumentNames[i] << " differs";
  }
  EXPECT_EQ(a.size() + 3, b.size());
  // The record names the documents with the compiled files it vouches for.
  const nlohmann::json record = nlohmann::json::parse(b.at("Milano_Lecco_L5244.report.json"));
  std::set<std::string> files;
  for (const auto& f : record.at("files")) files.insert(fs::path(f.get<std::string>()).filename());
  for (const std::string& name : kDocumentNames) EXPECT_EQ(files.count(name), 1u) << name;
  // A plain compile writes none of them.
  for (const std::string& name : kDocumentNames) EXPECT_EQ(a.count(name), 0u) << name;
}

TEST_F(ToolDocuments, AScenarioThatDoesNotCompileLeavesTheFolderAsItWas) {
  spill(dir / "broken-.txt", read_whole_file(dir / service_txt) + "bogus, 1\r\n");
  fs::create_directory(dir / "out");
  for (const std::string& name : kDocumentNames) spill(dir / "out" / name, "earlier " + name);
  const std::map<std::string, std::string> before = folder(dir / "out");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"documents", line_txt, "broken-.txt", "--train-code", "L5244",
                                 "--line-id", "Milano_Lecco", "--out", "out"},
        std::vector<std::string>{"documents", line_txt, service_txt, "--out", "out", "--werror",
                                 "--line-name", "Linea di un nome\xE2\x80\xA8 strano"},
        std::vector<std::string>{"documents", line_txt, service_txt, "--out", "out", "--notes",
                                 "missing-notes.txt"}}) {
    SCOPED_TRACE(args[2] + " " + args.back());
    const run_result r = run_tool(dir.path(), args);
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(folder(dir / "out") == before) << "the folder changed";
    EXPECT_EQ(r.out.find("wrote"), std::string::npos) << r.out;
  }
  // The loss fails the documents as it fails compile, with its status.
  const run_result compile = run_tool(dir.path(), {"check", line_txt, "broken-.txt", "--train-code",
                                                   "L5244", "--line-id", "Milano_Lecco"});
  const run_result documents =
      run_tool(dir.path(), {"documents", line_txt, "broken-.txt", "--train-code", "L5244",
                            "--line-id", "Milano_Lecco", "--out", "out"});
  EXPECT_EQ(documents.status, compile.status);
  EXPECT_EQ(documents.status, 1);
  EXPECT_NE(documents.err.find("[unknown-entry]"), std::string::npos) << documents.err;
  EXPECT_NE(documents.err.find("the documents were not written"), std::string::npos)
      << documents.err;
  // Allowed, the loss no longer stops them.
  const run_result allowed = run_tool(
      dir.path(), {"documents", line_txt, "broken-.txt", "--train-code", "L5244", "--line-id",
                   "Milano_Lecco", "--out", "out", "--allow", "unknown-entry"});
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  EXPECT_FALSE(folder(dir / "out") == before);
}

TEST_F(ToolDocuments, CompileThatFailsWritesItsFilesButNoDocuments) {
  spill(dir / "broken-.txt", read_whole_file(dir / service_txt) + "bogus, 1\r\n");
  const run_result r =
      run_tool(dir.path(), {"compile", "--documents", line_txt, "broken-.txt", "--train-code",
                            "L5244", "--line-id", "Milano_Lecco", "--out", "out"});
  EXPECT_EQ(r.status, 1);
  const std::map<std::string, std::string> written = folder(dir / "out");
  for (const std::string& name : built_in_compiled_names()) EXPECT_EQ(written.count(name), 1u);
  for (const std::string& name : kDocumentNames) EXPECT_EQ(written.count(name), 0u) << name;
  EXPECT_NE(r.err.find("the documents were not written"), std::string::npos) << r.err;
}

TEST_F(ToolDocuments, NamesAreCheckedAsCompileChecksThem) {
  // A train code "linea" would make one scenario's files another's.
  const run_result linea = run_tool(
      dir.path(), {"documents", line_txt, service_txt, "--train-code", "linea", "--out", "out"});
  EXPECT_EQ(linea.status, 2) << linea.err;
  // A document may not replace the notes it is made from.
  spill(dir / kDocumentNames[2], "my notes");
  const run_result notes =
      run_tool(dir.path(), {"documents", line_txt, service_txt, "--notes", kDocumentNames[2]});
  EXPECT_EQ(notes.status, 2) << notes.err;
  EXPECT_EQ(read_whole_file(dir / kDocumentNames[2]), "my notes");
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(ToolDocuments, WarningsOfTheDocumentsAreReportedWithTheCompilations) {
  std::string service = read_whole_file(dir / service_txt);
  const std::string name = "CALOLZIOCORTE - OLGINATE";
  service.replace(service.find(name), name.size(), "CALOLZIOCORTE - OLGINATE - LECCO MAGGIORE");
  spill(dir / "long-.txt", service);
  const run_result r = run_tool(
      dir.path(), {"documents", line_txt, "long-.txt", "--train-code", "L5244", "--line-id",
                   "Milano_Lecco", "--out", "out", "--format", "json", "--blocked-mass",
                   "\xE2\x89\x88"
                   "280T"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  std::multiset<std::string> ids;
  for (const auto& d : report.at("diagnostics")) {
    ids.insert(d.at("id").get<std::string>());
    EXPECT_EQ(d.at("severity"), "warning");
  }
  EXPECT_EQ(ids, (std::multiset<std::string>{"encoding", "name-cut"}));
  EXPECT_EQ(report.at("files").size(), 3u);
}

}  // namespace
}  // namespace scenario::tool_e2e
