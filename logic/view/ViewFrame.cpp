// ViewFrame.cpp - which part of a layout a picture shows.
#include "logic/view/ViewFrame.h"

#include <algorithm>  // std::clamp, std::max, std::min

namespace {

constexpr double kFitMargin = 0.96;  // the share of the picture a fitted box fills
constexpr double kMinScale = 1e-12, kMaxScale = 1e12;

}  // namespace

ViewBox ViewFrame::Visible() const {
  return {static_cast<float>(LayoutX(0)), static_cast<float>(LayoutY(height)),
          static_cast<float>(LayoutX(width)), static_cast<float>(LayoutY(0))};
}

void ViewFrame::Fit(const ViewBox& box) {
  if (box.Empty()) {
    centreX = centreY = 0;
    scale = 1;
    return;
  }
  centreX = (static_cast<double>(box.minX) + box.maxX) / 2;
  centreY = (static_cast<double>(box.minY) + box.maxY) / 2;
  const double w = static_cast<double>(box.maxX) - box.minX;
  const double h = static_cast<double>(box.maxY) - box.minY;
  if (w <= 0 && h <= 0) return;
  const double sx = w > 0 ? width * kFitMargin / w : kMaxScale;
  const double sy = h > 0 ? height * kFitMargin / h : kMaxScale;
  scale = std::clamp(std::min(sx, sy), kMinScale, kMaxScale);
}

void ViewFrame::ZoomAt(double px, double py, double factor) {
  const double x = LayoutX(px), y = LayoutY(py);
  scale = std::clamp(scale * factor, kMinScale, kMaxScale);
  centreX = x - (px - width / 2.0) / scale;
  centreY = y + (py - height / 2.0) / scale;
}

void ViewFrame::Pan(double dx, double dy) {
  centreX -= dx / scale;
  centreY += dy / scale;
}

bool ViewFrame::Shows(const ViewBox& box) const {
  const ViewBox visible = Visible();
  return box.minX >= visible.minX && box.maxX <= visible.maxX && box.minY >= visible.minY &&
         box.maxY <= visible.maxY;
}
