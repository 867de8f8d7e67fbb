// GridEdit.h - the in-place edit of the DXF grid: what was typed and how it is committed.
//
// The grid reports the editor's text after every change and once more when editing
// ends; the second report of an unchanged text is the signal to commit. A commit writes
// the group code (column 1) or the value (column 2) straight into the buffer, logs the
// change and empties the remarks that depend on it, so the next fill works them out
// again. Codes must be numbers within the signed 32-bit range; values must not hold a
// line break or a NUL byte, which would break the pairing of the file on save, and a
// value that is not a number where the code wants one is stored only when the user
// agrees; in a document saved in the binary form a value its code's type cannot hold is
// refused with the reason. The editor's texts are program texts (CP932 with \U+XXXX
// escapes); a value is stored in the document's encoding, and one the encoding cannot
// hold is refused.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

#include "logic/Dialogs.h"
#include "logic/MessageLog.h"
#include "model/buffer/MyDXFClass.h"

/// The grid columns an edit can change.
constexpr int kCodeColumn = 1;
constexpr int kValueColumn = 2;

/// What a commit did.
struct EditCommit {
  enum class Kind {
    Written,  // the buffer holds the new text, the log has its line
    NoPair,   // the row shows no pair (its line-number cell is empty): nothing changed
    Refused,  // the text is not stored; message says why (empty when the user declined),
              // the cell gets OldText back
  };
  Kind kind;
  std::string message;  // CP932, for Refused
  std::string step;     // CP932, for Written: the name of the change in the edit history
};

class GridEdit {
 public:
  /// What a report of the editor's text asks for.
  enum class Report { Typing, Unchanged, Commit };

  /// Starts an edit of cell (col, row) whose text is cellText (as displayed).
  void Begin(int col, int row, const std::string& cellText);
  /// Takes the editor's text: a new text is only remembered; the same text again ends
  /// the edit and asks for a commit unless it equals the text the edit started with.
  Report Take(const std::string& text);
  /// Esc: when the typed text differs from OldText, forgets it and returns true (the
  /// cell must get OldText back and the editor close without a commit).
  bool Revert();
  /// Writes NewText into pair (line number in lineCell) div 2 of buffer and logs it. A
  /// value that is not a number of the kind the pair's code wants is written only when
  /// the user answers Yes to "数値ではありません。このまま変更しますか？".
  EditCommit Commit(TDXFBuffer& buffer, std::string_view lineCell, MessageLog& log,
                    Dialogs& dialogs);

  const std::string& OldText() const { return m_oldText; }
  const std::string& NewText() const { return m_newText; }
  int EditCol() const { return m_editCol; }
  int EditRow() const { return m_editRow; }

 private:
  EditCommit CommitCode(TDXFBuffer& buffer, int pair, MessageLog& log);
  EditCommit CommitValue(TDXFBuffer& buffer, int pair, MessageLog& log, Dialogs& dialogs);
  EditCommit Refuse(const char* utf8Message);
  EditCommit RefuseWith(std::string message);

  std::string m_oldText;
  std::string m_newText;
  int m_editCol = kCodeColumn;
  int m_editRow = 2;
};

/// Reads a typed group code: a number (as IsNumber reads it) that is not
/// empty and whose value rounded down lies within the signed 32-bit range.
bool ParseGroupCode(std::string_view text, int& code);

/// Returns why a value of code cannot be stored in buffer, a document saved in the binary
/// form (CP932, naming the code, the value and the reason), or an empty text when it can
/// or the document is saved as text.
std::string BinaryProblem(const TDXFBuffer& buffer, int code, std::string_view value);

/// Tells whether a value suits its group code: for a code AutoCAD reads as a number, the
/// trimmed text is an integer (integer codes) or a decimal number (real codes); any text
/// suits the other codes.
bool FitsValueCode(int code, std::string_view text);

/// Tells whether a value can be stored: it holds no CR, LF or NUL byte.
bool IsStorableValue(std::string_view text);

/// Empties the remark of pair b and of the pair that starts its record (the nearest pair
/// at or before b, above pair 0, whose code is 0 or 9), so both are worked out again.
void InvalidateRemarks(TDXFBuffer& buffer, int b);
