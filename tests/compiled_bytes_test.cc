// The compiled files of a set of scenarios, written as the programs write
// them and fingerprinted byte for byte.  The route plan is the fragile part:
// a fused multiply-add, a reordered sum, a cell stored with the wrong tag or
// at the wrong offset changes bytes the simulator reads, and these
// fingerprints show it.  Besides the usual shape of a plan (two integers,
// then floats, then two empty metres) the table covers plans whose last
// metres are drawn, plans that stop part way and plans never seeded.
#include <gtest/gtest.h>

#include <filesystem>

#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/scenario_names.h"
#include "format/compiled_set.h"
#include "system/files.h"
#include "testing/compilation_runs.h"
#include "testing/documents.h"
#include "testing/scenario_texts.h"
#include "testing/scratch_dir.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;

using testing::fnv1a64;
using testing::line_text;
using testing::scratch_dir;
using testing::service_text;

struct pinned_case {
  const char* name;
  std::string line;
  std::string service;
  int32_t j;
  int32_t failure_code;
  size_t geometry_size;  // 0 when no line geometry file is written
  uint64_t geometry, table, segments;
};

std::vector<pinned_case> cases() {
  const testing::scenario_texts longest = testing::dense_texts();
  return {
      {"built-in scenario", dati_linea(), dati_treno(), 1, 0, 1'219'964, 0x099aa07c89e203cd,
       0x89290bd7b7592abd, 0x297295f047ff1968},
      {"synthetic scenario of the greatest length", longest.line_description, longest.train_service,
       1, 0, 20'139'964, 0xae4f711343d3acd7, 0xc3310ed8d3a04f0a, 0x794b05904cc12ab6},
      {"curve that ends on the plan's last metre", line_text("curvad1, 100, 16900\r\n"),
       service_text(""), 1, 0, 0, 0xfb33bfab17215077, 0x8fbd557105a8a89b, 0x373067611fc066d9},
      {"curve that runs past the plan's last metre", line_text("curvas2, 16000, 1005\r\n"),
       service_text(""), 1, 30, 0, 0x2e07ef81c61127e9, 0x8fbd557105a8a89b, 0x53150cf8994f8241},
      {"plan drawn part way, then a failure",
       line_text("curvas3, 500, 100\r\ncartello indicatore, 3000, \"A\"\r\n"
                 "cartello indicatore, 3000, \"B\"\r\n"),
       service_text(""), 1, 6, 0, 0x9532dad52baebfab, 0x2a12f9b1b48dcc21, 0x4a06b6b76532389f},
      {"plan sized but never seeded",
       "[generale]\r\nlunghezza percorso, 10000\r\nripetizione segnali 4, 25, 0\r\n[fine]\r\n",
       service_text(""), 1, 3, 0, 0xb9b8d2e245b62c75, 0xf2d5c9af34e7efdc, 0x53150cf8994f8241},
      {"no route plan", dati_linea(), dati_treno(), 0, 0, 0, 0, 0x89290bd7b7592abd,
       0x297295f047ff1968},
  };
}

TEST(CompiledBytesTest, WrittenFilesKeepTheirFingerprints) {
  for (const pinned_case& c : cases()) {
    SCOPED_TRACE(c.name);
    scenario_records records;
    records.line_id = "Pinned";
    records.train_code = "P1";
    const compilation result = compile_scenario(records, c.j, c.line, c.service);
    ASSERT_TRUE(result.compiled);
    EXPECT_EQ(records.failure_code, c.failure_code);
    scratch_dir dir;
    write_compiled_files(records, dir.path());
    const fs::path geometry = dir.path() / line_geometry_file_name("Pinned");
    if (c.j == 0) {
      EXPECT_FALSE(fs::exists(geometry));
    } else {
      const std::string bytes = read_whole_file(geometry);
      if (c.geometry_size != 0) {
        EXPECT_EQ(bytes.size(), c.geometry_size);
      }
      EXPECT_EQ(fnv1a64(bytes), c.geometry);
      // The bytes in memory are those of the file.
      EXPECT_EQ(line_geometry_bytes(records.track_geometry), bytes);
    }
    const std::string table = read_whole_file(dir.path() / table_file_name("Pinned", "P1"));
    const std::string segments = read_whole_file(dir.path() / segment_file_name("Pinned", "P1"));
    EXPECT_EQ(fnv1a64(table), c.table);
    EXPECT_EQ(fnv1a64(segments), c.segments);
  }
}

}  // namespace
}  // namespace scenario
