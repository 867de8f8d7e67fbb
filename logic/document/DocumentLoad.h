// DocumentLoad.h - loading a file beside the document on show, and taking it over.
//
// A load reads the file into a second buffer, so a failed load never touches the
// document the window shows: the grid, the section list and saving go on with it. Only
// a successful read replaces the shown buffer, which keeps its own message sink, its
// remark switch and its running "+count" counter, since those belong to the window.
// What a load left out is reported in the message panel, and a save that would lose the
// rest of a file cut short by a NUL byte is asked about first.
#pragma once

#include <string>  // std::string
#include <vector>  // std::vector

#include "model/buffer/MyDXFClass.h"

/// Reads path into loaded (a fresh buffer) and returns LoadFromFile's result; running
/// out of memory gives -5 with its message instead of an exception. Safe to run on a
/// worker thread as long as nothing else touches loaded.
int ReadDocument(TDXFBuffer& loaded, const std::string& path) noexcept;

/// Moves a successfully read buffer into shown, keeping shown's OnMessage, NoteEnabled,
/// Counter and observer.
void AdoptDocument(TDXFBuffer& shown, TDXFBuffer&& loaded);

/// Returns the message-panel lines (CP932) on what a successful load left out: the line
/// where a NUL byte ended the text, the number of lines after the EOF pair.
std::vector<std::string> LoadNotices(const TDXFBuffer& loaded);

/// Returns the Yes/No question (CP932) to ask before saving a document whose text ended
/// at a NUL byte, since the save loses what followed; empty when a save loses nothing.
std::string SaveLossQuestion(const TDXFBuffer& shown);
