// DumpDiff.h - the --diff option of quillet-dump: what differs between two drawings.
//
// --diff OTHER FILE prints one line per record that differs, matched by handle, name or
// order (DrawingCompare): CHANGE, KEY, TYPE, LINE, OTHER_LINE and TEXT, the pairs that
// differ. CHANGE is "changed", "removed" (in FILE only) or "added" (in OTHER only).
#pragma once

#include <string>  // std::string

#include "logic/compare/DrawingCompare.h"
#include "model/buffer/MyDXFClass.h"

class DumpOutput;

/// Exit status of --diff when the drawings differ (0: they are the same).
constexpr int kExitDrawingsDiffer = 1;

/// The --diff option and its choices.
struct DiffOptions {
  bool requested = false;
  bool choiceGiven = false;  // --exact or --ignore-new-handles, which need --diff
  std::string otherFile;     // native path as given; "-" reads standard input
  CompareOptions compare;
};

/// The lines the usage text gives the option.
extern const char kDiffUsage[];

/// Takes argv[a] when it is --diff (moving a past OTHER), --exact or --ignore-new-handles.
/// Returns false when it is none of them; on a bad one returns true with the reason in
/// error.
bool TakeDiffOption(int argc, char** argv, int& a, DiffOptions& options, std::string& error);

/// Loads OTHER, compares the loaded buffer (FILE) with it and prints the differences.
/// Returns 0 when the drawings are the same, kExitDrawingsDiffer when they differ, or
/// kExitLoadError when OTHER cannot be loaded (the reason on stderr).
int RunDiffOption(const DiffOptions& options, const TDXFBuffer& buffer, DumpOutput& out);
