// DrawingPainter.cpp - paints a layout's shapes into a QImage.
//
// Performance: QPainter spends about a microsecond on each polyline and far more on an
// antialiased one or a large fill, too much for the thousands to hundreds of thousands a
// large drawing shows. Lines, arcs, dots and fills are therefore written straight into the
// image: lines smoothed (Wu's algorithm) when few shapes are in view and stepped pixel by
// pixel (Bresenham) when many are, fills by scanlines. QPainter draws only readable texts
// and the highlight.
#include "render/DrawingPainter.h"

#include <algorithm>  // std::clamp, std::max, std::min, std::swap
#include <cmath>      // std::cos, std::sin, std::ceil, std::hypot, std::abs
#include <cstdint>    // std::int64_t
#include <map>        // std::map
#include <numbers>    // std::numbers::pi
#include <optional>   // std::optional
#include <ranges>     // std::views::join
#include <thread>     // std::thread::hardware_concurrency
#include <vector>     // std::vector

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QStringList>
#include <QTransform>

#include "logic/rounding/ThreadedWalk.h"

namespace {

constexpr double kTinyPixels = 1.5;     // a shape smaller than this is one pixel
constexpr double kTextMinPixels = 4;    // a text lower than this is a line along its box
constexpr double kBusyTextPixels = 10;  // the same in a frame with many shapes
constexpr double kMarkerPixels = 3;     // half the size of a marker's cross
constexpr int kSmoothShapes = 20000;    // with more shapes in view lines are not smoothed
constexpr unsigned kMaxThreads = 4;     // that raster a crowded frame
// A pixel no shape wrote: every colour drawn is opaque.
constexpr QRgb kUnwritten = 0;
constexpr double kPixelsPerPiece = 3;  // an arc's pieces are about this long
constexpr int kMaxEllipsePieces = 720;
// A text height is the font's cap height, about 0.7 of its pixel size.
constexpr double kCapShare = 0.7;
const QColor kHighlight(255, 230, 0);  // drawn 3 pixels wide over everything
constexpr int kHighlightPixels = 3;

QRgb ShapeRgb(std::uint32_t color, bool dark) {
  constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;
  if (color & (kForegroundColor | kInheritedColor)) return dark ? kWhite : kBlack;
  const QRgb rgb = kBlack | (color & kRgbMask);
  // White on a light background and black on a dark one would vanish.
  if (!dark && rgb == kWhite) return kBlack;
  if (dark && rgb == kBlack) return kWhite;
  return rgb;
}

QFont TextFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
  return font;
}

// A fill's edge for the scanline fill: from (x0, y0) to (x1, y1), y0 < y1.
struct Edge {
  double x0, y0, x1, y1;
};

// Writes pixels straight into an RGB32 image; nothing else may paint on it meanwhile.
class Raster {
 public:
  explicit Raster(QImage& image)
      : m_bits(reinterpret_cast<QRgb*>(image.bits())),
        m_stride(image.bytesPerLine() / 4),
        m_width(image.width()),
        m_height(image.height()) {}

  void Dot(double x, double y, QRgb c) {
    const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
    if (px >= 0 && py >= 0 && px < m_width && py < m_height) m_bits[py * m_stride + px] = c;
  }

