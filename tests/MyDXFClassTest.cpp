// MyDXFClassTest.cpp - the line buffer: reading, indexing, accessing and saving pairs.
#include "model/MyDXFClass.h"

#include <gtest/gtest.h>
#include <sys/stat.h>  // chmod
#include <unistd.h>    // geteuid

#include <filesystem>  // std::filesystem::path
#include <fstream>     // std::ofstream

#include "model/MyStringLib.h"
#include "model/Sjis.h"
#include "tests/support/TestFiles.h"

namespace {

// Loads DXF text through a temporary file; the buffer collects OnMessage texts.
struct Loaded {
  TempDir dir;
  TDXFBuffer buffer;
  std::vector<std::string> messages;
  int result = 0;
  std::string path;

  explicit Loaded(std::string_view text, const std::string& name = "t.dxf") {
    buffer.OnMessage = [this](const std::string& m) { messages.push_back(m); };
    path = dir.Write(name, text);
    result = buffer.LoadFromFile(path);
  }
};

std::string BrokenAt(int zeroBasedLine) {
  return Sjis("ＤＸＦファイルが壊れています。") + "\r\v" + std::to_string(zeroBasedLine) +
         Sjis("行");
}

// A small drawing with every section, the nine tables, two layers and one line type.
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

TEST(TDXFBuffer, SplitsEveryLineEndStyleTheSameWay) {
  const std::string expected[] = {"SECTION", "HEADER", "ENDSEC", "EOF"};
  for (std::string_view end : {"\r\n", "\n", "\r"}) {
    Loaded f(DxfText({"  0", "SECTION", "2", "HEADER", "0", "ENDSEC", "0", "EOF"}, end));
    ASSERT_EQ(f.result, 0);
    ASSERT_EQ(f.buffer.PairCount, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.buffer.GetValue(i), expected[i]);
    EXPECT_EQ(f.buffer.GetCode(1), 2);
  }
  // Mixed ends, a CR LF split across the 64-byte blocks of the splitter, no final end.
  std::string mixed = std::string(61, ' ') + "0\r\nSECTION\r2\nHEADER\r\n0\nEOF";
  Loaded f(mixed);
  ASSERT_EQ(f.result, 0);
  ASSERT_EQ(f.buffer.PairCount, 3);
  EXPECT_EQ(f.buffer.GetValue(0), "SECTION");
  EXPECT_EQ(f.buffer.GetValue(1), "HEADER");
  EXPECT_EQ(f.buffer.GetValue(2), "EOF");
}

TEST(TDXFBuffer, ValuesKeepTheirBytes) {
  const std::string japanese = Sjis("  平面図 ソ表 ");
  Loaded f(DxfText({"1", japanese, "999", "", "1", "\ttab\t"}));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.GetValue(0), japanese);
  EXPECT_EQ(f.buffer.GetValue(1), "");
  EXPECT_EQ(f.buffer.GetValue(2), "\ttab\t");
}

TEST(TDXFBuffer, ReportsTheFirstBrokenCodeLine) {
  struct Case {
    std::vector<std::string> lines;
    int badLine;
  };
  const Case cases[] = {
      {{"0", "SECTION", "1.5", "x"}, 2},        {{"0", "SECTION", "1,0", "x"}, 2},
      {{"0", "SECTION", "+", "x"}, 2},          {{"0", "SECTION", "", "x"}, 2},
      {{"0", "SECTION", "2147483648", "x"}, 2}, {{"X", "SECTION"}, 0},
      {{"0", "SECTION", "0", "EOF", ""}, 4},   // an extra empty line after EOF
      {{"0", "SECTION", "0", "EOF", "0"}, 4},  // a last code without its value
  };
  for (const Case& c : cases) {
    Loaded f(DxfText(c.lines, "\n"));
    EXPECT_EQ(f.result, -3);
    EXPECT_EQ(f.buffer.ErrorCode, -3);
    EXPECT_EQ(f.buffer.ErrorMessage, BrokenAt(c.badLine));
  }
  Loaded ok(DxfText({" -5 ", "x", "\t+7\t", "y", "2147483647", "z"}, "\n"));
  ASSERT_EQ(ok.result, 0);
  EXPECT_EQ(ok.buffer.GetCode(0), -5);
  EXPECT_EQ(ok.buffer.GetCode(1), 7);
  EXPECT_EQ(ok.buffer.GetCode(2), 2147483647);
}

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

