// NameReplaceTest.cpp - the replacement scans and the name edit of the list tabs.
#include "logic/rename/NameReplace.h"

#include <gtest/gtest.h>

#include "logic/lists/ListRows.h"
#include "tests/support/TestDrawings.h"

namespace {

// Keeps the log lines, converted to UTF-8.
class RecordingLog : public MessageLog {
 public:
  std::vector<std::string> lines;
  int Add(const std::string& line) override {
    lines.push_back(Utf8OfProgramText(line));
    return static_cast<int>(lines.size());
  }
};

std::string Value(const TDXFBuffer& b, int pair) {
  return Utf8(b.GetValue(pair));
}

// Pairs 3 ($CLAYER), 11 (LAYER record), 19 (STYLE name), 25 (LINE), 27 (padded), 28
// (text) and 31 (INSERT's block) hold the name 壁.
constexpr char kLayerDrawing[] =
    "0|SECTION|2|HEADER|9|$CLAYER|8|壁|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|2|"
    "0|LAYER|2|壁|6|CONT|0|LAYER|2|柱|0|ENDTAB|0|TABLE|2|STYLE|0|STYLE|2|壁|0|ENDTAB|0|ENDSEC|"
    "0|SECTION|2|ENTITIES|0|LINE|8|壁|0|TEXT|8| 壁 |1|壁|0|INSERT|8|柱|2|壁|0|ENDSEC|0|EOF";

TEST(ReplaceLayerName, RewritesTheRecordClayerAndEveryLayerReference) {
  TDXFBuffer b = LoadDrawing(kLayerDrawing);
  RecordingLog log;
  EXPECT_EQ(ReplaceLayerName(b, Sjis("壁"), Sjis("外壁"), log), 4);
  const std::vector<std::string> expected = {
      "",
      "レイヤ名置き換え       7 : SECTION      \"壁\"　→　\"外壁\"",
      "レイヤ名置き換え      23 : LAYER        \"壁\"　→　\"外壁\"",
      "レイヤ名置き換え      51 : LINE         \"壁\"　→　\"外壁\"",
      "レイヤ名置き換え      55 : TEXT         \"壁\"　→　\"外壁\"",
      "4個のレイヤ名を置き換えました"};
  EXPECT_EQ(log.lines, expected);
  for (int pair : {3, 11, 25, 27}) EXPECT_EQ(Value(b, pair), "外壁") << pair;
  for (int pair : {19, 28, 31}) EXPECT_EQ(Value(b, pair), "壁") << pair;
  b.BuildIndex();
  EXPECT_EQ(Utf8(ClayerLabel(b).text), "CLAYER : 5 : 外壁");
}

TEST(ReplaceLtypeName, RewritesTheRecordCeltypeLayersAndEntities) {
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|HEADER|9|$CELTYPE|6|CONTINUOUS|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LTYPE|"
      "0|LTYPE|2|CONTINUOUS|0|ENDTAB|0|TABLE|2|LAYER|0|LAYER|2|CONTINUOUS|6|CONTINUOUS|"
      "0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES|0|LINE|6|CONTINUOUS|0|ENDSEC|0|EOF");
  RecordingLog log;
  EXPECT_EQ(ReplaceLtypeName(b, "CONTINUOUS", "SOLID", log), 4);
  EXPECT_EQ(log.lines[2], "線種名置き換え      21 : LTYPE        \"CONTINUOUS\"　→　\"SOLID\"");
  EXPECT_EQ(log.lines[3], "線種名置き換え      33 : LAYER        \"CONTINUOUS\"　→　\"SOLID\"");
  EXPECT_EQ(log.lines.back(), "4個の線種名を置き換えました");
  EXPECT_EQ(Value(b, 15), "CONTINUOUS");  // a layer of that name keeps it
  b.BuildIndex();
  EXPECT_EQ(Utf8(LtypeLabels(b)[2].text), "CELTYPE   : 5 : SOLID （新規オブジェクトの線種）");
}

