// DrawingViewTest.cpp - the drawing view beside the grid: highlight, pick, jump, refresh.
#include "ui/DrawingView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "model/buffer/RecordWalk.h"
#include "render/DrawingPainter.h"
#include "tests/support/MainWindowFixture.h"

namespace {

// Records of examples/sample.dxf, by the line of their code-0 pair.
constexpr int kLine = PairOfLine(877);    // LINE (0,0)-(4200,0)
constexpr int kCircle = PairOfLine(925);  // CIRCLE at (2100,1500), radius 450
constexpr int kCircleX = PairOfLine(939);

// Lets a build under way (or about to start) finish, for up to ten seconds.
void WaitForShapes(const DrawingView& view) {
  QElapsedTimer clock;
  clock.start();
  while ((view.Building() || view.Geometry().shapes.empty()) && clock.elapsed() < 10000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_FALSE(view.Building());
}

struct Drawing : MainWindowFixture {
  Drawing() {
    Start({kSample}, "Viewer", "", nullptr, QSize(1200, 700));
    form->ToggleDrawingView();
    WaitForShapes();
  }
  DrawingView& View() { return *form->FRDrawing; }
  void WaitForShapes() { ::WaitForShapes(View()); }
  // Tells whether the canvas shows the picture of its shapes drawn anew (not a kept
  // picture of shapes gone).
  bool ShowsItsShapes() {
    const DrawingView& view = View();
    ShapeIndex index;
    index.Build(view.Geometry());
    PaintOptions options;
    options.dark = view.CBDark->isChecked();
    options.highlight = view.Highlighted();
    QImage fresh(view.Frame().width, view.Frame().height, QImage::Format_RGB32);
    PaintLayout(fresh, view.Geometry(), index, view.Frame(), options);
    return view.Canvas->grab().toImage().convertToFormat(QImage::Format_RGB32) == fresh;
  }
  // The canvas pixel of a drawing point.
  QPoint Pixel(double x, double y) {
    const LayoutGeometry& g = View().Geometry();
    return {static_cast<int>(View().Frame().PixelX(x - g.baseX)),
            static_cast<int>(View().Frame().PixelY(y - g.baseY))};
  }
};

TEST(DrawingView, GridCursorHighlightsItsRecordAndAClickMovesTheGrid) {
  Drawing d;
  TFMMain& form = *d.form;
  ASSERT_TRUE(d.View().isVisible());
  form.JumpToPair(kCircle + 3);  // a pair inside the CIRCLE record
  QApplication::processEvents();
  EXPECT_EQ(d.View().Highlighted(), kCircle);

  QTest::mouseClick(d.View().Canvas, Qt::LeftButton, {}, d.Pixel(1000, 0));
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), kLine);
  EXPECT_EQ(d.View().LBStatus->text().toStdString(), "LINE  ハンドル 40  行 877");
  form.GoBack();  // the click was a jump: Alt+Left returns to the circle
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), kCircle + 3);

  QTest::mouseClick(d.View().Canvas, Qt::LeftButton, {}, d.Pixel(1000, -2000));
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), kCircle + 3);  // nothing there: the grid stays
}

TEST(DrawingView, AChangedCoordinateMovesTheShapeAndUndoMovesItBack) {
  Drawing d;
  TFMMain& form = *d.form;
  d.View().ZoomExtents();
  EXPECT_TRUE(d.ShowsItsShapes());
  const auto pickAt = [&](double x, double y) { return d.View().PickAt(d.Pixel(x, y)); };
  ASSERT_EQ(pickAt(2100 - 450, 1500), kCircle);
  form.JumpToPair(kCircleX);
  QTest::keyClicks(form.FRDXFGrid->DXFGrid, "3000.0");
  QTest::keyClick(form.FRDXFGrid->DXFGrid->findChild<QLineEdit*>(), Qt::Key_Return);
  ASSERT_EQ(form.Doc().Buffer().GetValue(kCircleX), "3000.0");
  d.WaitForShapes();
  EXPECT_EQ(pickAt(3000 - 450, 1500), kCircle);
  EXPECT_NE(pickAt(2100 - 450, 1500), kCircle);
  EXPECT_TRUE(d.ShowsItsShapes());
  form.UndoChange();
  d.WaitForShapes();
  EXPECT_EQ(pickAt(2100 - 450, 1500), kCircle);
  EXPECT_TRUE(d.ShowsItsShapes());
  d.View().CBDark->toggle();
  EXPECT_TRUE(d.ShowsItsShapes());
}

TEST(DrawingView, AHiddenViewBuildsNothingUntilItIsShown) {
  MainWindowFixture m;
  m.Start({kSample}, "Viewer", "", nullptr, QSize(1200, 700));
  DrawingView& view = *m.form->FRDrawing;
  QApplication::processEvents();
  EXPECT_FALSE(view.Building());
  EXPECT_TRUE(view.Geometry().shapes.empty());
  m.form->ToggleDrawingView();
  WaitForShapes(view);
  EXPECT_FALSE(view.Geometry().shapes.empty());
}

TEST(DrawingView, F8HidesAndShowsTheView) {
  Drawing d;
  d.form->ToggleDrawingView();
  EXPECT_FALSE(d.View().isVisible());
  QTest::keyClick(d.form->FRDXFGrid->DXFGrid, Qt::Key_F8);
  EXPECT_TRUE(d.View().isVisible());
}

}  // namespace
