// DrawingCheckTest.cpp - the check of a drawing's structure.
#include "logic/check/DrawingCheck.h"

#include <gtest/gtest.h>

#include <map>  // std::map

#include "logic/check/CheckNames.h"
#include "model/buffer/RecordWalk.h"
#include "tests/support/CheckFixtures.h"
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
    found.push_back(
        {LineOfPair(p.pair), std::string(CheckKindName(p.kind)), Utf8OfProgramText(p.text)});
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
        {11, "unclosed-section", "SECTION ENTITIES に ENDSEC がありません"},
        {19, "missing-eof", "図面の最後に EOF がありません"}}},
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

// ------------------------------------------------------------------ names, tables, texts

TEST(DrawingCheck, FindsNothingInACleanDrawing) {
  const TDXFBuffer b = LoadFixture(kClean);
  EXPECT_EQ(b.Encoding, TextEncoding::Cp932);
  EXPECT_EQ(Check(b), std::vector<Found>{});
}

// One damage each: exactly one problem, of its kind, at its line.
TEST(DrawingCheck, FindsEachDamageOfTheCleanDrawingAtItsLine) {
  const struct {
    const char* from;
    const char* to;
    Found expected;
  } cases[] = {
      {"|0|ENDSEC|0|EOF", "|0|ENDSEC", {515, "missing-eof", "図面の最後に EOF がありません"}},
      {"0|SEQEND|5|35|330|33|8|0|",
       "",
       {437, "missing-seqend", "POLYLINE（419 行）に SEQEND がありません"}},
      {"0|SEQEND|5|32|330|30|8|0|",
       "",
       {411, "missing-seqend", "INSERT（385 行）に SEQEND がありません"}},
      {"1001|QUILLET|",
       "1001|ACME|",
       {459, "unregistered-appid", "アプリケーション名 'ACME' は APPID テーブルにありません"}},
      {"6|DASHED|",
       "6|DOTTED|",
       {453, "undefined-linetype", "線種 'DOTTED' は LTYPE テーブルにありません"}},
      {"6|dashed|",
       "6|dotted|",  // a LAYER entry's linetype
       {139, "undefined-linetype", "線種 'dotted' は LTYPE テーブルにありません"}},
      {"7|明朝|1|表示",
       "7|ゴシック|1|表示",
       {455, "undefined-style", "文字スタイル 'ゴシック' は STYLE テーブルにありません"}},
      {"@BAR@wall|2|扉|",
       "@BAR@wall|2|窓|",
       {499, "undefined-block", "ブロック '窓' は BLOCKS セクションにありません"}},
      {"2|*U1|3|",
       "2|*D9|3|",  // a DIMENSION's block
       {471, "undefined-block", "ブロック '*D9' は BLOCKS セクションにありません"}},
      {"3|寸法|",
       "3|寸法2|",
       {473, "undefined-dimstyle", "寸法スタイル '寸法2' は DIMSTYLE テーブルにありません"}},
      {"8|表示|6|DASHED",
       "8|床|6|DASHED",
       {451, "undefined-layer",
        "画層 '床' は LAYER テーブルにありません（注意：AutoCAD はこのまま読み込みます）"}},
      {"WALL|70|16|",
       "WALL|70|0|",
       {183, "bad-name", "LAYER の名前 'XREF|WALL' に使えない文字 '|' があります"}},
      {"5|23|330|3|2||70|1|", "5|23|330|3|2||70|0|", {229, "bad-name", "STYLE の名前が空です"}},
      {"2|ByLayer|",
       "2|BYBLOCK|",
       {81, "duplicate-name",
        "LTYPE の名前 'BYBLOCK' は 71 行の 'ByBlock' "
        "と重複しています（大文字と小文字の違いだけです）"}},
      {"2|*U1|0|ENDTAB",
       "2|扉|0|ENDTAB",
       {321, "duplicate-name", "BLOCK_RECORD の名前 '扉' は 313 行の名前と重複しています"}},
      {"5|36|330|18|",
       "5|36|330|19|",
       {449, "wrong-owner",
        "所有者のハンドル 19 は 307 行の BLOCK_RECORD 扉 で、レイアウトの BLOCK_RECORD "
        "ではありません"}},
      {"5|1C|330|2|",
       "5|1C|330|1|",
       {157, "wrong-owner",
        "所有者のハンドル 1 は 55 行の TABLE LTYPE で、TABLE LAYER ではありません"}},
      {"5|21|330|19|",
       "5|21|330|20|",
       {347, "wrong-owner",
        "所有者のハンドル 20 は 331 行の BLOCK で、BLOCK_RECORD ではありません"}},
      {"5|34|330|33|",
       "5|34|330|30|",
       {433, "wrong-owner", "所有者のハンドル 30 は 385 行の INSERT で、POLYLINE ではありません"}},
      {"1|表示|1001",
       "1|@BAD@|1001",
       {457, "bad-text", "グループコード 1 の値 '��' は CP932 として読めません"}},
      {"70|7|",
       "70|6|",
       {115, "table-count", "TABLE LAYER の項目数 6 が実際の項目数 7 より少なくなっています"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Check(LoadFixture(Damaged(std::string(kClean), c.from, c.to))),
              std::vector<Found>{c.expected})
        << c.from << " -> " << c.to;
}

TEST(DrawingCheck, FindsSeveralDamagesInLineOrder) {
  std::string drawing(kClean);
  drawing = Damaged(drawing, "|0|ENDSEC|0|EOF", "|0|ENDSEC");
  drawing = Damaged(drawing, "5|36|330|18|", "5|36|330|19|");
  drawing = Damaged(drawing, "8|表示|6|DASHED", "8|床|6|DASHED");
  drawing = Damaged(drawing, "8|ヂ|", "8|床|");  // the same undefined layer again
  drawing = Damaged(drawing, "70|7|", "70|6|");
  drawing = Damaged(drawing, "WALL|70|16|", "WALL|70|0|");
  drawing = Damaged(drawing, "1001|quillet|", "1001|acme|");
  drawing = Damaged(drawing, "5|26|", "5|25|");  // the *U1 BLOCK takes its record's handle
  const std::string note =
      "画層 '床' は LAYER テーブルにありません（注意：AutoCAD はこのまま読み込みます）（ほか 1 "
      "か所）";
  EXPECT_EQ(
      Check(LoadFixture(drawing)),
      (std::vector<Found>{
          {115, "table-count", "TABLE LAYER の項目数 6 が実際の項目数 7 より少なくなっています"},
          {183, "bad-name", "LAYER の名前 'XREF|WALL' に使えない文字 '|' があります"},
          {359, "duplicate-handle", "ハンドル 25 は 315 行のレコードと重複しています"},
          {449, "wrong-owner",
           "所有者のハンドル 19 は 307 行の BLOCK_RECORD 扉 で、レイアウトの BLOCK_RECORD "
           "ではありません"},
          {451, "undefined-layer", note},
          {485, "unregistered-appid", "アプリケーション名 'acme' は APPID テーブルにありません"},
          {515, "missing-eof", "図面の最後に EOF がありません"},
      }));
}

TEST(DrawingCheck, GivesARepairWhatItActsOn) {
  std::string drawing(kClean);
  drawing = Damaged(drawing, "8|表示|6|DASHED", "8|床|6|DASHED");
  drawing = Damaged(drawing, "8|ヂ|", "8|床|");
  drawing = Damaged(drawing, "0|SEQEND|5|35|330|33|8|0|", "");
  drawing = Damaged(drawing, "70|7|", "70|6|");
  const TDXFBuffer b = LoadFixture(drawing);
  HandleIndex index;
  index.Build(b);
  const std::vector<CheckProblem> problems = CheckDrawing(b, index);
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(CheckKindName(problems[0].kind), "table-count");
  EXPECT_EQ(problems[0].subject, "LAYER");
  EXPECT_EQ(LineOfPair(problems[0].other), 107) << "the TABLE record";
  EXPECT_EQ(problems[0].count, 7);
  EXPECT_EQ(CheckKindName(problems[1].kind), "missing-seqend");
  EXPECT_EQ(LineOfPair(problems[1].pair), 437) << "where the SEQEND belongs";
  EXPECT_EQ(LineOfPair(problems[1].other), 419) << "the POLYLINE";
  EXPECT_EQ(CheckKindName(problems[2].kind), "undefined-layer");
  EXPECT_EQ(problems[2].subject, Sjis("床")) << "the name as the file stores it";
  EXPECT_EQ(LineOfPair(problems[2].other), 107) << "the LAYER table, where it belongs";
  EXPECT_EQ(problems[2].count, 2);
  EXPECT_TRUE(IsNoteKind(problems[2].kind));
  EXPECT_FALSE(IsNoteKind(problems[1].kind));
}

TEST(DrawingCheck, FindsTextsThatDoNotDecodeAndDrawingsInTheWrongEncoding) {
  const struct {
    const char* drawing;
    bool utf8;  // written in UTF-8, else in CP932
    std::vector<Found> expected;
  } cases[] = {
      // UTF-8 in a drawing before AC1021 that declares a code page.
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1015|9|$DWGCODEPAGE|3|ANSI_1252|0|ENDSEC|"
       "0|SECTION|2|ENTITIES|0|TEXT|8|0|1|Grüße|0|ENDSEC|0|EOF",
       true,
       {{7, "version-mismatch",
         "$ACADVER AC1015（$DWGCODEPAGE ANSI_1252）の図面に UTF-8 の文字列があります（最初は 23 "
         "行）"}}},
      // Shift-JIS in a drawing of AC1021 or later, which is UTF-8: each text, and why.
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1027|9|$DWGCODEPAGE|3|ANSI_932|0|ENDSEC|"
       "0|SECTION|2|ENTITIES|0|TEXT|8|0|1|表|0|TEXT|8|0|1|壁|0|ENDSEC|0|EOF",
       false,
       {{7, "version-mismatch",
         "$ACADVER AC1027 の図面は UTF-8 のはずですが、ANSI_932 の文字列があります（最初は 23 "
         "行）"},
        {23, "bad-text", "グループコード 1 の値 '�\\' は UTF-8 として読めません"},
        {29, "bad-text", "グループコード 1 の値 '��' は UTF-8 として読めません"}}},
      // A UTF-8 drawing with one value broken: that value only.
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1027|0|ENDSEC|"
       "0|SECTION|2|ENTITIES|0|TEXT|8|0|1|Grüße|0|TEXT|8|0|1|x@BAD@y|0|ENDSEC|0|EOF",
       true,
       {{25, "bad-text", "グループコード 1 の値 'x�(y' は UTF-8 として読めません"}}},
      // The same texts where they belong: nothing.
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1027|9|$DWGCODEPAGE|3|ANSI_932|0|ENDSEC|"
       "0|SECTION|2|ENTITIES|0|TEXT|8|0|1|表|0|ENDSEC|0|EOF",
       true,
       {}},
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1015|9|$DWGCODEPAGE|3|ANSI_932|0|ENDSEC|"
       "0|SECTION|2|ENTITIES|0|TEXT|8|0|1|表|0|ENDSEC|0|EOF",
       false,
       {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Check(LoadFixture(c.drawing, c.utf8, "\xC3\x28")), c.expected) << c.drawing;
}