TEST(ReplaceBlockName, RewritesDefinitionAndInsertsOnly) {
  // The block record (5), the BLOCK's code 3 (12), a DIMENSION after a nameless BLOCK
  // (22), a padded name (31) and a DIMENSION's block (33) keep the old name.
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|TABLES|0|TABLE|2|BLOCK_RECORD|0|BLOCK_RECORD|2|DOOR|0|ENDTAB|0|ENDSEC|"
      "0|SECTION|2|BLOCKS|0|BLOCK|2|DOOR|3|DOOR|0|ENDBLK|0|BLOCK|2|ROOM|0|INSERT|2|DOOR|0|ENDBLK|"
      "0|BLOCK|8|0|0|DIMENSION|3|DOOR|0|ENDBLK|0|ENDSEC|0|SECTION|2|ENTITIES|"
      "0|INSERT|8|0|2|DOOR|0|INSERT|2| DOOR|0|DIMENSION|2|DOOR|0|ENDSEC|0|EOF");
  RecordingLog log;
  EXPECT_EQ(ReplaceBlockName(b, "DOOR", "GATE", log), 3);
  const std::vector<std::string> expected = {"",
                                             "ブロック名置き換え      23 : BLOCK    DOOR　→　GATE",
                                             "ブロック名置き換え      35 : INSERT   DOOR　→　GATE",
                                             "ブロック名置き換え      59 : INSERT   DOOR　→　GATE"};
  EXPECT_EQ(log.lines, expected);
  for (int pair : {5, 12, 22, 33}) EXPECT_EQ(Value(b, pair), "DOOR") << pair;
  TDXFBuffer noEntities = LoadDrawing(
      "0|SECTION|2|BLOCKS|0|BLOCK|2|DOOR|0|ENDBLK|0|BLOCK|2|ROOM|0|INSERT|2|DOOR|0|ENDBLK|"
      "0|ENDSEC|0|EOF");
  EXPECT_EQ(ReplaceBlockName(noEntities, "DOOR", "GATE", log), 2);
}

TEST(NameEditState, EditsOnlyTheNameColumnAndARepeatEndsTheEdit) {
  EXPECT_TRUE(NameEditState::IsEditable(2, "Editor"));
  EXPECT_FALSE(NameEditState::IsEditable(2, "Viewer"));
  EXPECT_FALSE(NameEditState::IsEditable(3, "Editor"));
  NameEditState edit(NameKind::Layer);
  edit.Begin(3, 1, "x");
  EXPECT_EQ(edit.OldName, "");
  EXPECT_EQ(edit.Report(3, "y"), NameEditStep::Ignore);
  edit.Begin(2, 3, Sjis("壁"));
  EXPECT_EQ(edit.Report(2, Sjis("外")), NameEditStep::InProgress);
  EXPECT_EQ(edit.Report(2, Sjis("外壁")), NameEditStep::InProgress);
  EXPECT_EQ(edit.Report(2, Sjis("外壁")), NameEditStep::Confirm);
  EXPECT_EQ(Utf8(edit.Question()),
            "変更したレイヤ名を置き換えますか？\r　変更前：壁\r　変更後：外壁\r");
  edit.Begin(2, 3, Sjis("壁"));
  EXPECT_EQ(edit.Report(2, Sjis("外")), NameEditStep::InProgress);
  EXPECT_EQ(edit.Report(2, Sjis("壁")), NameEditStep::InProgress);
  EXPECT_EQ(edit.Report(2, Sjis("壁")), NameEditStep::Unchanged);
}

// Edits the name of a layer row (row 1, 壁, unless told) into newName and decides with `yes`.
NameEditResult EditLayer(TDXFBuffer& b, const std::string& newName, bool yes, RecordingLog& log,
                         int row = 1) {
  TDXFLayerTable table;
  const ListContent list = BuildLayerList(b, table).value();
  NameEditState edit(NameKind::Layer);
  edit.Begin(2, row, list.rows[static_cast<std::size_t>(row - 1)][2]);
  const std::string typed = ProgramTextOfUtf8(newName);
  edit.Report(2, typed);
  EXPECT_EQ(edit.Report(2, typed), NameEditStep::Confirm);
  NameEditResult result = edit.Decide(yes, list.names, b, log);
  EXPECT_EQ(edit.OldName, typed);
  return result;
}

TEST(NameEditState, RefusesANameAnotherRowHoldsAndRestoresTheCell) {
  TDXFBuffer b = LoadDrawing(kLayerDrawing);
  RecordingLog log;
  const NameEditResult taken = EditLayer(b, "柱", /*yes=*/true, log);
  ASSERT_EQ(taken.refusals.size(), 1u);
  EXPECT_EQ(Utf8(taken.refusals[0]), "2番に同じレイヤ名があるので置き換え出来ません");
  EXPECT_FALSE(taken.replaced);
  EXPECT_EQ(std::make_pair(taken.row, taken.col), std::make_pair(1, 2));
  EXPECT_EQ(Utf8(taken.text), "壁");
  const NameEditResult no = EditLayer(b, "外壁", /*yes=*/false, log);
  EXPECT_FALSE(no.replaced);
  EXPECT_EQ(Utf8(no.text), "壁");
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(Value(b, 3), "壁");
}