TEST(TDXFBuffer, MissingAndUnreadableFilesAreReported) {
  TempDir dir;
  TDXFBuffer b;
  const std::string missing = dir.Path() + "/none.dxf";
  EXPECT_EQ(b.LoadFromFile(missing), -1);
  EXPECT_EQ(b.ErrorMessage, Sjis(missing) + Sjis("ファイルが見つかりません"));
  EXPECT_EQ(b.PairCount, 0);
  EXPECT_EQ(b.LoadFromFile(dir.Path()), -2);  // a folder cannot be read as a file
  EXPECT_EQ(b.ErrorMessage,
            Sjis(dir.Path()) + Sjis("ファイルが開けません。他で開かれていませんか？"));
  if (geteuid() != 0) {  // root reads files without read permission
    const std::string locked = dir.Write("locked.dxf", "0\nEOF\n");
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(b.LoadFromFile(locked), -2);
  }
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
            "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n");
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

TEST(TDXFBuffer, ANulByteEndsTheText) {
  Loaded f(
      std::string("0\nSECTION\n0\nEOF\n\0"
                  "9\njunk\n",
                  24));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.PairCount, 2);
}

TEST(TDXFBuffer, AccessorsOutsideTheArraysAreHarmless) {
  Loaded f(DxfText({"0", "EOF"}));
  ASSERT_EQ(f.result, 0);
  EXPECT_DEBUG_DEATH(EXPECT_EQ(f.buffer.GetCode(-1), 0), "out of range");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(f.buffer.GetValue(101), ""), "out of range");
  EXPECT_DEBUG_DEATH(f.buffer.SetValue(5000, "x"), "out of range");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(f.buffer.GetMark(-7), dsNon), "out of range");
  TDXFBuffer empty;
  EXPECT_DEBUG_DEATH(EXPECT_EQ(empty.GetNote(0), ""), "out of range");
  EXPECT_EQ(empty.BuildIndex(), 0);
}

