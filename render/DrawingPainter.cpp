// DrawingPainter.cpp - paints a layout's shapes into a QImage.
#include "render/DrawingPainter.h"

#include <algorithm>  // std::clamp, std::max
#include <cmath>      // std::cos, std::sin, std::ceil, std::hypot
#include <vector>     // std::vector

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QStringList>
#include <QTransform>

namespace {

constexpr double kTinyPixels = 1.5;      // a shape smaller than this is one pixel
constexpr double kTextMinPixels = 4;     // a text lower than this is a line along its box
constexpr double kMarkerPixels = 3;      // half the size of a marker's cross
constexpr int kAntialiasShapes = 20000;  // more shapes in the frame are drawn without smoothing
// Text is laid out at this font size and scaled: a text height is the font's cap height,
// about 0.7 of its pixel size.
constexpr double kFontPixels = 100;
constexpr double kCapHeight = 0.7 * kFontPixels;
const QColor kHighlight(255, 230, 0);  // drawn 3 pixels wide over everything
constexpr int kHighlightPixels = 3;

QColor ShapeColor(std::uint32_t color, bool dark) {
  if (color & kForegroundColor) return dark ? Qt::white : Qt::black;
  if (color & kInheritedColor) return dark ? Qt::white : Qt::black;  // a block shown alone
  const QColor rgb = QColor::fromRgb(color & kRgbMask);
  // White on a light background and black on a dark one would vanish.
  if (!dark && rgb == Qt::white) return Qt::black;
  if (dark && rgb == Qt::black) return Qt::white;
  return rgb;
}

QFont TextFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
  font.setPixelSize(static_cast<int>(kFontPixels));
  return font;
}

class Painter {
 public:
  Painter(QImage& image, const LayoutGeometry& g, const ViewFrame& frame, bool dark)
      : m_image(image), m_g(g), m_frame(frame), m_dark(dark) {}

  QPointF Pixel(ViewPoint p) const { return {m_frame.PixelX(p.x), m_frame.PixelY(p.y)}; }

  bool IsTiny(const ViewShape& s) const {
    const double size = std::max(s.box.maxX - s.box.minX, s.box.maxY - s.box.minY);
    return size * m_frame.scale < kTinyPixels && s.kind != ShapeKind::Marker;
  }

