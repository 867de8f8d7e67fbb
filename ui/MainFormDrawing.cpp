// MainFormDrawing.cpp - the drawing view beside the grid: its place and its ties.
//
// The view shares the DXF tab with the grid in a splitter and is hidden until F8 (or the
// grid menu's "図面の表示") shows it. The grid's cursor highlights its record there (see
// FRDXFGridDXFGridDrawCell); a click on a shape jumps the grid to its record, a jump that
// Alt+Left returns from. Loads and changes rebuild the view's shapes (MainFormFiles.cpp,
// MainForm.cpp).
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>

#include "ui/DrawingView.h"
#include "ui/MainForm.h"

namespace {

constexpr int kGridShare = 1, kDrawingShare = 1;  // the splitter's stretch when both show

}  // namespace

QWidget* TFMMain::CreateDrawingDock() {
  SPDXFData = new QSplitter(Qt::Horizontal);
  SPDXFData->setObjectName(QStringLiteral("SPDXFData"));
  FRDrawing = new DrawingView(Buffer);
  // The view's build reads the buffer on a worker thread: it stops before any change.
  m_edits.BeforeChange = [view = QPointer<DrawingView>(FRDrawing)] {
    if (view) view->StopBuilding();
  };
  FRDrawing->setObjectName(QStringLiteral("FRDrawing"));
  SPDXFData->addWidget(FRDXFGrid);
  SPDXFData->addWidget(FRDrawing);
  SPDXFData->setStretchFactor(0, kGridShare);
  SPDXFData->setStretchFactor(1, kDrawingShare);
  SPDXFData->setChildrenCollapsible(false);
  FRDrawing->hide();
  connect(FRDrawing, &DrawingView::RecordPicked, this, &TFMMain::JumpToPair);
  auto* toggle = new QShortcut(QKeySequence(Qt::Key_F8), this);
  connect(toggle, &QShortcut::activated, this, &TFMMain::ToggleDrawingView);
  return SPDXFData;
}

void TFMMain::ToggleDrawingView() {
  PCSGData->setCurrentWidget(TSDXFData);
  FRDrawing->setVisible(!FRDrawing->isVisible());
  if (FRDrawing->isVisible()) FRDrawing->ShowPair(FRDXFGrid->CurrentIndex());
}
