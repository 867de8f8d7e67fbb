// ListRowsTest.cpp - the rows and labels of the five list tabs, column set-up and fit.
#include "logic/lists/ListRows.h"

#include <gtest/gtest.h>

#include "model/text/MyStringLib.h"
#include "tests/support/TestDrawings.h"

namespace {

using Table = std::vector<std::vector<std::string>>;

std::string Text(const ListLabel& label) {
  return Utf8(label.text);
}

// The error of a list that stopped, its message in UTF-8.
template <typename T>
std::pair<ErrorCode, std::string> Failure(const Result<T>& list) {
  return {list.error().code, Utf8(list.error().message)};
}

std::pair<ErrorCode, std::string> Incomplete(const std::string& value) {
  return {ErrorCode::IncompleteList, "'" + value + "' は整数値ではありません"};
}

TEST(LayerList, ShowsTheSampleLayers) {
  TDXFBuffer b = LoadSample();
  TDXFLayerTable table;
  const ListContent list = BuildLayerList(b, table).value();
  EXPECT_EQ(Text(list.labels.at(0)), "CLAYER : 53 : 壁");
  EXPECT_EQ(list.labels[0].jumpLine, 53);
  const Table expected = {
      {"   1", "    315", "0", "   White", "Continuous", ""},
      {"   2", "    337", "壁", "   Red", "Continuous", ""},
      {"   3", "    359", "通り芯", "   Green", "一点鎖線", ""},
      {"   4", "    381", "非表示", "   Blue", "Continuous", "危険な文字[表]"},
      {"   5", "    403", "家具", "   255.128.0", "Continuous", ""},
  };
  EXPECT_EQ(Utf8Rows(list.rows), expected);
}

TEST(LayerList, ColourTextAndRowsOfTheRecordsRead) {
  // The head announces 6 of 7 layers: the buffer counts 7, the rows show the 6 read.
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|6|0|LAYER|62|3|420|255|430|RAL 1006|"
      "0|LAYER|62|3|420|65280|0|LAYER|62|-5|0|LAYER|62|-300|0|LAYER|62|0|0|LAYER|62|256|"
      "0|LAYER|0|ENDTAB|0|ENDSEC|0|EOF");
  TDXFLayerTable table;
  const ListContent list = BuildLayerList(b, table).value();
  std::vector<std::string> colours;
  for (const ListRow& row : list.rows) colours.push_back(row[3]);
  EXPECT_EQ(colours, (std::vector<std::string>{"   RAL 1006", "   0.255.0", "   Blue", "   -300",
                                               "   ByBlock", "   ByLayer"}));
  EXPECT_EQ(Text(list.labels[0]), "CLAYER : NON");
  EXPECT_EQ(list.labels[0].jumpLine, -1);
  TDXFBuffer bad =
      LoadDrawing("0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|1|0|LAYER|62|red|0|ENDTAB|0|ENDSEC|0|EOF");
  EXPECT_EQ(Failure(BuildLayerList(bad, table)), Incomplete("red"));
  TDXFBuffer none = LoadDrawing("0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF");
  EXPECT_FALSE(BuildLayerList(none, table).value().filled);
}

TEST(LtypeList, ShowsTheSampleLinetypesAndLabels) {
  TDXFBuffer b = LoadSample();
  const ListContent list = BuildLtypeList(b);
  ASSERT_EQ(list.labels.size(), 3u);
  EXPECT_EQ(Text(list.labels[0]), "LTSCALE   : 41 : 1.00 （グローバル線種尺度）");
  EXPECT_EQ(Text(list.labels[1]), "CELTSCALE : 65 : 0.50 （新規オブジェクトの線種尺度）");
  EXPECT_EQ(Text(list.labels[2]), "CELTYPE   : 57 : ByLayer （新規オブジェクトの線種）");
  const Table expected = {
      {"   1", "    197", "ByBlock", "    0.0", "", ""},
      {"   2", "    219", "ByLayer", "    0.0", "", ""},
      {"   3", "    241", "Continuous", "    0.0", "実線", ""},
      {"   4", "    263", "一点鎖線", "   18.0", "一点鎖線 ____ _ ____ _", "危険な文字[点]"},
  };
  EXPECT_EQ(Utf8Rows(list.rows), expected);
}

