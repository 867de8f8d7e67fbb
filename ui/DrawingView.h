// DrawingView.h - the "図面" tab: the drawing, tied to the grid both ways.
//
// The shapes of the chosen layout (model space, paper space or a block) and their index
// are built on a worker thread after a load or a change, while the window stays usable; the last
// picture stays on show until the new one is ready. The record under the grid's cursor is drawn
// highlighted, and the view pans to it when it lies outside; a click picks the entity
// nearest the cursor within a few pixels and asks the window to jump there. Home shows
// everything, the wheel zooms at the cursor, a drag pans; the coordinates under the cursor
// and the picked entity are shown below the picture.
#pragma once

#include <atomic>  // std::atomic
#include <memory>  // std::unique_ptr, std::shared_ptr
#include <string>  // std::string
#include <vector>  // std::vector

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "logic/view/ShapeIndex.h"
#include "logic/view/ViewFrame.h"
#include "logic/view/ViewGeometry.h"
#include "model/buffer/MyDXFClass.h"
#include "render/DrawingPicture.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QThread;
class QTimer;
class DrawingCanvas;

class DrawingView : public QWidget {
  Q_OBJECT

 public:
  /// Creates the view of buffer (not owned; it must outlive the view's builds).
  explicit DrawingView(TDXFBuffer& buffer, QWidget* parent = nullptr);
  ~DrawingView() override;

  /// Builds the shapes anew after a load: the layout list from the drawing, model space
  /// shown whole. A hidden view drops its shapes and builds when it is next shown.
  void DocumentLoaded();
  /// Builds the shapes anew after a change, keeping the layout and what is on show; a
  /// hidden view when it is next shown.
  void DocumentChanged();
  /// Stops a build under way; the buffer may be replaced after it returns.
  void StopBuilding();
  /// Highlights the shapes of the record that holds pair i (an INSERT with its block, a
  /// POLYLINE for its VERTEX) and pans to them when they are outside the picture.
  void ShowPair(int i);
  /// Shows every shape (Home).
  void ZoomExtents();
  /// Shows the highlighted record whole.
  void ZoomSelected();
  /// Returns the highlighted record's code-0 pair, or -1.
  int Highlighted() const { return m_highlight; }
  /// Tells whether a build is under way.
  bool Building() const { return m_worker != nullptr; }
  /// Returns the shapes on show.
  const LayoutGeometry& Geometry() const { return *m_geometry; }
  const ViewFrame& Frame() const { return m_frame; }
  /// Picks the entity nearest pixel (x, y) of the picture, shows it in the status line and
  /// returns its record (-1: none within a few pixels).
  int PickAt(QPoint pixel);

  // Controls.
  QComboBox* CBLayout;
  QCheckBox* CBDark;
  QPushButton* BTExtents;
  QPushButton* BTSelected;
  QLabel* LBCursor;  // the coordinates under the mouse
  QLabel* LBStatus;  // the picked entity, or the build's state
  DrawingCanvas* Canvas;

 signals:
  /// The user clicked a shape: the grid should show this record (a jump).
  void RecordPicked(int record);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  friend class DrawingCanvas;

  /// What a hidden view owes its drawing when it is shown, in rising order.
  enum class Pending { None, Keep, Fit };

  void StartBuild(bool fitWhenDone);
  void AdoptBuild();
  void FillLayoutList();
  std::string ChosenLayout() const;
  ViewBox RecordBox(int record) const;
  QString DescribeRecord(int record) const;
  void ShowCursorAt(QPoint pixel);

  TDXFBuffer& m_buffer;  // read by the builds; written only for the layer table's build
  std::shared_ptr<const LayoutGeometry> m_geometry;
  ShapeIndex m_index;
  ViewFrame m_frame;
  int m_highlight = -1;
  std::vector<std::string> m_layouts;  // the names CBLayout lists, as the file's bytes
  QThread* m_worker = nullptr;
  std::unique_ptr<LayoutGeometry> m_built;  // the worker's result
  ShapeIndex m_builtIndex;                  // and the index of its shapes
  std::atomic<bool> m_cancel{false};
  bool m_fitWhenDone = false;
  bool m_rebuildWhenDone = false;
  bool m_fitted = true;  // showing everything: a resize fits again
  Pending m_pending = Pending::None;
};

/// The picture of a DrawingView: paints, zooms, pans and picks.
class DrawingCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit DrawingCanvas(DrawingView& view);
  /// Forgets the kept picture: the shapes changed.
  void ForgetPicture() { m_picture.Invalidate(); }
  /// Returns the bytes of the kept picture.
  std::size_t PictureBytes() const { return m_picture.MemoryBytes(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  DrawingView& m_view;
  DrawingPicture m_picture;
  QImage m_image;
  QTimer* m_sharpen;      // a zoom shown scaled is drawn sharp when it fires
  bool m_moving = false;  // the wheel or a drag moved the frame: it may be shown scaled
  QPoint m_pressed, m_last;
  bool m_dragging = false;
  bool m_buttonDown = false;
};
