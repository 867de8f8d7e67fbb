// DumpPurge.h - the --purge and --purge-list options of quillet-dump.
//
// --purge-list prints the definitions nothing uses, as the editor's "未使用の削除" lists
// them; --purge OUT takes them all out, as one step of the editor would, prints what it
// took out and saves the drawing to OUT only. Each definition is one line:
// LINE<TAB>TABLE<TAB>NAME, the line of its table entry or BLOCK and its table's DXF name
// (LAYER, LTYPE, STYLE, DIMSTYLE, BLOCK, APPID).
#pragma once

#include <string>  // std::string

#include "logic/document/Document.h"
#include "tools/DumpOutput.h"

/// Exit status when the definitions could not be taken out (no memory); nothing written.
constexpr int kExitPurgeFailed = 14;

/// The purge options of the command line.
struct PurgeOptions {
  bool list = false;
  bool purge = false;
  std::string outFile;  // native path as given

  bool Requested() const { return list || purge; }
};

/// The lines the usage text gives the options.
extern const char kPurgeUsage[];

/// Takes argv[a] when it is --purge or --purge-list, moving a past OUT. Returns false
/// when it is another argument; for a bad one returns true with the reason in error.
bool TakePurgeOption(int argc, char** argv, int& a, PurgeOptions& options, std::string& error);

/// Lists, or takes out and saves, the unused definitions of a loaded document. Returns
/// the exit status: 0, kExitTruncatedText, kExitPurgeFailed or the save failure's.
int RunPurgeOption(const PurgeOptions& options, Document& document, DumpOutput& out);
