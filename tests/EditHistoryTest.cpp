// EditHistoryTest.cpp - undo and redo: exact bytes, the saved state, redo, the budget
// and the index.
#include "logic/document/EditHistory.h"

#include <gtest/gtest.h>

#include <functional>  // std::function

#include "logic/grid/GridEdit.h"
#include "logic/rename/NameReplace.h"
#include "logic/rounding/RoundingTool.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/Sjis.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDrawings.h"

namespace {

using Action = std::function<void(TDXFBuffer&, MessageLog&)>;

// Pairs 0-4 the HEADER with $CLAYER, 5-11 ENTITIES with one LINE, 12 the EOF.
constexpr std::string_view kSmall =
    "0|SECTION|2|HEADER|9|$CLAYER|8|WALL|0|ENDSEC|"
    "0|SECTION|2|ENTITIES|0|LINE|8|WALL|10|1.0|20|2.0|0|ENDSEC|"
    "0|EOF";

// Saves the buffer under a new name in dir and returns the file's bytes.
std::string SavedBytes(TDXFBuffer& buffer, TempDir& dir, const std::string& name) {
  buffer.SetFileName(dir.Path() + "/" + name);
  EXPECT_EQ(buffer.SaveToFile(), 0);
  return ReadBytes(buffer.FileName);
}

// One user action of each kind, as the window's change paths run them.
const struct {
  const char* label;
  Action act;
} kActions[] = {
    {"value edit", [](TDXFBuffer& b, MessageLog&) { b.SetValue(b.EntitiesStart + 3, " 12.5"); }},
    {"code edit", [](TDXFBuffer& b, MessageLog&) { b.SetCode(b.EntitiesStart + 3, 11); }},
    {"one pair twice",
     [](TDXFBuffer& b, MessageLog&) {
       b.SetValue(b.EntitiesStart + 3, "7");
       b.SetValue(b.EntitiesStart + 3, "");
     }},
    {"layer rename",
     [](TDXFBuffer& b, MessageLog& log) { ReplaceLayerName(b, Sjis("壁"), Sjis("外壁"), log); }},
    {"linetype rename",
     [](TDXFBuffer& b, MessageLog& log) { ReplaceLtypeName(b, Sjis("一点鎖線"), "CENTER", log); }},
    {"block rename",
     [](TDXFBuffer& b, MessageLog& log) { ReplaceBlockName(b, Sjis("扉"), "DOOR", log); }},
    {"rounding, step 0 digit 0",
     [](TDXFBuffer& b, MessageLog&) {
       RoundEntities(b, {0, 0, 0, 0});
     }},
    {"record start renamed",
     [](TDXFBuffer& b, MessageLog&) { b.SetValue(b.EntitiesStart + 2, "XLINE"); }},
    {"a record replaced between value edits",
     [](TDXFBuffer& b, MessageLog&) {
       const int entity = b.EntitiesStart + 2;
       b.SetValue(entity + 1, "edited, then taken out");
       std::vector<PairReplacement> replacements(1);
       replacements[0] = {entity, NextRecord(b, entity) - entity, {}};
       replacements[0].pairs.Add(0, "POINT");
       ASSERT_TRUE(b.ReplacePairs(replacements));
       b.SetValue(entity, "POINT ");
     }},
};

// The sample drawing with a history listening; the history goes before the buffer.
struct OnSample {
  TempDir dir;
  TDXFBuffer buffer = LoadSample();
  const std::string loaded = ReadBytes(SourcePath("examples/sample.dxf"));
  EditHistory history;
  RecordingLog log;
  OnSample() { history.Attach(buffer); }
  std::string Saved(const std::string& name) { return SavedBytes(buffer, dir, name); }
};

}  // namespace

TEST(EditHistory, UndoAndRedoOfEachKindOfStepGiveTheExactBytes) {
  for (const auto& action : kActions) {
    SCOPED_TRACE(action.label);
    OnSample s;
    action.act(s.buffer, s.log);
    ASSERT_TRUE(s.history.Seal(action.label).done);
    const std::string changed = s.Saved("changed.dxf");
    ASSERT_NE(changed, s.loaded);
    EXPECT_EQ(s.history.Undo().name, action.label);
    EXPECT_EQ(s.Saved("undone.dxf"), s.loaded);
    EXPECT_TRUE(s.history.Redo().done);
    EXPECT_EQ(s.Saved("redone.dxf"), changed);
    EXPECT_FALSE(s.history.HasOpenChanges()) << "an undo or redo is no new change";
  }
}

