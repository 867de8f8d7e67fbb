// DocumentLoad.h - loading a file beside the document on show, and taking it over.
//
// A load reads the file into a second buffer, so a failed load never touches the
// document the window shows: the grid, the section list and saving go on with it. Only
// a successful read replaces the shown buffer, which keeps its own message sink, its
// remark switch and its running "+count" counter, since those belong to the window.
#pragma once

#include <string>  // std::string

#include "model/MyDXFClass.h"

/// Reads path into loaded (a fresh buffer) and returns LoadFromFile's result; running
/// out of memory gives -5 with its message instead of an exception. Safe to run on a
/// worker thread as long as nothing else touches loaded.
int ReadDocument(TDXFBuffer& loaded, const std::string& path) noexcept;

/// Moves a successfully read buffer into shown, keeping shown's OnMessage, NoteEnabled,
/// Counter and observer.
void AdoptDocument(TDXFBuffer& shown, TDXFBuffer&& loaded);
