// DumpView.h - the drawing options of quillet-dump: --extents, --render and --pick.
//
// Each works on model space as the window's drawing view builds it: --extents prints the
// box of what is drawn, --render paints it into a PNG with the window's painter
// (offscreen), --pick names the entity nearest to a model point.
#pragma once

#include <string>  // std::string

#include "model/buffer/MyDXFClass.h"

class DumpOutput;

// Exit statuses of the drawing options.
constexpr int kExitNothingPicked = 9;  // --pick: no entity within the tolerance
constexpr int kExitRenderFailed = 13;  // --render: OUT could not be written

/// The drawing options of the command line.
struct ViewOptions {
  bool extents = false;
  std::string renderFile;  // --render OUT.png; empty: none
  int width = 1024, height = 768;
  bool pick = false;
  double x = 0, y = 0;  // the --pick point

  bool Requested() const { return extents || pick || !renderFile.empty(); }
};

/// The lines the usage text gives the drawing options.
extern const char kViewUsage[];

/// Takes argv[a] when it is a drawing option, moving a past its values. Returns false when
/// it is none; on a bad one returns true with the reason in error.
bool TakeViewOption(int argc, char** argv, int& a, ViewOptions& options, std::string& error);

/// Runs the requested option on a loaded buffer, writing its lines to out and reasons to
/// stderr. Returns the exit status.
int RunViewOption(const ViewOptions& options, TDXFBuffer& buffer, DumpOutput& out);
