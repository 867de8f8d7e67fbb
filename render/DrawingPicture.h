// DrawingPicture.h - the drawing view's last picture, kept to make the next frame fast.
//
// A frame of a large drawing takes a quarter of a second to draw at full extents (tens
// of millions of pixels stepped along 4.5 million segments), far above the 33 ms of a
// smooth pan or zoom. The picture of the shapes (without the highlight) is therefore
// kept with the frame it shows:
// - a pan moves the frame by whole pixels: the kept picture is scrolled and only the
//   strips it uncovers are drawn, so the frame is exact;
// - a zoom may be previewed: the kept picture is scaled to the new frame at once and
//   the frame is marked not sharp; the caller draws it sharp when the wheel rests;
// - anything else (another size, background or drawing) draws the picture anew.
// The highlight is painted over a copy of the picture at every frame.
#pragma once

#include <cstddef>  // std::size_t

#include <QImage>

#include "logic/view/ShapeIndex.h"
#include "logic/view/ViewFrame.h"
#include "logic/view/ViewGeometry.h"
#include "render/DrawingPainter.h"

class DrawingPicture {
 public:
  /// Paints frame into image (resized to the frame's size, Format_RGB32) from the kept
  /// picture where it can, as above; `preview` lets a change of scale be shown scaled.
  /// Returns whether the frame is sharp: drawn as PaintLayout draws it.
  bool Paint(QImage& image, const LayoutGeometry& g, const ShapeIndex& index,
             const ViewFrame& frame, const PaintOptions& options, bool preview);
  /// Forgets the kept picture: the drawing, its layers or its colours changed.
  void Invalidate() { m_geometry = nullptr; }
  /// Returns the bytes of the kept picture.
  std::size_t MemoryBytes() const { return static_cast<std::size_t>(m_picture.sizeInBytes()); }

 private:
  bool Fits(const LayoutGeometry& g, const ViewFrame& frame, const PaintOptions& options) const;
  bool Scroll(const LayoutGeometry& g, const ShapeIndex& index, const ViewFrame& frame,
              const PaintOptions& options);
  void DrawStrip(const LayoutGeometry& g, const ShapeIndex& index, const PaintOptions& options,
                 const QRect& strip);
  void Preview(QImage& image, const ViewFrame& frame, bool dark) const;

  QImage m_picture;                            // the shapes of m_frame, no highlight
  ViewFrame m_frame;                           // the frame m_picture shows
  const LayoutGeometry* m_geometry = nullptr;  // the drawing it shows; none: nothing kept
  bool m_dark = true;
  bool m_busy = false;  // drawn as a busy frame
};
