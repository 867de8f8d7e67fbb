// DrawingView.cpp - the "図面" tab: the drawing, tied to the grid both ways.
#include "ui/DrawingView.h"

#include <algorithm>  // std::max
#include <cmath>      // std::pow
#include <utility>    // std::exchange

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "logic/view/DrawingBuilder.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "render/DrawingPainter.h"
#include "ui/QtText.h"

namespace {

constexpr double kWheelZoom = 1.25;  // per wheel notch
constexpr double kPickPixels = 5;    // a click picks a shape this near
constexpr int kDragPixels = 3;       // a press that moves farther is a drag, not a click
constexpr double kPanMargin = 0.1;   // a record panned to keeps this share from the edge
constexpr int kSharpenMs = 150;      // a zoom shown scaled is drawn sharp after this rest

}  // namespace

DrawingView::DrawingView(TDXFBuffer& buffer, QWidget* parent)
    : QWidget(parent), m_buffer(buffer), m_geometry(std::make_shared<LayoutGeometry>()) {
  setObjectName(QStringLiteral("DrawingView"));
  CBLayout = new QComboBox;
  CBLayout->setObjectName(QStringLiteral("CBLayout"));
  CBLayout->setMinimumContentsLength(16);
  CBDark = new QCheckBox(QStringLiteral("黒背景"));
  CBDark->setObjectName(QStringLiteral("CBDark"));
  CBDark->setChecked(true);
  BTExtents = new QPushButton(QStringLiteral("全体表示"));
  BTExtents->setObjectName(QStringLiteral("BTExtents"));
  BTExtents->setToolTip(QStringLiteral("図面全体を表示 (Home)"));
  BTSelected = new QPushButton(QStringLiteral("選択図形"));
  BTSelected->setObjectName(QStringLiteral("BTSelected"));
  BTSelected->setToolTip(QStringLiteral("カーソル位置のレコードを拡大表示"));
  LBCursor = new QLabel;
  LBCursor->setObjectName(QStringLiteral("LBCursor"));
  LBStatus = new QLabel;
  LBStatus->setObjectName(QStringLiteral("LBStatus"));
  LBStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Canvas = new DrawingCanvas(*this);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(2, 2, 2, 2);
  bar->addWidget(CBLayout);
  bar->addWidget(BTExtents);
  bar->addWidget(BTSelected);
  bar->addWidget(CBDark);
  bar->addStretch();
  bar->addWidget(LBCursor);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(bar);
  layout->addWidget(Canvas, 1);
  layout->addWidget(LBStatus);

  connect(CBLayout, &QComboBox::activated, this, [this] { StartBuild(/*fitWhenDone=*/true); });
  connect(CBDark, &QCheckBox::toggled, Canvas, qOverload<>(&QWidget::update));
  connect(BTExtents, &QPushButton::clicked, this, &DrawingView::ZoomExtents);
  connect(BTSelected, &QPushButton::clicked, this, &DrawingView::ZoomSelected);
}

DrawingView::~DrawingView() {
  StopBuilding();
}

// A hidden view builds nothing: its shapes cost memory and cores a user who never shows
// it would pay for. It builds when it is shown.
void DrawingView::DocumentLoaded() {
  StopBuilding();
  m_highlight = -1;
  FillLayoutList();
  if (isVisible()) return StartBuild(/*fitWhenDone=*/true);
  m_geometry = std::make_shared<LayoutGeometry>();  // the last drawing's shapes go now
  m_index.Build(*m_geometry);
  Canvas->ForgetPicture();
  m_pending = Pending::Fit;
}

void DrawingView::DocumentChanged() {
  if (!isVisible()) {
    StopBuilding();
    m_pending = std::max(m_pending, Pending::Keep);
    return;
  }
  if (m_worker) {
    // The running build may have read pairs before the change: build again after it.
    m_rebuildWhenDone = true;
    m_cancel = true;
    return;
  }
  StartBuild(/*fitWhenDone=*/false);
}

void DrawingView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  const Pending pending = std::exchange(m_pending, Pending::None);
  if (pending != Pending::None) StartBuild(/*fitWhenDone=*/pending == Pending::Fit);
}

