// VuMessageBox.h - the message panel: the running log at the bottom of the main window.
//
// Every load, save and in-place change appends its lines here, so the user can see
// afterwards what the program did. The panel keeps at most MaxLine lines, dropping the
// oldest; it wraps long lines, always shows its vertical scroll bar and may be typed
// into, which affects nothing else. Lines come in as CP932. A line that names a place of
// the file ("　123 行：...", as the drawing check writes them) leads there: double-click
// it, or press Enter on it.
#pragma once

#include <string>  // std::string
#include <vector>  // std::vector

#include <QPlainTextEdit>

#include "logic/MessageLog.h"
#include "model/text/MyStringLib.h"

class TVuMessageBox : public QPlainTextEdit, public MessageLog {
  Q_OBJECT

 public:
  explicit TVuMessageBox(QWidget* parent = nullptr);

  /// Appends one line (CP932, may be empty; control characters are left out), drops the
  /// oldest lines beyond MaxLine and returns the number of lines afterwards.
  int Add(const std::string& line) override;
  /// Adds the lines as Add would one by one, in one change of the panel: of a long run only
  /// the last MaxLine lines are ever shown, so only those are laid out.
  int AddLines(const std::vector<std::string>& lines);
  /// Formats like printf (Format's conventions) and adds the result.
  template <typename... Args>
  int AddFmt(const char* format, Args... args) {
    return Add(Format(format, args...));
  }
  /// Returns the number of lines the panel holds.
  int LineCount() const;

  int MaxLine = 500;  // the most lines kept

 signals:
  /// A line naming a place of the file was chosen; line is that file line.
  void JumpRequested(long long line);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  /// Asks for the jump of the panel line under the text cursor; false when it names none.
  bool ChooseLineAt(const QTextCursor& cursor);

  bool m_hasLines = false;  // an empty document holds no line, not one empty line
};
