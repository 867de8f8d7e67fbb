// RoundingToolTest.cpp - SnapValue, the two rounding passes and the tool's texts.
#include "logic/rounding/RoundingTool.h"

#include <gtest/gtest.h>

#include <cmath>    // std::trunc, std::fabs, std::pow, std::ldexp, std::round
#include <cstdio>   // std::snprintf
#include <cstdlib>  // std::strtod
#include <random>   // std::mt19937_64
#include <string>   // std::string
#include <vector>   // std::vector

#include "model/text/Sjis.h"
#include "tests/support/PlainSnap.h"
#include "tests/support/TestDrawings.h"

namespace {

constexpr RoundChoice kSkipBoth{kNoCorrectionIndex, 3, kNoCorrectionIndex, 4};

// A pair whose value the passes rewrote: its index and its new value.
struct Change {
  int pair;
  std::string value;
  bool operator==(const Change&) const = default;
};

// Runs both passes and returns the pairs whose value text changed.
std::vector<Change> Changes(TDXFBuffer& b, const RoundChoice& choice, RoundOutcome& outcome) {
  std::vector<std::string> before;
  for (int i = 0; i < b.PairCount; ++i) before.push_back(b.GetValue(i));
  outcome = RoundEntities(b, choice);
  std::vector<Change> changes;
  for (int i = 0; i < b.PairCount; ++i)
    if (b.GetValue(i) != before[i]) changes.push_back({i, b.GetValue(i)});
  return changes;
}

// ENTITIES with a LINE, a TEXT and an ATTRIB, a VERTEX and an unlisted SOLID; a BLOCKS
// section LINE before it. Pair indices are given in the comments.
constexpr const char* kFixture =
    "0|SECTION|2|BLOCKS|0|BLOCK|2|B|0|LINE|10|1.4999999|0|ENDBLK|0|ENDSEC|"  // 0..7
    "0|SECTION|2|ENTITIES|"                                                  // 8, 9
    "0|LINE|10|12.4999999|20| 7.0000001 |30|3.3|11||21|   |"                 // 10..15
    "0| TEXT |40|2.4999999|50|89.99999|"                                     // 16..18
    "0|ATTRIB|10|12.4999999|40|2.4999999|50|89.99999|"                       // 19..22
    "0|VERTEX|10|-3.99999|42|0.4142|"                                        // 23..25
    "0|SOLID|10|12.4999999|"                                                 // 26, 27
    "0|ENDSEC|0|EOF";                                                        // 28, 29

}  // namespace

TEST(RoundingTool, SnapValueFollowsTheStepAndTheRoundingDigit) {
  const struct {
    int step;  // step item index, -1 for none selected
    int digit;
    const char* value;
    const char* snapped;  // nullptr: false, text unchanged
  } cases[] = {
      {1, 3, "12.4999999", "12.5"},
      {1, 3, "12.3", nullptr},
      {1, 3, "12.5", nullptr},  // already a whole number of steps
      {0, 3, "-3.99999", "-4.0"},
      {0, 0, "7.4", "7.0"},
      {2, 4, "89.99999", "90.0"},
      {4, 3, "1.2300001", "1.23"},
      {3, 3, "1.2500001", "1.25"},
      {5, 4, "0.0049999", "0.005"},
      {0, 0, "2.5", "3.0"},  // halves away from zero
      {0, 0, "-2.5", "-3.0"},
      {0, 0, "0.4142", "0.0"},
      {0, 3, "-0.0000001", "0.0"},  // a snapped -0 reads 0.0
      {0, 3, "", nullptr},
      {0, 3, "1e3", nullptr},
      {0, 0, ".5", "1.0"},
      {0, 0, "+2.5", "3.0"},
      {0, 0, "12.", nullptr},
      {1, 3, "0.00000000000000000000012", "0.0"},  // 23 decimals: the slow path
      {-1, -1, "7.4", "10.0"},                     // no selection: step 1, q = 0.1
      {-1, 3, "4.0002", "4.0"},
      // c - trunc(c) is not 0 only because of the binary representation: 0.1 * 3
      // as a double, 1.15 * 100 = 114.99999999999999.
      {2, 3, "0.30000000000000004", "0.3"},
      {4, 3, "1.15", "1.15"},
      {5, 4, "4.35", "4.350"},
      {0, 0, "99999999999999.5", "100000000000000.0"},
      {0, 0, "1234567890123456.5", nullptr},  // 1e15 and beyond is left alone
  };
  for (const auto& c : cases) {
    const int r = StepFactor(c.step);
    std::string text = c.value;
    const Result<bool> snapped = SnapValue(text, r, RoundScale(r, c.digit));
    ASSERT_TRUE(snapped.Ok()) << c.value;
    EXPECT_EQ(snapped.value(), c.snapped != nullptr) << c.value;
    EXPECT_EQ(text, c.snapped ? c.snapped : c.value) << c.value;
  }
}