TEST(EditHistory, EveryStepUndoneGivesTheLoadedFileAndRedoneTheChangedOne) {
  OnSample s;
  for (const auto& action : kActions) {
    action.act(s.buffer, s.log);
    s.history.Seal(action.label);
  }
  const std::string changed = s.Saved("changed.dxf");
  std::vector<std::string> undone;
  while (s.history.CanUndo()) undone.push_back(s.history.Undo().name);
  EXPECT_EQ(undone.size(), std::size(kActions));
  EXPECT_EQ(undone.front(), kActions[std::size(kActions) - 1].label);
  EXPECT_EQ(s.Saved("undone.dxf"), s.loaded);
  while (s.history.CanRedo()) s.history.Redo();
  EXPECT_EQ(s.Saved("redone.dxf"), changed);
}

// C: a change sealed as a step, S: a save, U: undo, R: redo, L: a load. The expected
// text has one letter per operation: "s" when the buffer is in its saved state.
TEST(EditHistory, TheSavedStateFollowsSavesUndosAndRedos) {
  const struct {
    const char* operations;
    const char* saved;
  } cases[] = {
      {"CUR", "-s-"},       {"CSUR", "-s-s"}, {"CCSUU", "--s--"},
      {"CUC", "-s-"},       {"CUCU", "-s-s"}, {"CCSUUCU", "--s----"},
      {"CSCUUR", "-s-s-s"}, {"CCLU", "--ss"}, {"SCSU", "s-s-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operations);
    TDXFBuffer buffer = LoadDrawing(kSmall);
    EditHistory history;
    history.Attach(buffer);
    std::string saved;
    int edits = 0;
    for (const char* op = c.operations; *op; ++op) {
      switch (*op) {
        case 'C':
          buffer.SetValue(8, std::to_string(++edits));
          history.Seal("C");
          break;
        case 'S':
          history.MarkSaved();
          break;
        case 'U':
          history.Undo();
          break;
        case 'R':
          history.Redo();
          break;
        case 'L':
          history.Clear();
          break;
      }
      saved += history.IsAtSaved() ? 's' : '-';
    }
    EXPECT_EQ(saved, c.saved);
  }
}

TEST(EditHistory, ANewChangeClearsRedoAndAnEmptyActionMakesNoStep) {
  TDXFBuffer buffer = LoadDrawing(kSmall);
  EditHistory history;
  history.Attach(buffer);
  buffer.SetValue(8, "3.0");
  history.Seal(Sjis("グループデータ変更 行 17"));
  buffer.SetValue(9, "4.0");
  history.Seal(Sjis("グループデータ変更 行 19"));
  history.Undo();
  EXPECT_EQ(history.RedoName(), Sjis("グループデータ変更 行 19"));
  buffer.SetValue(8, "5.0");
  history.Seal(Sjis("グループデータ変更 行 17"));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_FALSE(history.Redo().done);
  EXPECT_EQ(buffer.GetValue(9), "1.0");
  // A refused edit or a rename that found nothing changes nothing: no step.
  buffer.SetValue(8, "5.0");
  EXPECT_FALSE(history.Seal("same text").done);
  EXPECT_EQ(history.StepCount(), 2);
  EXPECT_EQ(history.UndoName(), Sjis("グループデータ変更 行 17"));
}

TEST(EditHistory, ARenameUndoneRestoresTheCurrentLayer) {
  TDXFBuffer buffer = LoadDrawing(kSmall);
  EditHistory history;
  history.Attach(buffer);
  RecordingLog log;
  ReplaceLayerName(buffer, "WALL", "WALL-2", log);
  EXPECT_TRUE(history.Seal("rename").rebuiltIndex);
  EXPECT_EQ(buffer.CLayer, "WALL-2");
  EXPECT_TRUE(history.Undo().rebuiltIndex);
  EXPECT_EQ(buffer.CLayer, "WALL");
  EXPECT_EQ(buffer.GetValue(8), "WALL");
  history.Redo();
  EXPECT_EQ(buffer.CLayer, "WALL-2");
}

// Each step changes the structure the index is built from; undo must bring back the
// index of the loaded drawing, redo that of the changed one.
TEST(EditHistory, UndoOfAStructuralChangeRebuildsTheIndex) {
  const struct {
    const char* label;
    Action act;
    int entitiesEnd, eofIndex;  // after the change
  } cases[] = {
      {"ENDSEC's code changed", [](TDXFBuffer& b, MessageLog&) { b.SetCode(11, 1); }, 0, 12},
      {"ENDSEC named otherwise", [](TDXFBuffer& b, MessageLog&) { b.SetValue(11, "X"); }, 0, 12},
      {"a SECTION named otherwise", [](TDXFBuffer& b, MessageLog&) { b.SetValue(6, "OBJECTS"); }, 0,
       12},
      // The index ends at the last EOF pair and clears the pairs after it.
      {"an earlier EOF",
       [](TDXFBuffer& b, MessageLog&) {
         b.SetValue(7, "EOF");
         b.SetValue(12, "X");
       },
       0, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    TDXFBuffer buffer = LoadDrawing(kSmall);
    const std::string loaded = SavedBytes(buffer, dir, "loaded.dxf");
    EditHistory history;
    history.Attach(buffer);
    RecordingLog log;
    c.act(buffer, log);
    EXPECT_TRUE(history.Seal(c.label).rebuiltIndex);
    EXPECT_EQ(buffer.EntitiesEnd, c.entitiesEnd);
    EXPECT_EQ(buffer.EofIndex, c.eofIndex);
    EXPECT_TRUE(history.Undo().rebuiltIndex);
    EXPECT_EQ(buffer.EntitiesEnd, 11);
    EXPECT_EQ(buffer.EofIndex, 12);
    EXPECT_EQ(SavedBytes(buffer, dir, "undone.dxf"), loaded) << "pairs after EOF come back";
    history.Redo();
    EXPECT_EQ(buffer.EntitiesEnd, c.entitiesEnd);
    EXPECT_EQ(buffer.EofIndex, c.eofIndex);
  }
}

TEST(EditHistory, TheBudgetDropsTheOldestStepsAndSaysSoOnce) {
  const struct {
    const char* label;
    HistoryLimits limits;
    int kept;  // of five one-value steps, each holding a 1000-byte value
  } cases[] = {
      {"within both", {std::size_t{1} << 20, 10}, 5},
      {"three steps", {std::size_t{1} << 20, 3}, 3},
      {"bytes for two", {2600, 1000}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TDXFBuffer buffer = LoadDrawing(kSmall);
    EditHistory history(c.limits);
    history.Attach(buffer);
    std::vector<std::string> notices;
    for (int k = 1; k <= 5; ++k) {
      buffer.SetValue(8, std::string(1000, static_cast<char>('a' + k)));
      const StepReport report = history.Seal("step " + std::to_string(k));
      if (!report.notice.empty()) notices.push_back(report.notice);
    }
    EXPECT_EQ(history.StepCount(), c.kept);
    EXPECT_EQ(notices.size(), c.kept < 5 ? 1u : 0u);
    EXPECT_LE(history.StoredBytes(), c.limits.bytes);
    while (history.CanUndo()) history.Undo();
    EXPECT_EQ(buffer.GetValue(8),
              c.kept < 5 ? std::string(1000, static_cast<char>('a' + 5 - c.kept)) : "WALL");
  }
}

TEST(EditHistory, AStepLargerThanTheBudgetClearsTheHistory) {
  TDXFBuffer buffer = LoadDrawing(kSmall);
  EditHistory history({.bytes = 1000, .steps = 1000});
  history.Attach(buffer);
  buffer.SetValue(8, "3.0");
  history.Seal("small");
  buffer.SetValue(9, std::string(900, 'x'));
  buffer.SetValue(9, std::string(900, 'y'));
  const StepReport report = history.Seal("large");
  EXPECT_TRUE(report.done);
  EXPECT_EQ(Utf8(report.notice),
            "この変更は大きすぎて元に戻せません。これより前の変更も元に戻せなくなりました");
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.IsAtSaved()) << "the loaded state is out of reach";
  EXPECT_EQ(buffer.GetValue(9), std::string(900, 'y'));
}

TEST(EditHistory, AReplacementKeepsOnlyWhatItTookOutNotTheDrawing) {
  std::string text = "0|SECTION|2|ENTITIES";
  for (int k = 0; k < 20000; ++k) text += "|0|POINT|10|" + std::to_string(k);
  TDXFBuffer buffer = LoadDrawing(text + "|0|ENDSEC|0|EOF");
  EditHistory history;
  history.Attach(buffer);
  std::vector<PairReplacement> replacements(1);
  replacements[0] = {4, 2, {}};
  ASSERT_TRUE(buffer.ReplacePairs(replacements));
  ASSERT_TRUE(history.Seal("out").done);
  EXPECT_LT(history.StoredBytes(), 1024u) << "for a drawing of 40004 pairs";
  EXPECT_EQ(buffer.PairCount, 40002);
}
