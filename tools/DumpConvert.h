// DumpConvert.h - the --to-ascii and --to-binary options of quillet-dump.
//
// They write FILE, text or binary, to OUT in the other form (or the same one): the text
// form with CR LF and "%3d" codes, reals in the shortest text that reads back as the
// same double; the binary form with one- or two-byte codes as $ACADVER calls for. A
// pair the form cannot hold is named with its line and the reason, and nothing is
// written.
#pragma once

#include <string>  // std::string

#include "model/buffer/MyDXFClass.h"

/// The conversion options of the command line.
struct ConvertOptions {
  bool requested = false;
  DXFForm form = DXFForm::Text;
  std::string outFile;  // native path as given
};

/// The lines the usage text gives the options.
extern const char kConvertUsage[];

/// Takes argv[a] when it is --to-ascii or --to-binary, moving a past its OUT. Returns
/// false when it is another argument; for a bad one returns true with the reason in error.
bool TakeConvertOption(int argc, char** argv, int& a, ConvertOptions& options, std::string& error);

/// Writes the loaded buffer to OUT in the form asked for. Returns the exit status: 0,
/// kExitTruncatedText, kExitUnencodable (the reason on stderr, nothing written) or
/// kExitSaveFailed.
int RunConvertOption(const ConvertOptions& options, TDXFBuffer& buffer);
