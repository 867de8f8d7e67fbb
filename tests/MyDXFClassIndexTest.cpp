// MyDXFClassIndexTest.cpp - the buffer's index: sections, tables, header variables, handles.
#include "model/buffer/MyDXFClass.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"
#include "tests/support/LoadedText.h"

namespace {

const std::vector<std::string> kDrawing = {"0",  "SECTION",    "2",  "HEADER",  // 0-1
                                           "9",  "$ACADVER",   "1",  "AC1009",  // 2-3
                                           "9",  "$HANDSEED",  "5",  "20000",   // 4-5
                                           "9",  "$CLAYER",    "8",  " WALL ",  // 6-7
                                           "9",  "$LTSCALE",   "40", "2.5",     // 8-9
                                           "9",  "$CELTSCALE", "40", "0.5",     // 10-11
                                           "9",  "$CELTYPE",   "6",  "DASHED",  // 12-13
                                           "0",  "ENDSEC",                      // 14
                                           "0",  "SECTION",    "2",  "CLASSES",
                                           "0",  "ENDSEC",                      // 15-17
                                           "0",  "SECTION",    "2",  "TABLES",  // 18-19
                                           "0",  "TABLE",      "2",  "VPORT",
                                           "0",  "ENDTAB",  // 20-22
                                           "0",  "TABLE",      "2",  "LTYPE",
                                           "0",  "LTYPE",      "2",  "DASHED",
                                           "0",  "ENDTAB",  // 23-27
                                           "0",  "TABLE",      "2",  "LAYER",
                                           "70", "2",  // 28-30
                                           "0",  "LAYER",      "2",  "0",
                                           "0",  "LAYER",      "2",  "WALL",
                                           "0",  "ENDTAB",  // 31-35
                                           "0",  "TABLE",      "2",  "STYLE",
                                           "0",  "ENDTAB",  // 36-38
                                           "0",  "TABLE",      "2",  "VIEW",
                                           "0",  "ENDTAB",  // 39-41
                                           "0",  "TABLE",      "2",  "UCS",
                                           "0",  "ENDTAB",  // 42-44
                                           "0",  "TABLE",      "2",  "APPID",
                                           "0",  "ENDTAB",  // 45-47
                                           "0",  "TABLE",      "2",  "DIMSTYLE",
                                           "0",  "ENDTAB",  // 48-50
                                           "0",  "TABLE",      "2",  "BLOCK_RECORD",
                                           "0",  "ENDTAB",                      // 51-53
                                           "0",  "ENDSEC",                      // 54
                                           "0",  "SECTION",    "2",  "BLOCKS",  // 55-56
                                           "0",  "BLOCK",      "2",  "DOOR",
                                           "0",  "ENDBLK",     "0",  "BLOCK",
                                           "2",  "WIN",                           // 57-61
                                           "0",  "ENDBLK",     "0",  "ENDSEC",    // 62-63
                                           "0",  "SECTION",    "2",  "ENTITIES",  // 64-65
                                           "0",  "LINE",       "5",  "2A",
                                           "8",  "WALL",       "10", "1.0",      // 66-69
                                           "0",  "ENDSEC",                       // 70
                                           "0",  "SECTION",    "2",  "OBJECTS",  // 71-72
                                           "0",  "DICTIONARY", "5",  "C",
                                           "0",  "ENDSEC",  // 73-75
                                           "0",  "EOF"};    // 76

TEST(TDXFBuffer, AFailedReadKeepsThePreviousIndex) {
  Loaded f(DxfText(kDrawing));
  ASSERT_EQ(f.result, 0);
  const int tablesStart = f.buffer.TablesStart;
  const std::string broken =
      f.dir.Write("broken.dxf", DxfText({"0", "SECTION", "2", "x", "oops", "y"}));
  EXPECT_EQ(f.buffer.LoadFromFile(broken), -3);
  EXPECT_EQ(f.buffer.TablesStart, tablesStart);
  EXPECT_EQ(f.buffer.GetValue(0), "SECTION");  // the new file up to the broken line
  EXPECT_EQ(f.buffer.GetCode(2), 0);           // later pairs cleared
  EXPECT_EQ(f.buffer.GetValue(2), "");
}

TEST(TDXFBuffer, IndexesSectionsTablesAndHeader) {
  Loaded f(DxfText(kDrawing));
  ASSERT_EQ(f.result, 0);
  const TDXFBuffer& b = f.buffer;
  EXPECT_EQ(b.PairCount, 77);
  EXPECT_EQ(b.HeaderStart, 0);
  EXPECT_EQ(b.HeaderEnd, 14);
  EXPECT_EQ(b.ClassesStart, 15);
  EXPECT_EQ(b.ClassesEnd, 17);
  EXPECT_EQ(b.TablesStart, 18);
  EXPECT_EQ(b.TablesEnd, 54);
  EXPECT_EQ(b.BlocksStart, 55);
  EXPECT_EQ(b.BlocksEnd, 63);
  EXPECT_EQ(b.EntitiesStart, 64);
  EXPECT_EQ(b.EntitiesEnd, 70);
  EXPECT_EQ(b.ObjectsStart, 71);
  EXPECT_EQ(b.ObjectsEnd, 75);
  EXPECT_EQ(b.EofIndex, 76);
  const int tables[] = {b.VportTableIndex, b.LtypeTableIndex,    b.LayerTableIndex,
                        b.StyleTableIndex, b.ViewTableIndex,     b.UcsTableIndex,
                        b.AppidTableIndex, b.DimstyleTableIndex, b.BlockRecordTableIndex};
  const int expectedTables[] = {20, 23, 28, 36, 39, 42, 45, 48, 51};
  for (int t = 0; t < 9; ++t) EXPECT_EQ(tables[t], expectedTables[t]) << t;
  EXPECT_EQ(b.LayerCount, 2);
  EXPECT_EQ(b.LtypeCount, 1);
  EXPECT_EQ(b.BlockCount, 2);
  EXPECT_EQ(b.AcadVer, "AC1009");
  EXPECT_EQ(b.AcadVerNo, 1009);
  EXPECT_EQ(b.HandSeed, 131072);
  EXPECT_EQ(b.HandSeedIndex, 5);
  EXPECT_EQ(b.CLayer, "WALL");
  EXPECT_EQ(b.CLayerIndex, 7);
  EXPECT_EQ(b.LtScale, 2.5);
  EXPECT_EQ(b.LtScaleIndex, 9);
  EXPECT_EQ(b.CeltScale, 0.5);
  EXPECT_EQ(b.CeltScaleIndex, 11);
  EXPECT_EQ(b.CeltType, "DASHED");
  EXPECT_EQ(b.CeltTypeIndex, 13);

  EXPECT_EQ(b.GetMark(0), dsSection);
  EXPECT_EQ(b.GetMark(1), dsNon);
  EXPECT_EQ(b.GetMark(14), dsObject);      // ENDSEC
  EXPECT_EQ(b.GetMark(20), dsSubsection);  // TABLE
  EXPECT_EQ(b.GetMark(31), dsObject);      // LAYER record
  EXPECT_EQ(b.GetMark(57), dsSubsection);  // BLOCK
  EXPECT_EQ(b.GetMark(62), dsObject);      // ENDBLK
  EXPECT_EQ(b.GetMark(66), dsObject);      // LINE
  EXPECT_EQ(b.GetMark(76), dsObject);      // EOF
}

TEST(TDXFBuffer, HeaderValuesThatDoNotConvertReadAsZero) {
  Loaded f(DxfText({"0",   "SECTION", "2",        "HEADER", "9",   "$HANDSEED", "5",
                    "XYZ", "9",       "$LTSCALE", "40",     "1,5", "9",         "$CELTSCALE",
                    "40",  "",        "0",        "ENDSEC", "0",   "EOF"}));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.HandSeed, 0);
  EXPECT_EQ(f.buffer.HandSeedIndex, 3);
  EXPECT_EQ(f.buffer.LtScale, 0.0);
  EXPECT_EQ(f.buffer.LtScaleIndex, 5);
  EXPECT_EQ(f.buffer.CeltScale, 0.0);
}

