#include "format/scenario_names.h"

#include <gtest/gtest.h>

#include "system/platform.h"

namespace scenario {
namespace {

const scenario_ids kIds{"Milano_Lecco", "L5244"};

TEST(ScenarioNames, Built) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {line_geometry_file_name(kIds.line_id), "Milano_Lecco_linea.dat"},
      {table_file_name(kIds.line_id, kIds.train_code), "Milano_Lecco_L5244.sim"},
      {segment_file_name(kIds.line_id, kIds.train_code), "Milano_Lecco_L5244.dat"},
      {compiled_file_name(file_kind::geometry, kIds), "Milano_Lecco_linea.dat"},
      {compiled_file_name(file_kind::table, kIds), "Milano_Lecco_L5244.sim"},
      {compiled_file_name(file_kind::segments, kIds), "Milano_Lecco_L5244.dat"},
      {line_description_file_name(kIds.line_id), "Milano_Lecco_linea.txt"},
      {train_service_file_name(kIds.line_id, kIds.train_code), "Milano_Lecco_L5244-.txt"},
      {document_file_name(kIds.line_id, kIds.train_code, document::notes),
       "Milano_Lecco_L5244_note.txt"},
      {document_file_name(kIds.line_id, kIds.train_code, document::slow_orders),
       "Milano_Lecco_L5244_rallentamenti.txt"},
      {document_file_name(kIds.line_id, kIds.train_code, document::train_sheet),
       "Milano_Lecco_L5244_scheda_treno.txt"},
      {compile_record_name(kIds.line_id, kIds.train_code), "Milano_Lecco_L5244.report.json"},
      {picture_file_name(kIds, ".svg"), "Milano_Lecco_L5244.svg"},
  };
  for (const auto& [built, expected] : names) EXPECT_EQ(built, expected);
}

TEST(ScenarioNames, CompiledPathsInWritingOrder) {
  const std::filesystem::path dir = "out";
  EXPECT_EQ(
      compiled_file_paths("A", "B", true, dir),
      (std::vector<std::filesystem::path>{dir / "A_linea.dat", dir / "A_B.sim", dir / "A_B.dat"}));
  EXPECT_EQ(compiled_file_paths("A", "B", false, dir),
            (std::vector<std::filesystem::path>{dir / "A_B.sim", dir / "A_B.dat"}));
  // A name of UTF-8 text stays that text in the path.
  EXPECT_EQ(platform::utf8_of(path_in(dir, "Citt\xC3\xA0_linea.dat").filename()),
            "Citt\xC3\xA0_linea.dat");
}

TEST(ScenarioNames, KindByEnding) {
  const std::vector<std::pair<std::string, std::optional<file_kind>>> cases = {
      {"Milano_Lecco_linea.dat", file_kind::geometry},
      {"Milano_Lecco_L5244.sim", file_kind::table},
      {"Milano_Lecco_L5244.dat", file_kind::segments},
      {"_linea.dat", file_kind::geometry},  // the ending alone tells the kind
      {"x.sim", file_kind::table},
      {"Milano_Lecco_linea.txt", std::nullopt},
      {"Milano_Lecco_L5244-.txt", std::nullopt},
      {"Milano_Lecco_L5244.sim.bak", std::nullopt},
      {"Milano_Lecco_L5244.SIM", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [name, kind] : cases) EXPECT_EQ(compiled_kind_of_name(name), kind) << name;
}

// Every name built for an identifier is taken apart into that identifier.
TEST(ScenarioNames, TakenApartAsBuilt) {
  for (const scenario_ids& ids : {kIds, scenario_ids{"A", "B"}, scenario_ids{"a_b_c", "d_e"},
                                  scenario_ids{"Citt\xC3\xA0", "R.1"}}) {
    EXPECT_EQ(line_id_of_geometry_name(line_geometry_file_name(ids.line_id)), ids.line_id);
    EXPECT_EQ(line_id_of_description_name(line_description_file_name(ids.line_id)), ids.line_id);
    EXPECT_EQ(train_code_of_table_name(table_file_name(ids.line_id, ids.train_code), ids.line_id),
              ids.train_code);
    EXPECT_EQ(train_code_of_service_name(train_service_file_name(ids.line_id, ids.train_code),
                                         ids.line_id),
              ids.train_code);
    EXPECT_EQ(scenario_of_table_name(table_file_name(ids.line_id, ids.train_code)),
              ids.line_id + "_" + ids.train_code);
  }
}

TEST(ScenarioNames, RefusedWhenTheyNameNoIdentifier) {
  const std::vector<std::string> geometry = {"_linea.dat",      "linea.dat", "X_linea.txt",
                                             "X_linea.dat.bak", "X.dat",     ""};
  for (const std::string& name : geometry) EXPECT_FALSE(line_id_of_geometry_name(name)) << name;
  const std::vector<std::string> description = {"_linea.txt", "line.txt", "X_linea.dat",
                                                "X_L5244-.txt"};
  for (const std::string& name : description)
    EXPECT_FALSE(line_id_of_description_name(name)) << name;
  // The train code of a name for line "Milano_Lecco".
  const std::vector<std::string> tables = {"Milano_Lecco_.sim",
                                           "Milano_Lecco.sim",
                                           "Other_L5244.sim",
                                           "L5244.sim",
                                           "Milano_Lecco_L5244.dat",
                                           "Milano_LeccoXL5244.sim",
                                           ".sim",
                                           ""};
  for (const std::string& name : tables)
    EXPECT_FALSE(train_code_of_table_name(name, "Milano_Lecco")) << name;
  const std::vector<std::string> services = {"Milano_Lecco_-.txt", "L5244-.txt", "Other_L5244-.txt",
                                             "Milano_Lecco_L5244.txt", "Milano_Lecco-.txt"};
  for (const std::string& name : services)
    EXPECT_FALSE(train_code_of_service_name(name, "Milano_Lecco")) << name;
  EXPECT_FALSE(scenario_of_table_name(".sim"));
  EXPECT_FALSE(scenario_of_table_name("x.sim.txt"));
}

}  // namespace
}  // namespace scenario
