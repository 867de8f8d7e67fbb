// ElidedLabel.h - a one-line label that shortens its text in the middle to fit.
#pragma once

#include <QLabel>

/// Shows as much of its text as fits, the middle replaced by "…" (a path keeps its drive
/// and its file name), and the whole text as its tooltip when it is cut. text() stays the
/// whole text; the layout may make the label as narrow as it needs.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

  /// Returns the text as drawn at the label's present width.
  QString ShownText() const;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};