  // Clips a to b to the image, then steps along its longer axis one pixel a step, the
  // other axis in 16.16 fixed point (no branch a pixel).
  void Segment(QPointF a, QPointF b, QRgb c) {
    if (!Clip(a, b, 0)) return;
    const int x0 = static_cast<int>(a.x() + 0.5), y0 = static_cast<int>(a.y() + 0.5);
    const int dx = static_cast<int>(b.x() + 0.5) - x0, dy = static_cast<int>(b.y() + 0.5) - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) {
      m_bits[y0 * m_stride + x0] = c;
      return;
    }
    const std::int64_t stepX = (std::int64_t{dx} << 16) / steps;
    const std::int64_t stepY = (std::int64_t{dy} << 16) / steps;
    std::int64_t x = (std::int64_t{x0} << 16) + (1 << 15), y = (std::int64_t{y0} << 16) + (1 << 15);
    for (int k = 0; k <= steps; ++k, x += stepX, y += stepY)
      m_bits[(y >> 16) * m_stride + (x >> 16)] = c;
  }

  // Draws a to b smoothed (Wu): each step covers the two pixels nearest the line, each
  // blended by how close it is.
  void SmoothSegment(QPointF a, QPointF b, QRgb c) {
    // Pixel centres lie at .5: shift so that they lie at whole numbers.
    a -= QPointF(0.5, 0.5);
    b -= QPointF(0.5, 0.5);
    if (!Clip(a, b, 1)) return;
    double x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    if (steep) std::swap(x0, y0), std::swap(x1, y1);
    if (x0 > x1) std::swap(x0, x1), std::swap(y0, y1);
    const double gradient = x1 - x0 > 0 ? (y1 - y0) / (x1 - x0) : 0;
    const int from = static_cast<int>(std::lround(x0)), to = static_cast<int>(std::lround(x1));
    double y = y0 + gradient * (from - x0);
    for (int x = from; x <= to; ++x, y += gradient) {
      const double below = std::floor(y);
      const int coverage = static_cast<int>((y - below) * 256);
      const int row = static_cast<int>(below);
      if (steep) {
        Blend(row, x, c, 256 - coverage);
        Blend(row + 1, x, c, coverage);
      } else {
        Blend(x, row, c, 256 - coverage);
        Blend(x, row + 1, c, coverage);
      }
    }
  }

  // Fills the rings the edges make, even-odd, at pixel centres.
  void Fill(const std::vector<Edge>& edges, QRgb c) {
    double top = m_height, bottom = -1;
    for (const Edge& e : edges) top = std::min(top, e.y0), bottom = std::max(bottom, e.y1);
    const int first = std::max(0, static_cast<int>(std::ceil(top - 0.5)));
    const int last = std::min(m_height - 1, static_cast<int>(std::floor(bottom - 0.5)));
    std::vector<double>& crossings = m_crossings;
    for (int y = first; y <= last; ++y) {
      const double cy = y + 0.5;
      crossings.clear();
      for (const Edge& e : edges)
        if (cy >= e.y0 && cy < e.y1)
          crossings.push_back(e.x0 + (cy - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0));
      std::sort(crossings.begin(), crossings.end());
      for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
        const int from = std::max(0, static_cast<int>(std::ceil(crossings[k] - 0.5)));
        const int to = std::min(m_width - 1, static_cast<int>(std::floor(crossings[k + 1] - 0.5)));
        for (int x = from; x <= to; ++x) m_bits[y * m_stride + x] = c;
      }
    }
  }

 private:
  // Clips a to b to the image widened by margin pixels (Liang-Barsky); false when nothing
  // of it is left.
  bool Clip(QPointF& a, QPointF& b, double margin) const {
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x() + margin, m_width - 1 + margin - a.x(), a.y() + margin,
                        m_height - 1 + margin - a.y()};
    for (int k = 0; k < 4; ++k) {
      if (p[k] == 0) {
        if (q[k] < 0) return false;
        continue;
      }
      const double t = q[k] / p[k];
      if (p[k] < 0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
      if (t0 > t1) return false;
    }
    const QPointF start = a;
    a = start + t0 * QPointF(dx, dy);
    b = start + t1 * QPointF(dx, dy);
    return true;
  }

  // Mixes colour c into pixel (x, y) by alpha of 256.
  void Blend(int x, int y, QRgb c, int alpha) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || alpha <= 0) return;
    QRgb& pixel = m_bits[y * m_stride + x];
    const auto mix = [alpha](int from, int to) { return from + (((to - from) * alpha) >> 8); };
    pixel =
        qRgb(mix(qRed(pixel), qRed(c)), mix(qGreen(pixel), qGreen(c)), mix(qBlue(pixel), qBlue(c)));
  }

  QRgb* m_bits;
  int m_stride, m_width, m_height;
  std::vector<double> m_crossings;  // of the scanline being filled
};

class Painter {
 public:
  Painter(const LayoutGeometry& g, const ViewFrame& frame, bool dark)
      : m_g(g), m_frame(frame), m_dark(dark) {}

  QPointF Pixel(ViewPoint p) const { return {m_frame.PixelX(p.x), m_frame.PixelY(p.y)}; }
  QRgb Rgb(const ViewShape& s) const { return ShapeRgb(s.color, m_dark); }

