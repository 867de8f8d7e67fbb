// DXFFileTest.cpp - reading whole files and saving them atomically.
#include "model/DXFFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>  // chmod
#include <unistd.h>    // geteuid
#endif

#include <filesystem>  // std::filesystem::path
#include <fstream>     // std::ofstream

#include "model/MyDXFClass.h"
#include "model/MyStringLib.h"
#include "model/Sjis.h"
#include "tests/support/LoadedText.h"

namespace {

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
#ifndef _WIN32           // Windows' files locked by another program: DXFFileWin32Test
  if (geteuid() != 0) {  // root reads files without read permission
    const std::string locked = dir.Write("locked.dxf", "0\nEOF\n");
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(b.LoadFromFile(locked), -2);
  }
#endif
}

TEST(TDXFBuffer, ANulByteEndsTheText) {
  Loaded f(
      std::string("0\nSECTION\n0\nEOF\n\0"
                  "9\njunk\n",
                  24));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.PairCount, 2);
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

#ifndef _WIN32  // POSIX permissions; Windows' read-only and locked files: DXFFileWin32Test
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
#endif

TEST(TDXFBuffer, SaveIntoAMissingFolderFails) {
  Loaded f(DxfText({"0", "EOF"}));
  f.buffer.SetFileName(f.dir.Path() + "/no/such/folder/x.dxf");
  EXPECT_EQ(f.buffer.SaveToFile(), -2);
  EXPECT_EQ(f.messages.size(), 1u);
}

#ifndef _WIN32  // POSIX permissions
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
#endif

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

}  // namespace