TEST(LtypeList, KeepsNamesAsStoredAndLeavesMissingCellsEmpty) {
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|HEADER|9|$LTSCALE|40|2.5|0|ENDSEC|0|SECTION|2|TABLES|0|TABLE|2|LTYPE|"
      "0|LTYPE|2| DASH |3|d|0|ENDTAB|0|ENDSEC|0|EOF");
  const ListContent list = BuildLtypeList(b);
  EXPECT_EQ(Utf8Rows(list.rows),
            (Table{{"   1", "     19", " DASH ", "", "d", "不適当な文字[  ]"}}));
  EXPECT_EQ(Text(list.labels[0]), "LTSCALE   : 5 : 2.50 （グローバル線種尺度）");
  EXPECT_EQ(Text(list.labels[1]), "CELTSCALE : NON");
  EXPECT_EQ(list.labels[1].jumpLine, -1);
}

// LAYER table records, BLOCKS records and ENTITIES records in one drawing.
TDXFBuffer ColourDrawing(const std::string& layers, const std::string& blocks,
                         const std::string& entities) {
  return LoadDrawing("0|SECTION|2|TABLES|0|TABLE|2|LAYER|" + layers +
                     "0|ENDTAB|0|ENDSEC|0|SECTION|2|BLOCKS|" + blocks +
                     "0|ENDSEC|0|SECTION|2|ENTITIES|" + entities + "0|ENDSEC|0|EOF");
}

TEST(ColorList, KeysJoinUsesAcrossPhases) {
  // An off layer and a line share ACI 3; two true-colour layers share one row with the
  // first layer's ACI; the red circle's key is its true colour.
  TDXFBuffer b = ColourDrawing("0|LAYER|62|-3|0|LAYER|62|7|420|255|0|LAYER|62|9|420|255|", "",
                               "0|LINE|62|3|0|LINE|0|CIRCLE|62|1|420|16711680|");
  const Table expected = {
      {"   1", "", "   3(Green)", "     1", "     0", "     1", "", ""},
      {"   2", "", "   7(White)", "     2", "     0", "     0", "0.0.255", ""},
      {"   3", "", "   1(Red)", "     0", "     0", "     1", "255.0.0", ""},
      {"   4", "", " 256(ByLayer)", "     0", "     0", "     1", "", ""},
  };
  EXPECT_EQ(Utf8Rows(BuildColorList(b).value().rows), expected);
}

TEST(ColorList, SkipsTheAnonymousBlocksAtTheHeadOfBlocks) {
  TDXFBuffer b = ColourDrawing(
      "",
      "0|BLOCK|2|*Model_Space|0|LINE|62|1|0|ENDBLK|0|BLOCK|2|*Paper_Space|0|LINE|62|1|"
      "0|ENDBLK|0|BLOCK|2|DOOR|0|ARC|62|2|0|ENDBLK|0|BLOCK|2|*D1|0|LINE|62|2|0|LINE|0|ENDBLK|",
      "");
  const Table expected = {
      {"   1", "", "   2(Yellow)", "     0", "     2", "     0", "", ""},
      {"   2", "", " 256(ByLayer)", "     0", "     1", "     0", "", ""},
  };
  EXPECT_EQ(Utf8Rows(BuildColorList(b).value().rows), expected);
}

TEST(ColorList, SortsEachPhaseBySelectionOnAciAndStopsOnBadNumbers) {
  // Keys 100 (ACI 5), 200 (ACI 5), 3: the selection sort swaps 100 behind 200.
  TDXFBuffer b = ColourDrawing("", "", "0|LINE|62|5|420|100|0|LINE|62|5|420|200|0|LINE|62|3|");
  const ColorList list = BuildColorList(b).value();
  std::vector<std::string> keys;
  for (const ColorUse& use : list.ColorUses) keys.push_back(use.Key);
  EXPECT_EQ(keys, (std::vector<std::string>{"3", "200", "100"}));
  EXPECT_EQ(Text(list.labels[0]), "CECOLOR : NON");
  const ColorList sample = BuildColorList(LoadSample()).value();
  EXPECT_EQ(Text(sample.labels[0]), "CECOLOR : 61 : ByLayer （新規オブジェクトの色）");
  EXPECT_EQ(sample.CecolorLine, 61);
  TDXFBuffer bad = ColourDrawing("", "", "0|LINE|420|x|");
  EXPECT_EQ(Failure(BuildColorList(bad)), Incomplete("x"));
  TDXFBuffer badCecolor = LoadDrawing("0|SECTION|2|HEADER|9|$CECOLOR|62|1.5|0|ENDSEC|0|EOF");
  EXPECT_EQ(Failure(BuildColorList(badCecolor)), Incomplete("1.5"));
}

