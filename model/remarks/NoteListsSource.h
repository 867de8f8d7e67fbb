// NoteListsSource.h - the built-in note lists as written in the source, in UTF-8.
//
// The program itself reads only the CP932 rows of NoteLists.h. This view of the source
// rows lets checks confirm that every converted row says exactly what was written: CP932
// takes some characters (a wave dash, a minus sign) but gives back a different one.
#pragma once

#include <span>  // std::span

#include "model/remarks/NoteLists.h"  // NoteList

/// One row of a note list as written in the source: key (column 0) and text (column 1).
struct NoteSourceRow {
  const char* key;
  const char* text;
};

/// Returns the source rows of one of the seven built-in lists, in row order; an empty
/// span for any other list.
std::span<const NoteSourceRow> NoteListSource(const NoteList& list);
