// DumpInput.h - the drawing quillet-dump reads: a named file, or standard input.
//
// FILE "-" stands for standard input. It is read whole into a temporary file, which is
// loaded like any other file and removed at once, so every option works on it alike.
// A drawing read from standard input has no file to write back to: an option that
// writes needs an explicit OUT then.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

#include "logic/document/Document.h"

/// The exit status of a run whose drawing could not be loaded.
constexpr int kExitLoadError = 3;

/// The FILE argument that names standard input.
constexpr std::string_view kStandardInput = "-";

/// Tells whether the FILE argument names standard input.
inline bool IsStandardInput(std::string_view file) {
  return file == kStandardInput;
}

/// Loads the drawing named by file ("-": standard input, read to its end) into document.
/// Returns 0, or kExitLoadError after printing the reason on stderr. The buffer's
/// FileName is file as given.
[[nodiscard]] int LoadDrawing(const std::string& file, Document& document);
