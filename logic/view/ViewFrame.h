// ViewFrame.h - which part of a layout a picture shows: centre, scale and pixel size.
//
// Pixels run right and down from the picture's top left corner; layout coordinates
// (relative to the layout's base point) run right and up.
#pragma once

#include "logic/view/ViewGeometry.h"

struct ViewFrame {
  double centreX = 0, centreY = 0;  // the layout point at the picture's centre
  double scale = 1;                 // pixels per drawing unit
  int width = 1, height = 1;        // the picture's size in pixels

  double PixelX(double x) const { return (x - centreX) * scale + width / 2.0; }
  double PixelY(double y) const { return height / 2.0 - (y - centreY) * scale; }
  double LayoutX(double px) const { return centreX + (px - width / 2.0) / scale; }
  double LayoutY(double py) const { return centreY - (py - height / 2.0) / scale; }

  /// Returns the layout box the picture shows.
  ViewBox Visible() const;
  /// Shows box whole and centred, with a margin of 2% each side; an empty box shows the
  /// origin at scale 1, a point at the last scale.
  void Fit(const ViewBox& box);
  /// Zooms by factor (> 1: in) keeping the layout point under pixel (px, py) in place.
  void ZoomAt(double px, double py, double factor);
  /// Moves the picture by (dx, dy) pixels, as a drag does.
  void Pan(double dx, double dy);
  /// Tells whether box lies wholly inside the picture.
  bool Shows(const ViewBox& box) const;
};
