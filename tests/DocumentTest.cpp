// DocumentTest.cpp - the document as the one change path: what each operation changes
// and reports, the caches it keeps, and the saved state.
#include "logic/document/Document.h"

#include <gtest/gtest.h>

#include "logic/check/DrawingCheck.h"
#include "model/buffer/HandleIndex.h"
#include "model/text/Sjis.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFiles.h"

namespace {

// Pairs 0-4 the HEADER with $CLAYER, 5-14 TABLES with a LAYER table, 15-22 ENTITIES with
// one LINE that has a handle, 23 the EOF.
const std::vector<std::string> kLines = {
    "0",  "SECTION", "2",  "HEADER",   "9", "$CLAYER",    "8", "WALL",   "0", "ENDSEC",  // 0-4
    "0",  "SECTION", "2",  "TABLES",   "0", "TABLE",      "2", "LAYER",  "0", "LAYER",   // 5-9
    "2",  "WALL",    "62", "1",        "6", "CONTINUOUS", "0", "ENDTAB", "0", "ENDSEC",  // 10-14
    "0",  "SECTION", "2",  "ENTITIES", "0", "LINE",       "5", "1F",     "8", "WALL",    // 15-19
    "10", "1.0",     "20", "2.0",      "0", "ENDSEC",     "0", "EOF"};                   // 20-23

struct Loaded {
  TempDir dir;
  const std::string path = dir.Write("drawing.dxf", DxfText(kLines));
  Document doc;
  ScriptedDialogs dialogs;
  Loaded() {
    const ChangeReport loaded = doc.Load(path);
    EXPECT_TRUE(loaded.Ok());
    EXPECT_TRUE(loaded.loaded && loaded.handles && loaded.listsStale);
    (void)doc.ReadyHandles();
  }
  // Edits a cell of pair `pair` as the grid does: text shown, text typed, Enter.
  ChangeReport Edit(int col, int pair, const std::string& typed) {
    GridEdit edit;
    const std::string shown = col == kCodeColumn ? std::to_string(doc.Buffer().GetCode(pair))
                                                 : doc.Buffer().GetValue(pair);
    edit.Begin(col, 1, shown);
    edit.Take(typed);
    EXPECT_EQ(edit.Take(typed), GridEdit::Report::Commit);
    return doc.CommitCellEdit(edit, pair, dialogs);
  }
};

}  // namespace

TEST(Document, StartsEmptyAndAFailedLoadLeavesItSo) {
  Document doc;
  EXPECT_FALSE(doc.HasDrawing());
  const ChangeReport failed = doc.Load("/nonexistent/drawing.dxf");
  EXPECT_EQ(failed.error.code, ErrorCode::LoadFailed);
  EXPECT_FALSE(failed.error.message.empty());
  EXPECT_FALSE(doc.HasDrawing());
  EXPECT_FALSE(failed.loaded);
}

TEST(Document, AValueEditIsOneStepThatLeavesTheIndexAndTheHandlesAlone) {
  Loaded f;
  ASSERT_TRUE(f.doc.Handles().Ready());
  const ChangeReport edited = f.Edit(kValueColumn, 21, "12.5");  // the LINE's 20
  EXPECT_TRUE(edited.Ok());
  EXPECT_TRUE(edited.changed);
  EXPECT_EQ(edited.step, Sjis("グループデータ変更 行 43"));
  EXPECT_EQ(edited.firstPair, 21);
  EXPECT_EQ(edited.count, 1);
  EXPECT_FALSE(edited.structure);
  EXPECT_FALSE(edited.handles) << "a coordinate owns no handle and points at none";
  EXPECT_TRUE(f.doc.Handles().Ready());
  EXPECT_TRUE(edited.listsStale && edited.values && edited.modified);
  ASSERT_EQ(edited.log.size(), 1u);
  EXPECT_EQ(f.doc.History().StepCount(), 1);
  EXPECT_EQ(f.doc.Buffer().GetValue(21), "12.5");
}

