// QuilletDumpTest.cpp - the command-line listing, run as a separate program.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>  // WEXITSTATUS
#include <unistd.h>    // access
#endif

#include <algorithm>   // std::min, std::replace
#include <cstdio>      // popen, pclose
#include <cstdlib>     // setenv, unsetenv
#include <filesystem>  // std::filesystem::exists
#include <string>      // std::string
#include <vector>      // std::vector

#include "model/QuilletVersion.h"  // kVersion
#include "model/buffer/FilePath.h"
#include "tests/support/TestFiles.h"

namespace {

struct DumpRun {
  std::string out;
  int status = -1;
};

#ifdef _WIN32
// cmd.exe quotes with double quotation marks and drops the outermost pair of a command;
// the wide call keeps the UTF-8 arguments intact whatever the ANSI code page.
std::wstring ShellCommand(std::string command) {
  std::replace(command.begin(), command.end(), '\'', '"');
  return PathFromUtf8('"' + command + '"').wstring();
}
FILE* OpenPipe(const std::string& command) {
  return ::_wpopen(ShellCommand(command).c_str(), L"rb");
}
int ClosePipe(FILE* pipe) {
  return ::_pclose(pipe);
}
#else
FILE* OpenPipe(const std::string& command) {
  return ::popen(command.c_str(), "r");
}
int ClosePipe(FILE* pipe) {
  return WEXITSTATUS(::pclose(pipe));
}
#endif

// Runs quillet-dump with the given arguments (already quoted for the shell, with single
// quotation marks), standard error joined to the output; `redirect` then sends the output
// elsewhere.
DumpRun Dump(const std::string& arguments, const std::string& redirect = "") {
  DumpRun run;
  FILE* pipe = OpenPipe(std::string("'") + QUILLET_DUMP + "' " + arguments + " 2>&1 " + redirect);
  if (!pipe) return run;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.out.append(chunk, got);
  run.status = ClosePipe(pipe);
  return run;
}

std::string Sample() {
  return "'" + SourcePath("examples/sample.dxf") + "'";
}

TEST(QuilletDump, ListsEveryPairInUtf8) {
  const DumpRun run = Dump(Sample());
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.rfind("1\t0\tSECTION\t", 0), 0u);
  EXPECT_NE(run.out.find("\t8\t壁\t"), std::string::npos);
  EXPECT_NE(run.out.find("\t1\t平面図　ソファ配置\t"), std::string::npos);
  EXPECT_NE(run.out.find("\t0\tEOF\tエンドオブファイル\n"), std::string::npos);
  EXPECT_NE(run.out.find("\t0\tLINE\t線分\n"), std::string::npos);
  EXPECT_EQ(run.out.back(), '\n');
}

TEST(QuilletDump, RangeRawAndSummary) {
  const DumpRun range = Dump("--from 3 --to 6 " + Sample());
  ASSERT_EQ(range.status, 0);
  EXPECT_EQ(range.out, "3\t2\tHEADER\tヘッダーセクション\n5\t9\t$ACADVER\tDXFのバージョン番号\n");
  const DumpRun plain = Dump("--no-remarks --from 3 --to 6 " + Sample());
  EXPECT_EQ(plain.out, "3\t2\tHEADER\t\n5\t9\t$ACADVER\t\n");
  const DumpRun raw = Dump("--raw --from 1 " + Sample());
  EXPECT_NE(raw.out.find("\t8\t\x95\xC7\t"), std::string::npos);  // "壁" as CP932
  const DumpRun summary = Dump("--summary " + Sample());
  ASSERT_EQ(summary.status, 0);
  for (const char* line : {"AcadVer\tAC1015\n", "HandSeed\t131072\n", "CLayer\t壁\n",
                           "LayerCount\t5\n", "LtScale\t1\n", "CeltScale\t0.5\n"})
    EXPECT_NE(summary.out.find(line), std::string::npos) << line;
}