void DrawingView::StopBuilding() {
  if (!m_worker) return;
  m_cancel = true;
  m_worker->wait();
  delete m_worker;
  m_worker = nullptr;
  m_built.reset();
  m_builtIndex = ShapeIndex();
  m_rebuildWhenDone = false;
}

void DrawingView::FillLayoutList() {
  m_layouts = DrawingLayouts(m_buffer);
  CBLayout->clear();
  for (const std::string& name : m_layouts) {
    if (name == kModelSpace)
      CBLayout->addItem(QStringLiteral("モデル空間"));
    else if (name == kPaperSpace)
      CBLayout->addItem(QStringLiteral("ペーパー空間"));
    else
      CBLayout->addItem(QStringLiteral("ブロック ") + FromValue(m_buffer.Encoding, name));
  }
}

std::string DrawingView::ChosenLayout() const {
  const int row = CBLayout->currentIndex();
  if (row < 0 || row >= static_cast<int>(m_layouts.size())) return std::string(kModelSpace);
  return m_layouts[static_cast<std::size_t>(row)];
}

// The layer table is read here, on the window's thread, and handed to the worker with the
// layout's name; the worker reads the buffer, which no one changes while it runs.
void DrawingView::StartBuild(bool fitWhenDone) {
  StopBuilding();
  m_cancel = false;
  m_fitWhenDone = fitWhenDone;
  auto layers = std::make_shared<TDXFLayerTable>();
  // The layers read before a bad value keep their colours; the rest draw as unlisted.
  (void)layers->Build(m_buffer);
  m_worker = QThread::create([this, layers, layout = ChosenLayout()] {
    m_built = std::make_unique<LayoutGeometry>(BuildLayout(m_buffer, *layers, layout, &m_cancel));
    m_builtIndex.Build(*m_built);  // the shapes stay where they are when adopted
  });
  connect(m_worker, &QThread::finished, this, &DrawingView::AdoptBuild);
  LBStatus->setText(QStringLiteral("図形を作成しています..."));
  m_worker->start();
}

void DrawingView::AdoptBuild() {
  if (!m_worker || !m_worker->isFinished()) return;
  m_worker->wait();
  delete m_worker;
  m_worker = nullptr;
  std::unique_ptr<LayoutGeometry> built = std::move(m_built);
  ShapeIndex index = std::exchange(m_builtIndex, ShapeIndex());
  if (m_rebuildWhenDone) {
    m_rebuildWhenDone = false;
    return StartBuild(m_fitWhenDone);
  }
  if (!built || built->cancelled) return;
  // What was on show stays on show: the frame moves with the new base point.
  m_frame.centreX += m_geometry->baseX - built->baseX;
  m_frame.centreY += m_geometry->baseY - built->baseY;
  m_geometry = std::move(built);
  m_index = std::move(index);
  Canvas->ForgetPicture();
  if (m_fitWhenDone) ZoomExtents();
  LBStatus->setText(QString::number(m_geometry->shapes.size()) + QStringLiteral(" 図形"));
  Canvas->update();
}

ViewBox DrawingView::RecordBox(int record) const {
  ViewBox box;
  if (record < 0) return box;
  for (const ViewShape& shape : m_geometry->shapes)
    if (shape.record == record || shape.source == record) box.Add(shape.box);
  return box;
}

void DrawingView::ShowPair(int i) {
  const int record = DrawnRecordOf(m_buffer, i);
  if (record == m_highlight) return;
  m_highlight = record;
  const ViewBox box = RecordBox(record);
  if (!box.Empty() && !m_frame.Shows(box)) {
    const ViewBox visible = m_frame.Visible();
    const double w = visible.maxX - visible.minX, h = visible.maxY - visible.minY;
    // Centred when it fits, else its near corner kept a little from the edge.
    m_frame.centreX = box.maxX - box.minX < w * (1 - 2 * kPanMargin)
                          ? (static_cast<double>(box.minX) + box.maxX) / 2
                          : box.minX + w * (0.5 - kPanMargin);
    m_frame.centreY = box.maxY - box.minY < h * (1 - 2 * kPanMargin)
                          ? (static_cast<double>(box.minY) + box.maxY) / 2
                          : box.maxY - h * (0.5 - kPanMargin);
    m_fitted = false;
  }
  Canvas->update();
}

void DrawingView::ZoomExtents() {
  m_frame.Fit(m_geometry->extents);
  m_fitted = true;
  Canvas->update();
}

