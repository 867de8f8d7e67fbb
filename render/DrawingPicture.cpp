// DrawingPicture.cpp - the drawing view's last picture, kept to make the next frame fast.
#include "render/DrawingPicture.h"

#include <algorithm>  // std::max
#include <cmath>      // std::abs, std::lround
#include <cstring>    // std::memcpy, std::memmove

#include <QPainter>

namespace {

// A pan moves the frame by whole pixels up to this far from them (float noise).
constexpr double kWholePixel = 1e-6;

// Moves the pixels of image by (dx, dy); the pixels uncovered keep what they held.
void ShiftPixels(QImage& image, int dx, int dy) {
  const int width = image.width(), height = image.height();
  const int from = std::max(0, -dx), to = std::max(0, dx);
  const auto bytes = static_cast<std::size_t>(width - std::abs(dx)) * sizeof(QRgb);
  const auto moveRow = [&](int y) {
    std::memmove(reinterpret_cast<QRgb*>(image.scanLine(y)) + to,
                 reinterpret_cast<const QRgb*>(image.constScanLine(y - dy)) + from, bytes);
  };
  // Rows are moved in the order that reads each before it is overwritten.
  if (dy > 0)
    for (int y = height - 1; y >= dy; --y) moveRow(y);
  else
    for (int y = 0; y < height + dy; ++y) moveRow(y);
}

}  // namespace

bool DrawingPicture::Paint(QImage& image, const LayoutGeometry& g, const ShapeIndex& index,
                           const ViewFrame& frame, const PaintOptions& options, bool preview) {
  bool sharp = true;
  if (!Fits(g, frame, options) ||
      (frame.scale == m_frame.scale ? !Scroll(g, index, frame, options) : !preview)) {
    if (m_picture.size() != QSize(frame.width, frame.height))
      m_picture = QImage(frame.width, frame.height, QImage::Format_RGB32);
    m_busy = PaintShapes(m_picture, g, index, frame, options);
    m_frame = frame;
    m_geometry = &g;
    m_dark = options.dark;
  } else if (frame.scale != m_frame.scale) {
    Preview(image, frame, options.dark);
    sharp = false;
  }
  if (sharp) image = m_picture;  // shared until the highlight writes to it
  PaintHighlight(image, g, frame, options);
  return sharp;
}

bool DrawingPicture::Fits(const LayoutGeometry& g, const ViewFrame& frame,
                          const PaintOptions& options) const {
  return m_geometry == &g && m_dark == options.dark && m_frame.width == frame.width &&
         m_frame.height == frame.height;
}

// Scrolls the picture to frame, which shows the same scale, and draws the strips it
// uncovers; false when frame did not move by whole pixels or moved a picture or more.
bool DrawingPicture::Scroll(const LayoutGeometry& g, const ShapeIndex& index,
                            const ViewFrame& frame, const PaintOptions& options) {
  const double shiftX = (m_frame.centreX - frame.centreX) * frame.scale;
  const double shiftY = (frame.centreY - m_frame.centreY) * frame.scale;
  const long dx = std::lround(shiftX), dy = std::lround(shiftY);
  if (std::abs(shiftX - dx) > kWholePixel || std::abs(shiftY - dy) > kWholePixel) return false;
  if (std::abs(dx) >= frame.width || std::abs(dy) >= frame.height) return false;
  if (dx == 0 && dy == 0) return true;
  ShiftPixels(m_picture, static_cast<int>(dx), static_cast<int>(dy));
  m_frame = frame;
  const int w = frame.width, h = frame.height;
  const int x = static_cast<int>(dx), y = static_cast<int>(dy);
  if (x != 0) DrawStrip(g, index, options, x > 0 ? QRect(0, 0, x, h) : QRect(w + x, 0, -x, h));
  if (y != 0) DrawStrip(g, index, options, y > 0 ? QRect(0, 0, w, y) : QRect(0, h + y, w, -y));
  return true;
}

// Draws the shapes of a strip of the picture in a frame of its own, placed so that its
// pixels are the picture's moved by whole pixels, and busy as the picture was drawn.
void DrawingPicture::DrawStrip(const LayoutGeometry& g, const ShapeIndex& index,
                               const PaintOptions& options, const QRect& strip) {
  ViewFrame part = m_frame;
  part.width = strip.width();
  part.height = strip.height();
  part.centreX = m_frame.LayoutX(strip.x() + strip.width() / 2.0);
  part.centreY = m_frame.LayoutY(strip.y() + strip.height() / 2.0);
  QImage pixels(part.width, part.height, QImage::Format_RGB32);
  PaintShapes(pixels, g, index, part, options, m_busy);
  const auto bytes = static_cast<std::size_t>(strip.width()) * sizeof(QRgb);
  for (int y = 0; y < strip.height(); ++y)
    std::memcpy(reinterpret_cast<QRgb*>(m_picture.scanLine(strip.y() + y)) + strip.x(),
                pixels.constScanLine(y), bytes);
}

// Shows the kept picture scaled to frame (nearest pixel, a millisecond or two); what it
// does not cover is background.
void DrawingPicture::Preview(QImage& image, const ViewFrame& frame, bool dark) const {
  if (image.size() != QSize(frame.width, frame.height) || image.format() != QImage::Format_RGB32)
    image = QImage(frame.width, frame.height, QImage::Format_RGB32);
  image.fill(BackgroundColor(dark));
  const QPointF topLeft(frame.PixelX(m_frame.LayoutX(0)), frame.PixelY(m_frame.LayoutY(0)));
  const QPointF bottomRight(frame.PixelX(m_frame.LayoutX(m_frame.width)),
                            frame.PixelY(m_frame.LayoutY(m_frame.height)));
  QPainter(&image).drawImage(QRectF(topLeft, bottomRight), m_picture);
}