TEST(QuilletDump, ReportsUsageAndLoadErrors) {
  EXPECT_EQ(Dump("").status, 2);
  EXPECT_EQ(Dump("--from x " + Sample()).status, 2);
  EXPECT_EQ(Dump("--bogus " + Sample()).status, 2);
  EXPECT_EQ(Dump("--help").status, 0);
  TempDir dir;
  const DumpRun missing = Dump("'" + dir.Path() + "/none.dxf'");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.out.find("ファイルが見つかりません"), std::string::npos);
  const std::string broken = dir.Write("b.dxf", "0\nSECTION\nx\ny\n");
  const DumpRun bad = Dump("'" + broken + "'");
  EXPECT_EQ(bad.status, 3);
  EXPECT_NE(bad.out.find("ＤＸＦファイルが壊れています。\r\v2行"), std::string::npos);
}

TEST(QuilletDump, AnswersVersionAndHelp) {
  const DumpRun version = Dump("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("quillet-dump ") + kVersion + "\n");
  const DumpRun help = Dump("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: quillet-dump [options] FILE\n", 0), 0u);
}

TEST(QuilletDump, ReadsStandardInputForADash) {
  const DumpRun fromFile = Dump(Sample());
  const DumpRun fromPipe = Dump("- < " + Sample());
  ASSERT_EQ(fromPipe.status, 0) << fromPipe.out;
  EXPECT_EQ(fromPipe.out, fromFile.out);
  const DumpRun summary = Dump("--json --summary - < " + Sample());
  EXPECT_EQ(summary.out.rfind("{\"FileName\":\"-\",\"PairCount\":656,", 0), 0u) << summary.out;
  TempDir dir;
  const DumpRun broken = Dump("- < '" + dir.Write("b.dxf", "0\nSECTION\nx\ny\n") + "'");
  EXPECT_EQ(broken.status, 3);
  EXPECT_NE(broken.out.find("ＤＸＦファイルが壊れています。\r\v2行"), std::string::npos);
#ifndef _WIN32  // the POSIX folder for temporary files
  ::setenv("TMPDIR", "/nonexistent", /*overwrite=*/1);
  const DumpRun noTemp = Dump("- < " + Sample());
  ::unsetenv("TMPDIR");
  EXPECT_EQ(noTemp.status, 3);
  EXPECT_NE(noTemp.out.find("quillet-dump: cannot make a temporary file for standard input in "
                            "/nonexistent: No such file or directory\n"),
            std::string::npos)
      << noTemp.out;
#endif
}

#ifndef _WIN32  // Windows has no /dev/full
TEST(QuilletDump, FailsWhenTheOutputCannotBeWritten) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not there";
  TempDir dir;
  const std::string out = "'" + dir.Path() + "/out.dxf'";
  for (const std::string& arguments :
       {Sample(), "--json " + Sample(), "--summary " + Sample(), "--groups " + Sample(),
        "--rename-layer 壁 外壁 " + out + " " + Sample(),
        "--round none none " + out + " " + Sample(), std::string("--help"),
        std::string("--version")}) {
    const DumpRun run = Dump(arguments, "> /dev/full");
    EXPECT_EQ(run.status, 11) << arguments;
    EXPECT_EQ(run.out, "quillet-dump: cannot write the output: No space left on device\n")
        << arguments;
  }
}
#endif

TEST(QuilletDump, PrintsTheListTables) {
  const struct {
    const char* option;
    const char* line;
  } cases[] = {
      {"--layers", "CLAYER : 53 : 壁\n   1\t    315\t0\t   White\tContinuous\t\n"},
      {"--colors", "   8\t\t   3(Green)\t     0\t     0\t     1\t0.255.0\t\n"},
      {"--groups", "   2\t   1283\t家具\t      3\t家具と円\n\t   0\t    947\t     43\tARC\n"},
  };
  for (const auto& c : cases) {
    const DumpRun run = Dump(std::string(c.option) + " " + Sample());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find(c.line), std::string::npos) << c.option << "\n" << run.out;
  }
}

TEST(QuilletDump, ReportsAnIncompleteList) {
  TempDir dir;
  const std::string bad =
      dir.Write("bad.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "62", "x1", "0",
                                    "ENDSEC", "0", "EOF"}));
  const DumpRun run = Dump("--colors '" + bad + "'");
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.out, "quillet-dump: the list is incomplete: 'x1' は整数値ではありません\n");
}

