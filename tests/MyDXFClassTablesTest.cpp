// MyDXFClassTablesTest.cpp - the layer and group tables and the three name checks.
#include "model/tables/MyDXFClassTables.h"

#include <gtest/gtest.h>

#include "model/text/MyStringLib.h"
#include "tests/support/TestDrawings.h"

namespace {

// A LAYER table whose head carries `head` (e.g. "70|3|"), then the given records.
TDXFBuffer LayerTable(const std::string& head, const std::string& records) {
  return LoadDrawing("0|SECTION|2|TABLES|0|TABLE|2|LAYER|" + head + records +
                     "0|ENDTAB|0|ENDSEC|0|EOF");
}

std::string Layers(int n) {
  std::string lines;
  for (int k = 0; k < n; ++k) lines += "0|LAYER|2|L" + std::to_string(k) + "|";
  return lines;
}

TEST(TDXFLayerTable, ReadsFieldsWithDefaultsForAbsentCodes) {
  TDXFBuffer b = LayerTable("70|2|",
                            "0|LAYER|5|1a|2| 壁 |6|DASHED|62| -5|70|4|370|25|420|255|"
                            "430|DIC 7|0|LAYER|2|BARE|");
  TDXFLayerTable table;
  ASSERT_EQ(table.Build(b), 0);
  ASSERT_EQ(table.Layers.size(), 2u);
  const TDXFLayer full = table.GetLayer(0);
  EXPECT_EQ(full.Index, 5);
  EXPECT_EQ(full.Handle, 0x1A);
  EXPECT_EQ(full.Name, Sjis("壁"));
  EXPECT_EQ(full.LineType, "DASHED");
  EXPECT_EQ(full.Color, -5);
  EXPECT_EQ(full.Flags, 4);
  EXPECT_EQ(full.LineWeight, 25);
  EXPECT_EQ(full.TrueColor, 255);
  EXPECT_EQ(full.BookName, "DIC 7");
  EXPECT_EQ(table.GetLayer(1).Color, 7);
  EXPECT_EQ(table.GetLayer(1).TrueColor, -1);
}

TEST(TDXFLayerTable, ReadsAtMostTheAnnouncedCountAndOnlyRecordsThatExist) {
  const struct {
    std::string head;
    int present;
    std::size_t read;
  } cases[] = {{"70|3|", 5, 3}, {"70|5|", 5, 5}, {"70|10|", 2, 2}, {"", 4, 0}, {"70|-1|", 2, 0}};
  for (const auto& c : cases) {
    TDXFBuffer b = LayerTable(c.head, Layers(c.present));
    TDXFLayerTable table;
    ASSERT_EQ(table.Build(b), 0);
    EXPECT_EQ(table.Layers.size(), c.read) << c.head;
  }
}

TEST(TDXFLayerTable, FailuresLeaveNoRecordsBehind) {
  TDXFLayerTable table;
  TDXFBuffer withLayers = LayerTable("70|1|", Layers(1));
  ASSERT_EQ(table.Build(withLayers), 0);
  TDXFBuffer none = LoadDrawing("0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF");
  EXPECT_EQ(table.Build(none), -1);
  EXPECT_TRUE(table.Layers.empty());
  // The index names the table by the value after TABLE; the head's code 2 says STYLE.
  TDXFBuffer other = LoadDrawing(
      "0|SECTION|2|TABLES|0|TABLE|1000|LAYER|2|STYLE|70|1|0|LAYER|0|ENDTAB|0|ENDSEC|0|EOF");
  EXPECT_EQ(table.Build(other), -5);
  for (const std::string value : {"62| red ", "5|XYZ", "370|1.5"}) {
    TDXFBuffer bad = LayerTable("70|1|", "0|LAYER|" + value + "|");
    EXPECT_EQ(table.Build(bad), kTableBadValue) << value;
    const std::string shown = Trim(value.substr(value.find('|') + 1));
    EXPECT_EQ(table.Failure, "'" + shown + Sjis("' は整数値ではありません"));
  }
}

// ENTITIES with two handles, then OBJECTS with the root dictionary and the group
// dictionary D holding the given entries, and the given objects.
TDXFBuffer GroupDrawing(const std::string& entries, const std::string& objects) {
  return LoadDrawing(
      "0|SECTION|2|ENTITIES|0|LINE|5|2A|0|CIRCLE|5|2b|0|ENDSEC|0|SECTION|2|OBJECTS|"
      "0|DICTIONARY|5|C|3|ACAD_GROUP|350|D|0|DICTIONARY|5|D|" +
      entries + objects + "0|ENDSEC|0|EOF");
}

TEST(TDXFGroupTable, PairsNamesWithHandlesAndReadsGroupObjects) {
  TDXFBuffer b = GroupDrawing("3| 外壁 |350|50|3|MISSING|350|99|",
                              "0|GROUP|5|0050|300|outer|340|2a|340|002B|340|77|");
  TDXFGroupTable table;
  ASSERT_EQ(table.Build(b), 0);
  EXPECT_EQ(table.DictHandle, 0xD);
  EXPECT_EQ(table.DictType, "DICTIONARY");
  ASSERT_EQ(table.Count, 2);
  const TDXFGroup walls = table.GetGroup(0);
  EXPECT_EQ(walls.Name, Sjis("外壁"));
  EXPECT_EQ(walls.Kind, "GROUP");
  EXPECT_EQ(b.GetValue(walls.Index), "GROUP");
  EXPECT_EQ(walls.Description, "outer");
  EXPECT_EQ(walls.MemberCount, 3);
  EXPECT_EQ(walls.Members, (std::vector<int>{0x2A, 0x2B, 0x77}));
  const TDXFGroup missing = table.GetGroup(1);
  EXPECT_EQ(missing.Index, -1);
  EXPECT_EQ(missing.MemberCount, 0);
}

TEST(TDXFGroupTable, FailsWithoutGroupDictionaryAndOnBadHandles) {
  TDXFGroupTable table;
  for (const char* lines : {"0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF",
                            "0|SECTION|2|OBJECTS|0|DICTIONARY|3|ACAD_LAYOUT|350|D|0|ENDSEC|0|EOF",
                            "0|SECTION|2|OBJECTS|0|DICTIONARY|3|ACAD_GROUP|350|E|0|ENDSEC|0|EOF"}) {
    TDXFBuffer b = LoadDrawing(lines);
    EXPECT_EQ(table.Build(b), -1) << lines;
  }
  TDXFBuffer empty = GroupDrawing("", "");
  ASSERT_EQ(table.Build(empty), 0);
  EXPECT_EQ(table.Count, 0);
  TDXFBuffer bad = GroupDrawing("3|G|350|50|", "0|GROUP|5|50|340|2G|");
  EXPECT_EQ(table.Build(bad), kTableBadValue);
  EXPECT_EQ(table.Failure, Sjis("'2G' は整数値ではありません"));
}

// ------------------------------------------------------------------ name checks

TEST(NameChecks, ReportEachProblemInOrder) {
  enum Check { Layer, Ltype, Block };
  const std::string a31(31, 'A'), a32(32, 'A'), a40(40, 'A');
  const struct {
    Check check;
    int acadVer;
    std::string name, message;  // UTF-8; an empty message means the name is acceptable
  } cases[] = {
      {Layer, 1009, "", "画層名が無い"},
      {Ltype, 1015, " ", "線種名が無い 不適当な文字[ ]"},
      {Block, 1015, "", ""},
      {Layer, 1009, a31, ""},
      {Layer, 1009, a32, "画層名32文字 "},
      {Layer, 1015, a40, ""},
      {Ltype, 1009, a40, ""},
      {Block, 1009, a40 + "?", "ﾌﾞﾛｯｸ名41文字  不適当な文字[?]"},
      {Layer, 1015, "$Wall-01_x", ""},
      {Layer, 1015, "ｱ B", "不適当な文字[ｱ ]"},
      {Layer, 1015, "ソファ 壁", "不適当な文字[ ] 危険な文字[ソァ]"},
      {Block, 1015, "ソファ", ""},
      {Block, 1015, "*U12", ""},
      {Block, 1015, "**U", "不適当な文字[*]"},
      {Layer, 1015, "*U12", "不適当な文字[*]"},
  };
  for (const auto& c : cases) {
    TDXFBuffer b;
    b.AcadVerNo = c.acadVer;
    std::string message = "stale";
    const std::string name = Sjis(c.name);
    const bool ok = c.check == Layer   ? b.CheckLayerName(name, message)
                    : c.check == Ltype ? b.CheckLtypeName(name, message)
                                       : b.CheckBlockName(name, message);
    EXPECT_EQ(ok, c.message.empty()) << c.name;
    EXPECT_EQ(Utf8(message), c.message) << c.name;
  }
}

TEST(NameChecks, DangerousCharactersAndTheCheckedLength) {
  // A sample of the list (NEC and IBM extensions and the Angstrom sign among them) and
  // characters whose trail byte is 0x5C, 0x40 or 0x7C.
  TDXFBuffer b;
  b.AcadVerNo = 1015;
  std::string message;
  for (const char* utf8 : {"：", "√", "℃", "①", "㍉", "㈱", "∮", "Å", "能", "ァ", "倒"}) {
    EXPECT_FALSE(b.CheckLayerName(Sjis(utf8), message)) << utf8;
    EXPECT_EQ(Utf8(message), std::string("危険な文字[") + utf8 + "]");
  }
  EXPECT_TRUE(b.CheckLayerName(Sjis("通り芯ａ１"), message)) << Utf8(message);
  EXPECT_TRUE(b.CheckLayerName(std::string(1024, 'A') + " ", message));
  EXPECT_FALSE(b.CheckLayerName(std::string(1023, 'A') + " ", message));
}

TEST(NameChecks, JudgeCharactersWhateverTheEncoding) {
  const struct {
    TextEncoding encoding;
    std::string name;     // as stored in the document
    std::string message;  // UTF-8
  } cases[] = {
      {TextEncoding::Utf8, "\xE5\xA3\x81", ""},  // 壁
      {TextEncoding::Utf8, "\xE3\x82\xBD\xE3\x83\x95\xE3\x82\xA1 \xE5\xA3\x81",
       "不適当な文字[ ] 危険な文字[ソァ]"},  // "ソファ 壁"
      {TextEncoding::Utf8,
       "\xEF\xBD\xB1"
       "B",
       "不適当な文字[ｱ]"},                                          // half-width katakana
      {TextEncoding::Utf8, "\xD0\xA1\xD1\x82\xD1\x80", ""},         // Стр
      {TextEncoding::Utf8, "\xC3\xA9ven", ""},                      // é: CP932 lacks it
      {TextEncoding::Utf8, "a\xFF", "不適当な文字[\xEF\xBF\xBD]"},  // a broken byte
      {TextEncoding::Cp1251,
       "\xD1\xF2\xF0"
       "-1",
       ""},
      {TextEncoding::Cp1252, "\xC4\\U+039B", ""},           // Ä and an escaped Λ
      {TextEncoding::Cp932, "\\U+FF1A", "危険な文字[：]"},  // an escaped colon
      {TextEncoding::Cp932, "\x83\x5C", "危険な文字[ソ]"},  // as it always was
  };
  for (const auto& c : cases) {
    TDXFBuffer b;
    b.AcadVerNo = 1032;
    b.Encoding = c.encoding;
    std::string message;
    EXPECT_EQ(b.CheckLayerName(c.name, message), c.message.empty()) << c.message;
    EXPECT_EQ(Utf8OfProgramText(message), c.message) << EncodingName(c.encoding);
  }
}

}  // namespace
