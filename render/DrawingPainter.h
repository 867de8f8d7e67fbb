// DrawingPainter.h - paints a layout's shapes into a QImage.
//
// The window's drawing view and quillet-dump --render paint with this one function, so
// the picture a user sees and the one the command writes are the same. Only the shapes
// in the frame are visited (through the shape index); a shape smaller than a pixel and a
// half is one pixel written straight into the image, and a frame with many shapes in view
// rasters its lines and fills straight into the image too, which keeps a frame of a
// 700,000-entity drawing fast at full extents. The highlighted record is drawn last, wide
// and in the highlight colour.
#pragma once

#include <optional>  // std::optional

#include <QColor>
#include <QImage>

#include "logic/view/ShapeIndex.h"
#include "logic/view/ViewFrame.h"
#include "logic/view/ViewGeometry.h"

struct PaintOptions {
  bool dark = true;       // dark background (white for ACI 7) or light (black for ACI 7)
  int highlight = -1;     // shapes whose record or source is this pair are highlighted
  bool antialias = true;  // smooth lines and text when few shapes are in the frame
  int threads = 0;        // threads that raster a busy frame; 0: one a core for many shapes
};

/// Returns the background colour of a picture.
QColor BackgroundColor(bool dark);

/// Fills image with the background and paints the shapes of g that frame shows, the
/// highlighted ones in their own colours. A frame showing many shapes is busy: its lines
/// are not smoothed and small texts are drawn as lines; `busy` overrides the count, so a
/// strip of a picture is drawn as the picture was. Returns whether the frame was busy.
/// image must be frame.width x frame.height, in Format_RGB32.
bool PaintShapes(QImage& image, const LayoutGeometry& g, const ShapeIndex& index,
                 const ViewFrame& frame, const PaintOptions& options,
                 std::optional<bool> busy = std::nullopt);
/// Paints the highlighted record's shapes over image, wide and in the highlight colour.
void PaintHighlight(QImage& image, const LayoutGeometry& g, const ViewFrame& frame,
                    const PaintOptions& options);
/// PaintShapes, then PaintHighlight.
void PaintLayout(QImage& image, const LayoutGeometry& g, const ShapeIndex& index,
                 const ViewFrame& frame, const PaintOptions& options);
