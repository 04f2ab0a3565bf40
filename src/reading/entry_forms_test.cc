#include "reading/entry_forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "line/line_reader.h"
#include "service/service_reader.h"
#include "service/signals_and_slowdowns.h"

namespace scenario {
namespace {

std::vector<std::string_view> keywords(source_kind text) {
  std::vector<std::string_view> k;
  for (const entry_form& f : entry_forms(text)) k.push_back(f.keyword);
  return k;
}

// The catalogue holds the very entries and sections the readers know, so
// that the editor never offers a word the compiler does not read.
TEST(EntryForms, HoldTheReadersEntriesAndSections) {
  std::vector<std::string_view> line(kLineGeneralKeywords.begin(), kLineGeneralKeywords.end() - 1);
  line.insert(line.end(), kLineEntryKeywords.begin(), kLineEntryKeywords.end());
  EXPECT_EQ(keywords(source_kind::line_description), line);
  EXPECT_EQ(keywords(source_kind::train_service),
            std::vector<std::string_view>(kServiceKeywords.begin(), kServiceKeywords.end()));
  std::vector<std::string_view> sections;
  for (const section_form& s : section_forms(source_kind::train_service)) sections.push_back(s.name);
  EXPECT_EQ(sections, std::vector<std::string_view>(kServiceSections.begin(), kServiceSections.end()));
  sections.clear();
  for (const section_form& s : section_forms(source_kind::line_description)) sections.push_back(s.name);
  EXPECT_TRUE(std::equal(kLineSections.begin(), kLineSections.end(), sections.begin()));
}

TEST(EntryForms, FieldCountsAreWhatTheReadersRead) {
  const struct {
    source_kind text;
    std::string_view keyword;
    size_t fields;
  } cases[] = {
      {source_kind::train_service, "segnale", kSignalFields.size()},
      {source_kind::train_service, "stazione", 17},
      {source_kind::train_service, "rallentamento", 6},
      {source_kind::train_service, "orologio", 3},
      {source_kind::line_description, "indicatori_vmax", 9},
      {source_kind::line_description, "montagna", 3},
      {source_kind::line_description, "progressiva chilometrica due", 3},
  };
  for (const auto& c : cases) {
    const entry_form* form = find_entry_form(c.text, c.keyword);
    ASSERT_NE(form, nullptr) << c.keyword;
    EXPECT_EQ(form->keyword, c.keyword);
    EXPECT_EQ(form->fields.size(), c.fields) << c.keyword;
  }
}

TEST(EntryForms, KeywordFieldsAreFoundByTheWordsTheyHold) {
  const struct {
    source_kind text;
    std::string_view field;
    std::string_view keyword;  // empty: no entry
  } cases[] = {
      {source_kind::line_description, "curvas4", "curvas"},
      {source_kind::line_description, "curvad6", "curvad"},
      {source_kind::line_description, "LUNGHEZZA del percorso", "lunghezza percorso"},
      {source_kind::line_description, "ripetizione segnali 9 codici", "ripetizione segnali 4 codici"},
      {source_kind::line_description, "cartello indicatore", "cartello indicatore"},
      {source_kind::line_description, "segnale", ""},
      {source_kind::train_service, "velocità", "velocita"},
      {source_kind::train_service, "massa frenata percentuale", "percentuale massa frenata"},
      {source_kind::train_service, "pendenza", ""},
  };
  for (const auto& c : cases) {
    const entry_form* form = find_entry_form(c.text, c.field);
    EXPECT_EQ(form ? form->keyword : std::string_view(), c.keyword) << c.field;
  }
}

TEST(EntryForms, WrittenKeywordsAreTheWritersSpellingsOnly) {
  const entry_form* curve = find_entry_form(source_kind::line_description, "curvas");
  const entry_form* repetition = find_entry_form(source_kind::line_description, "ripetizione segnali");
  const entry_form* signal = find_entry_form(source_kind::train_service, "segnale");
  EXPECT_TRUE(is_written_keyword(*curve, "curvas3"));
  EXPECT_FALSE(is_written_keyword(*curve, "curvas7"));
  EXPECT_FALSE(is_written_keyword(*curve, "curvas"));
  EXPECT_TRUE(is_written_keyword(*repetition, "ripetizione segnali 9 codici"));
  EXPECT_FALSE(is_written_keyword(*repetition, "ripetizione segnali 5 codici"));
  EXPECT_TRUE(is_written_keyword(*signal, "segnale"));
  EXPECT_FALSE(is_written_keyword(*signal, "segnale bis"));
}

}  // namespace
}  // namespace scenario
