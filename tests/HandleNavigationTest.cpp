// HandleNavigationTest.cpp - pointers, Ctrl+G, referrers and the jump lines of the panel.
#include "logic/navigation/HandleNavigation.h"

#include <gtest/gtest.h>

#include "model/buffer/RecordWalk.h"
#include "tests/support/TestDrawings.h"

namespace {

struct Target {
  long long line;       // the line of the pair jumped to, 0 when refused
  std::string message;  // UTF-8
  bool operator==(const Target&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Target& t) {
  return out << t.line << " " << t.message;
}

Target Of(const JumpTarget& t) {
  return {t.pair >= 0 ? LineOfPair(t.pair) : 0, Utf8(t.message)};
}

class HandleNavigationTest : public ::testing::Test {
 protected:
  void SetUp() override { index.Build(sample); }
  TDXFBuffer sample = LoadSample();
  HandleIndex index;
};

TEST_F(HandleNavigationTest, GoesToALineOrAHandle) {
  const struct {
    const char* typed;
    Target expected;
  } cases[] = {
      {"1", {1, ""}},
      {" 100 ", {99, ""}},
      {"1312", {1311, ""}},  // the EOF pair's value line
      {"1313", {0, "1313 行はありません（最終行は 1312 行です）"}},
      {"0", {0, "0 行はありません（最終行は 1312 行です）"}},
      {"1F", {587, ""}},
      {"h42", {925, ""}},
      {"#0042", {925, ""}},
      {"H 2a", {611, ""}},
      {"FFFF", {0, "ハンドル FFFF のレコードはありません"}},
      {"h", {0, "'h' は行番号でもハンドルでもありません"}},
      {"壁", {0, "'壁' は行番号でもハンドルでもありません"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Of(GoToTarget(sample, index, Sjis(c.typed))), c.expected) << c.typed;
}

TEST_F(HandleNavigationTest, FollowsAPointerWhateverItsLeadingZeros) {
  const int member = PairOfLine(1307);  // a group's 340 pointer "0042"
  ASSERT_EQ(sample.GetValue(member), "0042");
  EXPECT_EQ(Of(PointerJumpTarget(sample, index, member)), (Target{925, ""}));
  EXPECT_EQ(Of(PointerJumpTarget(sample, index, PairOfLine(309))),
            (Target{0, "ハンドル 0 はどのレコードも指しません"}));
  EXPECT_EQ(Of(PointerJumpTarget(sample, index, 0)).message,
            "参照先へ移動できるのは、ハンドルを指すグループコード（330～369、390～399、480、481）"
            "の行です");
  const TDXFBuffer broken = LoadDrawing("0|SECTION|2|ENTITIES|0|LINE|330|2B|340|zz|0|ENDSEC|0|EOF");
  HandleIndex brokenIndex;
  EXPECT_FALSE(IsDanglingPointer(broken, brokenIndex, 3)) << "nothing dangles before the index";
  brokenIndex.Build(broken);
  EXPECT_EQ(Of(PointerJumpTarget(broken, brokenIndex, 3)),
            (Target{0, "参照先のハンドル 2B がありません"}));
  EXPECT_EQ(Of(PointerJumpTarget(broken, brokenIndex, 4)),
            (Target{0, "'zz' はハンドルではありません"}));
  EXPECT_TRUE(IsDanglingPointer(broken, brokenIndex, 3));
  EXPECT_TRUE(IsDanglingPointer(broken, brokenIndex, 4));
  EXPECT_FALSE(IsDanglingPointer(sample, index, member));
}

TEST(HandleNavigation, ReadsBackOnlyItsOwnJumpLines) {
  EXPECT_EQ(Utf8(JumpLogLine(1307, Sjis("GROUP のグループコード 340"))),
            "　1307 行：GROUP のグループコード 340");
  EXPECT_EQ(JumpLogLineTarget(JumpLogLine(1307, "x")), 1307);
  EXPECT_EQ(JumpLogLineTarget(JumpLogLine(4'294'967'093LL, "x")), 4'294'967'093LL);
  for (const char* line : {"グループコード変更     307 :       5　→　       8", "　行：x",
                           "　12x 行：x", "　12 行", "", "1307 行：x"})
    EXPECT_EQ(JumpLogLineTarget(Sjis(line)), std::nullopt) << line;
}

std::vector<std::string> Utf8Lines(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines) out.push_back(Utf8(line));
  return out;
}

TEST_F(HandleNavigationTest, ListsThePairsThatPointAtARecord) {
  EXPECT_EQ(
      Utf8Lines(ReferrerLogLines(sample, PairOfLine(311))),
      (std::vector<std::string>{
          "＜参照元一覧＞ハンドル 2（303 行の TABLE）", "　319 行：LAYER のグループコード 330",
          "　341 行：LAYER のグループコード 330", "　363 行：LAYER のグループコード 330",
          "　385 行：LAYER のグループコード 330", "　407 行：LAYER のグループコード 330"}));
  EXPECT_EQ(Utf8Lines(ReferrerLogLines(sample, PairOfLine(977))),
            (std::vector<std::string>{"＜参照元一覧＞ハンドル 44（973 行の TEXT）",
                                      "　参照元はありません"}));
  EXPECT_EQ(Utf8Lines(ReferrerLogLines(sample, 5)),
            (std::vector<std::string>{"＜参照元一覧＞1 行の SECTION にはハンドルがありません"}));
}

TEST(HandleNavigation, WritesTheCheckWithAtMostOnePanelOfPlaces) {
  EXPECT_EQ(Utf8Lines(CheckLogLines({}, "/d/a.dxf")),
            (std::vector<std::string>{"＜図面の検査＞/d/a.dxf", "　問題はありません"}));
  const std::vector<CheckProblem> many(kMaxJumpLines + 2,
                                       {4, CheckKind::BadNumber, "t", "", -1, 1});
  const std::vector<std::string> lines = Utf8Lines(CheckLogLines(many, "a.dxf"));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kMaxJumpLines) + 3);
  EXPECT_EQ(lines[1], "　9 行：t");
  EXPECT_EQ(lines[kMaxJumpLines + 1], "　ほか 2 件（quillet-dump --check で全件を表示できます）");
  EXPECT_EQ(lines.back(), "　問題が 402 件あります");
  // A note counts among the problems, and the summary says how many are notes.
  const std::vector<CheckProblem> notes = {{4, CheckKind::UndefinedLayer, "n", "A", -1, 1},
                                           {6, CheckKind::BadName, "b", "", -1, 1}};
  EXPECT_EQ(Utf8Lines(CheckLogLines(notes, "a.dxf")).back(),
            "　問題が 2 件あります（うち注意 1 件）");
}

}  // namespace