TEST(Document, AHandleOrCodeEditRestartsTheHandleIndexAndAHeaderEditReadsTheHeader) {
  Loaded f;
  const ChangeReport handle = f.Edit(kValueColumn, 18, "2A");
  EXPECT_TRUE(handle.handles);
  EXPECT_FALSE(f.doc.Handles().Ready());
  EXPECT_EQ(f.doc.ReadyHandles().Owner(0x2A), 17);
  const ChangeReport code = f.Edit(kCodeColumn, 20, "11");
  EXPECT_TRUE(code.handles);
  const ChangeReport header = f.Edit(kValueColumn, 3, "DOOR");
  EXPECT_TRUE(header.structure);
  EXPECT_EQ(f.doc.Buffer().CLayer, "DOOR");
}

TEST(Document, ASectionNameEditRebuildsTheIndexAndItsUndoToo) {
  Loaded f;
  const ChangeReport renamed = f.Edit(kValueColumn, 16, "OBJECTS");
  EXPECT_TRUE(renamed.structure);
  EXPECT_EQ(f.doc.Buffer().EntitiesStart, 0);
  EXPECT_EQ(f.doc.Buffer().ObjectsStart, 15);
  const ChangeReport undone = f.doc.Undo();
  EXPECT_TRUE(undone.Ok());
  EXPECT_TRUE(undone.structure);
  EXPECT_EQ(f.doc.Buffer().EntitiesStart, 15);
  EXPECT_EQ(f.doc.Buffer().ObjectsStart, 0);
}

TEST(Document, RefusalsAndDeclinesChangeNothing) {
  Loaded f;
  const ChangeReport refused = f.Edit(kCodeColumn, 20, "x");
  EXPECT_EQ(refused.error.code, ErrorCode::NotStorable);
  EXPECT_EQ(Utf8(refused.error.message), "グループコードは数値でなければなりません");
  f.dialogs.answers = {Dialogs::Answer::No};
  const ChangeReport declined = f.Edit(kValueColumn, 21, "XYZ");
  EXPECT_EQ(declined.error.code, ErrorCode::Declined);
  EXPECT_FALSE(declined.changed || refused.changed);
  EXPECT_FALSE(f.doc.IsModified());
  GridEdit edit;
  edit.Begin(kValueColumn, 1, "1.0");
  edit.Take("2");
  EXPECT_EQ(edit.Take("2"), GridEdit::Report::Commit);
  const ChangeReport noPair = f.doc.CommitCellEdit(edit, -1, f.dialogs);
  EXPECT_TRUE(noPair.Ok());
  EXPECT_EQ(noPair.count, 0);
}

TEST(Document, ARenameIsOneStepAndUndoAndRedoFollowTheSavedState) {
  Loaded f;
  NameEditState edit(NameKind::Layer);
  edit.Begin(2, 1, "WALL");
  edit.Report(2, "WALL-2");
  ASSERT_EQ(edit.Report(2, "WALL-2"), NameEditStep::Confirm);
  const RenameReport renamed = f.doc.Rename(edit, true, {"WALL"});
  EXPECT_TRUE(renamed.Ok());
  EXPECT_TRUE(renamed.edit.replaced);
  EXPECT_EQ(renamed.count, 3);  // $CLAYER, the LAYER record, the LINE
  EXPECT_TRUE(renamed.structure);
  EXPECT_EQ(f.doc.Buffer().CLayer, "WALL-2");
  EXPECT_FALSE(renamed.log.empty());
  const std::string saved = f.dir.Path() + "/saved.dxf";
  EXPECT_TRUE(f.doc.SaveAs(saved, false).Ok());
  EXPECT_FALSE(f.doc.IsModified());
  EXPECT_EQ(f.doc.Path(), saved);
  const ChangeReport undone = f.doc.Undo();
  EXPECT_TRUE(undone.modified);
  EXPECT_EQ(Utf8(undone.log[1]), "元に戻しました: " + Utf8(renamed.step));
  EXPECT_EQ(f.doc.Buffer().CLayer, "WALL");
  EXPECT_FALSE(f.doc.Redo().modified);
  EXPECT_EQ(f.doc.Redo().error.code, ErrorCode::NothingToDo);
}

