// DumpRender.cpp - quillet-dump --render: model space painted into a PNG file.
#include "tools/DumpRender.h"

#include <cstdio>  // std::fprintf, stderr

#include <QGuiApplication>
#include <QImage>

#include "logic/view/ShapeIndex.h"
#include "logic/view/ViewFrame.h"
#include "render/DrawingPainter.h"
#include "tools/DumpView.h"

int RenderPicture(const LayoutGeometry& g, const std::string& path, int width, int height) {
  // Fonts need an application; the offscreen platform needs no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "quillet-dump";
  char* argv[] = {name, nullptr};
  const QGuiApplication application(argc, argv);
  ShapeIndex index;
  index.Build(g);
  ViewFrame frame;
  frame.width = width;
  frame.height = height;
  frame.Fit(g.extents);
  QImage image(width, height, QImage::Format_RGB32);
  PaintLayout(image, g, index, frame, PaintOptions{});
  if (image.save(QString::fromUtf8(path.c_str()), "PNG")) return 0;
  std::fprintf(stderr,
               "quillet-dump: cannot write the picture %s; check the folder and its rights\n",
               path.c_str());
  return kExitRenderFailed;
}