  bool IsTiny(const ViewShape& s) const {
    const double size = std::max(s.box.maxX - s.box.minX, s.box.maxY - s.box.minY);
    return size * m_frame.scale < kTinyPixels && s.kind != ShapeKind::Marker;
  }
  // Tells whether the raster can draw s: all but texts worth reading, which are fewer in
  // a busy frame.
  bool IsRasterable(const ViewShape& s, bool busy) const {
    return s.kind != ShapeKind::Text ||
           TextPixels(m_g.texts[s.first]) < (busy ? kBusyTextPixels : kTextMinPixels);
  }

  void Dot(Raster& raster, const ViewShape& s) const {
    raster.Dot(m_frame.PixelX((s.box.minX + s.box.maxX) / 2),
               m_frame.PixelY((s.box.minY + s.box.maxY) / 2), Rgb(s));
  }

  // Rasters a shape IsRasterable accepts, its lines smoothed or not.
  void Rasterise(Raster& raster, const ViewShape& s, bool smooth) const {
    const QRgb c = Rgb(s);
    if (s.kind == ShapeKind::Fill) return raster.Fill(FillEdges(s), c);
    ForEachRun(s, [&](const QPointF* run, int n) {
      if (n == 1) raster.Dot(run[0].x(), run[0].y(), c);
      for (int k = 1; k < n; ++k) {
        if (smooth)
          raster.SmoothSegment(run[k - 1], run[k], c);
        else
          raster.Segment(run[k - 1], run[k], c);
      }
    });
  }

  // Draws a readable text, or a highlighted shape with the painter's pen.
  void Shape(QPainter& p, const ViewShape& s) {
    if (s.kind == ShapeKind::Fill) return p.fillPath(Rings(s), p.pen().color());
    if (s.kind == ShapeKind::Text && TextPixels(m_g.texts[s.first]) >= kTextMinPixels)
      return Text(p, m_g.texts[s.first]);
    ForEachRun(s, [&](const QPointF* run, int n) {
      if (n == 1)
        p.drawPoint(run[0]);
      else
        p.drawPolyline(run, n);
    });
  }

 private:
  double TextPixels(const ViewText& t) const {
    return std::hypot(t.yAxis.x, t.yAxis.y) * m_frame.scale;
  }

  // Calls draw(points, count) with each run of pixel points of a line, ellipse, marker or
  // low text; the points live in one buffer that every run reuses.
  template <class Draw>
  void ForEachRun(const ViewShape& s, Draw draw) const {
    std::vector<QPointF>& run = m_run;
    run.clear();
    const auto flush = [&] {
      if (!run.empty()) draw(run.data(), static_cast<int>(run.size()));
      run.clear();
    };
    switch (s.kind) {
      case ShapeKind::Lines:
        for (std::uint32_t k = s.first; k < s.first + s.count; ++k) {
          if (IsRunBreak(m_g.points[k]))
            flush();
          else
            run.push_back(Pixel(m_g.points[k]));
        }
        return flush();
      case ShapeKind::Ellipse:
        EllipseRun(&m_g.points[s.first], run);
        return flush();
      case ShapeKind::Marker: {
        const QPointF c = Pixel(m_g.points[s.first]);
        const QPointF down(kMarkerPixels, kMarkerPixels), up(kMarkerPixels, -kMarkerPixels);
        run = {c - down, c + down};
        flush();
        run = {c - up, c + up};
        return flush();
      }
      case ShapeKind::Text: {
        ViewPoint corners[4];
        TextCorners(m_g.texts[s.first], m_g.textBytes, corners);
        run = {Pixel(corners[0]), Pixel(corners[1])};
        return flush();
      }
      case ShapeKind::Fill:
        return;
    }
  }