TEST(Document, AReaderIsToldBeforeEachOperationChangesTheBuffer) {
  Loaded f;
  std::vector<std::string> seen;  // the LINE's 20 when a change was announced
  f.doc.BeforeChange = [&] { seen.push_back(f.doc.Buffer().GetValue(21)); };
  (void)f.Edit(kValueColumn, 21, "3.0");
  (void)f.doc.Undo();
  (void)f.doc.Redo();
  (void)f.doc.Round({{2, 3}, {0, 4}});
  (void)f.doc.ChooseEncoding(TextEncoding::Utf8);
  (void)f.doc.Load(f.path);
  EXPECT_EQ(seen, (std::vector<std::string>{"2.0", "3.0", "2.0", "3.0", "3.0", "3.0"}));
}

TEST(Document, RoundingReportsItsLinesAndCount) {
  Loaded f;
  ASSERT_TRUE(f.Edit(kValueColumn, 21, "12.4999999").Ok());
  const ChangeReport rounded = f.doc.Round({{2, 3}, {0, 4}});  // step 0.5 at 0.000X(3)
  EXPECT_TRUE(rounded.Ok());
  EXPECT_EQ(rounded.count, 1);
  EXPECT_EQ(f.doc.Buffer().GetValue(21), "12.5");
  EXPECT_EQ(rounded.log.size(), 4u);  // a blank line, the summary and the two settings
  EXPECT_EQ(Utf8(rounded.log[2]), "　座標/距離　0.5単位　0.000X(3)桁");
  EXPECT_EQ(f.doc.History().StepCount(), 2);
  // A value that would snap past 1e15 is left, and a line after the summary says so.
  ASSERT_TRUE(f.Edit(kValueColumn, 20, "1234567890123456.5").Ok());
  const ChangeReport huge = f.doc.Round({{1, 0}, {0, 0}});  // whole numbers
  ASSERT_EQ(huge.log.size(), 5u);
  EXPECT_EQ(Utf8(huge.log[2]),
            "　丸めると絶対値が 10^15 以上になる 1 個の値は、そのまま残しました。");
  EXPECT_EQ(f.doc.Buffer().GetValue(20), "1234567890123456.5");
}

TEST(Document, TheModelEmptiesTheRemarksOfAChangedRecord) {
  Loaded f;
  TDXFBuffer& b = f.doc.ViewBuffer();
  for (int i = 0; i < b.PairCount; ++i) b.MakeNote(i);
  ASSERT_FALSE(b.NoteView(17).empty());
  NameEditState edit(NameKind::Layer);
  edit.Begin(2, 1, "WALL");
  edit.Report(2, "WALL-2");
  edit.Report(2, "WALL-2");
  ASSERT_TRUE(f.doc.Rename(edit, true, {"WALL"}).edit.replaced);
  EXPECT_TRUE(b.NoteView(17).empty()) << "the LINE's record is worked out again";
  EXPECT_TRUE(b.NoteView(19).empty());
  EXPECT_FALSE(b.NoteView(21).empty()) << "other pairs of the record keep theirs";
}

TEST(Document, AReplacementOfPairsIsOneStepThatRebuildsTheIndexAndTheHandles) {
  Loaded f;
  std::vector<PairReplacement> replacements(2);
  replacements[0] = {9, 4, {}};   // the LAYER record WALL
  replacements[1] = {17, 3, {}};  // the LINE's first pairs, its 10 and 20 kept
  replacements[1].pairs.Add(0, "POINT");
  const ChangeReport replaced = f.doc.ReplacePairs(std::move(replacements), "STEP", {"", "LOG"});
  EXPECT_TRUE(replaced.Ok());
  EXPECT_EQ(replaced.step, "STEP");
  EXPECT_EQ(replaced.log, (std::vector<std::string>{"", "LOG"}));
  EXPECT_EQ(replaced.firstPair, 9);
  EXPECT_EQ(replaced.count, 8);  // 7 out, 1 in
  EXPECT_TRUE(replaced.structure && replaced.handles && replaced.values && replaced.modified);
  const TDXFBuffer& b = f.doc.Buffer();
  EXPECT_EQ(b.EofIndex, 17);
  EXPECT_EQ(b.LayerCount, 0);
  EXPECT_EQ(b.EntitiesStart, 11);
  EXPECT_EQ(f.doc.ReadyHandles().Owner(0x1F), -1);
  const std::string saved = f.dir.Path() + "/replaced.dxf";
  ASSERT_TRUE(f.doc.SaveAs(saved, false).Ok());
  std::vector<std::string> lines = kLines;
  lines.erase(lines.begin() + 2 * 17, lines.begin() + 2 * 20);
  lines.insert(lines.begin() + 2 * 17, {"  0", "POINT"});
  lines.erase(lines.begin() + 2 * 9, lines.begin() + 2 * 13);
  EXPECT_EQ(ReadBytes(saved), DxfText(lines));
  const ChangeReport undone = f.doc.Undo();
  EXPECT_TRUE(undone.structure && undone.handles);
  EXPECT_EQ(f.doc.ReadyHandles().Owner(0x1F), 17);
  ASSERT_TRUE(f.doc.SaveAs(saved, false).Ok());
  EXPECT_EQ(ReadBytes(saved), DxfText(kLines));
}

