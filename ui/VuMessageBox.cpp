// VuMessageBox.cpp - the message panel.
#include "ui/VuMessageBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "logic/HandleNavigation.h"
#include "ui/QtText.h"

TVuMessageBox::TVuMessageBox(QWidget* parent) : QPlainTextEdit(parent) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

int TVuMessageBox::LineCount() const {
  return m_hasLines || !document()->isEmpty() ? document()->blockCount() : 0;
}

int TVuMessageBox::Add(const std::string& line) {
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  // The first line goes into the document's first block; every later one opens a block.
  if (LineCount() > 0) end.insertBlock();
  // A log line stays one line: the CR and VT inside a load error are left out.
  end.insertText(WithoutControls(FromCp932(line), /*keepLineFeeds=*/false));
  m_hasLines = true;
  QTextCursor top(document());
  while (document()->blockCount() > MaxLine) {
    top.movePosition(QTextCursor::Start);
    top.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    top.removeSelectedText();
  }
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  return LineCount();
}

bool TVuMessageBox::ChooseLineAt(const QTextCursor& cursor) {
  const std::optional<int> line = JumpLogLineTarget(ToCp932(cursor.block().text()));
  if (!line) return false;
  emit JumpRequested(*line);
  return true;
}

void TVuMessageBox::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!ChooseLineAt(cursorForPosition(event->position().toPoint())))
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

// Enter on a line that names a place jumps there; on any other line it types a line break.
void TVuMessageBox::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (enter && plain && ChooseLineAt(textCursor())) return;
  QPlainTextEdit::keyPressEvent(event);
}
