// RoundingTool.h - the rounding tool: untidy coordinates, distances and angles snapped.
//
// Values such as 12.4999999 or 89.99999 in the ENTITIES section are snapped to whole
// multiples of a chosen step when they lie within a chosen rounding digit of one; all
// other values keep their text. The tab of the editor edition and quillet-dump --round
// both run the passes here, so they give the same file. Texts are CP932.
#pragma once

#include <array>        // std::array
#include <string>       // std::string
#include <string_view>  // std::string_view

#include "logic/Result.h"
#include "model/buffer/MyDXFClass.h"

/// The step list's item "補正しない": the pass is skipped. Higher indices skip too.
constexpr int kNoCorrectionIndex = 6;
/// Items of the step list and of the rounding-digit list.
constexpr int kStepItemCount = 7;
constexpr int kRoundDigitCount = 16;

/// The selected item indices of the tab's four combo boxes; -1 when none is selected.
struct RoundChoice {
  int validDigit = -1;     // CBToolValidDigit: the coordinate and distance step
  int roundDigit = -1;     // CBToolRoundDigit: the coordinate and distance rounding digit
  int angValidDigit = -1;  // CBToolAngValidDigit: the angle step
  int angRoundDigit = -1;  // CBToolAngRoundDigit: the angle rounding digit
};

/// One pass of the tool by its step and rounding digit, as the command line names them.
struct RoundPass {
  int factor = -1;  // the step is 1/factor: 1 (step "0", whole numbers), 2 (0.5), 10, 20,
                    // 100, 200 (0.005); 0 skips the pass ("補正しない"); below 0: none chosen,
                    // which rounds as a step of 1 and is named by an empty text
  int digit = -1;   // the decimal place 0 to 15 a value is rounded at; below 0: none chosen
};

/// Both passes of a run.
struct RoundSettings {
  RoundPass coordinates;  // codes 10-14, 20-24, 30-34, 40-42 of the coordinate entities
  RoundPass angles;       // codes 50-53 of the angle entities
};

/// Returns the factor of a step text of the step list ("0" ... "0.005"); 0 for
/// "補正しない" (CP932) and -1 for any other text.
int StepFactorOfText(std::string_view step);

/// Returns the settings the tab's boxes select.
RoundSettings SettingsOfChoice(const RoundChoice& choice);

/// The selections the tab starts with: step "0" and digit 3, step "0.1" and digit 4.
constexpr RoundChoice kDefaultRoundChoice{0, 3, 2, 4};

/// Returns choice with every unselected box (below 0) set to its default (TSToolShow).
RoundChoice WithRoundDefaults(RoundChoice choice);

/// Returns the items of the step list: "0", "0.5" ... "0.005", "補正しない".
const std::array<std::string, kStepItemCount>& StepItems();

/// Returns the items of the rounding-digit list: "0.X(0)" ... "0.000000000000000X(15)".
const std::array<std::string, kRoundDigitCount>& RoundDigitItems();

/// Returns the step factor r of a step index: 1, 2, 10, 20, 100, 200 for the items 0 to
/// 5; 1 when nothing is selected (below 0).
int StepFactor(int stepIndex);

/// Returns the scale q: 10 to the power roundDigit (-1 when none is selected), divided
/// by 10 once for r >= 10 and once more for r >= 100.
double RoundScale(int r, int roundDigit);

/// Snaps one trimmed value text to a whole number of steps 1/r when it lies within the
/// digit that q selects: on true text holds the snapped value in fixed notation (one
/// decimal for r up to 10, two for 20 and 100, three for 200). Returns false, text
/// untouched, for an empty text, an exact multiple of the step, a value that is no whole
/// number of steps at that digit, and a snapped value of 1e15 or more in magnitude
/// (fixed notation would outgrow a value line). Fails with NotANumber "'text' は浮動小
/// 数点数ではありません", text untouched, when text is not a number ("." separator, any
/// locale).
Result<bool> SnapValue(std::string& text, int r, double q);

/// What a run of both passes did.
struct RoundOutcome {
  int count = 0;      // values changed, also those changed before a stop
  int tooLarge = 0;   // values left alone as their snapped value would be 1e15 or more
  std::string error;  // the conversion message of a value that stopped the run; else empty
};

/// Runs the coordinate pass and the angle pass of settings over the ENTITIES section,
/// writing every snapped value through the buffer's setters; a pass whose factor is 0 is
/// skipped. A touched value that is not a number ends
/// the run there: the values changed before it stay changed and are counted.
RoundOutcome RoundEntitiesBy(TDXFBuffer& buffer, const RoundSettings& settings);
/// RoundEntitiesBy the settings the tab's boxes select (a step index of
/// kNoCorrectionIndex or more skips its pass).
RoundOutcome RoundEntities(TDXFBuffer& buffer, const RoundChoice& choice);

/// Returns the summary "端数の丸め：%d行、四捨五入しました。" for count values.
std::string RoundSummary(int count);

/// Returns the edit history's name of a run that changed count values: "端数の丸め %d行".
std::string RoundStepName(int count);

/// Returns the two message-panel lines that name the chosen steps and digits, as the
/// combo boxes display them (an unselected box shows an empty text).
std::array<std::string, 2> RoundChoiceLines(const RoundChoice& choice);
std::array<std::string, 2> RoundSettingsLines(const RoundSettings& settings);

/// Returns the panel line, after the summary, that tells how many values were left alone
/// because their snapped value would be 1e15 or more in magnitude; empty for none.
std::string RoundTooLargeLine(int count);

/// Returns the panel line that tells how many values a stopped run changed.
std::string RoundStoppedLine(int count);
