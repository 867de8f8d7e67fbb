// DumpRender.h - quillet-dump --render: model space painted into a PNG file.
//
// DumpRender.cpp paints with the window's painter (Qt Gui, offscreen); a build without
// Qt links DumpRenderNone.cpp instead, which says that this build cannot draw.
#pragma once

#include <string>  // std::string

#include "logic/view/ViewGeometry.h"

/// Paints g, fitted whole, into a width x height PNG at path on a dark background. Returns
/// 0, or after a message on stderr kExitRenderFailed (the file could not be written) or 2
/// (this build has no painter).
int RenderPicture(const LayoutGeometry& g, const std::string& path, int width, int height);