  // Appends the ellipse's pixel points: about one piece per 3 pixels of arc, at least 8 a
  // turn, the angle stepped by rotation rather than a sine and cosine a point.
  void EllipseRun(const ViewPoint* e, std::vector<QPointF>& curve) const {
    const double radius = std::max(std::hypot(e[1].x, e[1].y), std::hypot(e[2].x, e[2].y));
    const double t0 = e[3].x, t1 = e[3].y;
    const double turns = (t1 - t0) / (2 * std::numbers::pi);
    const int least = std::max(2, static_cast<int>(8 * turns));
    const int pieces =
        std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi * radius * m_frame.scale *
                                              turns / kPixelsPerPiece)),
                   least, kMaxEllipsePieces);
    const double step = (t1 - t0) / pieces, cs = std::cos(step), sn = std::sin(step);
    double c = std::cos(t0), s = std::sin(t0);
    for (int k = 0; k <= pieces; ++k) {
      curve.emplace_back(m_frame.PixelX(e[0].x + e[1].x * c + e[2].x * s),
                         m_frame.PixelY(e[0].y + e[1].y * c + e[2].y * s));
      const double next = c * cs - s * sn;
      s = s * cs + c * sn;
      c = next;
    }
  }

  const std::vector<Edge>& FillEdges(const ViewShape& s) const {
    std::vector<Edge>& edges = m_edges;
    edges.clear();
    for (std::uint32_t k = s.first; k + 1 < s.first + s.count; ++k) {
      if (IsRunBreak(m_g.points[k]) || IsRunBreak(m_g.points[k + 1])) continue;
      const QPointF a = Pixel(m_g.points[k]), b = Pixel(m_g.points[k + 1]);
      if (a.y() == b.y()) continue;
      edges.push_back(a.y() < b.y() ? Edge{a.x(), a.y(), b.x(), b.y()}
                                    : Edge{b.x(), b.y(), a.x(), a.y()});
    }
    return edges;
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

  // Lays the text out in a font of about its size on screen, so the transform is little
  // more than its rotation and the glyphs come from Qt's cache instead of being drawn as
  // outlines at every frame.
  void Text(QPainter& p, const ViewText& t) {
    const int fontPixels = std::max(1, static_cast<int>(TextPixels(t) / kCapShare + 0.5));
    QFont& font = m_fonts[fontPixels];
    if (font.pixelSize() != fontPixels) {
      font = m_font;
      font.setPixelSize(fontPixels);
    }
    const double capHeight = kCapShare * fontPixels;
    // Font units (x right, y down) onto the text's axes, one cap height a text height.
    const QPointF anchor = Pixel(t.anchor);
    const double k = m_frame.scale / capHeight;
    const QTransform map(t.xAxis.x * k, -t.xAxis.y * k, -t.yAxis.x * k, t.yAxis.y * k, anchor.x(),
                         anchor.y());
    const QStringList lines =
        QString::fromUtf8(m_g.textBytes.data() + t.start, t.length).split(QLatin1Char('\n'));
    const double height = 1 + 1.6 * (lines.size() - 1);
    const double tops[] = {1, height, height / 2, 0};
    const double top = tops[std::min<int>(t.vAlign, 3)];
    p.save();
    p.setTransform(map, true);
    p.setFont(font);
    const QFontMetricsF metrics(font);
    for (int i = 0; i < lines.size(); ++i) {
      const double x = -metrics.horizontalAdvance(lines[i]) * t.hAlign / 2;
      const double baseline = (top - 1 - 1.6 * i) * capHeight;
      p.drawText(QPointF(x, -baseline), lines[i]);
    }
    p.restore();
  }

  const LayoutGeometry& m_g;
  const ViewFrame& m_frame;
  bool m_dark;
  QFont m_font = TextFont();
  std::map<int, QFont> m_fonts;        // by pixel size
  mutable std::vector<QPointF> m_run;  // the points of the run being drawn
  mutable std::vector<Edge> m_edges;   // the edges of the fill being drawn
};

bool IsHighlighted(const ViewShape& s, int highlight) {
  return highlight >= 0 && (s.record == highlight || s.source == highlight);
}

// Returns how many threads raster a frame of `shapes` shapes: one a core (at most
// kMaxThreads) for a crowded frame of many, whose raster takes a good part of a second;
// one for a smooth frame, whose blends need the pixels beneath, and for a few shapes (a
// strip uncovered by a drag), which a thread would cost more than it saves.
int RasterThreads(const PaintOptions& options, bool crowded, std::size_t shapes) {
  if (!crowded) return 1;
  if (options.threads > 0) return options.threads;
  if (shapes <= static_cast<std::size_t>(kSmoothShapes)) return 1;
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1U, kMaxThreads));
}

