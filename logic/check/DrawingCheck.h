// DrawingCheck.h - the check of a drawing's structure: handles, pointers, sections, numbers.
//
// A drawing that AutoCAD refuses is most often broken in its structure: two records with
// one handle, a pointer to a handle no record owns, a handle at or above $HANDSEED, a
// section, table or block that is never closed, a record between sections, or a number
// field that does not hold a number. CheckDrawing finds each of these in one walk over the
// pairs and the handle index; a file without handles (before R13) simply has fewer
// problems to find. The viewer writes the problems to its message panel, quillet-dump
// --check to standard output.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"

/// What is wrong at a place of the drawing.
enum class CheckKind {
  DuplicateHandle,  // a second (third ...) record owning a handle already owned
  DanglingPointer,  // a pointer to a handle other than 0 that no record owns
  HandleAboveSeed,  // a record handle not below $HANDSEED
  UnclosedSection,  // a SECTION without its ENDSEC before the next SECTION or the end
  UnclosedTable,    // a TABLE without its ENDTAB before the next TABLE, the ENDSEC or the end
  UnclosedBlock,    // a BLOCK without its ENDBLK before the next BLOCK, the ENDSEC or the end
  OutsideSection,   // a record between sections
  BadNumber,        // a numeric group code whose value is not a number of its kind
};

/// One problem of the drawing.
struct CheckProblem {
  int pair;  // where it stands: the record's code-0 pair, or the offending pair
  CheckKind kind;
  std::string text;  // a short description naming the handle or value involved, CP932
};

/// Returns the name quillet-dump prints for a kind, e.g. "duplicate-handle".
std::string_view CheckKindName(CheckKind kind);

/// Checks the drawing against its handle index, which must be ready (an index that is not
/// makes every pointer look dangling). Returns the problems in file order.
std::vector<CheckProblem> CheckDrawing(const TDXFBuffer& b, const HandleIndex& handles);
