// QuilletDumpTest.cpp - the command-line listing, run as a separate program.
#include <gtest/gtest.h>
#include <sys/wait.h>  // WEXITSTATUS

#include <cstdio>  // popen, pclose

#include "tests/TestFiles.h"

namespace {

struct DumpRun {
  std::string out;
  int status = -1;
};

// Runs quillet-dump with the given arguments (already quoted for the shell).
DumpRun Dump(const std::string& arguments) {
  DumpRun run;
  const std::string command = std::string("'") + QUILLET_DUMP + "' " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.out.append(chunk, got);
  run.status = WEXITSTATUS(::pclose(pipe));
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

}  // namespace