TEST(BlockList, CountsInsertsInEntitiesAndInsideDefinitions) {
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|BLOCKS|0|BLOCK|2|DOOR|0|ENDBLK|0|BLOCK|2|ROOM|0|INSERT|2|DOOR|0|ENDBLK|"
      "0|BLOCK|2|*D1|0|ENDBLK|0|BLOCK|2| PAD |0|ENDBLK|0|ENDSEC|0|SECTION|2|ENTITIES|"
      "0|INSERT|2|DOOR|0|INSERT|2| DOOR |0|INSERT|2|DOOR|0|DIMENSION|2|*D1|0|INSERT|2|PAD|"
      "0|ENDSEC|0|EOF");
  const Table expected = {
      {"    1", "      5", "DOOR", "    4", ""},
      {"    2", "     11", "ROOM", "", ""},
      {"    3", "     21", "*D1", "    1", ""},
      {"    4", "     27", " PAD ", "", "不適当な文字[  ]"},
  };
  EXPECT_EQ(Utf8Rows(BuildBlockList(b).rows), expected);
}

TEST(BlockList, ListsDefinitionsOfADrawingWithoutEntities) {
  // A BLOCK without a name pair must not take the name of the record after it.
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|BLOCKS|0|BLOCK|8|0|0|LINE|2|NOT_A_NAME|0|ENDBLK|0|BLOCK|2|DOOR|0|ENDBLK|"
      "0|BLOCK|2|ROOM|0|INSERT|2|DOOR|0|ENDBLK|0|ENDSEC|0|EOF");
  const Table expected = {
      {"    1", "      5", "", "", ""},
      {"    2", "     15", "DOOR", "    1", ""},
      {"    3", "     21", "ROOM", "", ""},
  };
  EXPECT_EQ(Utf8Rows(BuildBlockList(b).rows), expected);
}

TEST(GroupList, ShowsGroupsAndResolvesMembersByHandleValue) {
  TDXFBuffer b = LoadSample();
  TDXFGroupTable table;
  const ListContent list = BuildGroupList(b, table).value();
  EXPECT_EQ(Text(list.labels[0]), "DICTIONARY : 1225 : 2 （グループの数）");
  EXPECT_EQ(list.labels[0].jumpLine, 1225);
  EXPECT_EQ(Utf8Rows(list.rows), (Table{{"   1", "   1259", "壁グループ", "      2", "外壁の線"},
                                        {"   2", "   1283", "家具", "      3", "家具と円"}}));
  // The third member is written 0042; the CIRCLE's handle is 42.
  const Table members = {{"   0", "    947", "     43", "ARC"},
                         {"   1", "   1015", "     45", "LWPOLYLINE"},
                         {"   2", "    925", "     42", "CIRCLE"}};
  EXPECT_EQ(Utf8Rows(BuildGroupMemberRows(b, table.GetGroup(1))), members);
}

