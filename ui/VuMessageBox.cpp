// VuMessageBox.cpp - the message panel.
#include "ui/VuMessageBox.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

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
