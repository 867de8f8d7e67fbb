// DumpTables.cpp - the list and rename options of quillet-dump.
//
// A list prints its label lines, then its rows with the cells separated by tabs, all in
// UTF-8; the group list follows each group's row by its member rows, which start with
// an empty cell. A rename takes the steps of the tab's in-place edit with a Yes for the
// confirmation, prints the log lines and saves the drawing to the named file only.
#include "tools/DumpTables.h"

#include <cstdio>       // std::fprintf, std::fputs, stdout, stderr
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/MainFormLists.h"
#include "model/TextCodec.h"

const char kTableUsage[] =
    "  --layers      print the layer list: the CLAYER label, then one row per layer\n"
    "  --ltypes      print the linetype list: three header labels, then its rows\n"
    "  --colors      print the colour list: the CECOLOR label, then its rows\n"
    "  --blocks      print the block definition list with the reference counts\n"
    "  --groups      print the group list; member rows follow their group's row\n"
    "  --rename-layer OLD NEW OUT, --rename-ltype OLD NEW OUT, --rename-block OLD NEW OUT\n"
    "                replace a name throughout the drawing, print the log, save to OUT\n";

namespace {

constexpr int kNameColumn = 2;

struct ListOption {
  std::string_view name;
  DumpList list;
};

constexpr ListOption kListOptions[] = {{"--layers", DumpList::Layers},
                                       {"--ltypes", DumpList::Ltypes},
                                       {"--colors", DumpList::Colors},
                                       {"--blocks", DumpList::Blocks},
                                       {"--groups", DumpList::Groups}};

struct RenameOption {
  std::string_view name;
  NameKind kind;
  DumpList list;  // the list whose name column holds the names
  const char* noun;
};

constexpr RenameOption kRenameOptions[] = {
    {"--rename-layer", NameKind::Layer, DumpList::Layers, "layer"},
    {"--rename-ltype", NameKind::Ltype, DumpList::Ltypes, "linetype"},
    {"--rename-block", NameKind::Block, DumpList::Blocks, "block"}};

const RenameOption& RenameOptionOf(NameKind kind) {
  return kRenameOptions[static_cast<int>(kind)];
}

// Writes the log lines as they come, in UTF-8.
class PrintingLog : public MessageLog {
 public:
  int Add(const std::string& line) override {
    std::fputs((Utf8OfProgramText(line) + "\n").c_str(), stdout);
    return ++m_lines;
  }

 private:
  int m_lines = 0;
};

void PrintRow(const ListRow& row, std::string_view lead) {
  std::string line(lead);
  for (std::size_t c = 0; c < row.size(); ++c)
    line += (c == 0 ? "" : "\t") + Utf8OfProgramText(row[c]);
  std::fputs((line + "\n").c_str(), stdout);
}

void PrintLabels(const ListContent& list) {
  for (const ListLabel& label : list.labels)
    std::fputs((Utf8OfProgramText(label.text) + "\n").c_str(), stdout);
}

void PrintList(const ListContent& list) {
  PrintLabels(list);
  for (const ListRow& row : list.rows) PrintRow(row, "");
}

void PrintGroupList(TDXFBuffer& buffer) {
  TDXFGroupTable table;
  const ListContent list = BuildGroupList(buffer, table);
  PrintLabels(list);
  for (std::size_t k = 0; k < list.rows.size(); ++k) {
    PrintRow(list.rows[k], "");
    for (const ListRow& member : BuildGroupMemberRows(buffer, table.Groups[k]))
      PrintRow(member, "\t");
  }
}

ListContent BuildList(DumpList list, TDXFBuffer& buffer) {
  TDXFLayerTable layers;
  switch (list) {
    case DumpList::Layers:
      return BuildLayerList(buffer, layers);
    case DumpList::Ltypes:
      return BuildLtypeList(buffer);
    case DumpList::Colors:
      return BuildColorList(buffer);
    case DumpList::Blocks:
      return BuildBlockList(buffer);
    case DumpList::Groups:
    case DumpList::None:
      break;
  }
  return {};
}

// The first row (1-based) whose name reads as `utf8` once decoded, escapes and all, as
// the grid shows it; 0 when none does.
int RowNamed(const ListContent& list, const std::string& utf8) {
  for (std::size_t k = 0; k < list.rows.size(); ++k)
    if (Utf8OfProgramText(list.rows[k][kNameColumn]) == utf8) return static_cast<int>(k) + 1;
  return 0;
}

// Runs the edit's steps as the grid would: a change, its repeat at the end of the edit,
// then a Yes. Returns whether the drawing may be saved.
bool EditName(NameEditState& edit, const std::vector<std::string>& names,
              const std::string& newName, TDXFBuffer& buffer) {
  edit.Report(kNameColumn, newName);
  if (edit.Report(kNameColumn, newName) != NameEditStep::Confirm) return true;
  PrintingLog log;
  const NameEditResult result = edit.Decide(/*confirmed=*/true, names, buffer, log);
  for (const std::string& refusal : result.refusals)
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(refusal).c_str());
  return result.replaced;
}

int RunRename(const TableOptions& options, TDXFBuffer& buffer) {
  const RenameOption& rename = RenameOptionOf(options.renameKind);
  const ListContent list = BuildList(rename.list, buffer);
  const int row = RowNamed(list, options.oldName);
  if (row == 0) {
    std::fprintf(stderr, "quillet-dump: the drawing lists no %s named '%s'\n", rename.noun,
                 options.oldName.c_str());
    return kExitRenameRefused;
  }
  NameEditState edit(options.renameKind);
  edit.Begin(kNameColumn, row, list.rows[row - 1][kNameColumn]);
  if (!EditName(edit, list.names, ProgramTextOfUtf8(options.newName), buffer))
    return kExitRenameRefused;
  if (edit.RebuildsIndex()) buffer.BuildIndex();
  buffer.OnMessage = [](const std::string& m) {
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(m).c_str());
  };
  buffer.SetFileName(options.outFile);
  return buffer.SaveToFile() == 0 ? 0 : kExitSaveFailed;
}

}  // namespace

bool TakeTableOption(int argc, char** argv, int& a, TableOptions& options, std::string& error) {
  const std::string_view arg = argv[a];
  for (const ListOption& option : kListOptions) {
    if (arg != option.name) continue;
    if (options.Requested()) error = "only one list or rename option may be given";
    options.list = option.list;
    return true;
  }
  for (const RenameOption& option : kRenameOptions) {
    if (arg != option.name) continue;
    if (options.Requested()) error = "only one list or rename option may be given";
    if (a + 3 >= argc) error = std::string(arg) + " needs OLD NEW OUT";
    if (!error.empty()) return true;
    options.rename = true;
    options.renameKind = option.kind;
    options.oldName = argv[++a];
    options.newName = argv[++a];
    options.outFile = argv[++a];
    return true;
  }
  return false;
}

int RunTableOption(const TableOptions& options, TDXFBuffer& buffer) {
  try {
    if (options.rename) return RunRename(options, buffer);
    if (options.list == DumpList::Groups) {
      PrintGroupList(buffer);
    } else {
      PrintList(BuildList(options.list, buffer));
    }
    return 0;
  } catch (const EConvertError& error) {
    std::fprintf(stderr, "quillet-dump: the list is incomplete: %s\n",
                 Utf8OfProgramText(error.what()).c_str());
    return kExitIncompleteList;
  }
}
