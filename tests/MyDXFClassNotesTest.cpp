// MyDXFClassNotesTest.cpp - the remark engine, on small lists and on the built-in ones.
#include <gtest/gtest.h>

#include <chrono>  // std::chrono::steady_clock

#include "model/buffer/MyDXFClass.h"
#include "model/remarks/NoteLists.h"
#include "model/text/Sjis.h"
#include "tests/support/TestFiles.h"

namespace {

// A buffer loaded from DXF lines, collecting what the engine reports.
struct Doc {
  TempDir dir;
  TDXFBuffer buffer;
  std::vector<std::string> messages;

  explicit Doc(const std::vector<std::string>& lines) {
    buffer.OnMessage = [this](const std::string& m) { messages.push_back(Utf8(m)); };
    EXPECT_EQ(buffer.LoadFromFile(dir.Write("t.dxf", DxfText(lines))), 0);
  }
  // The remark of pair i in UTF-8, worked out the way the grid asks for it.
  std::string Note(int i) {
    if (buffer.NoteView(i).empty()) buffer.MakeNote(i);
    return Utf8(buffer.GetNote(i));
  }
};

// A note list written in UTF-8 as (key, text) rows.
NoteList List(const std::vector<std::pair<std::string, std::string>>& rows) {
  NoteList list{"test", {}, static_cast<int>(rows.size()) - 1};
  for (const auto& [key, text] : rows) list.rows.push_back(MakeNoteRow(Sjis(key), Sjis(text)));
  return list;
}

// Runs a list's row 0 over the record that starts at pair `start`, as MakeNote does.
void Walk(TDXFBuffer& b, const NoteList& list, int start) {
  int cursor = start - 1;
  b.SetChildTable(cursor, 0, list, list.H);
}

std::string NoteOf(const TDXFBuffer& b, int i) {
  return Utf8(b.GetNote(i));
}

// ------------------------------------------------------------------ the grammar

TEST(RemarkEngine, AttachmentsSiblingsAndFirstMatchWin) {
  const NoteList list = List({
      {"+code", "8"},         // 0
      {"0", ""},              // 1
      {"+mode", "3"},         // 2
      {"LINE", "line"},       // 3
      {"+code", "1"},         // 4
      {"10", "start x"},      // 5
      {"10", "never"},        // 6: a second 10 at the top level loses to nothing
      {"8", "layer"},         // 7
      {"8", "second layer"},  // 8: the first 8 wins
  });
  Doc d({"0", "LINE", "10", "1.0", "8", "A", "0", "CIRCLE", "8", "B", "10", "2.0", "0", "EOF"});
  Walk(d.buffer, list, 0);
  EXPECT_EQ(NoteOf(d.buffer, 0), "line");
  EXPECT_EQ(NoteOf(d.buffer, 1), "start x");
  EXPECT_EQ(NoteOf(d.buffer, 2), "");  // the nested +code walked the LINE body only
  // The nested +code stopped on the CIRCLE pair; the outer walk went on from the pair
  // after it, over the next record, and gave its 8 the top-level text.
  EXPECT_EQ(NoteOf(d.buffer, 3), "");
  EXPECT_EQ(NoteOf(d.buffer, 4), "layer");
  EXPECT_EQ(NoteOf(d.buffer, 5), "never");
  EXPECT_EQ(NoteOf(d.buffer, 6), "");  // the outer walk stops at the next code 0
}

TEST(RemarkEngine, CodeTempStopsAtTheFirstUnmatchedPair) {
  const NoteList list = List({
      {"+code", "6"},      // 0
      {"92", "type"},      // 1
      {"+codetemp", "2"},  // 2
      {"10", "x"},         // 3
      {"20", "y"},         // 4
      {"97", "sources"},   // 5
      {"", ""},            // 6
  });
  Doc d({"92", "2", "10", "1", "20", "2", "10", "3", "97", "0", "0", "EOF"});
  Walk(d.buffer, list, 0);
  EXPECT_EQ(NoteOf(d.buffer, 1), "x");
  EXPECT_EQ(NoteOf(d.buffer, 3), "x");
  // 97 ended the +codetemp run; the outer +code then moved one pair on, past it.
  EXPECT_EQ(NoteOf(d.buffer, 4), "");
}

TEST(RemarkEngine, BitFlagsAppendEveryMatchInRowOrder) {
  const NoteList list = List({
      {"+code", "6"},
      {"70", "flags"},
      {"+bit", "4"},
      {"0", "= none"},
      {"1", "= one"},
      {"4", "= four"},
      {"2", "= two"},
  });
  const std::pair<const char*, const char*> cases[] = {
      {"5", "flags= one= four"},
      {"6", "flags= four= two"},
      {"0", "flags"},
      {"8", "flags"},
      {"-1", "flags= one= four= two"},
      {"x", "flags"},
  };
  for (const auto& [value, expected] : cases) {
    Doc d({"70", value, "0", "EOF"});
    Walk(d.buffer, list, 0);
    EXPECT_EQ(NoteOf(d.buffer, 0), expected) << value;
  }
}

TEST(RemarkEngine, BitAttachmentMovesTheCursorForLaterFlags) {
  const NoteList list = List({
      {"+code", "7"},
      {"92", "type"},
      {"+bit", "5"},
      {"2", "= poly"},
      {"+codetemp", "1"},
      {"72", "bulge flag"},
      {"4", "= late"},
  });
  Doc d({"92", "6", "72", "1", "93", "4", "0", "EOF"});
  Walk(d.buffer, list, 0);
  EXPECT_EQ(NoteOf(d.buffer, 0), "type= poly");
  EXPECT_EQ(NoteOf(d.buffer, 1), "bulge flag");
  EXPECT_EQ(NoteOf(d.buffer, 2), "= late");  // the +codetemp left the cursor on 93
}

TEST(RemarkEngine, CountShowsTheCounterBeforeOrAfterRaisingIt) {
  const NoteList list = List({
      {"+code", "12"},
      {"90", "n"},
      {"+count", "1"},
      {"set", "0"},
      {"10", "x"},
      {"+count", "2"},
      {"inc", "1"},
      {"add", ""},
      {"20", "y"},
      {"+count", "2"},
      {"add", ""},
      {"inc", "10"},
      {"", ""},
  });
  Doc d({"90", "2", "10", "0", "20", "0", "10", "1", "20", "1", "0", "EOF"});
  Walk(d.buffer, list, 0);
  EXPECT_EQ(NoteOf(d.buffer, 1), "x1");
  EXPECT_EQ(NoteOf(d.buffer, 2), "y1");
  EXPECT_EQ(NoteOf(d.buffer, 3), "x12");
  EXPECT_EQ(NoteOf(d.buffer, 4), "y12");
  EXPECT_EQ(d.buffer.Counter, 22);
}

TEST(RemarkEngine, TimeAndTrueColourValues) {
  const NoteList list = List({
      {"+code", "6"},
      {"40", "t"},
      {"+time", "timer"},
      {"41", "c"},
      {"+time", "calendar"},
      {"420", "rgb"},
      {"+24BitColor", "0"},
  });
  struct Case {
    int code;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {40, "1.5", "t36時間 0分 0秒"},
      {40, " 0.25 ", "t6時間 0分 0秒"},
      {40, "2", "t48時間 0分 0秒"},
      {40, "0.0423727", "t1時間 1分 1秒"},
      {41, "2415019.5", "c1899/12/30 12:00:00"},
      {41, "2453857.625", "c2006/05/01 15:00:00"},
      {41, "2453858.0", "c2006/05/02"},
      {420, "16711680", "rgb[R255.G0.B0]"},
      {420, "  65280", "rgb[R0.G255.B0]"},
      {420, "255", "rgb[R0.G0.B255]"},
      {420, "0", "rgb[R0.G0.B0]"},
      {420, "-1", "rgb[R0.G0.B-1]"},
  };
  for (const Case& c : cases) {
    Doc d({std::to_string(c.code), c.value, "0", "EOF"});
    Walk(d.buffer, list, 0);
    EXPECT_EQ(NoteOf(d.buffer, 0), c.expected) << c.value;
    EXPECT_TRUE(d.messages.empty()) << c.value;
  }
}

TEST(RemarkEngine, UnreadableValuesReportAndKeepTheRemark) {
  const NoteList list = List({
      {"+code", "4"},
      {"40", "t"},
      {"+time", "calendar"},
      {"420", "rgb"},
      {"+24BitColor", "0"},
  });
  for (const char* value : {"abc", "", "1e300", "nan"}) {
    Doc d({"40", value, "420", "12x", "0", "EOF"});
    Walk(d.buffer, list, 0);
    EXPECT_EQ(NoteOf(d.buffer, 0), "t") << value;
    EXPECT_EQ(NoteOf(d.buffer, 1), "rgb");
    ASSERT_EQ(d.messages.size(), 2u) << value;
    EXPECT_EQ(d.messages[0], std::string("SetChildTable Error idx=  0 Fdata[idx]=") + value +
                                 " scnt=  2 notelist[scnt,0]=+time");
    EXPECT_EQ(d.messages[1],
              "SetChildTable Error idx=  1 Fdata[idx]=12x scnt=  4 notelist[scnt,0]=+24BitColor");
  }
}

TEST(RemarkEngine, ADirectiveWithoutACountIsReportedAndWalkedAsARow) {
  const NoteList list = List({{"+code", "3"}, {"10", "x"}, {"+mode", ""}, {"20", "y"}});
  Doc d({"10", "1", "20", "2", "0", "EOF"});
  Walk(d.buffer, list, 0);
  EXPECT_EQ(NoteOf(d.buffer, 1), "y");
  ASSERT_FALSE(d.messages.empty());
  EXPECT_EQ(d.messages[0], "error skip scnt : table cnt =   2 +mode / ");
}

// ------------------------------------------------------------------ the built-in lists

TEST(Remarks, LineRecordAndGenericRemarks) {
  Doc d({"0",  "SECTION", "2",   "ENTITIES", "0",   "LINE",   "5",   "2A", "8",
         "0",  "10",      "1.0", "20",       "2.0", "30",     "0.0", "11", "3.0",
         "21", "4.0",     "31",  "0.0",      "0",   "ENDSEC", "0",   "EOF"});
  // Without a HEADER section pair 0 lies in the header's range 0..0: the header list,
  // which names only HEADER, leaves the section name its generic remark.
  const char* expected[] = {"******************", "名前",        "線分",
                            "ハンドル",           "画層名",      "始点Ｘ(WCS)",
                            "始点Ｙ(WCS)",        "始点Ｚ(WCS)", "終点Ｘ(WCS)",
                            "終点Ｙ(WCS)",        "終点Ｚ(WCS)", "セクション終了",
                            "エンドオブファイル"};
  // Ask for the 20th-like pair first: the whole record is worked out from its start.
  EXPECT_EQ(d.Note(9), "終点Ｙ(WCS)");
  for (int i = 0; i < 13; ++i) EXPECT_EQ(d.Note(i), expected[i]) << i;
}

TEST(Remarks, LwpolylineVerticesAreNumberedFromOne) {
  const std::vector<std::string> lines = {"0",  "SECTION", "2",  "ENTITIES", "0",  "LWPOLYLINE",
                                          "90", "2",       "70", "1",        "10", "0.0",
                                          "20", "0.0",     "42", "0.5",      "10", "1.0",
                                          "20", "1.0",     "0",  "ENDSEC",   "0",  "EOF"};
  for (int first : {2, 9, 6}) {  // whichever pair is asked for first
    Doc d(lines);
    d.Note(first);
    EXPECT_EQ(d.Note(3), "頂点の数");
    EXPECT_EQ(d.Note(4), "= 閉じたポリライン");
    EXPECT_EQ(d.Note(5), "頂点Ｘ1");
    EXPECT_EQ(d.Note(6), "頂点Ｙ1");
    EXPECT_EQ(d.Note(7), "ふくらみ1");
    EXPECT_EQ(d.Note(8), "頂点Ｘ2");
    EXPECT_EQ(d.Note(9), "頂点Ｙ2");
  }
}

TEST(Remarks, LayerFlagsColoursAndLinetypes) {
  Doc d({"0", "SECTION", "2", "TABLES", "0",  "TABLE", "2",  "LAYER",                     // 0-3
         "0", "LAYER",   "2", "A",      "70", "5",     "62", "1",     "6",   "DASHED",    // 4-8
         "0", "LAYER",   "2", "B",      "70", "6",     "62", "-3",    "420", "16711680",  // 9-13
         "0", "ENDTAB",  "0", "ENDSEC", "0",  "EOF"});
  EXPECT_EQ(d.Note(3), "画層テーブル");
  EXPECT_EQ(d.Note(4), "画層定義");
  EXPECT_EQ(d.Note(6), "= フリーズ= ロック");
  EXPECT_EQ(d.Note(7), "色番号 = 赤");
  EXPECT_EQ(d.Note(8), "線種名");
  EXPECT_EQ(d.Note(11), "= 新しいビューポートでフリーズ= ロック");
  EXPECT_EQ(d.Note(12), "色番号");  // a negative colour (layer off) has no colour word
  EXPECT_EQ(d.Note(13), "２４ビットカラー[R255.G0.B0]");
}

TEST(Remarks, EntityQuirksOf3DFaceSplineAndBlock) {
  Doc d({"0",  "SECTION", "2",   "BLOCKS", "0",   "BLOCK",   "2",   "B",        "70", "0",  // 0-4
         "0",  "ENDBLK",  "0",   "ENDSEC", "0",   "SECTION", "2",   "ENTITIES",             // 5-8
         "0",  "3DFACE",  "10",  "0",      "20",  "0",       "30",  "0",        "11", "1",
         "21", "1",                                                                         // 9-14
         "0",  "SPLINE",  "210", "0",      "220", "0",       "230", "1",        "73", "2",  // 15-19
         "10", "0",       "20",  "0",      "30",  "0",       "10",  "1",        "0",  "ENDSEC",
         "0",  "EOF"});  // 20-25
  EXPECT_EQ(d.Note(2), "ブロック定義開始");
  EXPECT_EQ(d.Note(4), "");       // flags 0: the key-0 entry of a +bit never matches
  EXPECT_EQ(d.Note(11), "Ｙ値");  // 3DFACE lists 10..13 only: generic remarks
  EXPECT_EQ(d.Note(12), "Ｚ値");
  EXPECT_EQ(d.Note(14), "");              // 21 has no generic remark either
  EXPECT_EQ(d.Note(17), "押出し方向Ｙ");  // SPLINE lists 210 twice, not 220/230
  EXPECT_EQ(d.Note(18), "押出し方向Ｚ");
  EXPECT_EQ(d.Note(20).substr(d.Note(20).size() - 1), "1");  // control point 1 ...
  EXPECT_EQ(d.Note(23).substr(d.Note(23).size() - 1), "2");  // ... raised after its Z
}

TEST(Remarks, DimensionSubclassIsChosenByItsMarker) {
  Doc d({"0",  "SECTION",   "2",   "ENTITIES",
         "0",  "DIMENSION", "100", "AcDbDimension",
         "70", "33",        "100", "AcDbRadialDimension",
         "15", "1.0",       "40",  "2.0",
         "0",  "ENDSEC",    "0",   "EOF"});
  EXPECT_EQ(d.Note(2), "寸法");
  const std::string radialPoint = d.Note(6);
  EXPECT_FALSE(radialPoint.empty());
  EXPECT_NE(radialPoint, "Ｘ値");
  EXPECT_FALSE(d.Note(7).empty());
}

TEST(Remarks, HatchPolylineBoundary) {
  Doc d({"0",  "SECTION", "2",  "ENTITIES", "0",  "HATCH",  "91", "1",   "92", "2",  // 0-4
         "72", "1",       "73", "1",        "93", "2",      "10", "0.0", "20", "0.0",
         "10", "5.0",                                                       // 5-10
         "20", "5.0",     "97", "0",        "0",  "ENDSEC", "0",  "EOF"});  // 11-14
  EXPECT_EQ(d.Note(2), "ハッチング");
  EXPECT_NE(d.Note(4).find("= ポリライン"), std::string::npos);
  EXPECT_EQ(d.Note(8).back(), '1');  // vertices of the boundary numbered 1, 2
  EXPECT_EQ(d.Note(10).back(), '2');
  EXPECT_EQ(d.Note(11).back(), '2');
}

TEST(Remarks, HeaderVariables) {
  Doc d({"0", "SECTION",   "2",  "HEADER",      "9", "$ACADVER",   "1",  "AC1015",  // 0-3
         "9", "$TDCREATE", "40", "2453857.625", "9", "$TDINDWG",   "40", "1.5",     // 4-7
         "9", "$CECOLOR",  "62", "256",         "9", "$NOSUCHVAR", "70", "1",       // 8-11
         "9", "$ACADVER",  "1",  "AC1099",      "0", "ENDSEC",     "0",  "EOF"});   // 12-15
  EXPECT_EQ(d.Note(2), "DXFのバージョン番号");
  EXPECT_EQ(d.Note(3), "= 2000,LT2000");
  EXPECT_EQ(d.Note(5), "2006/05/01 15:00:00");
  EXPECT_EQ(d.Note(7), "36時間 0分 0秒");
  EXPECT_EQ(d.Note(9), "色番号 = BYLAYER");
  EXPECT_EQ(d.Note(10), "");  // an unknown variable has no remark of its own
  EXPECT_EQ(d.Note(11), "");  // 70 is in no list: no generic remark either
  EXPECT_EQ(d.Note(13), "");  // an unknown version has no version word
  const std::pair<const char*, const char*> versions[] = {{"AC1006", "= GXⅢ(R10)"},
                                                          {"AC1009", "= GX5(R11),R12J,LT"},
                                                          {"AC1012", "= R13J,LT95"},
                                                          {"AC1014", "= R14,LT97,LT98"},
                                                          {"AC1018", "= 2004,LT2004"}};
  for (const auto& [version, text] : versions) {
    Doc v(
        {"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", version, "0", "ENDSEC", "0", "EOF"});
    EXPECT_EQ(v.Note(3), text) << version;
  }
}

TEST(Remarks, PairsOutsideSectionsAndFilesWithoutHeader) {
  Doc d({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "999", "note", "5", "1F", "0", "EOF"});
  EXPECT_EQ(d.Note(3), "コメント文字列");  // between sections: generic only
  EXPECT_EQ(d.Note(4), "ハンドル");
  EXPECT_EQ(d.Note(5), "エンドオブファイル");
  // No HEADER: pair 0 lies in the range 0..0 and is worked out with the header list.
  EXPECT_EQ(d.Note(0), "******************");
  // ... unless it is the EOF pair, which is one like any other.
  Doc eofOnly({"0", "EOF"});
  EXPECT_EQ(eofOnly.Note(0), "エンドオブファイル");
}

TEST(Remarks, UnknownRecordsGetGenericRemarksOnly) {
  Doc d({"0", "SECTION", "2", "ENTITIES", "0", "NOSUCHENTITY", "8", "0", "10", "1", "11", "2", "0",
         "ENDSEC", "0", "EOF"});
  EXPECT_EQ(d.Note(2), "");
  EXPECT_EQ(d.Note(3), "画層名");
  EXPECT_EQ(d.Note(4), "Ｘ値");
  EXPECT_EQ(d.Note(5), "");
  EXPECT_EQ(d.Note(6), "セクション終了");
}

TEST(Remarks, NothingWhenRemarksAreSwitchedOff) {
  Doc d({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "0", "ENDSEC", "0", "EOF"});
  d.buffer.SetNoteEnabled(false);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(d.Note(i), "") << i;
}

TEST(Remarks, AnEditedRecordIsWorkedOutAgain) {
  Doc d({"0", "SECTION", "2", "ENTITIES", "0", "NOSUCH", "10", "1", "0", "ENDSEC", "0", "EOF"});
  EXPECT_EQ(d.Note(2), "");
  d.buffer.SetValue(2, "CIRCLE");
  d.buffer.SetNote(3, "");
  d.buffer.SetNote(2, "");
  EXPECT_EQ(d.Note(3), "中心点Ｘ");
  EXPECT_EQ(d.Note(2), "円");
  // A code that becomes 0 starts a record of its own.
  d.buffer.SetCode(3, 0);
  d.buffer.SetValue(3, "LINE");
  d.buffer.SetNote(3, "");
  EXPECT_EQ(d.Note(3), "線分");
}

TEST(Remarks, EveryCorpusFileIsAnnotatedWithoutFault) {
  const std::vector<std::string> files = CorpusTextFiles();
  if (files.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  int annotated = 0;
  for (const std::string& file : files) {
    TDXFBuffer b;
    std::vector<std::string> messages;
    b.OnMessage = [&messages](const std::string& m) { messages.push_back(m); };
    if (b.LoadFromFile(file) != 0) continue;
    long long withRemark = 0;
    for (int i = 0; i < b.PairCount; ++i) {
      if (b.NoteView(i).empty()) b.MakeNote(i);
      withRemark += !b.NoteView(i).empty();
    }
    EXPECT_GT(withRemark, b.PairCount / 3) << file;
    ++annotated;
  }
  EXPECT_GE(annotated, 25);
}

TEST(Remarks, SampleDrawingHasRemarksWhereTheListsGiveThem) {
  TDXFBuffer b;
  ASSERT_EQ(b.LoadFromFile(SourcePath("examples/sample.dxf")), 0);
  int empty = 0;
  for (int i = 0; i <= b.EofIndex; ++i) {
    if (b.NoteView(i).empty()) b.MakeNote(i);
    empty += b.NoteView(i).empty();
  }
  EXPECT_LT(empty, b.PairCount / 5);
  EXPECT_EQ(Utf8(b.GetNote(b.EofIndex)), "エンドオブファイル");
}

}  // namespace