TEST(RoundingTool, SnapValueAgreesWithThePlainStepsOnManyValues) {
  // Values near and away from whole steps, with few and many digits, as drawings have.
  std::mt19937_64 random(13);
  std::vector<std::string> values;
  for (int n = 0; n < 20000; ++n) {
    const double base = std::round(std::ldexp(static_cast<double>(random() % 4000000), -(n % 9)));
    const double off = (static_cast<double>(random() % 2001) - 1000) * std::pow(10.0, -(n % 12));
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", 6 + static_cast<int>(n % 11), (base + off) / 200);
    values.push_back(text);
  }
  // Plain decimals of every length up to 18 characters, the point anywhere and values up
  // to 10^15, with runs of 9s and 0s that put them near a step.
  for (int n = 0; n < 20000; ++n) {
    const std::size_t length = 1 + random() % 17;
    std::string text = random() % 8 == 0 ? "-" : "";
    const char run = random() % 2 == 0 ? '9' : '0';
    for (std::size_t k = 0; k < length; ++k)
      text += random() % 3 == 0 ? static_cast<char>('0' + random() % 10) : run;
    if (random() % 10 != 0) text.insert(text.size() - random() % (length + 1), ".");
    values.push_back(text);
  }
  for (const std::string& value : values) {
    for (int step = -1; step < kNoCorrectionIndex; ++step) {
      for (int digit = -1; digit < kRoundDigitCount; ++digit) {
        const int r = StepFactor(step);
        const double q = RoundScale(r, digit);
        std::string text = value;
        ASSERT_TRUE(SnapValue(text, r, q).Ok()) << value;
        ASSERT_EQ(text, PlainSnap(value, r, q)) << value << " step " << step << " digit " << digit;
      }
    }
  }
}

TEST(RoundingTool, SnapValueReportsATextThatIsNoNumber) {
  for (const char* text : {"abc", "1,5", "12.5m", "--1"}) {
    std::string value = text;
    const Result<bool> snapped = SnapValue(value, 1, 1000);
    EXPECT_EQ(snapped.error().code, ErrorCode::NotANumber) << text;
    EXPECT_EQ(Utf8(snapped.error().message),
              std::string("'") + text + "' は浮動小数点数ではありません");
    EXPECT_EQ(value, text);
  }
}

TEST(RoundingTool, PassesTouchTheirEntitiesAndCodesInEntitiesOnly) {
  // Never touched: the BLOCKS LINE (5), the ATTRIB's coordinate and height (20, 21),
  // the SOLID (27); the empty values (14, 15) are skipped.
  const struct {
    RoundChoice choice;
    std::vector<Change> changes;
  } cases[] = {
      {kDefaultRoundChoice, {{12, "7.0"}, {18, "90.0"}, {22, "90.0"}, {24, "-4.0"}}},
      {{1, 3, 2, 4},
       {{11, "12.5"}, {12, "7.0"}, {17, "2.5"}, {18, "90.0"}, {22, "90.0"}, {24, "-4.0"}}},
      {{1, 3, kNoCorrectionIndex, 4}, {{11, "12.5"}, {12, "7.0"}, {17, "2.5"}, {24, "-4.0"}}},
      // Step 1 at digit 0 makes every touched value whole, the bulge 42 included.
      {{0, 0, kNoCorrectionIndex, 4},
       {{11, "12.0"}, {12, "7.0"}, {13, "3.0"}, {17, "2.0"}, {24, "-4.0"}, {25, "0.0"}}},
      {kSkipBoth, {}},
  };
  for (const auto& c : cases) {
    TDXFBuffer b = LoadDrawing(kFixture);
    RoundOutcome outcome;
    EXPECT_EQ(Changes(b, c.choice, outcome), c.changes)
        << c.choice.validDigit << "/" << c.choice.roundDigit;
    EXPECT_EQ(outcome.count, static_cast<int>(c.changes.size()));
    EXPECT_EQ(outcome.error, "");
  }
}