TEST(TDXFBuffer, LaterSectionsWinAndUnknownOnesCloseNothing) {
  Loaded f(DxfText({"0", "SECTION", "2", "HEADER",    "0", "ENDSEC",  // 0-2
                    "0", "SECTION", "2", "THUMBNAIL", "0", "ENDSEC",  // 3-5
                    "0", "SECTION", "2", "HEADER",    "9", "$ACADVER",
                    "1", "AC1015",  "0", "ENDSEC",  // 6-10
                    "0", "EOF"}));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.HeaderStart, 6);
  EXPECT_EQ(f.buffer.HeaderEnd, 10);
  EXPECT_EQ(f.buffer.AcadVerNo, 1015);
}

TEST(TDXFBuffer, EofIsTheLastUsedPairWithoutAnEofRecord) {
  Loaded f(DxfText({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "", "0", "  "}));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.PairCount, 5);
  EXPECT_EQ(f.buffer.EofIndex, 2);
  f.buffer.SetFileName(f.dir.Path() + "/out.dxf");
  ASSERT_EQ(f.buffer.SaveToFile(), 0);
  EXPECT_EQ(ReadBytes(f.dir.Path() + "/out.dxf"),
            "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nENDSEC\r\n");
}

TEST(TDXFBuffer, PairsAfterEofAreClearedButCounted) {
  Loaded f(DxfText({"0", "SECTION", "0", "EOF", "1", "trash", "2", "more"}, "\n"));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.PairCount, 4);
  EXPECT_EQ(f.buffer.EofIndex, 1);
  EXPECT_EQ(f.buffer.GetCode(2), 0);
  EXPECT_EQ(f.buffer.GetValue(3), "");
  // An EOF pair at index 0 cannot be told from none: the last used pair stands in.
  Loaded first(DxfText({"0", "EOF", "1", "trash"}, "\n"));
  EXPECT_EQ(first.buffer.EofIndex, 1);
  // The 100 spare pairs past the end are cleared too.
  EXPECT_EQ(f.buffer.GetCode(f.buffer.PairCount + 99), 0);
  EXPECT_EQ(f.buffer.GetValue(f.buffer.PairCount + 99), "");
}