TEST(NameEditState, ANameIsTakenWhateverTheCaseOfItsLetters) {
  const struct {
    const char* typed;
    bool refused;
  } cases[] = {
      {"WALL", true},   {"Wall", true}, {"wall", true},
      {"ア", false},  // 0x83 0x41: its trail byte is no letter "A" to fold to ヂ's 0x61
      {"wall2", false},
  };
  constexpr char kDrawing[] =
      "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|3|0|LAYER|2|壁|0|LAYER|2|wall|0|LAYER|2|ヂ|"
      "0|ENDTAB|0|ENDSEC|0|EOF";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    TDXFBuffer b = LoadDrawing(kDrawing);
    RecordingLog log;
    const NameEditResult result = EditLayer(b, c.typed, /*yes=*/true, log);
    EXPECT_EQ(result.refusals.size(), c.refused ? 1u : 0u);
    EXPECT_EQ(result.replaced, !c.refused);
  }
}

TEST(NameEditState, AnAcceptedEditReplacesAndGivesTheRemark) {
  TDXFBuffer b = LoadDrawing(kLayerDrawing);
  RecordingLog log;
  const NameEditResult yes = EditLayer(b, "外 壁", /*yes=*/true, log);
  EXPECT_TRUE(yes.replaced);
  EXPECT_EQ(yes.col, 5);
  EXPECT_EQ(Utf8(yes.text), "不適当な文字[ ]");
  EXPECT_EQ(log.lines.back(), "4個のレイヤ名を置き換えました");
  EXPECT_EQ(Value(b, 11), "外 壁");
  EXPECT_EQ(Utf8(DuplicateMessage(NameKind::Ltype, 3)),
            "3番に同じ線種名があるので置き換え出来ません");
  EXPECT_EQ(Utf8(ConfirmationText(NameKind::Block, "A", "B")),
            "変更したブロック名を置き換えますか？\r　変更前：A\r　変更後：B\r");
  EXPECT_EQ(NameEditState(NameKind::Block).RemarkColumn(), 4);
  EXPECT_FALSE(NameEditState(NameKind::Block).RebuildsIndex());
}

TEST(NameEditState, RenamesInAUtf8DrawingAndRefusesWhatItsEncodingLacks) {
  constexpr char kUtf8Drawing[] =
      "0|SECTION|2|HEADER|9|$ACADVER|1|AC1032|9|$CLAYER|8|壁|0|ENDSEC|0|SECTION|2|TABLES|"
      "0|TABLE|2|LAYER|70|2|0|LAYER|2|壁|0|LAYER|2|Строения|0|ENDTAB|0|ENDSEC|"
      "0|SECTION|2|ENTITIES|0|LINE|8|壁|0|ENDSEC|0|EOF";
  TDXFBuffer b = LoadUtf8Drawing(kUtf8Drawing);
  RecordingLog log;
  const NameEditResult yes = EditLayer(b, "外壁é", /*yes=*/true, log);
  EXPECT_TRUE(yes.replaced);
  EXPECT_EQ(yes.text, "");  // an acceptable name
  for (int pair : {5, 13, 21}) EXPECT_EQ(b.GetValue(pair), "外壁é") << pair;
  EXPECT_EQ(log.lines[2], "レイヤ名置き換え      27 : LAYER        \"壁\"　→　\"外壁é\"");

  b.SetEncoding(TextEncoding::Cp1251);  // chosen by hand: Cyrillic only
  RecordingLog refusedLog;
  const NameEditResult refused = EditLayer(b, "柱", /*yes=*/true, refusedLog);
  EXPECT_FALSE(refused.replaced);
  ASSERT_EQ(refused.refusals.size(), 1u);
  EXPECT_EQ(Utf8OfProgramText(refused.refusals[0]),
            "「柱」はこの図面の文字コード cp1251 では書き込めません");
  EXPECT_TRUE(refusedLog.lines.empty());
}

