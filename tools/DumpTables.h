// DumpTables.h - the list and rename options of quillet-dump.
//
// --layers, --ltypes, --colors, --blocks and --groups print a list tab's labels and
// rows; --rename-layer, --rename-ltype and --rename-block run a name replacement the
// way the list tab's in-place edit does and save the result to a new file.
#pragma once

#include <string>  // std::string

#include "logic/rename/NameReplace.h"
#include "model/buffer/MyDXFClass.h"
#include "tools/DumpOutput.h"

// Exit statuses beyond those of the pair listing.
constexpr int kExitIncompleteList = 4;  // a value that must be a number is not
constexpr int kExitRenameRefused = 5;   // no such name, or the new name is taken
constexpr int kExitSaveFailed = 6;
constexpr int kExitTruncatedText = 10;  // a NUL byte ended the text: OUT would lose the rest
constexpr int kExitUnencodable = 12;    // a pair the form of OUT cannot hold: nothing written

/// Returns kExitTruncatedText, with the reason on stderr, when a NUL byte ended the
/// buffer's text before its EOF pair, since an OUT written from it would lose the rest;
/// otherwise 0. Every option that writes OUT asks first.
int RefuseCutDrawing(const TDXFBuffer& buffer);

/// Saves buffer to outFile, reasons on stderr. Returns 0, kExitUnencodable or
/// kExitSaveFailed.
int SaveDrawingTo(TDXFBuffer& buffer, const std::string& outFile);

/// Which list a table option prints.
enum class DumpList { None, Layers, Ltypes, Colors, Blocks, Groups };

/// The table options of the command line. Names are UTF-8 as given.
struct TableOptions {
  DumpList list = DumpList::None;
  bool rename = false;
  NameKind renameKind = NameKind::Layer;
  std::string oldName, newName, outFile;

  bool Requested() const { return list != DumpList::None || rename; }
};

/// The lines the usage text gives the table options.
extern const char kTableUsage[];

/// Takes argv[a] when it is a table option, moving a past the option's values. Returns
/// false when it is none; on a bad one returns true with the reason in error.
bool TakeTableOption(int argc, char** argv, int& a, TableOptions& options, std::string& error);

/// Prints the requested list or runs the requested rename on a loaded buffer, writing
/// to out and reasons to stderr. Returns the exit status.
int RunTableOption(const TableOptions& options, TDXFBuffer& buffer, DumpOutput& out);
