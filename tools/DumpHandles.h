// DumpHandles.h - the handle options of quillet-dump: --handle H and --check.
//
// --handle prints the record that owns a handle and every pair that points at it;
// --check prints the problems of the drawing's structure, one line each.
#pragma once

#include <cstdint>  // std::uint64_t
#include <string>   // std::string

#include "logic/document/Document.h"

class DumpOutput;

// Exit statuses of the handle options.
constexpr int kExitProblemsFound = 7;   // --check found at least one problem
constexpr int kExitHandleNotOwned = 9;  // --handle: no record owns the handle

/// The handle options of the command line.
struct HandleOptions {
  bool check = false;
  bool lookUp = false;
  std::uint64_t handle = 0;  // the handle --handle looks up

  bool Requested() const { return check || lookUp; }
};

/// The lines the usage text gives the handle options.
extern const char kHandleUsage[];

/// Takes argv[a] when it is a handle option, moving a past its value. Returns false when
/// it is none; on a bad one returns true with the reason in error.
bool TakeHandleOption(int argc, char** argv, int& a, HandleOptions& options, std::string& error);

/// Runs the requested option on a loaded document (its handle index), writing its lines to out and
/// reasons to stderr. Returns the exit status.
int RunHandleOption(const HandleOptions& options, Document& document, DumpOutput& out);