TEST(RoundingTool, ANonNumberStopsTheRunAndKeepsEarlierChanges) {
  // As if the coordinate pass ran before the angle pass: a bad coordinate leaves every
  // angle alone, a bad angle every coordinate changed. Pairs: ARC 3, 4; LINE 6, 7, 8.
  const struct {
    const char* line;  // the LINE's 10, 20 and 30
    const char* arc;   // the ARC's 50 and 51
    std::vector<Change> changes;
    const char* error;
  } cases[] = {
      {"10|1.4999999|20|x1|30|2.4999999|",
       "50|0.0000001|51|0.5|",
       {{6, "1.5"}},
       "'x1' は浮動小数点数ではありません"},
      {"10|1.4999999|20|2.0|30|2.4999999|",
       "50|0.0000001|51|y|",
       {{3, "0.0"}, {6, "1.5"}, {8, "2.5"}},
       "'y' は浮動小数点数ではありません"},
  };
  for (const auto& c : cases) {
    TDXFBuffer b = LoadDrawing(std::string("0|SECTION|2|ENTITIES|0|ARC|") + c.arc + "0|LINE|" +
                               c.line + "0|ENDSEC|0|EOF");
    RoundOutcome outcome;
    EXPECT_EQ(Changes(b, {1, 3, 2, 4}, outcome), c.changes) << c.error;
    EXPECT_EQ(outcome.count, static_cast<int>(c.changes.size()));
    EXPECT_EQ(Utf8(outcome.error), c.error);
  }
}

TEST(RoundingTool, ValuesTooLargeToWriteAreLeftAndCounted) {
  // Step 1 at digit 0 for both passes; 1234567890123456.5 would snap beyond 1e15.
  constexpr const char* kHuge = "1234567890123456.5";
  const struct {
    std::string entities;
    std::vector<Change> changes;
    int tooLarge;
    const char* error;
  } cases[] = {
      {std::string("0|LINE|10|") + kHuge + "|20|7.4|30|-" + kHuge + "|0|ARC|50|" + kHuge + "|",
       {{4, "7.0"}},
       3,
       ""},
      // A stop counts only what came before it, and no angle at all.
      {std::string("0|ARC|50|") + kHuge + "|0|LINE|10|" + kHuge + "|20|x|30|" + kHuge + "|",
       {},
       1,
       "'x' は浮動小数点数ではありません"},
      {"0|LINE|10|7.4|", {{3, "7.0"}}, 0, ""},
  };
  for (const auto& c : cases) {
    TDXFBuffer b = LoadDrawing("0|SECTION|2|ENTITIES|" + c.entities + "0|ENDSEC|0|EOF");
    RoundOutcome outcome;
    EXPECT_EQ(Changes(b, {0, 0, 0, 0}, outcome), c.changes) << c.entities;
    EXPECT_EQ(outcome.tooLarge, c.tooLarge) << c.entities;
    EXPECT_EQ(Utf8(outcome.error), c.error);
  }
  EXPECT_EQ(Utf8(RoundTooLargeLine(3)),
            "　丸めると絶対値が 10^15 以上になる 3 個の値は、そのまま残しました。");
  EXPECT_EQ(RoundTooLargeLine(0), "");
}

