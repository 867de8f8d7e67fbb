// RoundingTool.cpp - the rounding passes over the ENTITIES section and SnapValue.
//
// The coordinate pass and the angle pass share one walk over the section: it follows
// the entity name at every code-0 pair and snaps the values of each pass's group codes
// inside its entities. Snapping works in IEEE double precision exactly as the steps of
// SnapText say, so a file snapped here and one snapped by an earlier run of the tool
// agree digit for digit; a fast reading of plain decimals gives the same doubles.
#include "logic/rounding/RoundingTool.h"

#include <algorithm>     // std::find, std::clamp
#include <charconv>      // std::to_chars
#include <cmath>         // std::fabs, std::pow
#include <cstdint>       // std::uint64_t, std::int64_t
#include <exception>     // std::exception_ptr
#include <system_error>  // std::errc
#include <vector>        // std::vector

#include "logic/rounding/RoundDigits.h"
#include "logic/rounding/ThreadedWalk.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/PreparedValues.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

// Step factors r of the step items "0" (a step of 1) to "0.005" (a step of 1/200).
constexpr int kStepFactors[kNoCorrectionIndex] = {1, 2, 10, 20, 100, 200};

// Snapped values from here on are left alone: their fixed notation would be 17 digits
// and more, and doubles this large are whole numbers of every finer step anyway.
constexpr double kLargestSnapped = 1e15;

// Room for a snapped value below kLargestSnapped (sign, 15 digits, point, 3 decimals) and
// for WriteFixed, which fills a fixed block.
constexpr std::size_t kSnappedTextRoom = kFixedTextRoom;

constexpr std::string_view kCoordinateEntities[] = {
    "ARC",   "CIRCLE",   "DIMENSION", "INSERT", "LEADER", "LINE", "LWPOLYLINE",
    "POINT", "POLYLINE", "VERTEX",    "MTEXT",  "TEXT",   "XLINE"};
constexpr std::string_view kAngleEntities[] = {"ARC",    "ATTDEF", "ATTRIB", "DIMENSION", "HATCH",
                                               "INSERT", "MTEXT",  "TEXT",   "MLINESTYLE"};

// The group codes each pass touches, as bits of a mask over codes 0 to 63: coordinates
// 10..14, 20..24, 30..34 (x, y, z of up to five points) and the distances 40..42
// (radius, height, bulge ...); angles 50..53.
constexpr std::uint64_t CodeBits(int first, int last) {
  return ((std::uint64_t{1} << (last + 1)) - 1) & ~((std::uint64_t{1} << first) - 1);
}
constexpr std::uint64_t kCoordinateCodes =
    CodeBits(10, 14) | CodeBits(20, 24) | CodeBits(30, 34) | CodeBits(40, 42);
constexpr std::uint64_t kAngleCodes = CodeBits(50, 53);

