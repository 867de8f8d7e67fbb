// DumpRenderNone.cpp - quillet-dump --render in a build without Qt: refuses with a message.
#include <cstdio>  // std::fprintf, stderr

#include "tools/DumpRender.h"

int RenderPicture(const LayoutGeometry&, const std::string&, int, int) {
  std::fprintf(stderr,
               "quillet-dump: this build cannot draw (it was built without Qt 6 Gui); "
               "use a build with Qt for --render\n");
  return 2;
}
