// MainFormTool.cpp - the rounding passes over the ENTITIES section and SnapValue.
//
// A pass walks the section once, follows the entity name at every code-0 pair and
// snaps the values of its group codes inside its entities. Snapping works in IEEE
// double precision exactly as the steps below say, so a file snapped here and one
// snapped by an earlier run of the tool agree digit for digit.
#include "logic/MainFormTool.h"

#include <algorithm>     // std::find
#include <charconv>      // std::to_chars
#include <cmath>         // std::trunc, std::fabs, std::pow
#include <system_error>  // std::errc

#include "model/GroupCodes.h"
#include "model/MyStringLib.h"
#include "model/Sjis.h"

namespace {

// Step factors r of the step items "0" (a step of 1) to "0.005" (a step of 1/200).
constexpr int kStepFactors[kNoCorrectionIndex] = {1, 2, 10, 20, 100, 200};

// Snapped values from here on are left alone: their fixed notation would be 17 digits
// and more, and doubles this large are whole numbers of every finer step anyway.
constexpr double kLargestSnapped = 1e15;

// Room for a snapped value below kLargestSnapped: sign, 15 digits, point, 3 decimals.
constexpr std::size_t kSnappedTextRoom = 32;

// One pass: which entities it looks into and which group codes it snaps there.
struct RoundPass {
  const std::string_view* names;
  std::size_t nameCount;
  bool (*isTouchedCode)(int code);
};

constexpr std::string_view kCoordinateEntities[] = {
    "ARC",   "CIRCLE",   "DIMENSION", "INSERT", "LEADER", "LINE", "LWPOLYLINE",
    "POINT", "POLYLINE", "VERTEX",    "MTEXT",  "TEXT",   "XLINE"};
constexpr std::string_view kAngleEntities[] = {"ARC",    "ATTDEF", "ATTRIB", "DIMENSION", "HATCH",
                                               "INSERT", "MTEXT",  "TEXT",   "MLINESTYLE"};

// Coordinates 10..14, 20..24, 30..34 (x, y, z of up to five points) and the distances
// 40..42 (radius, height, bulge ...).
bool IsCoordinateCode(int code) {
  return (code >= 10 && code <= 34 && code % 10 <= 4) || (code >= 40 && code <= 42);
}

bool IsAngleCode(int code) {
  return code >= 50 && code <= 53;
}

constexpr RoundPass kCoordinatePass{kCoordinateEntities, std::size(kCoordinateEntities),
                                    IsCoordinateCode};
constexpr RoundPass kAnglePass{kAngleEntities, std::size(kAngleEntities), IsAngleCode};

bool IsPassEntity(const RoundPass& pass, std::string_view name) {
  const std::string_view* end = pass.names + pass.nameCount;
  return std::find(pass.names, end, name) != end;
}

// Decimals of a snapped value: as many as the step shows, at least one.
int SnappedDecimals(int r) {
  if (r >= 200) return 3;
  return r >= 20 ? 2 : 1;
}

std::string NotANumberMessage(std::string_view text) {
  static const std::string kTemplate = Sjis("'%s' は浮動小数点数ではありません");
  return Format(kTemplate.c_str(), std::string(text).c_str());
}

enum class Snap { Kept, Snapped, NotANumber };

// SnapValue's steps on a trimmed text, writing a snapped value into out (which has
// kSnappedTextRoom bytes) and its length into length.
Snap SnapText(std::string_view text, int r, double q, char* out, std::size_t& length) {
  if (text.empty()) return Snap::Kept;
  double v = 0;
  if (!ParseDouble(text, v)) return Snap::NotANumber;
  const double c = r * v;
  if (c - std::trunc(c) == 0) return Snap::Kept;  // already a whole number of steps
  double e = c * q;
  e = e >= 0 ? e + 0.5 : e - 0.5;  // halves away from zero
  const double x = std::trunc(e) / q;
  if (x - std::trunc(x) != 0) return Snap::Kept;  // not within the digit of a step
  const double m = x / r + 0.0;                   // + 0.0: a snapped -0 reads 0.0
  if (!(std::fabs(m) < kLargestSnapped)) return Snap::Kept;
  const auto [end, ec] =
      std::to_chars(out, out + kSnappedTextRoom, m, std::chars_format::fixed, SnappedDecimals(r));
  if (ec != std::errc()) return Snap::Kept;
  length = static_cast<std::size_t>(end - out);
  return Snap::Snapped;
}

// Runs one pass. Returns false when a value stopped it, with the message in outcome.
// Performance: the pass reads every value in place and allocates only for a value it
// changes; parsing a touched value and SetValue dominate (bench_round).
bool RunPass(TDXFBuffer& b, const RoundPass& pass, int r, double q, RoundOutcome& outcome) {
  char snapped[kSnappedTextRoom];
  bool inEntity = false;
  for (int i = b.EntitiesStart + 1; i < b.EntitiesEnd; ++i) {
    const int code = b.GetCode(i);
    if (code == kRecordStartCode) {
      inEntity = IsPassEntity(pass, TrimView(b.ValueView(i)));
      continue;
    }
    if (!inEntity || !pass.isTouchedCode(code)) continue;
    const std::string_view text = TrimView(b.ValueView(i));
    std::size_t length = 0;
    const Snap snap = SnapText(text, r, q, snapped, length);
    if (snap == Snap::Kept) continue;
    if (snap == Snap::NotANumber) [[unlikely]] {
      outcome.error = NotANumberMessage(text);
      return false;
    }
    b.SetValue(i, std::string_view(snapped, length));
    ++outcome.count;
  }
  return true;
}

bool IsPassSkipped(int stepIndex) {
  return stepIndex >= kNoCorrectionIndex;
}

std::string ItemText(int index, const std::string* items, int count) {
  return index >= 0 && index < count ? items[index] : std::string();
}

}  // namespace

