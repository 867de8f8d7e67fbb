// GridEdit.cpp - the in-place edit of the DXF grid.
#include "logic/grid/GridEdit.h"

#include <climits>  // INT_MAX, INT_MIN
#include <cmath>    // std::floor

#include "model/buffer/BinaryDXF.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/GroupValues.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

void GridEdit::Begin(int col, int row, const std::string& cellText) {
  m_oldText = cellText;
  m_newText = cellText;
  m_editCol = col;
  m_editRow = row;
}

GridEdit::Report GridEdit::Take(const std::string& text) {
  if (text != m_newText) {
    m_newText = text;
    return Report::Typing;
  }
  return m_newText == m_oldText ? Report::Unchanged : Report::Commit;
}

bool GridEdit::Revert() {
  if (m_newText == m_oldText) return false;
  m_newText = m_oldText;
  return true;
}

EditCommit GridEdit::Commit(TDXFBuffer& buffer, std::string_view lineCell, MessageLog& log,
                            Dialogs& dialogs) {
  int line = 0;
  if (!ParseInt32(TrimView(lineCell), line) || !buffer.IsValidIndex(line / 2))
    return {EditCommit::Kind::NoPair, {}, {}};
  const int pair = line / 2;
  const EditCommit done = m_editCol == kCodeColumn ? CommitCode(buffer, pair, log)
                                                   : CommitValue(buffer, pair, log, dialogs);
  if (done.kind != EditCommit::Kind::Written) return done;
  InvalidateRemarks(buffer, pair);
  m_oldText = m_newText;
  return done;
}

EditCommit GridEdit::CommitCode(TDXFBuffer& buffer, int pair, MessageLog& log) {
  int code = 0;
  if (!ParseGroupCode(m_newText, code)) return Refuse("グループコードは数値でなければなりません");
  if (const std::string problem = BinaryProblem(buffer, code, buffer.ValueView(pair));
      !problem.empty())
    return RefuseWith(problem);
  buffer.SetCode(pair, code);
  static const std::string format = Sjis("グループコード変更 %7lld : %s　→　%s");
  log.Add(Format(format.c_str(), LineOfPair(pair), m_oldText.c_str(), m_newText.c_str()));
  static const std::string step = Sjis("グループコード変更 行 %d");
  return {EditCommit::Kind::Written, {}, Format(step.c_str(), LineOfPair(pair))};
}

EditCommit GridEdit::CommitValue(TDXFBuffer& buffer, int pair, MessageLog& log, Dialogs& dialogs) {
  if (!IsStorableValue(m_newText)) return Refuse("データ値に改行やNUL文字は入れられません");
  StoredText stored = DocumentText(buffer, m_newText);
  if (!stored.ok) return RefuseWith(std::move(stored.message));
  if (const std::string problem = BinaryProblem(buffer, buffer.GetCode(pair), stored.bytes);
      !problem.empty())
    return RefuseWith(problem);
  // AutoCAD refuses a drawing with a text where it reads a number; the user may still
  // want it, to repair the drawing in steps.
  if (!FitsValueCode(buffer.GetCode(pair), m_newText) &&
      !dialogs.AskYesNo({}, Sjis("数値ではありません。このまま変更しますか？")))
    return Refuse(nullptr);
  buffer.SetValue(pair, stored.bytes);
  static const std::string format = Sjis("グループデータ変更 %7lld : %s　→　%s");
  log.Add(Format(format.c_str(), LineOfPair(pair), m_oldText.c_str(), m_newText.c_str()));
  static const std::string step = Sjis("グループデータ変更 行 %d");
  return {EditCommit::Kind::Written, {}, Format(step.c_str(), LineOfPair(pair))};
}

// A document saved in the binary form holds every value in its code's type, so an edit
// that the type cannot hold is refused rather than asked about.
std::string BinaryProblem(const TDXFBuffer& buffer, int code, std::string_view value) {
  if (buffer.SaveForm != DXFForm::Binary) return {};
  const BinaryFault fault = BinaryFaultOf(code, value);
  if (fault == BinaryFault::None) return {};
  static const std::string format =
      Sjis("グループコード %d の値 '%s' は%s。バイナリ DXF には書けないので変更しません");
  return Format(format.c_str(), code, ProgramText(buffer, value).c_str(),
                BinaryFaultText(fault).c_str());
}

EditCommit GridEdit::Refuse(const char* utf8Message) {
  return RefuseWith(utf8Message ? Sjis(utf8Message) : std::string());
}

// The typed text is dropped: the cell shows OldText again and nothing is pending. Without
// a message the user has declined and is told nothing more.
EditCommit GridEdit::RefuseWith(std::string message) {
  m_newText = m_oldText;
  return {EditCommit::Kind::Refused, std::move(message), {}};
}

bool ParseGroupCode(std::string_view text, int& code) {
  const std::string_view trimmed = TrimView(text);
  if (trimmed.empty() || !IsNumber(trimmed)) return false;
  std::string plain;
  for (char c : trimmed)
    if (c != ',') plain += c;
  double value = 0;
  if (!ParseDouble(plain, value)) return false;
  const double floored = std::floor(value);
  if (floored < static_cast<double>(INT_MIN) || floored > static_cast<double>(INT_MAX))
    return false;
  code = static_cast<int>(floored);
  return true;
}

bool FitsValueCode(int code, std::string_view text) {
  return ReadsAsNumberOfCode(code, TrimView(text));
}

bool IsStorableValue(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void InvalidateRemarks(TDXFBuffer& buffer, int b) {
  buffer.SetNote(b, {});
  for (int j = b; j > 0; --j) {
    if (IsRecordStartCode(buffer.GetCode(j))) {
      buffer.SetNote(j, {});
      return;
    }
  }
}
