// MainFormAutoCAD.cpp - the main window's AutoCAD buttons: the paint-time probe, the read
// of AutoCAD's drawing and the jump to the line AutoCAD could not read.
//
// The sequences themselves live in logic/AcadSequences; the window hands them its buffer,
// panel, dialogs, question about unsaved edits, load routine and jump, and enables the
// buttons by the probe's answer.
#include <QPushButton>

#include "ui/MainForm.h"

void TFMMain::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  FormPaint();
}

void TFMMain::FormPaint() {
  const AcadButtons buttons = ProbeAutoCAD(AutoCAD);
  BTACADRead->setEnabled(buttons.readEnabled);
  BTErrorJump->setEnabled(buttons.errorJumpEnabled);
}

AcadContext TFMMain::MakeAcadContext() {
  return AcadContext{
      .AutoCAD = AutoCAD,
      .Buffer = Doc().Buffer(),
      .MsgBox = *MsgBox,
      .dialogs = m_dialogs,
      .LoadDxfFile = [this](const std::string& path) { return LoadDocument(path); },
      .ConfirmDiscardChanges = [this] { return ConfirmDiscardChanges(); },
      .JumpToLine = [this](int line) { JumpToLine(line); },
      .UseDxfout = Settings.UseDxfout,
      .ProductTitle = Values.ProductTitle,
      .exePath = m_executablePath,
  };
}

void TFMMain::BTACADReadClick() {
  AcadContext context = MakeAcadContext();
  ::BTACADReadClick(context);
}

void TFMMain::BTErrorJumpClick() {
  AcadContext context = MakeAcadContext();
  ::BTErrorJumpClick(context);
}
