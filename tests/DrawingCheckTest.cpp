// DrawingCheckTest.cpp - the check of a drawing's structure.
#include "logic/check/DrawingCheck.h"

#include <gtest/gtest.h>

#include <map>  // std::map

#include "model/buffer/RecordWalk.h"
#include "tests/support/TestDrawings.h"

namespace {

struct Found {
  long long line;
  std::string kind;
  std::string text;  // UTF-8
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
  return out << f.line << " " << f.kind << " " << f.text;
}

std::vector<Found> Check(const TDXFBuffer& b) {
  HandleIndex index;
  index.Build(b);
  std::vector<Found> found;
  for (const CheckProblem& p : CheckDrawing(b, index))
    found.push_back({LineOfPair(p.pair), std::string(CheckKindName(p.kind)), Utf8(p.text)});
  return found;
}

TEST(DrawingCheck, FindsEachKindOfProblemInFileOrder) {
  const struct {
    const char* drawing;
    std::vector<Found> expected;
  } cases[] = {
      {"0|SECTION|2|HEADER|9|$HANDSEED|5|20|0|ENDSEC|0|SECTION|2|ENTITIES|"
       "0|LINE|5|1A|0|LINE|5|01a|0|POINT|5|20|0|ENDSEC|0|EOF",
       {{19, "duplicate-handle", "ハンドル 1A は 15 行のレコードと重複しています"},
        {23, "handle-above-seed", "ハンドル 20 が $HANDSEED（20）以上です"}}},
      {"0|SECTION|2|ENTITIES|0|LINE|5|1|330|0|360|2B|480|zz|330|01|0|ENDSEC|0|EOF",
       {{11, "dangling-pointer", "参照先のハンドル 2B がありません"},
        {13, "dangling-pointer", "参照先 'zz' はハンドルではありません"}}},
      {"0|SECTION|2|HEADER|0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF",
       {{1, "unclosed-section", "SECTION HEADER に ENDSEC がありません"}}},
      {"0|SECTION|2|TABLES|0|TABLE|2|LAYER|0|TABLE|2|LTYPE|0|ENDTAB|0|ENDSEC|0|EOF",
       {{5, "unclosed-table", "TABLE LAYER に ENDTAB がありません"}}},
      {"0|SECTION|2|BLOCKS|0|BLOCK|2|扉|0|ENDSEC|0|SECTION|2|ENTITIES|0|LINE|8|0",
       {{5, "unclosed-block", "BLOCK 扉 に ENDBLK がありません"},
        {11, "unclosed-section", "SECTION ENTITIES に ENDSEC がありません"}}},
      {"0|SECTION|2|ENTITIES|0|ENDSEC|0|LINE|8|0|0|ENDSEC|0|EOF",
       {{7, "outside-section", "レコード LINE がセクションの外にあります"},
        {11, "outside-section", "レコード ENDSEC がセクションの外にあります"}}},
      {"0|SECTION|2|ENTITIES|0|LINE|10|1.5e3|20|x|62|  256 |70|1.0|90|4294967295|71|65536|"
       "160|-9223372036854775808|1071|12a|40|inf|0|ENDSEC|0|EOF",
       {{9, "bad-number", "グループコード 20 の値 'x' は浮動小数点数ではありません"},
        {13, "bad-number", "グループコード 70 の値 '1.0' は整数値ではありません"},
        {17, "bad-number", "グループコード 71 の値 '65536' は整数値ではありません"},
        {21, "bad-number", "グループコード 1071 の値 '12a' は整数値ではありません"},
        {23, "bad-number", "グループコード 40 の値 'inf' は浮動小数点数ではありません"}}},
      // A drawing before R13 has no handles, and nothing to report about them.
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1009|0|ENDSEC|0|SECTION|2|ENTITIES|"
       "0|LINE|8|0|10|1.0|0|ENDSEC|0|EOF",
       {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(LoadDrawing(c.drawing)), c.expected) << c.drawing;
}

TEST(DrawingCheck, FindsNothingInTheSample) {
  EXPECT_EQ(Check(LoadSample()), std::vector<Found>{});
}

TEST(DrawingCheck, FindsTheDuplicatesOfTheCorpusDrawing) {
  if (CorpusDir().empty()) GTEST_SKIP() << "the shared corpus is not there";
  TDXFBuffer b;
  ASSERT_EQ(b.LoadFromFile(CorpusDir() + "/ezdxf-duplicate_handles.dxf"), 0);
  const std::vector<Found> found = Check(b);
  std::map<std::string, int> kinds;
  for (const Found& f : found) ++kinds[f.kind];
  EXPECT_EQ(kinds,
            (std::map<std::string, int>{{"duplicate-handle", 28}, {"handle-above-seed", 119}}));
  ASSERT_GE(found.size(), 2u);
  EXPECT_EQ(found[1],
            (Found{1443, "duplicate-handle", "ハンドル 2 は 991 行のレコードと重複しています"}));
}

TEST(DrawingCheck, ReportsInFileOrderOnTheCorpus) {
  if (CorpusDir().empty()) GTEST_SKIP() << "the shared corpus is not there";
  for (const std::string& path : CorpusTextFiles()) {
    TDXFBuffer b;
    if (b.LoadFromFile(path) != 0) continue;
    const std::vector<Found> found = Check(b);
    for (std::size_t k = 1; k < found.size(); ++k)
      EXPECT_LE(found[k - 1].line, found[k].line) << path;
  }
}

}  // namespace