RoundChoice WithRoundDefaults(RoundChoice choice) {
  const auto fill = [](int& selected, int fallback) {
    if (selected < 0) selected = fallback;
  };
  fill(choice.validDigit, kDefaultRoundChoice.validDigit);
  fill(choice.roundDigit, kDefaultRoundChoice.roundDigit);
  fill(choice.angValidDigit, kDefaultRoundChoice.angValidDigit);
  fill(choice.angRoundDigit, kDefaultRoundChoice.angRoundDigit);
  return choice;
}

const std::array<std::string, kStepItemCount>& StepItems() {
  static const std::array<std::string, kStepItemCount> kItems = {
      "0", "0.5", "0.1", "0.05", "0.01", "0.005", Sjis("補正しない")};
  return kItems;
}

// "0." then k zeros, the X at the rounding digit, and k in parentheses.
const std::array<std::string, kRoundDigitCount>& RoundDigitItems() {
  static const std::array<std::string, kRoundDigitCount> kItems = [] {
    std::array<std::string, kRoundDigitCount> items;
    for (int k = 0; k < kRoundDigitCount; ++k)
      items[k] = "0." + std::string(k, '0') + "X(" + std::to_string(k) + ")";
    return items;
  }();
  return kItems;
}

int StepFactor(int stepIndex) {
  return stepIndex >= 0 && stepIndex < kNoCorrectionIndex ? kStepFactors[stepIndex] : 1;
}

double RoundScale(int r, int roundDigit) {
  double q = std::pow(10.0, roundDigit < 0 ? -1 : roundDigit);
  if (r >= 10) q = q / 10;
  if (r >= 100) q = q / 10;
  return q;
}

bool SnapValue(std::string& text, int r, double q) {
  char snapped[kSnappedTextRoom];
  std::size_t length = 0;
  switch (SnapText(text, r, q, snapped, length)) {
    case Snap::Kept:
      return false;
    case Snap::NotANumber:
      throw EConvertError(NotANumberMessage(text));
    case Snap::Snapped:
      break;
  }
  text.assign(snapped, length);
  return true;
}

RoundOutcome RoundEntities(TDXFBuffer& buffer, const RoundChoice& choice) {
  RoundOutcome outcome;
  const struct {
    const RoundPass& pass;
    int step;
    int digit;
  } passes[] = {{kCoordinatePass, choice.validDigit, choice.roundDigit},
                {kAnglePass, choice.angValidDigit, choice.angRoundDigit}};
  for (const auto& p : passes) {
    if (IsPassSkipped(p.step)) continue;
    const int r = StepFactor(p.step);
    if (!RunPass(buffer, p.pass, r, RoundScale(r, p.digit), outcome)) break;
  }
  return outcome;
}

std::string RoundSummary(int count) {
  static const std::string kTemplate = Sjis("端数の丸め：%d行、四捨五入しました。");
  return Format(kTemplate.c_str(), count);
}

std::array<std::string, 2> RoundChoiceLines(const RoundChoice& choice) {
  static const std::string kCoordinateLine = Sjis("　座標/距離　%s単位　%s桁");
  static const std::string kAngleLine = Sjis("　角度　　　 %s単位　%s桁");
  const auto line = [](const std::string& format, int step, int digit) {
    const std::string stepText = ItemText(step, StepItems().data(), kStepItemCount);
    const std::string digitText = ItemText(digit, RoundDigitItems().data(), kRoundDigitCount);
    return Format(format.c_str(), stepText.c_str(), digitText.c_str());
  };
  return {line(kCoordinateLine, choice.validDigit, choice.roundDigit),
          line(kAngleLine, choice.angValidDigit, choice.angRoundDigit)};
}

std::string RoundStoppedLine(int count) {
  static const std::string kTemplate =
      Sjis("端数の丸め：中断しました。それまでに%d行を四捨五入しています。");
  return Format(kTemplate.c_str(), count);
}