TEST(TDXFBuffer, FindHandleSearchesUpToTheEndOfObjects) {
  Loaded f(DxfText({"0", "SECTION", "2", "ENTITIES",                  // 0-1
                    "0", "LINE",    "5", "002a",     "8", "0",        // 2-4
                    "0", "ENDSEC",  "0", "SECTION",  "2", "OBJECTS",  // 5-7
                    "0", "GROUP",   "8", "x",        "5", "1F",       // 8-10
                    "0", "ENDSEC",  "0", "CIRCLE",   "5", "99",       // 11-13
                    "0", "EOF"}));
  ASSERT_EQ(f.result, 0);
  const TDXFBuffer& b = f.buffer;
  EXPECT_EQ(b.FindHandle(0x2A, 0), 2);   // leading zeros and letter case do not matter
  EXPECT_EQ(b.FindHandle(0x2A, 4), -1);  // the search starts at the given pair
  EXPECT_EQ(b.FindHandle(0x1F, 0), 8);   // steps back to the record's code 0
  EXPECT_EQ(b.FindHandle(0x99, 0), -1);  // after ObjectsEnd
  EXPECT_EQ(b.FindHandle(0x1F, -5), 8);
  Loaded noObjects(DxfText({"0", "LINE", "5", "2A", "0", "EOF"}));
  EXPECT_EQ(noObjects.buffer.FindHandle(0x2A, 0), -1);
}

TEST(TDXFBuffer, SampleDrawingIsIndexed) {
  TDXFBuffer b;
  ASSERT_EQ(b.LoadFromFile(SourcePath("examples/sample.dxf")), 0);
  EXPECT_EQ(b.AcadVer, "AC1015");
  EXPECT_EQ(b.CLayer, Sjis("壁"));
  EXPECT_EQ(b.HandSeed, 0x20000);
  EXPECT_EQ(b.LayerCount, 5);
  EXPECT_EQ(b.LtypeCount, 4);
  EXPECT_EQ(b.BlockCount, 4);
  EXPECT_GT(b.ObjectsEnd, b.ObjectsStart);
  EXPECT_EQ(b.GetValue(b.EofIndex), "EOF");
}

// ------------------------------------------------------------------ text encoding

std::string Header(const char* acadVer, const char* codePage, const std::string& text) {
  std::vector<std::string> lines = {"0", "SECTION", "2", "HEADER"};
  if (*acadVer) lines.insert(lines.end(), {"9", "$ACADVER", "1", acadVer});
  if (*codePage) lines.insert(lines.end(), {"9", "$DWGCODEPAGE", "3", codePage});
  lines.insert(lines.end(), {"0", "ENDSEC", "0", "TEXT", "1", text, "0", "EOF"});
  return DxfText(lines);
}

