// MainFormTool.cpp - the rounding passes over the ENTITIES section and SnapValue.
//
// The coordinate pass and the angle pass share one walk over the section: it follows
// the entity name at every code-0 pair and snaps the values of each pass's group codes
// inside its entities. Snapping works in IEEE double precision exactly as the steps of
// SnapText say, so a file snapped here and one snapped by an earlier run of the tool
// agree digit for digit; a fast reading of plain decimals gives the same doubles.
#include "logic/MainFormTool.h"

#include <algorithm>     // std::find
#include <charconv>      // std::to_chars
#include <cmath>         // std::fabs, std::pow
#include <cstdint>       // std::uint64_t, std::int64_t
#include <system_error>  // std::errc
#include <vector>        // std::vector

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

template <std::size_t N>
bool IsListed(const std::string_view (&names)[N], std::string_view name) {
  return std::find(names, names + N, name) != names + N;
}

// TrimView, without the call for the usual value that has no blank at either end.
std::string_view Trimmed(std::string_view value) noexcept {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  if (value.empty() || isBlank(value.front()) || isBlank(value.back())) return TrimView(value);
  return value;
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

// A plain decimal text: an optional sign, then digits with at most one point, 15
// digits at most (10^15 - 1 < 2^53, so the digits are an exact double).
struct PlainDecimal {
  bool negative = false;
  std::string_view whole;     // the digits before the point
  std::string_view decimals;  // the digits after it
};

// Splits text as a plain decimal; false for anything else (exponents, long texts, no
// number at all), which then goes to ParseDouble. One pass without a branch per byte.
bool SplitPlainDecimal(std::string_view text, PlainDecimal& d) noexcept {
  constexpr std::size_t kMaxDigits = 15;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    d.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > kMaxDigits + 1) return false;
  std::size_t point = text.size();
  unsigned points = 0, bad = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const bool isPoint = text[k] == '.';
    point = isPoint ? k : point;
    points += isPoint;
    bad |= (static_cast<unsigned>(static_cast<unsigned char>(text[k]) - '0') > 9) & !isPoint;
  }
  if (bad != 0 || points > 1 || text.size() - points == 0) return false;
  if (points == 0 && text.size() > kMaxDigits) return false;
  d.whole = text.substr(0, point);
  d.decimals = text.substr(std::min(point + 1, text.size()));
  return true;
}

// Returns the value of a plain decimal, correctly rounded like ParseDouble: Clinger's
// fast path, as the digits (below 2^53) and a power of ten up to 1e15 are exact doubles,
// so one correctly rounded division gives the correctly rounded value.
double ValueOf(const PlainDecimal& d) noexcept {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::uint64_t digits = 0;
  for (const char ch : d.whole) digits = digits * 10 + static_cast<unsigned>(ch - '0');
  for (const char ch : d.decimals) digits = digits * 10 + static_cast<unsigned>(ch - '0');
  const double magnitude = static_cast<double>(digits) / kPowersOfTen[d.decimals.size()];
  return d.negative ? -magnitude : magnitude;
}

// Tells whether a plain decimal is surely no whole number of steps 1/r within the digit
// of q >= 10, from its decimals alone. With r = b * 10^a (b 1 or 2), w = 10^a * v has
// the decimals of v from place a + 1 on, and c = r * v = b * w. Its first n decimals u
// (n digits, 10^n <= q, n <= 3) put w at least 10^-n from a whole number unless u is
// 0 or 10^n - 1, and 2w at least 2 * 10^-n from one unless u is also one of the two
// next to 10^n / 2. SnapText snaps only within 0.5 / q <= 0.5 * 10^-n of a whole
// number, plus the rounding of doubles: below 2e-5 for values below 1e8 (8 whole
// digits), well inside the remaining 0.5 * 10^-n >= 5e-4.
bool IsSurelyOffStep(const PlainDecimal& d, int r, double q) noexcept {
  constexpr std::size_t kMaxWholeDigits = 8;
  if (q < 10 || d.whole.size() > kMaxWholeDigits) return false;
  const int n = q >= 1000 ? 3 : (q >= 100 ? 2 : 1);
  const std::size_t place = r >= 100 ? 2 : (r >= 10 ? 1 : 0);
  int u = 0, top = 1;  // u: the n decimals; top: 10^n
  for (std::size_t k = place; k < place + n; ++k) {
    u = u * 10 + (k < d.decimals.size() ? d.decimals[k] - '0' : 0);
    top *= 10;
  }
  if (u == 0 || u == top - 1) return false;
  const bool doubled = r == 2 || r == 20 || r == 200;
  return !doubled || (u != top / 2 - 1 && u != top / 2);
}

// Reads a trimmed text as a double with ParseDouble's result; plain decimals take the
// fast path. Sets offStep, leaving value unread, when the step test above already tells
// that the value is kept.
// Performance: nearly all coordinates are told off-step by their first decimals, which
// makes the passes on a large drawing twice as fast as parsing every value.
bool ReadDouble(std::string_view text, int r, double q, double& value, bool& offStep) noexcept {
  PlainDecimal d;
  if (!SplitPlainDecimal(text, d)) return ParseDouble(text, value);
  offStep = IsSurelyOffStep(d, r, q);
  if (!offStep) value = ValueOf(d);
  return true;
}

