// DumpPurge.cpp - the --purge and --purge-list options of quillet-dump.
#include "tools/DumpPurge.h"

#include <cstdio>       // std::fprintf, stderr
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/purge/UnusedDefinitions.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/TextCodec.h"
#include "tools/DumpTables.h"

const char kPurgeUsage[] =
    "  --purge-list  print the definitions nothing uses (layers, linetypes, text and\n"
    "                dimension styles, blocks, registered applications): LINE, TABLE, NAME\n"
    "  --purge OUT   take them all out as the editor's purge does, print them, save to OUT\n";

bool TakePurgeOption(int argc, char** argv, int& a, PurgeOptions& options, std::string& error) {
  const std::string_view arg = argv[a];
  if (arg != "--purge" && arg != "--purge-list") return false;
  if (options.Requested()) {
    error = "only one of --purge and --purge-list may be given";
  } else if (arg == "--purge-list") {
    options.list = true;
  } else if (a + 1 >= argc) {
    error = "--purge needs OUT";
  } else {
    options.purge = true;
    options.outFile = argv[++a];
  }
  return true;
}

static void PrintEntry(DumpOutput& out, const UnusedDefinition& entry) {
  DumpLine line(out);
  line.Number("line", LineOfPair(entry.record));
  line.Text("table", PurgeTableName(entry.table));
  line.Value("name", entry.name);
  line.End();
}

int RunPurgeOption(const PurgeOptions& options, Document& document, DumpOutput& out) {
  const PurgeList list = FindUnusedDefinitions(document.Buffer(), document.ReadyHandles());
  if (options.list) {
    for (const UnusedDefinition& entry : list.Entries()) PrintEntry(out, entry);
    return 0;
  }
  if (const int refused = RefuseCutDrawing(document.Buffer()); refused != 0) return refused;
  const std::vector<bool> all(list.Entries().size(), true);
  const ChangeReport purged = document.Purge(list, all);
  if (!purged.Ok() && purged.error.code != ErrorCode::NothingToDo) {
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(purged.error.message).c_str());
    return kExitPurgeFailed;
  }
  for (const UnusedDefinition& entry : list.Entries()) PrintEntry(out, entry);
  out.Flush();
  return SaveDrawingTo(document, options.outFile);
}