TEST(DrawingCheck, ComparesNamesAsAutoCADDoes) {
  EXPECT_TRUE(SameSymbolName(TextEncoding::Cp932, "Wall", "WALL"));
  EXPECT_FALSE(SameSymbolName(TextEncoding::Cp932, "Wall", "Walls"));
  // ア (83 41) and ヂ (83 61) differ in a trail byte that is a letter's.
  EXPECT_FALSE(SameSymbolName(TextEncoding::Cp932, Sjis("ア"), Sjis("ヂ")));
  EXPECT_TRUE(SameSymbolName(TextEncoding::Cp932, Sjis("aア"), Sjis("Aア")));
  EXPECT_TRUE(SameSymbolName(TextEncoding::Utf8, "ä-x", "ä-X"));
  EXPECT_FALSE(SameSymbolName(TextEncoding::Utf8, "ä", "Ä")) << "ASCII letters only";
  const SymbolNameHash hash{TextEncoding::Cp932};
  EXPECT_EQ(hash("Wall"), hash("wALL"));

  const auto forbidden = [](std::string_view name, NameAllowance allowed = {}) {
    return std::string(ForbiddenNameCharacter(TextEncoding::Cp932, name, allowed));
  };
  for (const char* bad : {"<", ">", "/", "\\", "\"", ":", ";", "?", "*", "|", "=", "`"})
    EXPECT_EQ(forbidden(std::string("a") + bad + "b"), bad);
  EXPECT_EQ(forbidden(Sjis("表示ソ")), "") << "trail bytes 5C are no backslashes";
  EXPECT_EQ(forbidden("\\U+00C4rger\\M+18140"), "") << "escapes";
  EXPECT_EQ(forbidden("\\U+00G4"), "\\");
  EXPECT_EQ(forbidden("*U1"), "*");
  EXPECT_EQ(forbidden("*U1", {.leadingStar = true}), "");
  EXPECT_EQ(forbidden("*U*1", {.leadingStar = true}), "*");
  EXPECT_EQ(forbidden("X|Y", {.bar = true}), "");
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
  EXPECT_EQ(kinds, (std::map<std::string, int>{{"duplicate-handle", 28},
                                               {"handle-above-seed", 119},
                                               {"table-count", 1},
                                               {"undefined-block", 2},
                                               {"undefined-dimstyle", 1}}));
  ASSERT_GE(found.size(), 3u);
  EXPECT_EQ(found[0], (Found{999, "table-count",
                             "TABLE LAYER の項目数 2 が実際の項目数 3 より少なくなっています"}));
  EXPECT_EQ(found[2],
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