TEST(QuilletDump, RenamesIntoANewFileThatLoadsAgain) {
  TempDir dir;
  const std::string before = ReadBytes(SourcePath("examples/sample.dxf"));
  const std::string out = "'" + dir.Path() + "/out.dxf'";
  const DumpRun layer = Dump("--rename-layer 壁 外壁 " + out + " " + Sample());
  ASSERT_EQ(layer.status, 0) << layer.out;
  EXPECT_EQ(layer.out.rfind("\nレイヤ名置き換え      55 : SECTION      \"壁\"　→　\"外壁\"\n", 0),
            0u);
  EXPECT_NE(layer.out.find("\n6個のレイヤ名を置き換えました\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(SourcePath("examples/sample.dxf")), before);
  EXPECT_NE(Dump("--layers " + out).out.find("CLAYER : 53 : 外壁\n"), std::string::npos);

  const DumpRun block = Dump("--rename-block 扉 ドア " + out + " " + out);
  ASSERT_EQ(block.status, 0) << block.out;
  EXPECT_NE(block.out.find("ブロック名置き換え    1079 : INSERT   扉　→　ドア\n"),
            std::string::npos);
  EXPECT_NE(Dump("--blocks " + out).out.find("\tドア\t    2\t"), std::string::npos);

  const DumpRun ltype = Dump("--rename-ltype Continuous 実線 " + out + " " + out);
  ASSERT_EQ(ltype.status, 0) << ltype.out;
  EXPECT_NE(ltype.out.find("\n5個の線種名を置き換えました\n"), std::string::npos);
  EXPECT_NE(Dump("--layers " + out).out.find("\t外壁\t   Red\t実線\t"), std::string::npos);
}

TEST(QuilletDump, RefusesARenameToATakenOrUnknownName) {
  TempDir dir;
  const std::string out = "'" + dir.Path() + "/out.dxf'";
  const DumpRun taken = Dump("--rename-layer 壁 家具 " + out + " " + Sample());
  EXPECT_EQ(taken.status, 5);
  EXPECT_EQ(taken.out, "quillet-dump: 5番に同じレイヤ名があるので置き換え出来ません\n");
  // AutoCAD reads names regardless of case: CONTINUOUS is Continuous.
  const DumpRun cased = Dump("--rename-ltype 一点鎖線 CONTINUOUS " + out + " " + Sample());
  EXPECT_EQ(cased.status, 5);
  EXPECT_EQ(cased.out, "quillet-dump: 3番に同じ線種名があるので置き換え出来ません\n");
  EXPECT_EQ(Dump("--rename-block NONE X " + out + " " + Sample()).status, 5);
  EXPECT_TRUE(ReadBytes(dir.Path() + "/out.dxf").empty());
  EXPECT_EQ(Dump("--rename-layer 壁 外壁 " + Sample()).status, 2);
  EXPECT_EQ(Dump("--layers --blocks " + Sample()).status, 2);
}

TEST(QuilletDump, RefusesToWriteADrawingCutShortByANul) {
  TempDir dir;
  std::string cut = ReadBytes(SourcePath("examples/sample.dxf"));
  cut[cut.size() / 2] = '\0';
  const std::string file = "'" + dir.Write("cut.dxf", cut) + "'";
  const std::string out = dir.Path() + "/out.dxf";
  for (const std::string& option : {"--rename-layer 壁 外壁 '" + out + "' ",
                                    "--round 0/3 0.1/4 '" + out + "' ", "--purge '" + out + "' "}) {
    const DumpRun run = Dump(option + file);
    EXPECT_EQ(run.status, 10) << option;
    EXPECT_EQ(run.out.rfind("quillet-dump: NUL文字があるため ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("行目までしか読み込んでいません; OUT is not written"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
  }
  EXPECT_EQ(Dump("--layers " + file).status, 0);  // reading it is fine
}

TEST(QuilletDump, DecodesEachFileByItsEncoding) {
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  const auto corpus = [&dir](const char* name) { return "'" + dir + "/" + name + "'"; };
  const DumpRun layers = Dump("--layers " + corpus("gen-r2018-utf8-japanese.dxf"));
  ASSERT_EQ(layers.status, 0) << layers.out;
  EXPECT_NE(layers.out.find("\t壁\t   200.80.40\tContinuous\t\n"), std::string::npos) << layers.out;
  EXPECT_NE(layers.out.find("\tソファ\t   30.144.255\tHASEN_JP\t危険な文字[ソァ]\n"),
            std::string::npos);
  const DumpRun utf8 = Dump("--no-remarks " + corpus("gdal-utf-8.dxf"));
  EXPECT_NE(utf8.out.find("\t2\téven\t\n"), std::string::npos);
  const DumpRun chosen = Dump("--no-remarks --encoding cp1252 " + corpus("gdal-utf-8.dxf"));
  EXPECT_NE(chosen.out.find("\t2\tÃ©ven\t\n"), std::string::npos);
  const DumpRun raw = Dump("--raw --no-remarks " + corpus("gdal-utf-8.dxf"));
  EXPECT_NE(raw.out.find("\t2\t\xC3\xA9ven\t\n"), std::string::npos);
  const DumpRun greek =
      Dump("--no-remarks --from 95 --to 96 " + corpus("ezdxf-ASCII_R12-cp1252.dxf"));
  EXPECT_EQ(greek.out, "95\t8\tΛΑΓΕΡﾄﾜﾖ\t\n");  // cp1252 ÄÜÖ read as CP932: nothing declared
  const DumpRun declared = Dump("--no-remarks --encoding CP1252 --from 95 --to 96 " +
                                corpus("ezdxf-ASCII_R12-cp1252.dxf"));
  EXPECT_EQ(declared.out, "95\t8\tΛΑΓΕΡÄÜÖ\t\n");
  for (const auto& [file, encoding] : {std::pair{"gen-r2018-utf8-japanese.dxf", "utf-8"},
                                       {"gen-r12-ansi932.dxf", "cp932"},
                                       {"acadsharp-sample_AC1018_ascii.dxf", "cp1252"}}) {
    const DumpRun summary = Dump("--summary " + corpus(file));
    EXPECT_NE(summary.out.find(std::string("\nEncoding\t") + encoding + "\n"), std::string::npos)
        << file;
  }
  EXPECT_EQ(Dump("--encoding latin9 " + corpus("gdal-utf-8.dxf")).status, 2);
  EXPECT_EQ(Dump("--encoding").status, 2);
}

TEST(QuilletDump, RenamesALayerOfAUtf8Drawing) {
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  TempDir temp;
  const std::string out = "'" + temp.Path() + "/out.dxf'";
  const DumpRun rename =
      Dump("--rename-layer 壁 Wand-é " + out + " '" + dir + "/gen-r2018-utf8-japanese.dxf'");
  ASSERT_EQ(rename.status, 0) << rename.out;
  EXPECT_NE(rename.out.find(" : LAYER        \"壁\"　→　\"Wand-é\"\n"), std::string::npos)
      << rename.out;
  const std::string bytes = ReadBytes(temp.Path() + "/out.dxf");
  EXPECT_NE(bytes.find("\nWand-\xC3\xA9\n"), std::string::npos);
  EXPECT_EQ(bytes.find("\n\xE5\xA3\x81\n"), std::string::npos);  // no layer 壁 is left
  EXPECT_NE(Dump("--layers " + out).out.find("\tWand-é\t   200.80.40\tContinuous\t\n"),
            std::string::npos);
}

TEST(QuilletDump, PrintsTheOwnerAndTheReferrersOfAHandle) {
  const struct {
    const char* handle;
    int status;
    const char* out;
  } cases[] = {
      {"002", 0,
       "record\t303\tTABLE\nref\t319\t330\tLAYER\nref\t341\t330\tLAYER\n"
       "ref\t363\t330\tLAYER\nref\t385\t330\tLAYER\nref\t407\t330\tLAYER\n"},
      {"42", 0, "record\t925\tCIRCLE\nref\t1307\t340\tGROUP\n"},
      {"f", 9, "quillet-dump: no record owns handle F; 0 pairs point at it\n"},
      {"1G", 2, "quillet-dump: --handle needs a hexadecimal handle of 1 to 16 digits, not '1G'\n"},
  };
  for (const auto& c : cases) {
    const DumpRun run = Dump(std::string("--handle ") + c.handle + " " + Sample());
    EXPECT_EQ(run.status, c.status) << c.handle;
    EXPECT_EQ(run.out.substr(0, std::string_view(c.out).size()), c.out) << c.handle;
  }
  EXPECT_EQ(Dump("--handle 2 --check " + Sample()).status, 2);
  EXPECT_EQ(Dump("--handle 2 --layers " + Sample()).status, 2);
  EXPECT_EQ(Dump("--check --round none none out.dxf " + Sample()).status, 2);
}

TEST(QuilletDump, ChecksTheDrawing) {
  const DumpRun clean = Dump("--check " + Sample());
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out, "");
  TempDir dir;
  const std::string broken =
      dir.Write("b.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "5", "1A", "330",
                                  "2B", "10", "x", "0", "EOF"}));
  const DumpRun run = Dump("--check '" + broken + "'");
  EXPECT_EQ(run.status, 7);
  EXPECT_EQ(run.out,
            "1\tunclosed-section\tSECTION ENTITIES に ENDSEC がありません\n"
            "9\tdangling-pointer\t参照先のハンドル 2B がありません\n"
            "11\tbad-number\tグループコード 10 の値 'x' は浮動小数点数ではありません\n");
  // A note counts: a drawing whose only problem is a layer the table lacks exits with 7.
  const std::string note = dir.Write(
      "n.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "WALL", "0", "ENDSEC"}));
  const DumpRun noted = Dump("--check '" + note + "'");
  EXPECT_EQ(noted.status, 7);
  EXPECT_EQ(noted.out,
            "7\tundefined-layer\t画層 'WALL' は LAYER テーブルにありません"
            "（注意：AutoCAD はこのまま読み込みます）\n"
            "11\tmissing-eof\t図面の最後に EOF がありません\n");
}

TEST(QuilletDump, RepairsWhatItCanAndSaysWhatIsLeft) {
  TempDir dir;
  const std::string out = "'" + dir.Path() + "/out.dxf'";
  const std::string broken =
      dir.Write("b.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "0", "10", "x",
                                  "0", "LINE", "8", "0"}));
  const DumpRun run = Dump("--repair " + out + " '" + broken + "'");
  EXPECT_EQ(run.status, 7);
  EXPECT_EQ(run.out,
            "1\tunclosed-section\tSECTION ENTITIES の ENDSEC を入れました（図面の最後）\n"
            "15\tmissing-eof\tEOF を入れました（図面の最後）\n"
            "9\tbad-number\tグループコード 10 の値 'x' は浮動小数点数ではありません："
            "正しい値が分からないので自動では修復しません\n");
  EXPECT_EQ(Dump("--check " + out).out,
            "9\tbad-number\tグループコード 10 の値 'x' は浮動小数点数ではありません\n");
  // Nothing left: exit 0; OUT is written also when there was nothing to repair.
  const DumpRun fixed = Dump("--repair '" + dir.Path() + "/again.dxf' " + Sample());
  EXPECT_EQ(fixed.status, 0);
  EXPECT_EQ(ReadBytes(dir.Path() + "/again.dxf"), ReadBytes(SourcePath("examples/sample.dxf")));
  EXPECT_EQ(Dump("--repair '" + dir.Path() + "/no/such/dir/o.dxf' " + Sample()).status, 6);
  EXPECT_EQ(Dump("--repair " + out + " '" + dir.Path() + "/missing.dxf'").status, 3);
  EXPECT_EQ(Dump("--repair").status, 2);
}

