// DumpRound.h - the --round option of quillet-dump: the rounding tool on the command line.
//
// --round COORD ANGLE OUT runs the coordinate and angle passes of the editor's "ツール"
// tab on FILE with the steps and digits given, prints the lines the tab writes to the
// message panel and its summary message, and saves the result to OUT only.
#pragma once

#include <string>  // std::string

#include "logic/document/Document.h"
#include "logic/rounding/RoundingTool.h"
#include "tools/DumpOutput.h"

/// Exit status when a value to round is not a number; nothing is written then.
constexpr int kExitNotANumber = 8;

/// The --round option of the command line.
struct RoundOptions {
  bool requested = false;
  RoundSettings settings;  // the steps and digits as given
  std::string outFile;     // native path as given
};

/// The lines the usage text gives the option.
extern const char kRoundUsage[];

/// Takes argv[a] when it is --round, moving a past its three values. Returns false when
/// it is another argument; for a bad --round returns true with the reason in error.
bool TakeRoundOption(int argc, char** argv, int& a, RoundOptions& options, std::string& error);

/// Runs the passes on a loaded document, prints the report to out and saves the drawing
/// to OUT. Returns the exit status: 0, kExitNotANumber (the message on stderr, nothing
/// written) or the save failure's.
int RunRoundOption(const RoundOptions& options, Document& document, DumpOutput& out);