TEST(RoundingTool, ALargeSectionStopsWhereOneWalkWould) {
  // Enough entities for the walk to run in stretches on machines with several cores;
  // the run must still end as one walk from the start would. Block e (pairs 2 + 7e on):
  // ARC 50 (snapped), 51 (kept), LINE 10 (snapped), 20 (kept), 30 (snapped).
  constexpr int kBlocks = 330000;
  const auto pairOf = [](int block, int k) { return 2 + 7 * block + k; };
  const struct {
    int badCoordinate;  // the block whose 20 is no number, or -1
    int badAngle;       // the block whose 51 is no number, or -1
    int count;
    std::vector<int> changed, unchanged;  // pairs to look at
  } cases[] = {
      {-1, -1, 3 * kBlocks, {pairOf(0, 1), pairOf(kBlocks - 1, 1)}, {}},
      {kBlocks / 4,
       -1,
       2 * (kBlocks / 4) + 1,
       {pairOf(kBlocks / 4, 4)},
       {pairOf(0, 1), pairOf(kBlocks / 4, 6), pairOf(kBlocks - 1, 4)}},
      {3 * kBlocks / 4,
       kBlocks / 4,
       2 * (3 * kBlocks / 4) + 1,
       {pairOf(3 * kBlocks / 4, 4)},
       {pairOf(0, 1), pairOf(kBlocks - 1, 4)}},
      {-1,
       kBlocks / 4,
       2 * kBlocks + kBlocks / 4 + 1,
       {pairOf(kBlocks - 1, 6), pairOf(kBlocks / 4, 1)},
       {pairOf(kBlocks / 4 + 1, 1), pairOf(kBlocks - 1, 1)}},
      {-1,
       3 * kBlocks / 4,
       2 * kBlocks + 3 * kBlocks / 4 + 1,
       {pairOf(3 * kBlocks / 4, 1)},
       {pairOf(kBlocks - 1, 1)}},
  };
  for (const auto& c : cases) {
    std::string text = "0|SECTION|2|ENTITIES|";
    for (int e = 0; e < kBlocks; ++e) {
      text += e == c.badAngle ? "0|ARC|50|0.0000001|51|y|" : "0|ARC|50|0.0000001|51|0.5|";
      text += e == c.badCoordinate ? "0|LINE|10|1.4999999|20|x|30|2.4999999|"
                                   : "0|LINE|10|1.4999999|20|2.0|30|2.4999999|";
    }
    TDXFBuffer b = LoadDrawing(text + "0|ENDSEC|0|EOF");
    const RoundOutcome outcome = RoundEntities(b, {1, 3, 2, 4});
    const char* error = c.badCoordinate >= 0 ? "'x' は浮動小数点数ではありません"
                        : c.badAngle >= 0    ? "'y' は浮動小数点数ではありません"
                                             : "";
    EXPECT_EQ(Utf8(outcome.error), error) << c.badCoordinate << " " << c.badAngle;
    EXPECT_EQ(outcome.count, c.count) << c.badCoordinate << " " << c.badAngle;
    // Snapped, the values read "0.0", "1.5" and "2.5"; as loaded they are longer.
    for (const int i : c.changed) EXPECT_EQ(b.ValueView(i).size(), 3u) << i;
    for (const int i : c.unchanged) EXPECT_GT(b.ValueView(i).size(), 3u) << i;
  }
}

TEST(RoundingTool, DrawingWithoutEntitiesChangesNothing) {
  TDXFBuffer b = LoadDrawing("0|SECTION|2|BLOCKS|0|LINE|10|1.4999999|0|ENDSEC|0|EOF");
  RoundOutcome outcome;
  EXPECT_EQ(Changes(b, {1, 3, 2, 4}, outcome), std::vector<Change>{});
  EXPECT_EQ(outcome.count, 0);
}

TEST(RoundingTool, DefaultsFillOnlyWhatIsUnselected) {
  const RoundChoice filled = WithRoundDefaults({-1, 7, 5, -1});
  EXPECT_EQ(filled.validDigit, 0);
  EXPECT_EQ(filled.roundDigit, 7);
  EXPECT_EQ(filled.angValidDigit, 5);
  EXPECT_EQ(filled.angRoundDigit, 4);
}

TEST(RoundingTool, ReportTextsNameTheChoiceAsTheBoxesShowIt) {
  EXPECT_EQ(Utf8(RoundSummary(12)), "端数の丸め：12行、四捨五入しました。");
  const auto lines = RoundChoiceLines({kNoCorrectionIndex, 0, 5, 15});
  EXPECT_EQ(Utf8(lines[0]), "　座標/距離　補正しない単位　0.X(0)桁");
  EXPECT_EQ(Utf8(lines[1]), "　角度　　　 0.005単位　0.000000000000000X(15)桁");
  EXPECT_EQ(Utf8(RoundChoiceLines({-1, -1, 0, 3})[0]), "　座標/距離　単位　桁");
}
