// NoteLists.h - the seven built-in note lists that the remark engine interprets.
//
// A note list is a table of (key, text) rows numbered 0..H. Rows whose key begins with
// "+" are directives that steer the engine; the others are plain rows whose key is a
// group code, a value or a bit, depending on the directive that holds them. The lists
// are written in UTF-8 in NoteLists.cpp and converted to CP932 once, at first use; each
// row also carries its key and count read in advance, so the engine never parses a list.
#pragma once

#include <cstdint>  // std::uint8_t
#include <string>   // std::string
#include <vector>   // std::vector

/// What a row of a note list is, read from its key.
enum class RowKind : std::uint8_t {
  Plain,      // any key that does not begin with "+"
  Code,       // "+code"
  Mode,       // "+mode"
  Bit,        // "+bit"
  Count,      // "+count"
  CodeTemp,   // "+codetemp"
  RefKey,     // "+refkey"
  Time,       // "+time"
  Color24,    // "+24BitColor"
  Directive,  // any other key that begins with "+"
};

/// One row of a note list, in CP932, with what the engine needs read in advance.
struct NoteRow {
  std::string key;   // column 0
  std::string text;  // column 1
  RowKind kind;      // from the key
  int keyNumber;     // the key read as FloorOfNumber does (0 for an empty key)
  int count;         // the text read as a decimal count (0 when it is not one)
  bool IsDirective() const { return kind != RowKind::Plain; }
};

/// A whole note list: rows 0..H.
struct NoteList {
  const char* name;           // for diagnostics and tests ("entities", "header" ...)
  std::vector<NoteRow> rows;  // H + 1 rows
  int H;                      // last row number
};

/// Makes a row from its CP932 key and text, reading its kind, key number and count.
NoteRow MakeNoteRow(std::string key, std::string text);

/// The code note list (53 rows): group code -> generic meaning.
const NoteList& CodeNoteList();
/// The reference note list (36 rows): shared value lists reached through "+refkey".
const NoteList& ReferenceNoteList();
/// The classes note list (21 rows).
const NoteList& ClassesNoteList();
/// The header note list (311 rows).
const NoteList& HeaderNoteList();
/// The tables note list (359 rows).
const NoteList& TablesNoteList();
/// The entities note list (686 rows), used for BLOCKS and ENTITIES.
const NoteList& EntitiesNoteList();
/// The objects note list (256 rows).
const NoteList& ObjectsNoteList();

/// Returns the seven lists, code list first, for tests and tools that walk them all.
std::vector<const NoteList*> AllNoteLists();