// Lays each layer's written pixels over image, in order.
void Overlay(QImage& image, const std::vector<QImage>& layers) {
  for (const QImage& layer : layers) {
    for (int y = 0; y < image.height(); ++y) {
      auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
      const auto* from = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if (from[x] != kUnwritten) to[x] = from[x];
    }
  }
}

}  // namespace

QColor BackgroundColor(bool dark) {
  return dark ? QColor(33, 40, 48) : QColor(255, 255, 255);
}

bool PaintShapes(QImage& image, const LayoutGeometry& g, const ShapeIndex& index,
                 const ViewFrame& frame, const PaintOptions& options, std::optional<bool> busy) {
  image.fill(BackgroundColor(options.dark));
  std::vector<std::uint32_t> visible;
  index.Query(frame.Visible(), visible);
  const bool crowded = busy.value_or(visible.size() > static_cast<std::size_t>(kSmoothShapes));
  // Pixels first, straight into the image; then the texts QPainter draws over them. A
  // crowded frame's lines overwrite what is beneath, so its shapes can be cut into runs,
  // each rastered on a thread of its own into a layer of its own (the first into the
  // image), and the layers laid over the image in file order make the same picture.
  const std::size_t threads = RasterThreads(options, crowded, visible.size());
  const QSize size = image.size();  // read before the first thread may detach image
  std::vector<QImage> layers(threads - 1);
  std::vector<Painter> painters(threads, Painter(g, frame, options.dark));
  std::vector<std::vector<std::uint32_t>> texts(threads);
  RunOnThreads(threads, [&](std::size_t run) {
    QImage& target = run == 0 ? image : layers[run - 1];
    if (run > 0) {
      target = QImage(size, QImage::Format_RGB32);
      std::fill_n(reinterpret_cast<QRgb*>(target.bits()), target.sizeInBytes() / 4, kUnwritten);
    }
    Raster raster(target);
    Painter& painter = painters[run];
    const std::size_t from = visible.size() * run / threads;
    const std::size_t to = visible.size() * (run + 1) / threads;
    for (std::size_t i = from; i < to; ++i) {
      const ViewShape& s = g.shapes[visible[i]];
      if (painter.IsTiny(s))
        painter.Dot(raster, s);
      else if (painter.IsRasterable(s, crowded))
        painter.Rasterise(raster, s, options.antialias && !crowded);
      else
        texts[run].push_back(visible[i]);
    }
  });
  Overlay(image, layers);
  if (std::all_of(texts.begin(), texts.end(), [](const auto& t) { return t.empty(); }))
    return crowded;
  Painter& painter = painters.front();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, options.antialias && !crowded);
  std::uint32_t color = ~0u;
  for (const std::uint32_t k : std::views::join(texts)) {
    const ViewShape& s = g.shapes[k];
    if (s.color != color) {
      color = s.color;
      p.setPen(QPen(QColor(ShapeRgb(color, options.dark)), 0));
    }
    painter.Shape(p, s);
  }
  return crowded;
}

// The highlighted record's shapes are found by a sweep over every shape's record: a
// millisecond for 800,000 shapes, and no query of the whole frame.
void PaintHighlight(QImage& image, const LayoutGeometry& g, const ViewFrame& frame,
                    const PaintOptions& options) {
  if (options.highlight < 0) return;
  const ViewBox visible = frame.Visible();
  std::optional<QPainter> p;
  Painter painter(g, frame, options.dark);
  for (const ViewShape& s : g.shapes) {
    if (!IsHighlighted(s, options.highlight) || !s.box.Intersects(visible)) continue;
    if (!p) {
      p.emplace(&image);
      p->setRenderHint(QPainter::Antialiasing, options.antialias);
      p->setPen(QPen(kHighlight, kHighlightPixels));
    }
    painter.Shape(*p, s);
  }
}

void PaintLayout(QImage& image, const LayoutGeometry& g, const ShapeIndex& index,
                 const ViewFrame& frame, const PaintOptions& options) {
  PaintShapes(image, g, index, frame, options);
  PaintHighlight(image, g, frame, options);
}