TEST(QuilletDump, ListsAndPurgesTheUnusedDefinitions) {
  const std::string before = ReadBytes(SourcePath("examples/sample.dxf"));
  const DumpRun list = Dump("--purge-list " + Sample());
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "381\tLAYER\t非表示\n");
  TempDir dir;
  const std::string out = "'" + dir.Path() + "/out.dxf'";
  const DumpRun purge = Dump("--purge " + out + " " + Sample());
  EXPECT_EQ(purge.status, 0);
  EXPECT_EQ(purge.out, list.out);
  EXPECT_EQ(ReadBytes(SourcePath("examples/sample.dxf")), before);
  EXPECT_EQ(Dump("--purge-list " + out).out, "");
  EXPECT_EQ(Dump("--check " + out).status, 0);
  EXPECT_EQ(Dump("--purge " + Sample()).status, 2);
  EXPECT_EQ(Dump("--purge-list --layers " + Sample()).status, 2);
}

TEST(QuilletDump, PrintsTheRecordsThatDifferAndExitsOneWhenAnyDoes) {
  TempDir dir;
  const auto drawing = [&dir](const char* name, const char* line, const char* text) {
    return "'" + dir.Write(name, DxfText({"0",  "SECTION",  "2",  "HEADER", "9",  "$LTSCALE",
                                          "40", "1.0",      "0",  "ENDSEC", "0",  "SECTION",
                                          "2",  "ENTITIES", "0",  "LINE",   "5",  "1A",
                                          "8",  "0",        "62", "1",      "10", line,
                                          "0",  "TEXT",     "5",  "1B",     "1",  text,
                                          "0",  "ENDSEC",   "0",  "EOF"})) +
           "'";
  };
  const std::string here = drawing("here.dxf", "0.0", "a\tb");
  const std::string same = drawing("same.dxf", "0.000000", "a\tb");
  const std::string there = drawing("there.dxf", "2.5", "c");
  const struct {
    std::string arguments;
    int status;
    std::string out;
  } cases[] = {
      {"--diff " + same + " " + here, 0, ""},
      {"--exact --diff " + same + " " + here, 1,
       "changed\t1A\tLINE\t15\t15\t10: 0.0 -> 0.000000\n"},
      {"--diff " + there + " " + here, 1,
       "changed\t1A\tLINE\t15\t15\t10: 0.0 -> 2.5\n"
       "changed\t1B\tTEXT\t25\t25\t1: a\\tb -> c\n"},
      {"--json --diff " + there + " " + here, 1,
       "{\"change\":\"changed\",\"handle\":\"1A\",\"type\":\"LINE\",\"line\":15,"
       "\"other_line\":15,\"pairs\":[{\"code\":10,\"value\":\"0.0\",\"other_value\":\"2.5\"}]}\n"
       "{\"change\":\"changed\",\"handle\":\"1B\",\"type\":\"TEXT\",\"line\":25,"
       "\"other_line\":25,\"pairs\":[{\"code\":1,\"value\":\"a\\tb\",\"other_value\":\"c\"}]}\n"},
      {"--diff " + here + " - < " + same, 0, ""},
      {"--diff '" + dir.Path() + "/none.dxf' " + here, 3, ""},
      {"--diff " + here, 2, ""},
      {"--diff - - ", 2, ""},
      {"--exact " + here, 2, ""},
      {"--diff " + here + " --layers " + here, 2, ""},
  };
  for (const auto& c : cases) {
    const DumpRun run = Dump(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.out;
    if (c.status < 2) {
      EXPECT_EQ(run.out, c.out) << c.arguments;
    }
  }
}

// Splits bytes into lines at CR LF, as the program writes them.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t end = std::min(bytes.find("\r\n", at), bytes.size());
    lines.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

TEST(QuilletDump, RoundsIntoAFileThatDiffersOnlyInTheSnappedValues) {
  TempDir dir;
  const std::string outPath = dir.Path() + "/out.dxf";
  const DumpRun run = Dump("--round 0/3 0.1/4 '" + outPath + "' " + Sample());
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out,
            "端数の丸め：2行、四捨五入しました。\n"
            "　座標/距離　0単位　0.000X(3)桁\n"
            "　角度　　　 0.1単位　0.0000X(4)桁\n"
            "端数の丸め：2行、四捨五入しました。\n");
  const std::vector<std::string> before = Lines(ReadBytes(SourcePath("examples/sample.dxf")));
  const std::vector<std::string> after = Lines(ReadBytes(outPath));
  ASSERT_EQ(after.size(), before.size());
  std::vector<std::string> changed;
  for (std::size_t k = 0; k < before.size(); ++k)
    if (after[k] != before[k]) changed.push_back(std::to_string(k + 1) + ":" + after[k]);
  EXPECT_EQ(changed, (std::vector<std::string>{"922:3000.0", "972:180.0"}));
  EXPECT_EQ(Dump("--summary '" + outPath + "'").status, 0);

  const DumpRun skipped = Dump("--round none none '" + outPath + "' '" + outPath + "'");
  ASSERT_EQ(skipped.status, 0) << skipped.out;
  EXPECT_EQ(skipped.out.substr(0, skipped.out.find('\n', skipped.out.find('\n') + 1)),
            "端数の丸め：0行、四捨五入しました。\n　座標/距離　補正しない単位　0.000X(3)桁");
  EXPECT_EQ(Lines(ReadBytes(outPath)), after);
}