TEST(TDXFBuffer, SettersChangeOnlyTheirPair) {
  Loaded f(DxfText({"0", "LINE", "8", "A", "10", "1.0"}));
  ASSERT_EQ(f.result, 0);
  TDXFBuffer& b = f.buffer;
  b.SetValue(1, " B ");
  b.SetCode(2, 11);
  b.SetNote(0, Sjis("線分"));
  EXPECT_EQ(b.GetValue(1), " B ");
  EXPECT_EQ(b.GetValue(2), "1.0");
  EXPECT_EQ(b.GetCode(2), 11);
  EXPECT_EQ(b.GetNote(0), Sjis("線分"));
  EXPECT_EQ(b.GetNote(1), "");
  b.SetNote(0, "");
  EXPECT_EQ(b.GetNote(0), "");
  b.SetValue(1, "");
  EXPECT_EQ(b.GetValue(1), "");
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

TEST(TDXFBuffer, SaveWritesCrLfAndRightAlignedCodes) {
  Loaded f(DxfText(
      {"0", "SECTION", "1001", "APP", "-3", "x", "0", "", "  5", " 2A ", "0", "EOF", "0", "after"},
      "\n"));
  ASSERT_EQ(f.result, 0);
  f.buffer.SetFileName(f.dir.Path() + "/out.dxf");
  ASSERT_EQ(f.buffer.SaveToFile(), 0);
  EXPECT_EQ(ReadBytes(f.dir.Path() + "/out.dxf"),
            "  0\r\nSECTION\r\n1001\r\nAPP\r\n -3\r\nx\r\n  5\r\n 2A \r\n  0\r\nEOF\r\n");
  EXPECT_TRUE(f.messages.empty());
}

TEST(TDXFBuffer, AFailedSaveKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  Loaded f(DxfText({"0", "SECTION", "0", "EOF"}));
  ASSERT_EQ(f.result, 0);
  const std::string folder = f.dir.Path() + "/ro";
  std::filesystem::create_directory(folder);
  const std::string target = folder + "/keep.dxf";
  std::ofstream(target) << "old content";
  ::chmod(folder.c_str(), 0555);
  f.buffer.SetFileName(target);
  EXPECT_EQ(f.buffer.SaveToFile(), -2);
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(ReadBytes(target), "old content");
  ASSERT_EQ(f.messages.size(), 1u);
  EXPECT_EQ(f.messages[0], Sjis(target) + Sjis("ファイルが書き込み出来ません。"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}

TEST(TDXFBuffer, SaveIntoAMissingFolderFails) {
  Loaded f(DxfText({"0", "EOF"}));
  f.buffer.SetFileName(f.dir.Path() + "/no/such/folder/x.dxf");
  EXPECT_EQ(f.buffer.SaveToFile(), -2);
  EXPECT_EQ(f.messages.size(), 1u);
}

TEST(TDXFBuffer, SaveReplacesAnExistingFileAndKeepsItsMode) {
  Loaded f(DxfText({"0", "EOF"}));
  const std::string target = f.dir.Write("x.dxf", "old");
  ::chmod(target.c_str(), 0640);
  f.buffer.SetFileName(target);
  ASSERT_EQ(f.buffer.SaveToFile(), 0);
  EXPECT_EQ(ReadBytes(target), "  0\r\nEOF\r\n");
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// The file as saving must write it: lines split at CR LF, CR or LF up to the first NUL,
// pairs up to the EOF pair (or the last used one), code-0 pairs with an empty value left
// out, codes right-aligned in three places, CR LF everywhere. Written independently of
// the buffer so that the round trip checks one against the other.
std::string Normalised(const std::string& raw) {
  std::vector<std::string> lines;
  std::string line;
  const std::string text = raw.substr(0, raw.find('\0'));
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  std::vector<std::pair<int, std::string>> pairs;
  for (std::size_t k = 0; k + 1 < lines.size(); k += 2)
    pairs.emplace_back(std::stoi(Trim(lines[k])), lines[k + 1]);
  std::size_t eof = 0, lastUsed = 0;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (pairs[i].first != 0 || !Trim(pairs[i].second).empty()) lastUsed = i;
    if (pairs[i].first == 0 && Trim(pairs[i].second) == "EOF") eof = i;
  }
  if (eof == 0) eof = lastUsed;
  std::string out;
  char code[16];
  for (std::size_t i = 0; i <= eof && i < pairs.size(); ++i) {
    if (pairs[i].first == 0 && pairs[i].second.empty()) continue;
    std::snprintf(code, sizeof code, "%3d\r\n", pairs[i].first);
    out += code + pairs[i].second + "\r\n";
  }
  return out;
}

TEST(TDXFBuffer, EveryCorpusFileRoundTripsByteExactly) {
  const std::vector<std::string> files = CorpusTextFiles();
  if (files.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  TempDir dir;
  int roundTrips = 0;
  for (const std::string& file : files) {
    TDXFBuffer b;
    const int result = b.LoadFromFile(file);
    const std::string name = std::filesystem::path(file).filename().string();
    if (result != 0) {
      // Only deliberately broken files may fail, and only as broken.
      EXPECT_EQ(name.rfind("bad-", 0), 0u) << name << ": " << Utf8(b.ErrorMessage);
      EXPECT_EQ(result, -3) << name;
      continue;
    }
    b.SetFileName(dir.Path() + "/" + name);
    ASSERT_EQ(b.SaveToFile(), 0) << name;
    EXPECT_EQ(ReadBytes(b.FileName), Normalised(ReadBytes(file))) << name;
    ++roundTrips;
  }
  EXPECT_GE(roundTrips, 25);
}

TEST(TDXFBuffer, BinaryAndBrokenCorpusFilesFailCleanly) {
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  for (const char* name :
       {"binary-ezdxf-bin_dxf_r12.dxf", "binary-gdal-BINARY_wipeout.dxf",
        "bad-ezdxf-R12_with_trash_beyond_EOF.dxf", "bad-gdal-circle-trailing-blank-line.dxf"}) {
    TDXFBuffer b;
    EXPECT_EQ(b.LoadFromFile(dir + "/" + name), -3) << name;
  }
  TDXFBuffer b;  // an empty ENTITIES section, no line end after EOF
  ASSERT_EQ(b.LoadFromFile(dir + "/ezdxf-Minimal_DXF_AC1009-entities-only.dxf"), 0);
  EXPECT_EQ(b.EntitiesStart, 0);
  EXPECT_EQ(b.EntitiesEnd, 2);
  EXPECT_EQ(b.EofIndex, 3);
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

}  // namespace
