// DumpTables.cpp - the list and rename options of quillet-dump.
//
// A list prints its label lines, then its rows, one output line each in the form the
// command line chose (DumpOutput); the group list follows each group's row by its member
// rows, which start with an empty cell. A rename takes the steps of the tab's in-place
// edit with a Yes for the confirmation, prints the log lines and saves the drawing to
// the named file only.
#include "tools/DumpTables.h"

#include <algorithm>    // std::find_if
#include <cassert>      // assert
#include <cstdio>       // std::fprintf, stderr
#include <span>         // std::span
#include <string_view>  // std::string_view
#include <utility>      // std::move
#include <vector>       // std::vector

#include "logic/lists/ListRows.h"
#include "model/buffer/DXFResult.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"

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

// The JSON keys of a list's columns, in column order: the grid's headers in ASCII.
using ListKeys = std::span<const std::string_view>;
constexpr std::string_view kLayerKeys[] = {"row", "line", "name", "color", "linetype", "remark"};
constexpr std::string_view kLtypeKeys[] = {"row",    "line",        "name",
                                           "length", "description", "remark"};
constexpr std::string_view kColorKeys[] = {"row",    "sample",   "color", "layers",
                                           "blocks", "entities", "rgb",   "book"};
constexpr std::string_view kBlockKeys[] = {"row", "line", "name", "references", "remark"};
constexpr std::string_view kGroupKeys[] = {"row", "line", "name", "members", "description"};
constexpr std::string_view kMemberKeys[] = {"row", "line", "handle", "object"};

struct ListOption {
  std::string_view name;
  DumpList list;
  ListKeys keys;
};

constexpr ListOption kListOptions[] = {{"--layers", DumpList::Layers, kLayerKeys},
                                       {"--ltypes", DumpList::Ltypes, kLtypeKeys},
                                       {"--colors", DumpList::Colors, kColorKeys},
                                       {"--blocks", DumpList::Blocks, kBlockKeys},
                                       {"--groups", DumpList::Groups, kGroupKeys}};

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

const ListOption& ListOptionOf(DumpList list) {
  return *std::find_if(std::begin(kListOptions), std::end(kListOptions),
                       [list](const ListOption& option) { return option.list == list; });
}

const RenameOption& RenameOptionOf(NameKind kind) {
  return kRenameOptions[static_cast<int>(kind)];
}

// Writes the log lines as they come.
class PrintingLog : public MessageLog {
 public:
  explicit PrintingLog(DumpOutput& out) : m_out(out) {}
  int Add(const std::string& text) override {
    DumpLine line(m_out);
    line.Program("log", text);
    line.End();
    return ++m_lines;
  }

 private:
  DumpOutput& m_out;
  int m_lines = 0;
};

void PutCells(DumpLine& line, const ListRow& row, ListKeys keys) {
  assert(row.size() <= keys.size() && "every column of a list has its key");
  for (std::size_t c = 0; c < row.size() && c < keys.size(); ++c) line.Program(keys[c], row[c]);
}

void PrintRow(DumpOutput& out, const ListRow& row, ListKeys keys) {
  DumpLine line(out);
  PutCells(line, row, keys);
  line.End();
}

// A member row leads with an empty cell in the tab-separated form, as the tab shows it
// under its group; JSON names the group's row there instead.
void PrintMemberRow(DumpOutput& out, const ListRow& member, const ListRow& group) {
  DumpLine line(out);
  line.Program("group", out.Format() == DumpFormat::Json ? group[0] : "");
  PutCells(line, member, kMemberKeys);
  line.End();
}

// The tab-separated form prints a label's text; JSON adds the line it jumps to.
void PrintLabels(DumpOutput& out, const ListContent& list) {
  for (const ListLabel& label : list.labels) {
    DumpLine line(out);
    line.Program("label", label.text);
    if (out.Format() == DumpFormat::Json) line.Number("line", label.jumpLine);
    line.End();
  }
}

void PrintList(DumpOutput& out, const ListContent& list, ListKeys keys) {
  PrintLabels(out, list);
  for (const ListRow& row : list.rows) PrintRow(out, row, keys);
}

// Tells why a list could not be built whole; returns the exit status.
int RefuseIncompleteList(const Error& error) {
  std::fprintf(stderr, "quillet-dump: the list is incomplete: %s\n",
               Utf8OfProgramText(error.message).c_str());
  return kExitIncompleteList;
}

int PrintGroupList(DumpOutput& out, const TDXFBuffer& buffer) {
  TDXFGroupTable table;
  const Result<ListContent> built = BuildGroupList(buffer, table);
  if (!built.Ok()) return RefuseIncompleteList(built.error());
  const ListContent& list = built.value();
  PrintLabels(out, list);
  for (std::size_t k = 0; k < list.rows.size(); ++k) {
    PrintRow(out, list.rows[k], kGroupKeys);
    for (const ListRow& member : BuildGroupMemberRows(buffer, table.Groups[k]))
      PrintMemberRow(out, member, list.rows[k]);
  }
  return 0;
}