TEST(QuilletDump, RefusesBadRoundArgumentsAndWritesNothingForANonNumber) {
  TempDir dir;
  const std::string out = "'" + dir.Path() + "/out.dxf'";
  for (const char* choice : {"0.3/3 none", "0/16 none", "0 none", "0/x none", "none 0.1/-1"})
    EXPECT_EQ(Dump(std::string("--round ") + choice + " " + out + " " + Sample()).status, 2)
        << choice;
  EXPECT_EQ(Dump("--round none none " + Sample()).status, 2);
  EXPECT_EQ(Dump("--layers --round none none " + out + " " + Sample()).status, 2);
  const std::string bad =
      dir.Write("bad.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1.0000001",
                                    "20", "y2", "0", "ENDSEC", "0", "EOF"}));
  const DumpRun run = Dump("--round 0/3 0.1/4 " + out + " '" + bad + "'");
  EXPECT_EQ(run.status, 8);
  EXPECT_EQ(run.out, "quillet-dump: 'y2' は浮動小数点数ではありません\n");
  EXPECT_TRUE(ReadBytes(dir.Path() + "/out.dxf").empty());
}

TEST(QuilletDump, ConvertsBothWaysAndRefusesAValueTheFormCannotHold) {
  TempDir dir;
  const std::string binary = "'" + dir.Path() + "/b.dxf'";
  const std::string text = "'" + dir.Path() + "/t.dxf'";
  ASSERT_EQ(Dump("--to-binary " + binary + " " + Sample()).status, 0);
  EXPECT_TRUE(ReadBytes(dir.Path() + "/b.dxf").starts_with("AutoCAD Binary DXF\r\n\x1a"));
  ASSERT_EQ(Dump("--to-ascii " + text + " " + binary).status, 0);
  const std::string back = ReadBytes(dir.Path() + "/t.dxf");
  EXPECT_TRUE(back.starts_with("  0\r\nSECTION\r\n  2\r\nHEADER\r\n")) << back.substr(0, 40);
  // The listing of every form is the same, apart from the reals' shortest texts.
  EXPECT_EQ(Dump("--json --no-remarks " + binary).out, Dump("--json --no-remarks " + text).out);
  EXPECT_EQ(Dump("--to-binary " + binary + " " + Sample() + " --layers").status, 2);
  EXPECT_EQ(Dump("--to-ascii").status, 2);

  const std::string bad =
      dir.Write("bad.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "x", "0",
                                    "ENDSEC", "0", "EOF"}));
  const std::string out = dir.Path() + "/out.dxf";
  const DumpRun run = Dump("--to-binary '" + out + "' '" + bad + "'");
  EXPECT_EQ(run.status, 12);
  EXPECT_EQ(run.out,
            "quillet-dump: 7 行：グループコード 10 の値 'x' は浮動小数点数ではありません。バイナリ "
            "DXF に書けません。値を直してから保存してください\n");
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