TEST(TDXFBuffer, DetectsTheTextEncodingWhenLoaded) {
  const struct {
    const char* acadVer;
    const char* codePage;
    std::string text;
    const char* name;
    EncodingSource source;
  } cases[] = {
      {"AC1021", "ANSI_932", "\x95\xC7", "utf-8", EncodingSource::AcadVer},
      {"AC1032", "", "abc", "utf-8", EncodingSource::AcadVer},
      {"AC1018", "ANSI_1252", "\xC3\xA9ven", "utf-8", EncodingSource::Utf8Detected},
      {"AC1018", "ANSI_1252", "\xE9ven", "cp1252", EncodingSource::DwgCodePage},
      {"AC1018", "ANSI_1252", "even", "cp1252", EncodingSource::DwgCodePage},
      {"AC1015", "ANSI_932", "\xE5\xA3\x81", "cp932", EncodingSource::DwgCodePage},
      {"AC1009", "", "\xE5\xA3\x81", "utf-8", EncodingSource::Utf8Detected},
      {"AC1009", "", Sjis("壁"), "cp932", EncodingSource::Default},
      {"", "ANSI_7777", "even", "cp932", EncodingSource::Default},
      {"AC1012", "dos850", "\x82", "cp850", EncodingSource::DwgCodePage},
  };
  for (const auto& c : cases) {
    Loaded f(Header(c.acadVer, c.codePage, c.text));
    ASSERT_EQ(f.result, 0);
    EXPECT_EQ(EncodingName(f.buffer.Encoding), c.name) << c.acadVer << " " << c.codePage;
    EXPECT_EQ(f.buffer.EncodingFrom, c.source) << c.acadVer << " " << c.codePage;
  }
  Loaded f(Header("AC1009", "ANSI_1251", "x"));
  EXPECT_EQ(f.buffer.DwgCodePage, "ANSI_1251");
  f.buffer.SetEncoding(TextEncoding::Cp1253);
  f.buffer.BuildIndex();  // a rebuilt index keeps the user's choice
  EXPECT_EQ(f.buffer.Encoding, TextEncoding::Cp1253);
  EXPECT_EQ(f.buffer.EncodingFrom, EncodingSource::Manual);
}

TEST(TDXFBuffer, DetectsTheEncodingOfEveryCorpusFile) {
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  const struct {
    const char* file;
    const char* name;
  } cases[] = {
      {"acadsharp-sample_AC1009_ascii.dxf", "cp932"},  // one cp1252 byte, nothing declared
      {"acadsharp-sample_AC1018_ascii.dxf", "cp1252"},
      {"ezdxf-AC1003_LINE_Example.dxf", "cp932"},
      {"ezdxf-ASCII_R12-cp1252.dxf", "cp932"},  // cp1252 bytes, but nothing declared
      {"ezdxf-Leica_Disto_S910.dxf", "cp932"},
      {"ezdxf-Minimal_DXF_AC1009-entities-only.dxf", "cp932"},
      {"ezdxf-cc_dxflib-cloudcompare.dxf", "cp932"},
      {"ezdxf-duplicate_handles.dxf", "cp850"},
      {"ezdxf-dxf_unicode.dxf", "utf-8"},
      {"ezdxf-groups.dxf", "utf-8"},
      {"ezdxf-images-crlf.dxf", "cp1252"},
      {"ezdxf-mtext_columns_R2007.dxf", "utf-8"},
      {"ezdxf-recover01-many-entities-sections.dxf", "cp932"},
      {"ezdxf-small_r13-dos932.dxf", "cp932"},
      {"ezdxf-small_r14.dxf", "cp932"},
      {"ezdxf-torus_r2010-acis.dxf", "utf-8"},
      {"ezdxf-uncommon.dxf", "utf-8"},
      {"gdal-assorted-dxflib.dxf", "cp932"},
      {"gdal-elliptical-arc-hatch-min-no-eof.dxf", "cp932"},
      {"gdal-entities_only.dxf", "cp932"},
      {"gdal-frozen-off.dxf", "cp932"},
      {"gdal-hatch_as_multipolygon-cp1251.dxf", "utf-8"},
      {"gdal-transparency.dxf", "cp1252"},
      {"gdal-utf-8.dxf", "utf-8"},  // declares ANSI_1252, holds UTF-8
      {"gen-r12-ansi932.dxf", "cp932"},
      {"gen-r12-sjis-no-codepage-crlf.dxf", "cp932"},
      {"gen-r2000-ansi932-crlf.dxf", "cp932"},
      {"gen-r2004-ansi932-truecolor.dxf", "cp932"},
      {"gen-r2018-utf8-japanese.dxf", "utf-8"},
  };
  for (const auto& c : cases) {
    TDXFBuffer b;
    ASSERT_EQ(b.LoadFromFile(dir + "/" + c.file), 0) << c.file;
    EXPECT_EQ(EncodingName(b.Encoding), c.name) << c.file;
  }
  TDXFBuffer utf8;
  ASSERT_EQ(utf8.LoadFromFile(dir + "/gdal-utf-8.dxf"), 0);
  EXPECT_EQ(utf8.EncodingFrom, EncodingSource::Utf8Detected);
  TDXFBuffer sjis;
  ASSERT_EQ(sjis.LoadFromFile(dir + "/gen-r12-sjis-no-codepage-crlf.dxf"), 0);
  EXPECT_EQ(sjis.EncodingFrom, EncodingSource::Default);
}

}  // namespace