void DrawingView::ZoomSelected() {
  const ViewBox box = RecordBox(m_highlight);
  if (box.Empty()) return;
  m_frame.Fit(box);
  m_fitted = false;
  Canvas->update();
}

// "LINE  ハンドル 1F  行 123"
QString DrawingView::DescribeRecord(int record) const {
  QString text = FromValue(m_buffer.Encoding, RecordTypeOf(m_buffer, record));
  const int handle = RecordHandlePair(m_buffer, record);
  if (handle >= 0)
    text += QStringLiteral("  ハンドル ") +
            FromValue(m_buffer.Encoding, TrimView(m_buffer.ValueView(handle)));
  return text + QStringLiteral("  行 ") + QString::number(LineOfPair(record));
}

int DrawingView::PickAt(QPoint pixel) {
  const PickResult picked = m_index.Pick(m_frame.LayoutX(pixel.x()), m_frame.LayoutY(pixel.y()),
                                         kPickPixels / m_frame.scale);
  if (picked.shape < 0) {
    LBStatus->setText(QStringLiteral("図形がありません"));
    return -1;
  }
  const ViewShape& shape = m_geometry->shapes[static_cast<std::size_t>(picked.shape)];
  QString text = DescribeRecord(shape.record);
  if (shape.source != shape.record)
    text += QStringLiteral("  ／ ブロック内: ") + DescribeRecord(shape.source);
  LBStatus->setText(text);
  return shape.record;
}

void DrawingView::ShowCursorAt(QPoint pixel) {
  const double x = m_geometry->baseX + m_frame.LayoutX(pixel.x());
  const double y = m_geometry->baseY + m_frame.LayoutY(pixel.y());
  LBCursor->setText(QStringLiteral("X %1  Y %2").arg(x, 0, 'f', 3).arg(y, 0, 'f', 3));
}

// ------------------------------------------------------------------ canvas

DrawingCanvas::DrawingCanvas(DrawingView& view) : m_view(view), m_sharpen(new QTimer(this)) {
  setObjectName(QStringLiteral("DrawingCanvas"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setMinimumSize(64, 64);
  m_sharpen->setSingleShot(true);
  m_sharpen->setInterval(kSharpenMs);
  connect(m_sharpen, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

// While the wheel turns, each frame is the last sharp picture scaled; the sharp one is
// drawn once the wheel rests. Jumps (Home, a record shown) are drawn sharp at once.
void DrawingCanvas::paintEvent(QPaintEvent*) {
  PaintOptions options;
  options.dark = m_view.CBDark->isChecked();
  options.highlight = m_view.m_highlight;
  const bool sharp = m_picture.Paint(m_image, *m_view.m_geometry, m_view.m_index, m_view.m_frame,
                                     options, /*preview=*/std::exchange(m_moving, false));
  if (!sharp) m_sharpen->start();
  QPainter(this).drawImage(0, 0, m_image);
}

void DrawingCanvas::resizeEvent(QResizeEvent*) {
  ViewFrame& frame = m_view.m_frame;
  frame.width = std::max(1, width());
  frame.height = std::max(1, height());
  if (m_view.m_fitted) m_view.ZoomExtents();
}

void DrawingCanvas::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  m_view.m_frame.ZoomAt(event->position().x(), event->position().y(),
                        std::pow(kWheelZoom, notches));
  m_view.m_fitted = false;
  m_moving = true;
  update();
}

void DrawingCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  m_pressed = m_last = event->position().toPoint();
  m_buttonDown = true;
  m_dragging = false;
}

void DrawingCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (!m_buttonDown) return m_view.ShowCursorAt(at);
  if (!m_dragging && (at - m_pressed).manhattanLength() < kDragPixels) return;
  m_dragging = true;
  m_view.m_frame.Pan(at.x() - m_last.x(), at.y() - m_last.y());
  m_view.m_fitted = false;
  m_last = at;
  m_moving = true;
  update();
}

void DrawingCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_buttonDown) return;
  m_buttonDown = false;
  if (m_dragging) return;
  const int record = m_view.PickAt(event->position().toPoint());
  if (record >= 0) emit m_view.RecordPicked(record);
}

void DrawingCanvas::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Home) return m_view.ZoomExtents();
  QWidget::keyPressEvent(event);
}
