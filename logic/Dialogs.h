// Dialogs.h - every modal interaction of the program behind one interface.
//
// Message boxes, Yes/No questions, file dialogs and the beep go through Dialogs, so the
// logic that raises them runs headless: the program uses the Qt implementation, tests a
// scripted one. Texts are CP932; file paths are native (UTF-8).
#pragma once

#include <optional>  // std::optional
#include <string>    // std::string

class Dialogs {
 public:
  /// The answer to a question with a Cancel button.
  enum class Answer { Yes, No, Cancel };

  /// What a file dialog starts with.
  struct FileRequest {
    std::string caption;        // CP932
    std::string filter;         // "DXFﾌｧｲﾙ|*.DXF" style, name and pattern pairs, CP932
    int filterIndex = 0;        // the filter shown first; a save dialog sets the one chosen
    std::string initialFolder;  // native path
    std::string fileName;       // native path or bare name, preselected
  };

  virtual ~Dialogs() = default;

  /// Shows text in a modal box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  /// Shows text as a modal error with an OK button.
  virtual void ShowError(const std::string& text) { ShowMessage(text); }
  /// Asks a Yes/No question under the given caption (the program's title when empty);
  /// true for Yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
  /// Asks a Yes/No/Cancel question under the given caption.
  virtual Answer AskYesNoCancel(const std::string& caption, const std::string& text) = 0;
  /// Asks for one line of text under the given caption; returns it as typed, or nothing
  /// when the user cancels. Dialogs that cannot ask for text answer as if cancelled.
  virtual std::optional<std::string> AskText(const std::string& /*caption*/,
                                             const std::string& /*prompt*/) {
    return std::nullopt;
  }
  /// Runs an open-file dialog; returns the chosen path, or empty when cancelled.
  virtual std::string OpenFileName(const FileRequest& request) = 0;
  /// Runs a save-file dialog (no overwrite prompt of its own, no added extension); empty
  /// when cancelled. A confirmed choice sets request.filterIndex to the filter chosen.
  virtual std::string SaveFileName(FileRequest& request) = 0;
  /// Sounds the system's default beep.
  virtual void Beep() = 0;
};