// std::trunc without the library call: below 2^52 in magnitude through a 64-bit integer,
// larger doubles (and infinities, NaN) are whole already. The sign of a zero result may
// differ from std::trunc's, which none of SnapText's tests can see.
double Trunc(double x) noexcept {
  constexpr double kWholeFrom = 4503599627370496.0;  // 2^52
  return std::fabs(x) < kWholeFrom ? static_cast<double>(static_cast<std::int64_t>(x)) : x;
}

enum class Snap { Kept, Snapped, NotANumber };

// SnapValue's steps on a trimmed text, writing a snapped value into out (which has
// kSnappedTextRoom bytes) and its length into length.
Snap SnapText(std::string_view text, int r, double q, char* out, std::size_t& length) {
  if (text.empty()) return Snap::Kept;
  double v = 0;
  bool offStep = false;
  if (!ReadDouble(text, r, q, v, offStep)) return Snap::NotANumber;
  if (offStep) return Snap::Kept;
  const double c = r * v;
  if (c - Trunc(c) == 0) return Snap::Kept;  // already a whole number of steps
  double e = c * q;
  e = e >= 0 ? e + 0.5 : e - 0.5;  // halves away from zero
  const double x = Trunc(e) / q;
  if (x - Trunc(x) != 0) return Snap::Kept;  // not within the digit of a step
  const double m = x / r + 0.0;              // + 0.0: a snapped -0 reads 0.0
  if (!(std::fabs(m) < kLargestSnapped)) return Snap::Kept;
  const auto [end, ec] =
      std::to_chars(out, out + kSnappedTextRoom, m, std::chars_format::fixed, SnappedDecimals(r));
  if (ec != std::errc()) return Snap::Kept;
  length = static_cast<std::size_t>(end - out);
  return Snap::Snapped;
}

// One pass's step: factor r and scale q; off for a skipped pass.
struct PassStep {
  bool on;
  int r;
  double q;
};

PassStep StepOf(int stepIndex, int roundDigit) {
  const int r = StepFactor(stepIndex);
  return {stepIndex < kNoCorrectionIndex, r, RoundScale(r, roundDigit)};
}

// A snapped angle waiting for the end of the coordinate pass.
struct PendingValue {
  int pair;
  std::string text;
};

// Both passes in one walk, with the result of running them one after the other: the
// passes touch different codes, so neither sees the other's changes, and the angle
// pass's changes wait for the coordinate pass to end, since a coordinate that is no
// number stops the run before any angle changes. The angle pass stops at its own first
// value that is no number, whose message is reported only when the walk ends.
// Performance: one walk reads each entity name once, and a touched value's bytes once;
// their reads dominate, as the reference scan never touches value bytes (bench_round).
RoundOutcome RoundBoth(TDXFBuffer& b, PassStep coordinate, PassStep angle) {
  RoundOutcome outcome;
  std::vector<PendingValue> angles;
  std::string angleError;
  char snapped[kSnappedTextRoom];
  std::size_t length = 0;
  bool inCoordinate = false, inAngle = false;
  for (int i = b.EntitiesStart + 1; i < b.EntitiesEnd; ++i) {
    const int code = b.GetCode(i);
    if (code == kRecordStartCode) {
      const std::string_view name = Trimmed(b.ValueView(i));
      inCoordinate = coordinate.on && IsListed(kCoordinateEntities, name);
      inAngle = angle.on && IsListed(kAngleEntities, name);
      continue;
    }
    const bool isCoordinate = inCoordinate && IsCoordinateCode(code);
    if (!isCoordinate && !(inAngle && IsAngleCode(code))) continue;
    const PassStep& step = isCoordinate ? coordinate : angle;
    const std::string_view text = Trimmed(b.ValueView(i));
    const Snap snap = SnapText(text, step.r, step.q, snapped, length);
    if (snap == Snap::Kept) continue;
    if (snap == Snap::NotANumber) [[unlikely]] {
      if (isCoordinate) {
        outcome.error = NotANumberMessage(text);
        return outcome;
      }
      angleError = NotANumberMessage(text);
      angle.on = inAngle = false;
      continue;
    }
    if (isCoordinate) {
      b.SetValue(i, std::string_view(snapped, length));
      ++outcome.count;
    } else {
      angles.push_back({i, std::string(snapped, length)});
    }
  }
  for (const PendingValue& value : angles) b.SetValue(value.pair, value.text);
  outcome.count += static_cast<int>(angles.size());
  outcome.error = angleError;
  return outcome;
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
  return RoundBoth(buffer, StepOf(choice.validDigit, choice.roundDigit),
                   StepOf(choice.angValidDigit, choice.angRoundDigit));
}

std::string RoundSummary(int count) {
  static const std::string kTemplate = Sjis("端数の丸め：%d行、四捨五入しました。");
  return Format(kTemplate.c_str(), count);
}

std::string RoundStepName(int count) {
  static const std::string kTemplate = Sjis("端数の丸め %d行");
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
