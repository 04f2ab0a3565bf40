#include "tool/lsp/document_uri.h"

#include <gtest/gtest.h>

namespace scenario::tool::lsp {
namespace {

TEST(DocumentUri, FileUrisBecomeLocalPaths) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"file:///home/anna/Milano_Lecco_linea.txt", "/home/anna/Milano_Lecco_linea.txt"},
      {"file:///home/anna/Citt%C3%A0%20Alta/x.txt", "/home/anna/Citt\xC3\xA0 Alta/x.txt"},
      {"file://localhost/tmp/x.txt", "/tmp/x.txt"},
      {"FILE:///tmp/x.txt", "/tmp/x.txt"},
      {"file:///c%3A/Tratte/x.txt", "c:/Tratte/x.txt"},
      {"file:///C:/Tratte/x.txt", "C:/Tratte/x.txt"},
      {"file://server/share/x.txt", std::nullopt},
      {"untitled:Untitled-1", std::nullopt},
      {"file:", std::nullopt},
  };
  for (const auto& [uri, path] : cases) EXPECT_EQ(path_of(uri), path) << uri;
}

TEST(DocumentUri, APartnerIsNamedInTheSameFolderAsTheEditorSpellsIt) {
  const std::string uri = "file:///c%3A/Tratte%20nuove/Milano_Lecco_L5244-.txt";
  EXPECT_EQ(name_of(uri), "Milano_Lecco_L5244-.txt");
  EXPECT_EQ(folder_of(uri), "file:///c%3A/Tratte%20nuove/");
  EXPECT_EQ(sibling(uri, "Citt\xC3\xA0 linea.txt"),
            "file:///c%3A/Tratte%20nuove/Citt%C3%A0%20linea.txt");
  EXPECT_EQ(percent_decoded("%4"), "%4");
  EXPECT_EQ(percent_decoded("%zz%41"), "%zzA");
}

}  // namespace
}  // namespace scenario::tool::lsp