// The pairs of ENTITIES, as "code value" lines.
std::vector<std::string> EntityPairs(const TDXFBuffer& b) {
  std::vector<std::string> pairs;
  for (int i = b.EntitiesStart; i <= b.EntitiesEnd; ++i)
    pairs.push_back(std::to_string(b.GetCode(i)) + " " + b.GetValue(i));
  return pairs;
}

// The texts of the check's findings.
std::vector<std::string> ProblemTexts(Document& doc) {
  std::vector<std::string> texts;
  for (const CheckProblem& p : CheckDrawing(doc.Buffer(), doc.ReadyHandles()))
    texts.push_back(p.text);
  return texts;
}

TEST(Document, APurgeIsOneStepThatLeavesACheckedDrawingWithTheSameEntities) {
  const std::string drawing = SourcePath("tests/data/purge.dxf");
  Document doc;
  ASSERT_TRUE(doc.Load(drawing).Ok());
  const std::vector<std::string> entities = EntityPairs(doc.Buffer());
  const std::vector<std::string> problemsBefore = ProblemTexts(doc);  // a layer without entry
  const PurgeList list = FindUnusedDefinitions(doc.Buffer(), doc.ReadyHandles());
  ASSERT_EQ(list.Entries().size(), 12u);
  const ChangeReport purged = doc.Purge(list, std::vector<bool>(12, true));
  ASSERT_TRUE(purged.Ok());
  EXPECT_EQ(Utf8(purged.step), "未使用の削除 12 件");
  ASSERT_EQ(purged.log.size(), 15u);  // a blank line, the header, 12 entries, the summary
  EXPECT_EQ(Utf8(purged.log[2]), "削除：画層 \"UNUSED_LAYER\"　1425 行");
  EXPECT_EQ(Utf8(purged.log.back()),
            "未使用の定義を 12 件削除しました　19402 バイト → 16522 バイト");
  EXPECT_TRUE(purged.structure && purged.handles);
  EXPECT_EQ(ProblemTexts(doc), problemsBefore) << "nothing new for the check";
  EXPECT_TRUE(FindUnusedDefinitions(doc.Buffer(), doc.ReadyHandles()).Entries().empty());
  TempDir dir;
  ASSERT_TRUE(doc.SaveAs(dir.Path() + "/purged.dxf", false).Ok());
  Document reread;
  ASSERT_TRUE(reread.Load(dir.Path() + "/purged.dxf").Ok());
  EXPECT_EQ(EntityPairs(reread.Buffer()), entities);
  EXPECT_EQ(ReadBytes(dir.Path() + "/purged.dxf").size(), 16522u);
  ASSERT_TRUE(doc.Undo().Ok());
  ASSERT_TRUE(doc.SaveAs(dir.Path() + "/undone.dxf", false).Ok());
  EXPECT_EQ(ReadBytes(dir.Path() + "/undone.dxf"), ReadBytes(drawing));
  EXPECT_EQ(doc.Purge(FindUnusedDefinitions(doc.Buffer(), doc.ReadyHandles()),
                      std::vector<bool>(12, false))
                .error.code,
            ErrorCode::NothingToDo);
}
