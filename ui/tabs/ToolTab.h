// ToolTab.h - the "ツール" tab of the editor edition: the rounding tool's boxes and button,
// and the purge's button.
//
// Two group boxes choose the step and the rounding digit of coordinates and distances
// and of angles; the button asks for a run with the settings they select, which the main
// window hands to the Document (Document::Round) and reports. "未使用の削除" asks the main
// window for the list of what nothing uses (TFMMain::PurgeUnused). The boxes keep their
// selections for the life of the window. The viewer edition has no such tab. Every control
// carries its documented name as its object name (GBToolPos, CBToolValidDigit,
// BTPosReSnap ...).
#pragma once

#include <QWidget>

#include "logic/rounding/RoundingTool.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class ToolTab : public QWidget {
  Q_OBJECT

 public:
  explicit ToolTab(QWidget* parent = nullptr);

  /// Selects the default item in each box that has none (as the tab is shown).
  void TSToolShow();
  /// Returns the selections of the four boxes, and the settings they make.
  RoundChoice Choice() const;
  RoundSettings Settings() const;

 signals:
  /// BTPosReSnap was clicked: a run with the settings the boxes select.
  void RoundRequested(const RoundSettings& settings);
  /// BTPurge was clicked.
  void PurgeRequested();

 private:
  void BTPosReSnapClick();

  QGroupBox* GBToolPos;
  QLabel* LBToolValidDigit;
  QComboBox* CBToolValidDigit;
  QLabel* LBToolRoundDigit;
  QComboBox* CBToolRoundDigit;
  QGroupBox* GBToolAng;
  QLabel* LBToolAngValidDigit;
  QComboBox* CBToolAngValidDigit;
  QLabel* LBToolAngRoundDigit;
  QComboBox* CBToolAngRoundDigit;
  QPushButton* BTPosReSnap;
  QPushButton* BTPurge;
};
