// QtDialogs.h - the program's Dialogs: Qt message boxes, file dialogs and the beep.
//
// Texts arrive as CP932 and are shown as Unicode; a CR LF or lone CR in a message
// becomes a line break, other control characters (the VT of a load error) are dropped.
// The file dialogs take "name|*.EXT" filters, never ask before overwriting and never add
// an extension.
#pragma once

#include <QString>
#include <QStringList>

#include "logic/Dialogs.h"

class QWidget;

class QtDialogs : public Dialogs {
 public:
  /// Opens every dialog over parent (may be null) with title as its caption.
  QtDialogs(QWidget* parent, QString title) : m_parent(parent), m_title(std::move(title)) {}

  void SetParent(QWidget* parent) { m_parent = parent; }

  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
  Answer AskYesNoCancel(const std::string& caption, const std::string& text) override;
  std::optional<std::string> AskText(const std::string& caption,
                                     const std::string& prompt) override;
  std::string OpenFileName(const FileRequest& request) override;
  std::string SaveFileName(FileRequest& request) override;
  void Beep() override;

 private:
  // The caption of a question: the one asked for, or the program's title when empty.
  QString Caption(const std::string& caption) const;

  QWidget* m_parent;
  QString m_title;
};

/// Returns a CP932 message as display text: CR LF and CR become LF, other control
/// characters are dropped.
QString MessageText(const std::string& cp932);

/// Turns a "name|*.EXT|name|*.EXT" filter into Qt's name filters, "name (*.EXT)" each.
QStringList QtFilters(const std::string& cp932Filter);