  // Writes a tiny shape's pixel straight into the image.
  void Dot(const ViewShape& s) {
    const int x = static_cast<int>(m_frame.PixelX((s.box.minX + s.box.maxX) / 2));
    const int y = static_cast<int>(m_frame.PixelY((s.box.minY + s.box.maxY) / 2));
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) return;
    reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = ShapeColor(s.color, m_dark).rgb();
  }

  void Shape(QPainter& p, const ViewShape& s) {
    switch (s.kind) {
      case ShapeKind::Lines:
        return Runs(p, s);
      case ShapeKind::Fill:
        return Fill(p, s);
      case ShapeKind::Ellipse:
        return Ellipse(p, s);
      case ShapeKind::Text:
        return Text(p, s);
      case ShapeKind::Marker:
        return Marker(p, s);
    }
  }

 private:
  void Runs(QPainter& p, const ViewShape& s) {
    QPolygonF run;
    for (std::uint32_t k = s.first; k <= s.first + s.count; ++k) {
      if (k < s.first + s.count && !IsRunBreak(m_g.points[k])) {
        run.append(Pixel(m_g.points[k]));
        continue;
      }
      if (run.size() == 1) p.drawPoint(run[0]);
      if (run.size() > 1) p.drawPolyline(run);
      run.clear();
    }
  }

  QPainterPath Rings(const ViewShape& s) const {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    bool open = false;
    for (std::uint32_t k = s.first; k < s.first + s.count; ++k) {
      if (IsRunBreak(m_g.points[k])) {
        if (open) path.closeSubpath();
        open = false;
      } else if (!open) {
        path.moveTo(Pixel(m_g.points[k]));
        open = true;
      } else {
        path.lineTo(Pixel(m_g.points[k]));
      }
    }
    if (open) path.closeSubpath();
    return path;
  }

  void Fill(QPainter& p, const ViewShape& s) { p.fillPath(Rings(s), p.pen().color()); }

  void Ellipse(QPainter& p, const ViewShape& s) {
    const ViewPoint* e = &m_g.points[s.first];
    const double radius = std::max(std::hypot(e[1].x, e[1].y), std::hypot(e[2].x, e[2].y));
    const double t0 = e[3].x, t1 = e[3].y;
    // About one segment per 3 pixels of arc, at least 8 a turn.
    const double turns = (t1 - t0) / (2 * 3.14159265358979);
    const int pieces = std::clamp(static_cast<int>(std::ceil(radius * m_frame.scale * 2.1 * turns)),
                                  std::max(2, static_cast<int>(8 * turns)), 720);
    QPolygonF curve;
    curve.reserve(pieces + 1);
    for (int k = 0; k <= pieces; ++k) {
      const double t = t0 + (t1 - t0) * k / pieces;
      curve.append(
          Pixel({static_cast<float>(e[0].x + e[1].x * std::cos(t) + e[2].x * std::sin(t)),
                 static_cast<float>(e[0].y + e[1].y * std::cos(t) + e[2].y * std::sin(t))}));
    }
    p.drawPolyline(curve);
  }

  void Marker(QPainter& p, const ViewShape& s) {
    const QPointF c = Pixel(m_g.points[s.first]);
    p.drawLine(c - QPointF(kMarkerPixels, kMarkerPixels),
               c + QPointF(kMarkerPixels, kMarkerPixels));
    p.drawLine(c - QPointF(kMarkerPixels, -kMarkerPixels),
               c + QPointF(kMarkerPixels, -kMarkerPixels));
  }

  void Text(QPainter& p, const ViewShape& s) {
    const ViewText& t = m_g.texts[s.first];
    const double heightPixels = std::hypot(t.yAxis.x, t.yAxis.y) * m_frame.scale;
    if (heightPixels < kTextMinPixels) {
      ViewPoint corners[4];
      TextCorners(t, m_g.textBytes, corners);
      p.drawLine(Pixel(corners[0]), Pixel(corners[1]));
      return;
    }
    // Font units (x right, y down) onto the text's axes, one cap height a text height.
    const QPointF anchor = Pixel(t.anchor);
    const double k = m_frame.scale / kCapHeight;
    const QTransform map(t.xAxis.x * k, -t.xAxis.y * k, -t.yAxis.x * k, t.yAxis.y * k, anchor.x(),
                         anchor.y());
    const QStringList lines =
        QString::fromUtf8(m_g.textBytes.data() + t.start, t.length).split(QLatin1Char('\n'));
    const double height = 1 + 1.6 * (lines.size() - 1);
    const double tops[] = {1, height, height / 2, 0};
    const double top = tops[std::min<int>(t.vAlign, 3)];
    p.save();
    p.setTransform(map, true);
    p.setFont(m_font);
    const QFontMetricsF metrics(m_font);
    for (int i = 0; i < lines.size(); ++i) {
      const double x = -metrics.horizontalAdvance(lines[i]) * t.hAlign / 2;
      const double baseline = (top - 1 - 1.6 * i) * kCapHeight;
      p.drawText(QPointF(x, -baseline), lines[i]);
    }
    p.restore();
  }

  QImage& m_image;
  const LayoutGeometry& m_g;
  const ViewFrame& m_frame;
  bool m_dark;
  QFont m_font = TextFont();
};

bool IsHighlighted(const ViewShape& s, int highlight) {
  return highlight >= 0 && (s.record == highlight || s.source == highlight);
}

}  // namespace

QColor BackgroundColor(bool dark) {
  return dark ? QColor(33, 40, 48) : QColor(255, 255, 255);
}

void PaintLayout(QImage& image, const LayoutGeometry& g, const ShapeIndex& index,
                 const ViewFrame& frame, const PaintOptions& options) {
  image.fill(BackgroundColor(options.dark));
  std::vector<std::uint32_t> visible;
  index.Query(frame.Visible(), visible);
  Painter painter(image, g, frame, options.dark);
  // Pixels first, straight into the image; then everything QPainter draws over them.
  std::vector<std::uint32_t> drawn;
  for (const std::uint32_t k : visible) {
    const ViewShape& s = g.shapes[k];
    if (IsHighlighted(s, options.highlight)) continue;
    if (painter.IsTiny(s))
      painter.Dot(s);
    else
      drawn.push_back(k);
  }
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing,
                  options.antialias && drawn.size() < static_cast<std::size_t>(kAntialiasShapes));
  std::uint32_t color = ~0u;
  for (const std::uint32_t k : drawn) {
    const ViewShape& s = g.shapes[k];
    if (s.color != color) {
      color = s.color;
      p.setPen(QPen(ShapeColor(color, options.dark), 0));
    }
    painter.Shape(p, s);
  }
  if (options.highlight < 0) return;
  p.setPen(QPen(kHighlight, kHighlightPixels));
  for (const std::uint32_t k : visible)
    if (IsHighlighted(g.shapes[k], options.highlight)) painter.Shape(p, g.shapes[k]);
}
