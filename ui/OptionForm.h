// OptionForm.h - the option window: the program's notes and the AutoCAD read method.
//
// A fixed modal dialog opened by the main window's settings button. It shows the notes
// on the program and on find, two radio buttons that choose how a drawing is read from
// AutoCAD (DXFOUT or WBLOCK), and the save format: lines as read, or CR LF everywhere.
// FormShow copies the settings record into the controls; only OK copies them back, so
// closing the window any other way changes nothing. The record reaches the settings file
// when the main window closes (SaveSettings).
#pragma once

#include <QDialog>

#include "settings/Settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TForm_option : public QDialog {
  Q_OBJECT

 public:
  /// Creates the window on the settings record it shows and changes.
  explicit TForm_option(SettingsRecord& settings, QWidget* parent = nullptr);

  QLabel* LBSoft;
  QLineEdit* Edit1;
  QRadioButton* RadioButton_dxfout;
  QRadioButton* RadioButton_wblock;
  QPushButton* Button1;
  QComboBox* CBSaveFormat;  // "元のまま" (lines as read) or "CR LF に揃える" (normalised)

  /// Copies the record's method flags into the radio buttons and its save format into
  /// CBSaveFormat.
  void FormShow();
  /// Copies the radio buttons and the save format into the record and closes with OK.
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* AddLabel(QWidget* parent, int left, int top, const QString& text);
  void CreateNotes();
  void CreateMethodBox();
  void CreateFindBox();
  void CreateSaveFormat();

  SettingsRecord& m_settings;
};
