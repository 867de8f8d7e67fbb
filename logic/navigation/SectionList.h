// SectionList.h - the section list: entries, jump targets and the entry under the cursor.
//
// The section list in the main window's left panel shows the file's sections, its
// symbol tables and two header variables as a small tree of plain text entries
// ("+-HEADER", "| +-CLAYER", ...). Clicking an entry jumps to its pair; scrolling the
// grid selects the entry of the section or table that holds the cursor. Entries carry
// no data: a name is looked up in the buffer's index each time.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/MyDXFClass.h"

/// Returns the entries of the section list for buffer, in list order (FillSectionList):
/// the sections, tables and header variables the file holds, and EOF when it has an EOF pair.
std::vector<std::string> SectionEntries(const TDXFBuffer& buffer);

/// Returns the name of an entry: its text after the first "+-" (all of it without one).
std::string SectionEntryName(std::string_view entry);

/// Returns the pair a click on the entry named `name` jumps to (ListBox_lineClick); the
/// two header variables lead to the code-9 pair that names them; unknown names lead to 0.
int SectionTarget(const TDXFBuffer& buffer, std::string_view name);

/// Returns the name of the section or table that holds pair `index` (SyncSectionList).
std::string SectionNameAt(const TDXFBuffer& buffer, int index);

/// Returns the list row to select for name: "+-" + name, else "| +-" + name, else 0.
int SectionEntryRow(const std::vector<std::string>& entries, std::string_view name);
