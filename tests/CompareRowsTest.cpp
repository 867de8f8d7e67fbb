// CompareRowsTest.cpp - the rows of the compare list and their filters.
#include "logic/compare/CompareRows.h"

#include <gtest/gtest.h>

#include <string>  // std::string
#include <vector>  // std::vector

#include "tests/support/TestDrawings.h"

namespace {

constexpr const char* kHere =
    "0|SECTION|2|HEADER|9|$ACADVER|1|AC1015|9|$CLAYER|8|0|0|ENDSEC|"
    "0|SECTION|2|TABLES|0|TABLE|2|LAYER|5|2|0|LAYER|5|10|2|壁|62|1|0|ENDTAB|0|ENDSEC|"
    "0|SECTION|2|ENTITIES|0|LINE|5|20|8|壁|62|1|0|CIRCLE|5|21|8|0|0|ENDSEC|0|EOF";
// The same in UTF-8 (AC1021) with $CLAYER 壁, layer 壁 yellow, the CIRCLE gone and an ARC.
constexpr const char* kThere =
    "0|SECTION|2|HEADER|9|$ACADVER|1|AC1021|9|$CLAYER|8|壁|0|ENDSEC|"
    "0|SECTION|2|TABLES|0|TABLE|2|LAYER|5|2|0|LAYER|5|10|2|壁|62|2|0|ENDTAB|0|ENDSEC|"
    "0|SECTION|2|ENTITIES|0|LINE|5|20|8|壁|62|1|0|ARC|5|22|8|0|0|ENDSEC|0|EOF";

std::vector<std::vector<std::string>> Rows(const CompareRows& rows) {
  std::vector<std::vector<std::string>> cells;
  for (int r = 0; r < rows.RowCount(); ++r) {
    cells.emplace_back();
    for (int c = 0; c < kCompareColumns; ++c)
      cells.back().push_back(Utf8(rows.Cell(r, static_cast<CompareColumn>(c))));
  }
  return cells;
}

TEST(CompareRows, ShowsEachChangeWithBothDrawingsValuesAndFiltersThem) {
  const TDXFBuffer here = LoadDrawing(kHere);
  const TDXFBuffer there = LoadUtf8Drawing(kThere);
  CompareRows rows(here, there, CompareDrawings(here, there, {}));
  using Table = std::vector<std::vector<std::string>>;
  const Table all = {
      {"変更", "$ACADVER", "$ACADVER", "5", "5", "1: AC1015 → AC1021"},
      {"変更", "$CLAYER", "$CLAYER", "9", "9", "8: 0 → 壁"},
      {"変更", "LAYER", "10", "25", "25", "62: 1 → 2"},
      {"削除", "CIRCLE", "21", "49", "", ""},
      {"追加", "ARC", "22", "", "49", ""},
  };
  EXPECT_EQ(Rows(rows), all);
  EXPECT_EQ(Utf8(rows.PairLines(0)), "1: AC1015 → AC1021");
  EXPECT_EQ(rows.KindCounts(), (std::vector<int>{3, 1, 1}));
  EXPECT_EQ(rows.Types(),
            (std::vector<std::string>{"$ACADVER", "$CLAYER", "ARC", "CIRCLE", "LAYER"}));
  const struct {
    std::optional<ChangeKind> kind;
    std::optional<RecordSection> section;
    const char* type;
    Table expected;
  } cases[] = {
      {ChangeKind::Changed, {}, "", {all[0], all[1], all[2]}},
      {ChangeKind::Added, {}, "", {all[4]}},
      {{}, RecordSection::Entities, "", {all[3], all[4]}},
      {{}, RecordSection::Objects, "", {}},
      {{}, {}, "LAYER", {all[2]}},
      {ChangeKind::Removed, {}, "ARC", {}},
      {{}, {}, "", all},
  };
  for (const auto& c : cases) {
    rows.Filter({c.kind, c.section, c.type});
    EXPECT_EQ(Rows(rows), c.expected) << c.type;
  }
}

}  // namespace
