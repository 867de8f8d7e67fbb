// DumpHandles.h - the handle options of quillet-dump: --handle H, --check and --repair.
//
// --handle prints the record that owns a handle and every pair that points at it;
// --check prints the problems of the drawing, one line each; --repair OUT repairs what it
// can as the editor does, prints each repair and each problem left, and saves to OUT.
#pragma once

#include <cstdint>  // std::uint64_t
#include <string>   // std::string

#include "logic/document/Document.h"

class DumpOutput;

// Exit statuses of the handle options.
constexpr int kExitProblemsFound = 7;   // --check found at least one problem
constexpr int kExitHandleNotOwned = 9;  // --handle: no record owns the handle
constexpr int kExitRepairFailed = 15;   // --repair could not make its changes; nothing written

/// The handle options of the command line.
struct HandleOptions {
  bool check = false;
  bool lookUp = false;
  bool repair = false;
  std::uint64_t handle = 0;  // the handle --handle looks up
  std::string outFile;       // where --repair saves, native path as given

  bool Requested() const { return check || lookUp || repair; }
};

/// The lines the usage text gives the handle options.
extern const char kHandleUsage[];

/// Takes argv[a] when it is a handle option, moving a past its value. Returns false when
/// it is none; on a bad one returns true with the reason in error.
bool TakeHandleOption(int argc, char** argv, int& a, HandleOptions& options, std::string& error);

/// Runs the requested option on a loaded document (its handle index), writing its lines to out and
/// reasons to stderr. Returns the exit status.
int RunHandleOption(const HandleOptions& options, Document& document, DumpOutput& out);
