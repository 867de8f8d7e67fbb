// DrawingCheck.h - the check of a drawing: its structure, its names and its texts.
//
// A drawing that AutoCAD refuses is most often broken in its structure: two records with
// one handle, a pointer to a handle no record owns, a handle at or above $HANDSEED, a
// section, table or block that is never closed, a record between sections, a number
// field that does not hold a number, no EOF, a POLYLINE or an attributed INSERT without
// its SEQEND. Next come the names: an entity that names a linetype, text style, block,
// dimension style, layer or application its table does not define, a table entry whose
// name AutoCAD forbids or repeats, a record owned by one that cannot own it, a table
// whose count is too small; and the texts: a value that does not decode, a drawing whose
// texts are not in the encoding its $ACADVER calls for. CheckDrawing finds each of these
// in one walk over the pairs and the handle index; a file without handles (before R13)
// simply has fewer problems to find. The viewer writes the problems to its message panel,
// quillet-dump --check to standard output.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"

/// What is wrong at a place of the drawing.
enum class CheckKind {
  DuplicateHandle,    // a second (third ...) record owning a handle already owned
  DanglingPointer,    // a pointer to a handle other than 0 that no record owns
  HandleAboveSeed,    // a record handle not below $HANDSEED
  UnclosedSection,    // a SECTION without its ENDSEC before the next SECTION or the end
  UnclosedTable,      // a TABLE without its ENDTAB before the next TABLE, the ENDSEC or the end
  UnclosedBlock,      // a BLOCK without its ENDBLK before the next BLOCK, the ENDSEC or the end
  OutsideSection,     // a record between sections
  BadNumber,          // a numeric group code whose value is not a number of its kind
  MissingEof,         // no 0/EOF pair ends the drawing
  MissingSeqend,      // a POLYLINE or an INSERT with 66 = 1 whose followers end without SEQEND
  UnregisteredAppid,  // extended data (1001) of an application the APPID table lacks
  UndefinedLinetype,  // a linetype (6) the LTYPE table lacks
  UndefinedStyle,     // a text style (7) the STYLE table lacks
  UndefinedBlock,     // a block (2 of INSERT or DIMENSION) the BLOCKS section lacks
  UndefinedDimstyle,  // a dimension style (3) the DIMSTYLE table lacks
  UndefinedLayer,     // a layer (8) the LAYER table lacks: a note, AutoCAD reads it
  BadName,            // a table entry's name that is empty or holds a forbidden character
  DuplicateName,      // a table entry whose name an earlier entry has, letter case aside
  WrongOwner,         // an owner (330) that exists but cannot own the record
  BadText,            // a text value that does not decode in the document's encoding
  TableCount,         // a TABLE whose count (70) is below the entries it holds
  VersionMismatch,    // texts in another encoding than $ACADVER and $DWGCODEPAGE call for
};

/// One problem of the drawing, with what a repair needs to act on it.
struct CheckProblem {
  int pair;  // where it stands (see CheckDrawing)
  CheckKind kind;
  std::string text;  // a short description naming the handle or value involved, CP932
  /// The name, handle or value involved, as the file stores it (the document's bytes,
  /// trimmed): the handle of duplicate-handle, handle-above-seed and wrong-owner (the
  /// owner's), the handle or value of dangling-pointer, the value of bad-number, the name
  /// of an unclosed section, table or block, of an undefined-* or unregistered-appid
  /// reference and of a bad-name or duplicate-name entry, the table of table-count, the
  /// type of an outside-section record and of the record missing its SEQEND, the
  /// $ACADVER of version-mismatch; empty for missing-eof and bad-text.
  std::string subject;
  /// The other pair involved, -1 when none: the first owner of a duplicated handle, the
  /// $HANDSEED value of handle-above-seed, the POLYLINE or INSERT missing its SEQEND, the
  /// name a duplicate-name repeats, the entry of a bad-name, the record a wrong owner is,
  /// the TABLE record of a table-count, the TABLE record (or the BLOCKS section) where an
  /// undefined name belongs when the drawing has one, the first text of version-mismatch.
  int other = -1;
  /// How many: the uses of an undefined name or unregistered application (the problem
  /// stands at the first), the entries of a table-count's table; else 1.
  int count = 1;
};

/// Tells whether a kind is a note rather than an error: AutoCAD reads the drawing as it
/// is (undefined-layer).
bool IsNoteKind(CheckKind kind);

/// Returns the name quillet-dump prints for a kind, e.g. "duplicate-handle".
std::string_view CheckKindName(CheckKind kind);

/// Checks the drawing against its handle index, which must be ready (an index that is not
/// makes every pointer look dangling). Returns the problems ordered by pair, those of one
/// pair in the order found. A problem of a record stands at its code-0 pair (duplicate-
/// handle, handle-above-seed, unclosed-*, outside-section), one of a value at the value's
/// pair (dangling-pointer, bad-number, the undefined-* kinds and unregistered-appid at
/// the first reference, bad-name and duplicate-name at the entry's name, wrong-owner at
/// the 330 pair, bad-text, table-count at the count, version-mismatch at $ACADVER's
/// value), and a missing closer where it belongs (missing-seqend at the record that
/// should have been the SEQEND, missing-eof after the last pair).
std::vector<CheckProblem> CheckDrawing(const TDXFBuffer& b, const HandleIndex& handles);