TEST(GroupList, MarksBrokenLinksAndMissingGroupObjects) {
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|ENTITIES|0|ARC|5|2a|0|ENDSEC|0|SECTION|2|OBJECTS|0|DICTIONARY|3|ACAD_GROUP|"
      "350|D|0|DICTIONARY|5|D|3|G|350|E|3|LOST|350|F|0|GROUP|5|E|340|2A|340|FFF|0|ENDSEC|0|EOF");
  TDXFGroupTable table;
  const ListContent list = BuildGroupList(b, table).value();
  EXPECT_EQ(list.rows.at(1)[1], "     -1");
  EXPECT_EQ(Utf8Rows(BuildGroupMemberRows(b, table.GetGroup(0))),
            (Table{{"   0", "      5", "     2A", "ARC"}, {"   1", "", "    FFF", "リンク不良"}}));
  TDXFBuffer none = LoadDrawing("0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF");
  const ListContent empty = BuildGroupList(none, table).value();
  EXPECT_TRUE(empty.filled);
  EXPECT_EQ(Text(empty.labels[0]), "DICTIONARY : NON");
  EXPECT_TRUE(empty.rows.empty());
  TDXFBuffer bad = LoadDrawing(
      "0|SECTION|2|ENTITIES|0|ENDSEC|0|SECTION|2|OBJECTS|0|DICTIONARY|3|ACAD_GROUP|350|D|"
      "0|DICTIONARY|5|D|3|G|350|E|0|GROUP|5|E|340|2G|0|ENDSEC|0|EOF");
  EXPECT_EQ(Failure(BuildGroupList(bad, table)), Incomplete("2G"));
}

TEST(ListColumns, SetupGivesTheRestToTheLastColumnAndFitStretchesOrHides) {
  std::vector<int> widths(7, 64);  // one column more than the list has
  std::vector<std::string> headers(7, "old");
  SetupColumns(widths, headers, ListColumns(ListGrid::Layer), 600, 1);
  EXPECT_EQ(widths, (std::vector<int>{40, 50, 170, 90, 90, 155, 64}));
  EXPECT_EQ(Utf8(headers[2]), "　　　レ イ ヤ 名 称");
  EXPECT_EQ(headers[6], "old");
  widths.pop_back();
  FitColumns(widths, 600);
  EXPECT_EQ(widths, (std::vector<int>{40, 50, 170, 90, 90, 153}));
  FitColumns(widths, 200);
  EXPECT_EQ(widths, (std::vector<int>{40, 50, 106, 0, 0, 0}));
}

TEST(ListColumns, JumpsWheelAndGroupGridHeight) {
  EXPECT_EQ(JumpLineOfCell("    315"), 315);
  EXPECT_EQ(JumpLineOfCell("     -1"), -1);
  EXPECT_EQ(JumpLineOfCell(""), std::nullopt);
  EXPECT_EQ(JumpLineOfCell("ARC"), std::nullopt);
  EXPECT_EQ(BlockListWheelRow(3, /*up=*/true, 20), 1);
  EXPECT_EQ(BlockListWheelRow(19, /*up=*/false, 20), 19);
  EXPECT_EQ(BlockListWheelRow(12, /*up=*/false, 20), 17);
  EXPECT_EQ(GroupGridHeight(3, 15, 500), 64);
  EXPECT_EQ(GroupGridHeight(41, 15, 500), 250);
}

// Every row's line column points at a record of the list's type.
void ExpectRowsPointAt(const TDXFBuffer& b, const std::vector<ListRow>& rows,
                       const std::string& type, const std::string& file) {
  for (const ListRow& row : rows) {
    const int pair = (JumpLineOfCell(row[1]).value_or(0) - 1) / 2;
    EXPECT_EQ(b.GetCode(pair), 0) << file << " " << row[1];
    EXPECT_EQ(Trim(b.ValueView(pair)), type) << file << " " << row[1];
  }
}

TEST(CorpusLists, RowsPointAtTheirRecords) {
  if (CorpusTextFiles().empty()) GTEST_SKIP() << "the shared corpus is not there";
  for (const std::string& file : CorpusTextFiles()) {
    TDXFBuffer b;
    if (b.LoadFromFile(file) != 0) continue;
    TDXFLayerTable layers;
    TDXFGroupTable groups;
    ExpectRowsPointAt(b, BuildLayerList(b, layers).value().rows, "LAYER", file);
    ExpectRowsPointAt(b, BuildLtypeList(b).rows, "LTYPE", file);
    const ListContent blocks = BuildBlockList(b);
    EXPECT_EQ(blocks.rows.size(), static_cast<std::size_t>(b.BlockCount)) << file;
    ExpectRowsPointAt(b, blocks.rows, "BLOCK", file);
    ExpectRowsPointAt(b, BuildGroupList(b, groups).value().rows, "GROUP", file);
  }
}

}  // namespace
