// PurgeEditTest.cpp - the changes a purge plans: whole definitions out, table counts down.
#include "logic/purge/PurgeEdit.h"

#include <gtest/gtest.h>

#include <string>  // std::string
#include <vector>  // std::vector

#include "tests/support/TestDrawings.h"

namespace {

TEST(PurgeEdit, WithNumberKeepsTheValuesBlanks) {
  const struct {
    const char* value;
    int n;
    const char* expected;
  } cases[] = {
      {"3", 1, "1"},   {"     6", 4, "     4"}, {"  12", 9, "   9"},       {"12 ", 9, "9 "},
      {"9", 10, "10"}, {"  5", 100, "100"},     {"     10", 0, "      0"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithNumber(c.value, c.n), c.expected) << c.value;
}

// The pairs of b up to its EOF pair as "code|value|...".
std::string PairText(const TDXFBuffer& b) {
  std::string text;
  for (int i = 0; i <= b.EofIndex; ++i)
    text += (i ? "|" : "") + std::to_string(b.GetCode(i)) + "|" + b.GetValue(i);
  return text;
}

// Layers 0, A (used only by block OUTER), B; dimension styles Standard and OLD, listed by
// the DIMSTYLE table head; block OUTER with its BLOCK_RECORD.
const std::string kTables =
    "0|SECTION|2|TABLES|"
    "0|TABLE|2|LAYER|5|2|70|     3|0|LAYER|5|10|2|0|0|LAYER|5|11|2|A|0|LAYER|5|12|2|B|0|ENDTAB|"
    "0|TABLE|2|DIMSTYLE|5|9|70|2|100|AcDbDimStyleTable|71|2|340|1E|340|1F|"
    "0|DIMSTYLE|105|1E|2|Standard|0|DIMSTYLE|105|1F|2|OLD|0|ENDTAB|"
    "0|TABLE|2|BLOCK_RECORD|5|3|70|1|0|BLOCK_RECORD|5|20|2|OUTER|0|ENDTAB|0|ENDSEC|";
const std::string kRest =
    "0|SECTION|2|BLOCKS|0|BLOCK|5|21|2|OUTER|8|0|0|LINE|5|22|8|A|0|ENDBLK|5|23|8|0|0|ENDSEC|"
    "0|EOF";

TEST(PurgeEdit, TakesChosenDefinitionsOutWholeAndLowersTheTablesCounts) {
  const TDXFBuffer b = LoadUtf8Drawing(kTables + kRest);
  HandleIndex index;
  index.Build(b);
  const PurgeList list = FindUnusedDefinitions(b, index);
  ASSERT_EQ(list.Entries().size(), 4u);  // A, B, OLD, OUTER
  const struct {
    const char* what;
    std::vector<bool> chosen;
    std::string expected;
  } cases[] = {
      {"all",
       {true, true, true, true},
       "0|SECTION|2|TABLES|"
       "0|TABLE|2|LAYER|5|2|70|     1|0|LAYER|5|10|2|0|0|ENDTAB|"
       "0|TABLE|2|DIMSTYLE|5|9|70|1|100|AcDbDimStyleTable|71|1|340|1E|"
       "0|DIMSTYLE|105|1E|2|Standard|0|ENDTAB|"
       "0|TABLE|2|BLOCK_RECORD|5|3|70|0|0|ENDTAB|0|ENDSEC|"
       "0|SECTION|2|BLOCKS|0|ENDSEC|0|EOF"},
      {"a layer the kept block uses stays",
       {true, true, false, false},
       "0|SECTION|2|TABLES|"
       "0|TABLE|2|LAYER|5|2|70|     2|0|LAYER|5|10|2|0|0|LAYER|5|11|2|A|0|ENDTAB|"
       "0|TABLE|2|DIMSTYLE|5|9|70|2|100|AcDbDimStyleTable|71|2|340|1E|340|1F|"
       "0|DIMSTYLE|105|1E|2|Standard|0|DIMSTYLE|105|1F|2|OLD|0|ENDTAB|"
       "0|TABLE|2|BLOCK_RECORD|5|3|70|1|0|BLOCK_RECORD|5|20|2|OUTER|0|ENDTAB|0|ENDSEC|" +
           kRest},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TDXFBuffer copy = LoadUtf8Drawing(kTables + kRest);
    PurgeEdit edit = PlanPurge(copy, list, c.chosen);
    ASSERT_TRUE(copy.ReplacePairs(edit.replacements));
    for (const auto& [pair, value] : edit.counts) copy.SetValue(pair, value);
    (void)copy.UpdateCaches();
    EXPECT_EQ(PairText(copy), PairText(LoadUtf8Drawing(c.expected)));
  }
}

TEST(PurgeEdit, NamesEachDefinitionAndTheSizes) {
  const TDXFBuffer b = LoadDrawing(kTables + kRest);
  UnusedDefinition entry;
  entry.table = PurgeTable::Layer;
  entry.name = Sjis("家具");
  entry.record = 61;
  EXPECT_EQ(Utf8(PurgeLogLine(b, entry)), "削除：画層 \"家具\"　123 行");
  EXPECT_EQ(Utf8(PurgeSummaryLine(4, 19402, 16522)),
            "未使用の定義を 4 件削除しました　19402 バイト → 16522 バイト");
}

}  // namespace