bool IsInCodes(std::uint64_t codes, int code) {
  return static_cast<unsigned>(code) < 64 && ((codes >> code) & 1) != 0;
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

// 10^k for k from 0 to 15: exact doubles, and integers below 2^53; and 10^-k, rounded.
constexpr double kPowersOfTenDouble[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr std::array<std::int64_t, 16> kPowersOfTenInt = [] {
  std::array<std::int64_t, 16> powers{};
  for (std::size_t k = 0; k < powers.size(); ++k)
    powers[k] = static_cast<std::int64_t>(kPowersOfTenDouble[k]);
  return powers;
}();
constexpr std::array<double, 16> kTenthPowers = [] {
  std::array<double, 16> powers{};
  for (std::size_t k = 0; k < powers.size(); ++k) powers[k] = 1 / kPowersOfTenDouble[k];
  return powers;
}();

// Decimals of a snapped value: as many as the step shows, at least one.
int SnappedDecimals(int r) {
  if (r >= 200) return 3;
  return r >= 20 ? 2 : 1;
}

std::string NotANumberMessage(std::string_view text) {
  static const std::string kTemplate = Sjis("'%s' は浮動小数点数ではありません");
  return Format(kTemplate.c_str(), std::string(text).c_str());
}

// Returns the value of a plain decimal, correctly rounded like ParseDouble: Clinger's
// fast path, as the digits (below 2^53) and a power of ten up to 1e15 are exact doubles,
// so one correctly rounded division gives the correctly rounded value.
double ValueOf(const PlainDecimal& d) noexcept {
  const double magnitude = static_cast<double>(d.digits) / kPowersOfTenDouble[d.decimals.size()];
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

// std::trunc without the library call: below 2^52 in magnitude through a 64-bit integer,
// larger doubles (and infinities, NaN) are whole already. The sign of a zero result may
// differ from std::trunc's, which none of SnapText's tests can see.
double Trunc(double x) noexcept {
  constexpr double kWholeFrom = 4503599627370496.0;  // 2^52
  return std::fabs(x) < kWholeFrom ? static_cast<double>(static_cast<std::int64_t>(x)) : x;
}

// Whole numbers of steps below 2^40 in magnitude: their value x / r as a double lies within
// 2^-13 of the exact quotient, well inside half the last of its at most 3 decimals, so
// the quotient's decimals are what fixed notation of the double shows.
constexpr double kExactlyFormatted = 1099511627776.0;  // 2^40

// What snapping a value did: left it (already on a step, or off every step), snapped it,
// found no number, or left it because the snapped value would be too large to write.
enum class Snap { Kept, Snapped, NotANumber, TooLarge };

// A step of the snapping: the factor r and the scale q, with what the integer paths need.
struct SnapStep {
  int r = 1;
  double q = 1;
  int decimals = 1;               // SnappedDecimals(r)
  std::uint64_t scale = 0;        // 10^decimals / r when r divides it (every step); else 0
  int qPower = -1;                // j when q is 10^j for j from 0 to 15; else -1
  std::uint64_t digitsBelow = 0;  // plain decimals whose digits are below this have
                                  // r * digits below 2^50
};

SnapStep MakeSnapStep(int r, double q) {
  static constexpr int kPowersOfTen[] = {1, 10, 100, 1000};
  SnapStep step{r, q, SnappedDecimals(r)};
  const int unit = kPowersOfTen[step.decimals];
  if (r > 0 && unit % r == 0) step.scale = static_cast<std::uint64_t>(unit / r);
  for (int j = 0; j < 16; ++j)
    if (q == kPowersOfTenDouble[j]) step.qPower = j;
  if (r > 0) step.digitsBelow = (std::uint64_t{1} << 50) / static_cast<std::uint64_t>(r);
  return step;
}

// Writes the snapped value steps / r (a whole number of steps, by magnitude and sign) in
// fixed notation with s.decimals places from integer digits, which give it exactly when
// s.scale is set and steps is below kExactlyFormatted. Returns false, writing nothing,
// otherwise. No zero has a sign.
// Performance: in the worst case nearly every touched value is written, and this takes a
// fraction of the time of std::to_chars with a precision.
bool WriteSteps(std::uint64_t steps, bool negative, const SnapStep& s, char* out,
                std::size_t& length) noexcept {
  if (!(static_cast<double>(steps) < kExactlyFormatted) || s.scale == 0) return false;
  length = WriteFixed(steps * s.scale, negative && steps != 0, s.decimals, out);
  return true;
}

// SnapValue's steps on a plain decimal v = D / 10^k (D its digits, k its decimals, r * D
// below 2^50, q = 10^j), taken in integers where they are sure to give what the steps
// give in doubles. Let P = r * D, so that c = r * v = P / 10^k, and let W be the whole
// number nearest c and d = P - W * 10^k. In doubles c, c * q and c * q +- 0.5 carry
// errors below (4 * |c * q| + 0.5) * 2^-53 < 10^-(k - j), since P < 2^50 and 10^k <= 10^15;
// c is whole exactly when d = 0, and c * q is a whole number of steps away from a half
// unless 2 * |d| * 10^j is 10^k: so the truncation after halving away from zero rounds
// c * q to its nearest whole number T, and x = T / q is whole exactly when T is a
// multiple of 10^j, that is when 2 * |d| < 10^(k - j); then x = W. Sets snap and returns
// true; returns false for the cases left to the doubles: c whole but v not (a double
// rounding may tell otherwise), a halfway c * q, and factors or values out of range.
bool SnapExactly(const PlainDecimal& d, const SnapStep& s, Snap& snap, char* out,
                 std::size_t& length) noexcept {
  if (d.wholeNumber) {  // c = r * v is a whole number in doubles too
    snap = Snap::Kept;
    return true;
  }
  if (s.qPower < 0 || d.digits >= s.digitsBelow) return false;
  const std::size_t k = d.decimals.size();  // 1 to 15: v is no whole number
  const std::int64_t p = static_cast<std::int64_t>(d.digits) * s.r;
  const std::int64_t unit = kPowersOfTenInt[k];
  // Within one of the nearest: the product's error is far below one for p < 2^50.
  std::int64_t w = static_cast<std::int64_t>(static_cast<double>(p) * kTenthPowers[k] + 0.5);
  std::int64_t rest = p - w * unit;
  if (2 * rest > unit) {
    ++w;
    rest -= unit;
  } else if (2 * rest < -unit) {
    --w;
    rest += unit;
  }
  if (rest == 0) return false;
  const std::int64_t twice = 2 * (rest < 0 ? -rest : rest);
  snap = Snap::Kept;
  if (static_cast<std::size_t>(s.qPower) >= k) return true;  // c * q is whole: x = c
  const std::int64_t window = kPowersOfTenInt[k - static_cast<std::size_t>(s.qPower)];
  if (twice > window) return true;
  if (twice == window) return false;
  if (!WriteSteps(static_cast<std::uint64_t>(w), d.negative, s, out, length)) return false;
  snap = Snap::Snapped;
  return true;
}

// SnapValue's steps on v in doubles.
Snap SnapDouble(double v, const SnapStep& s, char* out, std::size_t& length) {
  const int r = s.r;
  const double q = s.q;
  const double c = r * v;
  if (c - Trunc(c) == 0) return Snap::Kept;  // already a whole number of steps
  double e = c * q;
  e = e >= 0 ? e + 0.5 : e - 0.5;  // halves away from zero
  const double x = Trunc(e) / q;
  if (x - Trunc(x) != 0) return Snap::Kept;  // not within the digit of a step
  if (std::fabs(x) < kExactlyFormatted &&
      WriteSteps(static_cast<std::uint64_t>(std::fabs(x)), x < 0, s, out, length))
    return Snap::Snapped;
  const double m = x / r + 0.0;  // + 0.0: a snapped -0 reads 0.0
  if (!(std::fabs(m) < kLargestSnapped)) return Snap::TooLarge;
  const auto [end, ec] =
      std::to_chars(out, out + kSnappedTextRoom, m, std::chars_format::fixed, s.decimals);
  if (ec != std::errc()) return Snap::Kept;
  length = static_cast<std::size_t>(end - out);
  return Snap::Snapped;
}

// SnapValue's steps on a trimmed text, writing a snapped value into out (which has
// kSnappedTextRoom bytes) and its length into length. Plain decimals are read by
// SplitPlainDecimal and most are settled by IsSurelyOffStep or SnapExactly; the rest
// are read with ParseDouble's result and snapped in doubles.
// Performance: on a large drawing the passes spend their time here; settling values in
// integers makes the worst case (nearly every value snapped) about twice as fast.
Snap SnapText(std::string_view text, const SnapStep& s, char* out, std::size_t& length) {
  if (text.empty()) return Snap::Kept;
  double v = 0;
  PlainDecimal d;
  if (SplitPlainDecimal(text, d)) {
    if (IsSurelyOffStep(d, s.r, s.q)) return Snap::Kept;
    ReadDigits(d);
    Snap snap = Snap::Kept;
    if (SnapExactly(d, s, snap, out, length)) return snap;
    v = ValueOf(d);
  } else if (!ParseDouble(text, v)) {
    return Snap::NotANumber;
  }
  return SnapDouble(v, s, out, length);
}

// One pass's step; off for a skipped pass.
struct PassStep {
  bool on;
  SnapStep snap;
};

PassStep StepOf(const RoundPass& pass) {
  const int r = pass.factor > 0 ? pass.factor : 1;
  return {pass.factor != 0, MakeSnapStep(r, RoundScale(r, pass.digit))};
}

// The step list's index of a pass's factor: -1 when none is chosen.
int StepIndexOf(int factor) {
  if (factor == 0) return kNoCorrectionIndex;
  const auto found = std::find(std::begin(kStepFactors), std::end(kStepFactors), factor);
  return found == std::end(kStepFactors) ? -1 : static_cast<int>(found - std::begin(kStepFactors));
}

RoundPass PassOf(int stepIndex, int roundDigit) {
  const int factor = stepIndex < 0                     ? -1
                     : stepIndex >= kNoCorrectionIndex ? 0
                                                       : kStepFactors[stepIndex];
  return {factor, roundDigit};
}

// What the walk over one stretch of the section found, in the pairs' order: the snapped
// coordinates up to the first coordinate that is no number, whose message ends the
// walk, and the snapped angles up to the first angle that is no number.
struct StretchResult {
  PreparedValues coordinates;
  PreparedValues angles;
  std::string coordinateError;
  std::string angleError;
  int coordinatesTooLarge = 0;  // values left alone as their snapped value is too large
  int anglesTooLarge = 0;
  std::exception_ptr failure;  // what the walk threw (no memory left)
};

// Walks the pairs from first, a record start or the section's first pair, to end.
// Performance: codes are read in blocks, a pair is told touched or not by one test, and
// each entity name and touched value is read once.
void WalkStretch(const TDXFBuffer& b, int first, int end, PassStep coordinate, PassStep angle,
                 StretchResult& out) {
  char snapped[kSnappedTextRoom];
  std::size_t length = 0;
  std::uint64_t touched = 0;  // the codes the passes touch in the current entity
  constexpr int kCodeBlock = 1024;
  int codes[kCodeBlock];
  for (int block = first; block < end; block += kCodeBlock) {
    const int count = std::min(kCodeBlock, end - block);
    b.GetCodes(block, count, codes);
    for (int k = 0; k < count; ++k) {
      const int i = block + k, code = codes[k];
      if (code == kRecordStartCode) {
        const std::string_view name = Trimmed(b.ValueView(i));
        touched = (coordinate.on && IsListed(kCoordinateEntities, name) ? kCoordinateCodes : 0) |
                  (angle.on && IsListed(kAngleEntities, name) ? kAngleCodes : 0);
        continue;
      }
      if (!IsInCodes(touched, code)) continue;
      const bool isCoordinate = IsInCodes(kCoordinateCodes, code);
      const std::string_view text = Trimmed(b.ValueView(i));
      const Snap snap = SnapText(text, (isCoordinate ? coordinate : angle).snap, snapped, length);
      if (snap == Snap::Kept) continue;
      if (snap == Snap::TooLarge) {
        ++(isCoordinate ? out.coordinatesTooLarge : out.anglesTooLarge);
        continue;
      }
      if (snap == Snap::NotANumber) [[unlikely]] {
        if (isCoordinate) {
          out.coordinateError = NotANumberMessage(text);
          return;
        }
        out.angleError = NotANumberMessage(text);
        angle.on = false;
        touched &= ~kAngleCodes;
        continue;
      }
      (isCoordinate ? out.coordinates : out.angles).Add(i, std::string_view(snapped, length));
    }
  }
}

// Where the walk over first..end is cut into stretches, one a thread: at record starts
// near equal parts, so that each stretch knows its entity from its first pair on. Small
// sections and one-core machines get one stretch.
std::vector<int> StretchStarts(const TDXFBuffer& b, int first, int end) {
  constexpr int kLeastPairs = 1 << 20;  // a thread's start costs less than this walk
  constexpr unsigned kMostThreads = 8;
  const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
  const int parts = std::clamp((end - first) / kLeastPairs, 1, static_cast<int>(cores));
  std::vector<int> starts = {first};
  for (int part = 1; part < parts; ++part) {
    int at = first + static_cast<int>(static_cast<long long>(end - first) * part / parts);
    at = std::max(at, starts.back() + 1);
    while (at < end && b.GetCode(at) != kRecordStartCode) ++at;
    if (at < end) starts.push_back(at);
  }
  starts.push_back(end);
  return starts;
}

// Both passes in one walk, with the result of running them one after the other: the
// passes touch different codes, so neither sees the other's changes. The walk runs in
// stretches on threads of their own, which only read the buffer; the snapped values are
// then set in the pairs' order, every coordinate first, since a coordinate that is no
// number stops the run before any angle changes, and the angles up to the first angle
// that is no number, whose message is reported when the run ends.
RoundOutcome RoundBoth(TDXFBuffer& b, PassStep coordinate, PassStep angle) {
  const std::vector<int> starts = StretchStarts(b, b.EntitiesStart + 1, b.EntitiesEnd);
  std::vector<StretchResult> stretches(starts.size() - 1);
  const auto walk = [&](std::size_t k) {
    try {
      WalkStretch(b, starts[k], starts[k + 1], coordinate, angle, stretches[k]);
    } catch (...) {
      stretches[k].failure = std::current_exception();
    }
  };
  RunOnThreads(stretches.size(), walk);
  for (const StretchResult& stretch : stretches)
    if (stretch.failure) std::rethrow_exception(stretch.failure);

  RoundOutcome outcome;
  const auto set = [&](PreparedValues& values, int tooLarge) {
    outcome.count += static_cast<int>(values.Size());
    outcome.tooLarge += tooLarge;
    b.SetValues(values);
  };
  for (StretchResult& stretch : stretches) {
    set(stretch.coordinates, stretch.coordinatesTooLarge);
    if (!stretch.coordinateError.empty()) {
      outcome.error = stretch.coordinateError;
      return outcome;
    }
  }
  for (StretchResult& stretch : stretches) {
    set(stretch.angles, stretch.anglesTooLarge);
    if (!stretch.angleError.empty()) {
      outcome.error = stretch.angleError;
      break;
    }
  }
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

Result<bool> SnapValue(std::string& text, int r, double q) {
  char snapped[kSnappedTextRoom];
  std::size_t length = 0;
  switch (SnapText(text, MakeSnapStep(r, q), snapped, length)) {
    case Snap::Kept:
    case Snap::TooLarge:
      return false;
    case Snap::NotANumber:
      return {ErrorCode::NotANumber, NotANumberMessage(text)};
    case Snap::Snapped:
      break;
  }
  text.assign(snapped, length);
  return true;
}

int StepFactorOfText(std::string_view step) {
  const auto& items = StepItems();
  const auto found = std::find(items.begin(), items.end(), step);
  if (found == items.end()) return -1;
  return PassOf(static_cast<int>(found - items.begin()), 0).factor;
}

RoundSettings SettingsOfChoice(const RoundChoice& choice) {
  return {PassOf(choice.validDigit, choice.roundDigit),
          PassOf(choice.angValidDigit, choice.angRoundDigit)};
}

RoundOutcome RoundEntitiesBy(TDXFBuffer& buffer, const RoundSettings& settings) {
  return RoundBoth(buffer, StepOf(settings.coordinates), StepOf(settings.angles));
}

RoundOutcome RoundEntities(TDXFBuffer& buffer, const RoundChoice& choice) {
  return RoundEntitiesBy(buffer, SettingsOfChoice(choice));
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

std::array<std::string, 2> RoundSettingsLines(const RoundSettings& settings) {
  return RoundChoiceLines({StepIndexOf(settings.coordinates.factor), settings.coordinates.digit,
                           StepIndexOf(settings.angles.factor), settings.angles.digit});
}

std::string RoundTooLargeLine(int count) {
  static const std::string kTemplate =
      Sjis("　丸めると絶対値が 10^15 以上になる %d 個の値は、そのまま残しました。");
  return count > 0 ? Format(kTemplate.c_str(), count) : std::string();
}

std::string RoundStoppedLine(int count) {
  static const std::string kTemplate =
      Sjis("端数の丸め：中断しました。それまでに%d行を四捨五入しています。");
  return Format(kTemplate.c_str(), count);
}