TEST(NameEditState, ReplacesTheNameAsTheFileStoresIt) {
  // Each drawing's layer row 2 has a name whose stored bytes are not what its shown text
  // would be stored as; every pair that holds those bytes is renamed all the same.
  const struct {
    const char* drawing;  // UTF-8 fixture; "@" stands for the stored old name
    bool utf8;
    std::string stored;  // the old name's bytes
    const char* shown;   // how the list shows it (UTF-8)
  } cases[] = {
      {"0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|2|0|LAYER|2|0|0|LAYER|2|@|0|ENDTAB|0|ENDSEC|"
       "0|SECTION|2|ENTITIES|0|LINE|8|@|0|ENDSEC|0|EOF",
       false, "\\U+58C1", "壁"},  // an escape CP932 could write as the character
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1032|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LAYER|"
       "70|2|0|LAYER|2|0|0|LAYER|2|@|0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES|0|LINE|8|@|"
       "0|ENDSEC|0|EOF",
       true, "Tsch\\U+00fcss", "Tschüss"},  // an escape in lower-case hex
      {"0|SECTION|2|HEADER|9|$ACADVER|1|AC1032|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LAYER|"
       "70|2|0|LAYER|2|0|0|LAYER|2|@|0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES|0|LINE|8|@|"
       "0|ENDSEC|0|EOF",
       true, "A\xFF", "A\uFFFD"},  // a byte UTF-8 cannot read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    std::string drawing = c.drawing;
    for (std::size_t at; (at = drawing.find('@')) != std::string::npos;)
      drawing.replace(at, 1, c.stored);
    TDXFBuffer b = c.utf8 ? LoadUtf8Drawing(drawing) : LoadDrawingText(drawing, false);
    TDXFLayerTable table;
    ASSERT_EQ(Utf8OfProgramText(BuildLayerList(b, table).value().rows[1][2]), c.shown);
    RecordingLog log;
    const NameEditResult result = EditLayer(b, "外壁", /*yes=*/true, log, 2);
    EXPECT_TRUE(result.replaced);
    EXPECT_TRUE(result.refusals.empty());
    const std::string newName = c.utf8 ? "外壁" : Sjis("外壁");
    EXPECT_EQ(result.storedName, newName);
    std::vector<int> renamed;
    for (int i = 0; i < b.PairCount; ++i)
      if (b.GetValue(i) == newName) renamed.push_back(i);
    EXPECT_EQ(renamed.size(), 2u);
    EXPECT_EQ(log.lines.back(), "2個のレイヤ名を置き換えました");
  }
}

}  // namespace

// The index fields a rename can reach, as one comparable text.
static std::string IndexOf(const TDXFBuffer& b) {
  std::string index;
  for (int field : {b.HeaderStart, b.HeaderEnd, b.TablesStart, b.TablesEnd, b.EntitiesStart,
                    b.EntitiesEnd, b.EofIndex, b.CLayerIndex, b.CeltTypeIndex, b.LayerCount,
                    b.LtypeCount, b.LayerTableIndex, b.LtypeTableIndex})
    index += std::to_string(field) + ",";
  return index + Utf8(b.CLayer) + "," + b.CeltType;
}

// The buffer keeps its own index after a rename (UpdateCaches), as BuildIndex would.
TEST(UpdateCachesAfterRename, GivesWhatBuildIndexGives) {
  const struct {
    const char* drawing;
    NameKind kind;
    const char* oldName;
    const char* newName;
  } cases[] = {
      {kLayerDrawing, NameKind::Layer, "壁", "外壁"},
      {"0|SECTION|2|HEADER|9|$CELTYPE|6|DASH|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LTYPE|"
       "0|LTYPE|2|DASH|0|ENDTAB|0|ENDSEC|0|EOF",
       NameKind::Ltype, "DASH", "DOT"},
      // A malformed file whose section name pair is a layer reference.
      {"0|SECTION|8|X|0|LINE|8|X|0|ENDSEC|0|EOF", NameKind::Layer, "X", "ENTITIES"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.newName);
    TDXFBuffer refreshed = LoadDrawing(c.drawing), rebuilt = LoadDrawing(c.drawing);
    const std::string before = IndexOf(rebuilt);
    RecordingLog log;
    std::vector<int> pairs;
    ReplaceName(c.kind, refreshed, Sjis(c.oldName), Sjis(c.newName), log, &pairs);
    (void)refreshed.UpdateCaches();
    ReplaceName(c.kind, rebuilt, Sjis(c.oldName), Sjis(c.newName), log);
    rebuilt.BuildIndex();
    EXPECT_EQ(IndexOf(refreshed), IndexOf(rebuilt));
    EXPECT_NE(IndexOf(rebuilt), before);
  }
}