// The colour list's labels and rows, without the records its samples are painted from.
Result<ListContent> BuildColorRows(const TDXFBuffer& buffer) {
  Result<ColorList> colors = BuildColorList(buffer);
  if (!colors.Ok()) return colors.error();
  return ListContent(std::move(colors).value());
}

Result<ListContent> BuildList(DumpList list, const TDXFBuffer& buffer) {
  TDXFLayerTable layers;
  switch (list) {
    case DumpList::Layers:
      return BuildLayerList(buffer, layers);
    case DumpList::Ltypes:
      return BuildLtypeList(buffer);
    case DumpList::Colors:
      return BuildColorRows(buffer);
    case DumpList::Blocks:
      return BuildBlockList(buffer);
    case DumpList::Groups:
    case DumpList::None:
      break;
  }
  return ListContent();
}

// The first row (1-based) whose name reads as `utf8` once decoded, escapes and all, as
// the grid shows it; 0 when none does.
int RowNamed(const ListContent& list, const std::string& utf8) {
  for (std::size_t k = 0; k < list.rows.size(); ++k)
    if (Utf8OfProgramText(list.rows[k][kNameColumn]) == utf8) return static_cast<int>(k) + 1;
  return 0;
}

// Runs the edit's steps as the grid would: a change, its repeat at the end of the edit,
// then a Yes. Prints the log lines; returns whether the drawing may be saved.
bool EditName(NameEditState& edit, const std::vector<std::string>& names,
              const std::string& newName, Document& document, DumpOutput& out) {
  edit.Report(kNameColumn, newName);
  if (edit.Report(kNameColumn, newName) != NameEditStep::Confirm) return true;
  const RenameReport renamed = document.Rename(edit, /*confirmed=*/true, names);
  PrintingLog log(out);
  for (const std::string& line : renamed.log) log.Add(line);
  for (const std::string& refusal : renamed.edit.refusals)
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(refusal).c_str());
  return renamed.edit.replaced;
}

int RunRename(const TableOptions& options, Document& document, DumpOutput& out) {
  if (const int refused = RefuseCutDrawing(document.Buffer()); refused != 0) return refused;
  const RenameOption& rename = RenameOptionOf(options.renameKind);
  const Result<ListContent> built = BuildList(rename.list, document.Buffer());
  if (!built.Ok()) return RefuseIncompleteList(built.error());
  const ListContent& list = built.value();
  const int row = RowNamed(list, options.oldName);
  if (row == 0) {
    std::fprintf(stderr, "quillet-dump: the drawing lists no %s named '%s'\n", rename.noun,
                 options.oldName.c_str());
    return kExitRenameRefused;
  }
  NameEditState edit(options.renameKind);
  edit.Begin(kNameColumn, row, list.rows[row - 1][kNameColumn]);
  if (!EditName(edit, list.names, ProgramTextOfUtf8(options.newName), document, out))
    return kExitRenameRefused;
  return SaveDrawingTo(document, options.outFile);
}

}  // namespace

int RefuseCutDrawing(const TDXFBuffer& buffer) {
  if (buffer.TruncatedAtLine == 0) return 0;
  std::fprintf(stderr, "quillet-dump: %s; OUT is not written, it would lose the rest\n",
               Utf8(TruncatedTextMessage(buffer.TruncatedAtLine)).c_str());
  return kExitTruncatedText;
}

// Prints what the model must tell about a save (why it failed) on standard error.
static void PrintSaveMessages(TDXFBuffer& buffer) {
  buffer.OnMessage = [](const std::string& m) {
    for (const std::string& line : SplitMessageLines(m))
      std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(line).c_str());
  };
}

int SaveDrawingTo(TDXFBuffer& buffer, const std::string& outFile) {
  PrintSaveMessages(buffer);
  buffer.SetFileName(outFile);
  const int saved = buffer.SaveToFile();
  if (saved == ResultCode(SaveResult::Ok)) return 0;
  return saved == ResultCode(SaveResult::Unencodable) ? kExitUnencodable : kExitSaveFailed;
}

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

int SaveDrawingTo(Document& document, const std::string& outFile) {
  const Error error = document.SaveAs(outFile, /*normalise=*/false).error;
  if (error.Ok()) return 0;
  for (const std::string& line : SplitMessageLines(error.message))
    std::fprintf(stderr, "quillet-dump: %s\n", Utf8OfProgramText(line).c_str());
  return error.code == ErrorCode::Unencodable ? kExitUnencodable : kExitSaveFailed;
}

int RunTableOption(const TableOptions& options, Document& document, DumpOutput& out) {
  if (options.rename) return RunRename(options, document, out);
  if (options.list == DumpList::Groups) return PrintGroupList(out, document.Buffer());
  const Result<ListContent> list = BuildList(options.list, document.Buffer());
  if (!list.Ok()) return RefuseIncompleteList(list.error());
  PrintList(out, list.value(), ListOptionOf(options.list).keys);
  return 0;
}
