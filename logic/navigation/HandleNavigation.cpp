// HandleNavigation.cpp - moving through a drawing by handle.
#include "logic/navigation/HandleNavigation.h"

#include <algorithm>  // std::min, std::count_if
#include <charconv>   // std::from_chars

#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"

// Reads a file line number of decimal digits; lines run past 2^31 in a large drawing.
static bool ParseLine(std::string_view digits, long long& line) {
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), line);
  return error == std::errc() && end == digits.data() + digits.size();
}

static JumpTarget Refused(std::string message) {
  return {-1, std::move(message)};
}

// The record that owns handle, or the message that none does.
static JumpTarget OwnerTarget(const HandleIndex& index, std::uint64_t handle) {
  const int owner = index.Owner(handle);
  if (owner >= 0) return {owner, {}};
  return Refused(
      Format(Sjis("ハンドル %s のレコードはありません").c_str(), HandleText(handle).c_str()));
}

JumpTarget PointerJumpTarget(const TDXFBuffer& b, const HandleIndex& index, int i) {
  std::uint64_t handle = 0;
  switch (PointerStateOf(b, index, i, handle)) {
    case PointerState::NotPointer:
      return Refused(
          Sjis("参照先へ移動できるのは、ハンドルを指すグループコード（330～369、390～399、"
               "480、481）の行です"));
    case PointerState::Null:
      return Refused(Sjis("ハンドル 0 はどのレコードも指しません"));
    case PointerState::NotHandle:
      return Refused(Format(Sjis("'%s' はハンドルではありません").c_str(),
                            ProgramText(b, TrimView(b.ValueView(i))).c_str()));
    case PointerState::Dangling:
      return Refused(
          Format(Sjis("参照先のハンドル %s がありません").c_str(), HandleText(handle).c_str()));
    case PointerState::Owned:
      return OwnerTarget(index, handle);
  }
  return Refused({});
}

bool IsDanglingPointer(const TDXFBuffer& b, const HandleIndex& index, int i) {
  if (!index.Ready()) return false;
  std::uint64_t handle = 0;
  const PointerState state = PointerStateOf(b, index, i, handle);
  return state == PointerState::Dangling || state == PointerState::NotHandle;
}

// Tells whether text is one or more decimal digits.
static bool IsDecimal(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

JumpTarget GoToTarget(const TDXFBuffer& b, const HandleIndex& index, std::string_view text) {
  text = TrimView(text);
  const bool markedHandle = !text.empty() && (text[0] == 'h' || text[0] == 'H' || text[0] == '#');
  const std::string_view handleText = markedHandle ? text.substr(1) : text;
  if (!markedHandle && IsDecimal(text)) {
    const long long lastLine = b.PairCount > 0 ? LineOfPair(b.EofIndex) + 1 : 0;
    long long line = 0;
    if (ParseLine(text, line) && line >= 1 && line <= lastLine) return {PairOfLine(line), {}};
    return Refused(Format(Sjis("%s 行はありません（最終行は %lld 行です）").c_str(),
                          std::string(text).c_str(), lastLine));
  }
  std::uint64_t handle = 0;
  if (ParseHandle(handleText, handle)) return OwnerTarget(index, handle);
  return Refused(
      Format(Sjis("'%s' は行番号でもハンドルでもありません").c_str(), std::string(text).c_str()));
}

// ------------------------------------------------------------------ message-panel lines

static const std::string& JumpLinePrefix() {
  static const std::string prefix = Sjis("　");
  return prefix;
}

static const std::string& JumpLineInfix() {
  static const std::string infix = Sjis(" 行：");
  return infix;
}

std::string JumpLogLine(long long line, std::string_view text) {
  return JumpLinePrefix() + std::to_string(line) + JumpLineInfix() + std::string(text);
}

std::optional<long long> JumpLogLineTarget(std::string_view line) {
  if (!line.starts_with(JumpLinePrefix())) return std::nullopt;
  line.remove_prefix(JumpLinePrefix().size());
  const std::size_t digits = std::min(line.find_first_not_of("0123456789"), line.size());
  long long target = 0;
  if (digits == 0 || !line.substr(digits).starts_with(JumpLineInfix()) ||
      !ParseLine(line.substr(0, digits), target))
    return std::nullopt;
  return target;
}

// Appends a list of places, at most kMaxJumpLines of them, and a note of the rest.
static void AppendPlaces(std::vector<std::string>& lines, const std::vector<std::string>& places,
                         const std::string& restHint) {
  const int shown = std::min<int>(kMaxJumpLines, static_cast<int>(places.size()));
  lines.insert(lines.end(), places.begin(), places.begin() + shown);
  if (shown < static_cast<int>(places.size()))
    lines.push_back(Format(Sjis("　ほか %d 件（%s で全件を表示できます）").c_str(),
                           static_cast<int>(places.size()) - shown, restHint.c_str()));
}

std::vector<std::string> ReferrerLogLines(const TDXFBuffer& b, int i) {
  int record = i;
  while (record > 0 && b.GetCode(record) != kRecordStartCode) --record;
  const std::string type(RecordTypeOf(b, record));
  const int handlePair = RecordHandlePair(b, record);
  std::uint64_t handle = 0;
  if (handlePair < 0 || !ParseHandle(b.ValueView(handlePair), handle))
    return {Format(Sjis("＜参照元一覧＞%lld 行の %s にはハンドルがありません").c_str(),
                   LineOfPair(record), type.c_str())};
  const std::string handleText = HandleText(handle);
  std::vector<std::string> lines = {
      Format(Sjis("＜参照元一覧＞ハンドル %s（%lld 行の %s）").c_str(), handleText.c_str(),
             LineOfPair(record), type.c_str())};
  std::vector<std::string> places;
  for (const int pair : ReferringPairs(b, handle))
    places.push_back(JumpLogLine(
        LineOfPair(pair), Format(Sjis("%s のグループコード %d").c_str(),
                                 std::string(RecordTypeOf(b, pair)).c_str(), b.GetCode(pair))));
  if (places.empty()) lines.push_back(Sjis("　参照元はありません"));
  AppendPlaces(lines, places, "quillet-dump --handle " + handleText);
  return lines;
}

std::vector<std::string> CheckLogLines(const std::vector<CheckProblem>& problems,
                                       const std::string& path) {
  std::vector<std::string> lines = {
      Format(Sjis("＜図面の検査＞%s").c_str(), ProgramTextOfUtf8(path).c_str())};
  std::vector<std::string> places;
  for (const CheckProblem& problem : problems)
    places.push_back(JumpLogLine(LineOfPair(problem.pair), problem.text));
  AppendPlaces(lines, places, "quillet-dump --check");
  const auto notes = std::count_if(problems.begin(), problems.end(),
                                   [](const CheckProblem& p) { return IsNoteKind(p.kind); });
  if (problems.empty())
    lines.push_back(Sjis("　問題はありません"));
  else if (notes == 0)
    lines.push_back(
        Format(Sjis("　問題が %d 件あります").c_str(), static_cast<int>(problems.size())));
  else
    lines.push_back(Format(Sjis("　問題が %d 件あります（うち注意 %d 件）").c_str(),
                           static_cast<int>(problems.size()), static_cast<int>(notes)));
  return lines;
}
