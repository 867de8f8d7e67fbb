// fuzz_edit.cpp - grid edits of codes and values, the repair, then save and reload.
//
// The input's first bytes are the script: the number of edits, then for each its column,
// pair and typed text; the rest is the drawing. Each edit takes the grid's path (report,
// report again, commit), so refused texts are refused as in the window; the column byte's
// second bit answers the question a non-number for a numeric code asks. The drawing so
// edited is repaired as the editor repairs it; the repair must undo to the pairs before
// it and redo, and the repaired drawing must save and reload.
#include <cstddef>  // std::size_t
#include <cstdint>  // std::uint8_t
#include <string>   // std::string

#include "fuzz/FuzzSupport.h"
#include "logic/Dialogs.h"
#include "logic/check/DrawingCheck.h"
#include "logic/document/Document.h"
#include "logic/grid/GridEdit.h"
#include "logic/repair/DrawingRepair.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"

namespace {

// Answers every question as the script says; nothing else is asked by an edit.
class ScriptedAnswer : public Dialogs {
 public:
  bool yes = false;
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return yes; }
  Answer AskYesNoCancel(const std::string&, const std::string&) override {
    return yes ? Answer::Yes : Answer::No;
  }
  std::string OpenFileName(const FileRequest&) override { return {}; }
  std::string SaveFileName(FileRequest&) override { return {}; }
  void Beep() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxFuzzInput) return 0;
  static const ScratchFile input("edit"), output("edit-saved");
  ByteReader script(data, size);
  const unsigned edits = script.Byte() % 8;
  struct Edit {
    int col;
    bool yes;
    unsigned pair;
    std::string text;
  };
  std::vector<Edit> planned;
  for (unsigned k = 0; k < edits; ++k) {
    const unsigned kind = script.Byte();
    const int col = kind % 2 == 0 ? kCodeColumn : kValueColumn;
    const unsigned pair = script.Word();
    planned.push_back({col, (kind & 2) != 0, pair, script.Text()});
  }
  input.Write(script.Rest());
  TDXFBuffer b;
  b.OnMessage = [](const std::string&) {};
  if (b.LoadFromFile(input.Path()) != 0) return 0;
  NullLog log;
  ScriptedAnswer dialogs;
  for (const Edit& edit : planned) {
    const int pair = static_cast<int>(edit.pair % static_cast<unsigned>(b.EofIndex + 1));
    const std::string shown =
        edit.col == kCodeColumn ? Format("%7d", b.GetCode(pair)) : b.GetValue(pair);
    GridEdit grid;
    grid.Begin(edit.col, 2, shown);
    grid.Take(edit.text);
    if (grid.Take(edit.text) != GridEdit::Report::Commit) continue;
    // As in the grid, a row without a pair (an empty document's) has no line number.
    const bool shownPair = pair < b.PairCount;
    dialogs.yes = edit.yes;
    const EditCommit done = grid.Commit(b, shownPair ? pair : -1, log, dialogs);
    FUZZ_CHECK((done.kind == EditCommit::Kind::NoPair) == !shownPair);
    if (done.kind != EditCommit::Kind::Written) continue;
    // The typed program text is stored in the document's encoding.
    if (edit.col == kValueColumn) FUZZ_CHECK(b.ValueView(pair) == DocumentText(b, edit.text).bytes);
    if (b.NoteView(pair).empty()) b.MakeNote(pair);
  }
  // The edits above reached the buffer past the document, which brings the caches (the
  // index: where EOF stands) up to date after each change it makes.
  (void)b.UpdateCaches();
  Document document;
  (void)document.Adopt(std::move(b));
  const std::vector<RefPair> before = SavedPairs(document.Buffer());
  const HandleIndex& handles = document.ReadyHandles();
  const ChangeReport repaired = document.Repair(
      PlanRepair(document.Buffer(), handles, CheckDrawing(document.Buffer(), handles)));
  FUZZ_CHECK(repaired.Ok() || repaired.error.code == ErrorCode::NothingToDo);
  if (repaired.Ok()) {
    FUZZ_CHECK(document.Undo().Ok());
    FUZZ_CHECK(SamePairs(SavedPairs(document.Buffer()), before));
    FUZZ_CHECK(document.Redo().Ok());
  }
  CheckSaveAndReload(document.ViewBuffer(), output);
  return 0;
}
