// DrawingRepairTest.cpp - the repair of the problems the check finds.
#include "logic/repair/DrawingRepair.h"

#include <gtest/gtest.h>

#include <algorithm>  // std::max

#include "logic/document/Document.h"
#include "model/buffer/RecordWalk.h"
#include "tests/support/CheckFixtures.h"

namespace {

struct Line {
  long long line;
  std::string kind;
  std::string text;  // UTF-8
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& l) {
  return out << l.line << " " << l.kind << " " << l.text;
}

std::vector<Line> LinesOf(const std::vector<RepairLine>& lines) {
  std::vector<Line> shown;
  for (const RepairLine& l : lines)
    shown.push_back(
        {LineOfPair(l.pair), std::string(CheckKindName(l.kind)), Utf8OfProgramText(l.text)});
  return shown;
}

std::vector<std::string> FileLines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
    lines.push_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// How many lines of `before` are not in `after` in their order: the lines a change
// rewrote or took out (the length of before less the longest common subsequence).
std::size_t LinesLost(const std::string& before, const std::string& after) {
  const std::vector<std::string> a = FileLines(before), b = FileLines(after);
  std::vector<std::size_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
  for (std::size_t i = a.size(); i-- > 0;) {
    for (std::size_t j = b.size(); j-- > 0;)
      next[j] = a[i] == b[j] ? row[j + 1] + 1 : std::max(row[j], next[j + 1]);
    std::swap(row, next);
  }
  return a.size() - row[0];
}

// A damaged drawing in a document, repaired: the plan, the report and the files.
struct Repaired {
  TempDir dir;
  Document document;
  std::string damaged;  // the file's bytes
  RepairPlan plan;
  ChangeReport report;
  std::string saved;  // after the repair

  explicit Repaired(const std::string& fixture) : damaged(FixtureBytes(fixture)) {
    const std::string path = dir.Write("damaged.dxf", damaged);
    EXPECT_TRUE(document.Load(path).Ok());
    const HandleIndex& handles = document.ReadyHandles();
    plan = PlanRepair(document.Buffer(), handles, CheckDrawing(document.Buffer(), handles));
    report = document.Repair(plan);
    saved = SaveAs("repaired.dxf");
  }

  std::string SaveAs(const std::string& name) {
    EXPECT_TRUE(document.SaveAs(dir.Path() + "/" + name, /*normalise=*/false).Ok());
    return ReadBytes(dir.Path() + "/" + name);
  }

  // The problems the check finds in the repaired file.
  std::vector<Line> CheckAgain() {
    Document again;
    EXPECT_TRUE(again.Load(dir.Path() + "/repaired.dxf").Ok());
    std::vector<RepairLine> found;
    for (const CheckProblem& p : CheckDrawing(again.Buffer(), again.ReadyHandles()))
      found.push_back({p.pair, p.kind, p.text});
    return LinesOf(found);
  }
};

// One damage each: one repair that says what it did; the saved drawing passes the check,
// keeps every line the repair did not rewrite, and one undo gives back the damaged bytes.
TEST(DrawingRepair, RepairsEachDamageKeepingEveryOtherLine) {
  const struct {
    const char* from;
    const char* to;
    Line repaired;
    std::size_t linesLost;  // rewritten or taken out
  } cases[] = {
      {"|0|ENDSEC|0|EOF", "|0|ENDSEC", {515, "missing-eof", "EOF を入れました（図面の最後）"}, 0},
      {"0|SEQEND|5|35|330|33|8|0|",
       "",
       {437, "missing-seqend", "POLYLINE（419 行）の SEQEND を入れました（437 行の前）"},
       1},  // $HANDSEED
      {"0|SEQEND|5|32|330|30|8|0|",
       "",
       {411, "missing-seqend", "INSERT（385 行）の SEQEND を入れました（411 行の前）"},
       1},
      {"1001|QUILLET|",
       "1001|ACME|",
       {459, "unregistered-appid", "'ACME' を APPID テーブルに加えました"},
       2},  // the count, $HANDSEED
      {"6|DASHED|",
       "6|DOTTED|",
       {453, "undefined-linetype", "'DOTTED' を LTYPE テーブルに加えました"},
       2},
      {"7|明朝|1|表示",
       "7|ゴシック|1|表示",
       {455, "undefined-style", "'ゴシック' を STYLE テーブルに加えました"},
       2},
      {"@BAR@wall|2|扉|",
       "@BAR@wall|2|窓|",
       {499, "undefined-block", "空のブロック '窓' を BLOCKS セクションに加えました"},
       2},
      {"3|寸法|",
       "3|寸法2|",
       {473, "undefined-dimstyle", "'寸法2' を DIMSTYLE テーブルに加えました"},
       2},
      {"8|表示|6|DASHED",
       "8|床|6|DASHED",
       {451, "undefined-layer", "'床' を LAYER テーブルに加えました"},
       2},
      {"WALL|70|16|",
       "WALL|70|0|",
       {183, "bad-name", "LAYER の名前 'XREF|WALL' を 'XREF_WALL' に変えました（図面全体）"},
       2},  // the entry and the INSERT's "xref|wall"
      {"5|23|330|3|2||70|1|",
       "5|23|330|3|2||70|0|",
       {229, "bad-name", "STYLE の名前 '' を '_' に変えました（図面全体）"},
       1},
      {"70|7|", "70|6|", {115, "table-count", "TABLE LAYER の項目数を実際の項目数にしました"}, 1},
      {"5|26|",
       "5|25|",
       {359, "duplicate-handle", "ハンドル 25 を FF に変えました（315 行のレコードと重複）"},
       2},
      {"$HANDSEED|5|FF|",
       "$HANDSEED|5|3A|",
       {501, "handle-above-seed", "$HANDSEED を 3B にしました"},
       1},
      {"5|36|330|18|",
       "5|36|330|77|",
       {449, "dangling-pointer", "所有者のハンドル 77 を 18 にしました"},
       1},
      {"0|ENDBLK|5|22|330|19|8|0|",
       "",
       {331, "unclosed-block", "BLOCK 扉 の ENDBLK を入れました（351 行の前）"},
       1},
      {"0|ENDTAB|0|TABLE|2|STYLE|",
       "0|TABLE|2|STYLE|",
       {107, "unclosed-table", "TABLE LAYER の ENDTAB を入れました（201 行の前）"},
       0},
      {"0|ENDSEC|0|SECTION|2|ENTITIES|",
       "0|SECTION|2|ENTITIES|",
       {327, "unclosed-section", "SECTION BLOCKS の ENDSEC を入れました（379 行の前）"},
       0},
      {"0|ENDSEC|0|SECTION|2|ENTITIES|",
       "0|ENDSEC|0|LINE|8|0|0|SECTION|2|ENTITIES|",
       {381, "outside-section", "セクションの外のレコード LINE（381～384 行）を削除しました"},
       4},
  };
  for (const auto& c : cases) {
    Repaired r(Damaged(std::string(kClean), c.from, c.to));
    const std::string what = std::string(c.from) + " -> " + c.to;
    EXPECT_EQ(LinesOf(r.plan.repaired), std::vector<Line>{c.repaired}) << what;
    EXPECT_EQ(LinesOf(r.plan.left), std::vector<Line>{}) << what;
    EXPECT_TRUE(r.report.Ok()) << what;
    EXPECT_EQ(r.CheckAgain(), std::vector<Line>{}) << what;
    EXPECT_EQ(LinesLost(r.damaged, r.saved), c.linesLost) << what;
    EXPECT_TRUE(r.document.Undo().Ok()) << what;
    EXPECT_EQ(r.SaveAs("undone.dxf"), r.damaged) << what;
  }
}

// What cannot be known stays, said why, and the drawing is not touched.
TEST(DrawingRepair, LeavesWhatItCannotKnowAndSaysWhy) {
  const struct {
    const char* from;
    const char* to;
    const char* why;
  } cases[] = {
      {"1|表示|1001", "1|@BAD@|1001", "正しい値が分からないので自動では修復しません"},
      {"5|21|330|19|", "5|21|330|20|", "正しい所有者が分からないので自動では修復しません"},
      {"2|ByLayer|", "2|BYBLOCK|", "どちらの名前を変えるべきか分からないので自動では修復しません"},
      {"8|0|66|1|", "8|0|66|1|10|x|", "正しい値が分からないので自動では修復しません"},
      {"5|36|330|18|8|表示|", "5|36|330|18|340|77|8|表示|",
       "所有者（330）でない参照は正しい参照先が分からないので修復しません"},
  };
  for (const auto& c : cases) {
    Repaired r(Damaged(std::string(kClean), c.from, c.to));
    const std::string what = std::string(c.from) + " -> " + c.to;
    EXPECT_TRUE(r.plan.repaired.empty()) << what;
    ASSERT_EQ(r.plan.left.size(), 1u) << what;
    const std::string text = Utf8OfProgramText(r.plan.left[0].text);
    EXPECT_TRUE(text.ends_with(std::string("：") + c.why)) << what << ": " << text;
    EXPECT_EQ(r.report.error.code, ErrorCode::NothingToDo) << what;
    EXPECT_FALSE(r.document.IsModified()) << what;
    EXPECT_EQ(r.saved, r.damaged) << what;
  }
}

// A drawing whose largest handle is the largest there can be has no handle to give.
TEST(DrawingRepair, LeavesTheHandlesWhenNoneIsFree) {
  const std::string top = "FFFFFFFFFFFFFFFF";
  Repaired r(Damaged(Damaged(std::string(kClean), "0|INSERT|5|30|", "0|INSERT|5|" + top + "|"),
                     "0|ATTRIB|5|31|", "0|ATTRIB|5|" + top + "|"));
  // The ATTRIB and the SEQEND lost their owner (30): they get the INSERT's owner.
  EXPECT_EQ(LinesOf(r.plan.repaired),
            (std::vector<Line>{{401, "dangling-pointer", "所有者のハンドル 30 を 18 にしました"},
                               {415, "dangling-pointer", "所有者のハンドル 30 を 18 にしました"}}));
  std::vector<std::string> kinds;
  for (const Line& line : LinesOf(r.plan.left)) {
    kinds.push_back(line.kind);
    EXPECT_TRUE(line.text.ends_with("：空いているハンドルがないので修復しません")) << line;
  }
  EXPECT_EQ(kinds, (std::vector<std::string>{"handle-above-seed", "duplicate-handle",
                                             "handle-above-seed"}));
}

// Several damages: each repaired, in one undo step, and the repairs do not trip on each
// other (a definition and the closer of its table at one place, a record taken out
// beside the closer that goes where it stood).
TEST(DrawingRepair, RepairsSeveralDamagesAsOneStep) {
  std::string drawing(kClean);
  for (const auto& [from, to] : std::vector<std::pair<const char*, const char*>>{
           {"|0|ENDSEC|0|EOF", "|0|ENDSEC"},
           {"0|ENDTAB|0|TABLE|2|STYLE|", "0|TABLE|2|STYLE|"},
           {"8|表示|6|DASHED", "8|床|6|DASHED"},
           {"8|ヂ|", "8|床|"},
           {"70|7|", "70|6|"},
           {"0|SEQEND|5|35|330|33|8|0|", "0|LINE|8|0|"},
           {"0|ENDSEC|0|SECTION|2|ENTITIES|", "0|ENDSEC|0|POINT|8|0|0|SECTION|2|ENTITIES|"},
           {"5|26|", "5|25|"},
           {"WALL|70|16|", "WALL|70|0|"},
           {"1001|quillet|", "1001|acme|"},
       })
    drawing = Damaged(drawing, from, to);
  Repaired r(drawing);
  EXPECT_EQ(r.plan.repaired.size(), 9u);  // the two uses of 床 are one problem
  EXPECT_EQ(LinesOf(r.plan.left), std::vector<Line>{});
  EXPECT_EQ(r.document.History().UndoName(), Sjis("図面の修復 9 件"));
  EXPECT_EQ(r.CheckAgain(), std::vector<Line>{});
  EXPECT_TRUE(r.document.Undo().Ok());
  EXPECT_FALSE(r.document.History().CanUndo());
  EXPECT_EQ(r.SaveAs("undone.dxf"), r.damaged);
}

// A drawing before R13 without handles gets records without handles, owners or markers.
TEST(DrawingRepair, WritesTheRecordsOfADrawingWithoutHandlesAsItsVersionDoes) {
  Repaired r(
      "0|SECTION|2|HEADER|9|$ACADVER|1|AC1009|0|ENDSEC|"
      "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|1|0|LAYER|2|0|70|0|62|7|6|CONTINUOUS|0|ENDTAB|"
      "0|ENDSEC|"
      "0|SECTION|2|BLOCKS|0|BLOCK|8|0|2|B|70|0|10|0.0|20|0.0|30|0.0|3|B|0|LINE|8|0|0|ENDSEC|"
      "0|SECTION|2|ENTITIES|0|POLYLINE|8|W|66|1|0|VERTEX|8|W|0|ENDSEC|0|EOF");
  EXPECT_EQ(r.plan.repaired.size(), 3u);
  EXPECT_EQ(r.saved, FixtureBytes("0|SECTION|2|HEADER|9|$ACADVER|1|AC1009|0|ENDSEC|"
                                  "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|2|0|LAYER|2|0|70|0|62|7|"
                                  "6|CONTINUOUS|  0|LAYER|  2|W| 70|0| 62|7|  6|CONTINUOUS|"
                                  "0|ENDTAB|0|ENDSEC|"
                                  "0|SECTION|2|BLOCKS|0|BLOCK|8|0|2|B|70|0|10|0.0|20|0.0|30|0.0|"
                                  "3|B|0|LINE|8|0|  0|ENDBLK|  8|0|0|ENDSEC|"
                                  "0|SECTION|2|ENTITIES|0|POLYLINE|8|W|66|1|0|VERTEX|8|W|"
                                  "  0|SEQEND|  8|W|0|ENDSEC|0|EOF"));
}

}  // namespace
