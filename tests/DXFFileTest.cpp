// DXFFileTest.cpp - reading whole files and saving them atomically.
#include "model/buffer/DXFFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>        // signal, SIGXFSZ
#include <sys/resource.h>  // setrlimit, RLIMIT_FSIZE
#include <sys/stat.h>      // chmod, mkfifo
#include <sys/wait.h>      // waitpid
#include <unistd.h>        // geteuid, setuid, fork, alarm, _exit
#endif

#include <filesystem>  // std::filesystem::path
#include <fstream>     // std::ofstream
#include <functional>  // std::function

#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "tests/support/LoadedText.h"

namespace {

#ifndef _WIN32
// Runs body in a child process and returns its exit status, or -1 when it did not end
// by itself within ten seconds: a load that would wait for ever fails the test instead
// of hanging it, and a limit set in body stays in the child.
int RunInChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(10);
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

TEST(TDXFBuffer, EachFileThatCannotBeReadGetsItsCause) {
  TempDir dir;
  struct Case {
    std::string path;
    int result;
    const char* cause;  // after the path
  };
  const char* const notRegular =
      "は通常のファイルではありません（デバイスやパイプは読み込めません）";
  std::vector<Case> cases = {
      {dir.Path() + "/none.dxf", -1, "ファイルが見つかりません"},
      {dir.Path() + "/none/x.dxf", -1, "ファイルが見つかりません"},
      {dir.Path(), -2, "はフォルダです。DXFファイルを選んでください"},
  };
#ifdef _WIN32
  cases.push_back({"NUL", -2, notRegular});
#else
  const std::string loop = dir.Path() + "/loop.dxf";
  std::filesystem::create_symlink("loop.dxf", loop);
  const std::string fifo = dir.Path() + "/fifo.dxf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Opening a FIFO for reading waits for a writer, so the load must refuse it unopened.
  ASSERT_EQ(RunInChild([&fifo] { return -TDXFBuffer().LoadFromFile(fifo); }), 2);
  cases.push_back({loop, -2, "のシンボリックリンクが多すぎます（循環していませんか？）"});
  cases.push_back({fifo, -2, notRegular});
  cases.push_back({"/dev/null", -2, notRegular});
#endif
  for (const Case& c : cases) {
    TDXFBuffer b;
    EXPECT_EQ(b.LoadFromFile(c.path), c.result) << c.path;
    EXPECT_EQ(b.ErrorCode, c.result) << c.path;
    EXPECT_EQ(b.ErrorMessage, Sjis(c.path) + Sjis(c.cause)) << c.path;
    EXPECT_EQ(b.PairCount, 0);
  }
#ifndef _WIN32  // Windows' files locked by another program: DXFFileWin32Test
  // Root reads any file, so the child that tries gives root up first.
  const std::string locked = dir.Write("locked.dxf", "0\nEOF\n");
  ::chmod(locked.c_str(), 0);
  EXPECT_EQ(RunInChild([&locked] {
              constexpr uid_t kNobody = 65534;
              if (::geteuid() == 0 && ::setuid(kNobody) != 0) return 3;
              TDXFBuffer b;
              if (b.LoadFromFile(locked) != -2) return 1;
              return b.ErrorMessage == Sjis(locked) + Sjis("ファイルを読む権限がありません") ? 0
                                                                                             : 2;
            }),
            0);
#endif
}

// UTF-16 text of ASCII lines: every character followed (little-endian) or preceded by NUL.
std::string Utf16(std::string_view ascii, bool bigEndian) {
  std::string text;
  for (const char c : ascii) text += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return text;
}

TEST(TDXFBuffer, FilesInOtherFormatsAreRefusedByName) {
  using std::string_literals::operator""s;
  const std::string sentinel =
      Sjis("バイナリDXFファイルの先頭（AutoCAD Binary DXF）が壊れています");
  const std::string utf16 = Sjis("UTF-16 のファイルには対応していません");
  const struct {
    std::string text;
    const std::string& message;
  } cases[] = {
      {"AutoCAD Binary DXF\n\x1a\0\0\0"s, sentinel},
      {"\xFF\xFE"s + Utf16("  0\r\nSECTION\r\n", false), utf16},  // with a byte-order mark
      {"\xFE\xFF"s + Utf16("  0\r\nSECTION\r\n", true), utf16},
      {Utf16("0\nEOF\n", false), utf16},  // without one
      {Utf16("  0\nEOF\n", true), utf16},
  };
  for (const auto& c : cases) {
    Loaded f(c.text);
    EXPECT_EQ(f.result, -3);
    EXPECT_EQ(f.buffer.ErrorMessage, c.message);
  }
  // A UTF-8 byte-order mark is skipped.
  Loaded marked("\xEF\xBB\xBF  0\nEOF\n");
  ASSERT_EQ(marked.result, 0);
  EXPECT_EQ(marked.buffer.PairCount, 1);
  EXPECT_EQ(marked.buffer.GetCode(0), 0);
  EXPECT_EQ(marked.buffer.EofIndex, 0);
  // A mark alone is an empty text, as an empty file is; with a NUL after it too.
  for (const std::string& text : {"\xEF\xBB\xBF"s, "\xEF\xBB\xBF\0 0\nEOF\n"s}) {
    Loaded markOnly(text);
    EXPECT_EQ(markOnly.result, 0) << Utf8(markOnly.buffer.ErrorMessage);
    EXPECT_EQ(markOnly.buffer.PairCount, 0);
  }
}

TEST(TDXFBuffer, ANulByteEndsTheTextAndTheLoadSaysWhere) {
  struct Case {
    std::string text;
    int pairs;
    std::string lastValue;
    long long truncatedAt;
    long long afterEof;
  };
  using std::string_literals::operator""s;
  const Case cases[] = {
      {"0\nSECTION\n2\nHEA\0DER\n0\nEOF\n"s, 2, "HEA", 4, 0},  // inside a value line
      {"0\nSECTION\n\0"
       "2\nHEADER\n0\nEOF\n"s,
       1, "SECTION", 3, 0},                                 // at a line's start
      {"0\nSECTION\n 2\0\nHEADER\n"s, 1, "SECTION", 3, 0},  // a code line loses its value
      {"0\nSECTION\n0\nEOF\n\0"
       "9\njunk\n"s,
       2, "EOF", 0, 2},  // after EOF: nothing lost
      {"0\nSECTION\n0\nEOF\0\0\n"s, 2, "EOF", 0, 0},
  };
  for (const Case& c : cases) {
    Loaded f(c.text);
    ASSERT_EQ(f.result, 0) << Utf8(f.buffer.ErrorMessage);
    EXPECT_EQ(f.buffer.PairCount, c.pairs);
    EXPECT_EQ(f.buffer.GetValue(c.pairs - 1), c.lastValue);
    EXPECT_EQ(f.buffer.TruncatedAtLine, c.truncatedAt) << c.lastValue;
    EXPECT_EQ(f.buffer.IgnoredLinesAfterEof, c.afterEof) << c.lastValue;
  }
}

TEST(TDXFBuffer, NormalisedSaveWritesCrLfAndRightAlignedCodes) {
  Loaded f(DxfText(
      {"0", "SECTION", "1001", "APP", "-3", "x", "0", "", "  5", " 2A ", "0", "EOF", "0", "after"},
      "\n"));
  ASSERT_EQ(f.result, 0);
  f.buffer.NormaliseOnSave = true;
  f.buffer.SetFileName(f.dir.Path() + "/out.dxf");
  ASSERT_EQ(f.buffer.SaveToFile(), 0);
  EXPECT_EQ(ReadBytes(f.dir.Path() + "/out.dxf"),
            "  0\r\nSECTION\r\n1001\r\nAPP\r\n -3\r\nx\r\n  5\r\n 2A \r\n  0\r\nEOF\r\n");
  EXPECT_TRUE(f.messages.empty());
}

#ifndef _WIN32  // Windows' read-only and locked files: DXFFileWin32Test
// The write fails through a file-size limit, which binds root as well.
TEST(TDXFBuffer, AFailedSaveKeepsTheOldFile) {
  Loaded f(DxfText({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "EOF"}));
  ASSERT_EQ(f.result, 0);
  const std::string folder = f.dir.Path() + "/out";
  std::filesystem::create_directory(folder);
  const std::string target = folder + "/keep.dxf";
  std::ofstream(target) << "old content";
  f.buffer.SetFileName(target);
  const std::string expected = Sjis(target) + Sjis("ファイルが書き込み出来ません。\r\n") +
                               WriteFaultReason(WriteFault::TooLarge);
  EXPECT_EQ(RunInChild([&f, &expected] {
              ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
              const rlimit limit{16, 16};
              if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
              if (f.buffer.SaveToFile() != -2) return 1;
              return f.messages == std::vector<std::string>{expected} ? 0 : 2;
            }),
            0);
  EXPECT_EQ(ReadBytes(target), "old content");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}
#endif

TEST(TDXFBuffer, ALongFileNameCanBeSaved) {
  Loaded f(DxfText({"0", "EOF"}));
  const std::string name = std::string(251, 'x') + ".dxf";  // 255 bytes, the longest name
  f.buffer.SetFileName(f.dir.Path() + "/" + name);
  ASSERT_EQ(f.buffer.SaveToFile(), 0) << Utf8(f.messages.empty() ? "" : f.messages[0]);
  EXPECT_EQ(ReadBytes(f.dir.Path() + "/" + name), "0\r\nEOF\r\n");
}

#ifndef _WIN32  // Wine makes no symbolic links, and Windows only with a privilege
TEST(TDXFBuffer, SavingThroughASymbolicLinkWritesItsTarget) {
  Loaded f(DxfText({"0", "EOF"}));
  std::filesystem::create_directory(f.dir.Path() + "/real");
  for (const char* name : {"live", "dangling"}) {
    const std::string link = f.dir.Path() + "/" + name + ".dxf";
    const std::string target = f.dir.Path() + "/real/" + name + ".dxf";
    if (std::string_view(name) == "live") std::ofstream(target) << "old";
    std::filesystem::create_symlink(std::string("real/") + name + ".dxf", link);
    f.buffer.SetFileName(link);
    ASSERT_EQ(f.buffer.SaveToFile(), 0) << name;
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << name;
    EXPECT_EQ(ReadBytes(target), "0\r\nEOF\r\n") << name;
  }
}
#endif

TEST(TDXFBuffer, SaveIntoAMissingFolderFails) {
  Loaded f(DxfText({"0", "EOF"}));
  const std::string target = f.dir.Path() + "/no/such/folder/x.dxf";
  f.buffer.SetFileName(target);
  EXPECT_EQ(f.buffer.SaveToFile(), -2);
  EXPECT_EQ(f.messages,
            std::vector<std::string>{Sjis(target) + Sjis("ファイルが書き込み出来ません。\r\n") +
                                     WriteFaultReason(WriteFault::FolderMissing)});
}

#ifndef _WIN32  // POSIX permissions
TEST(TDXFBuffer, SaveReplacesAnExistingFileAndKeepsItsMode) {
  Loaded f(DxfText({"0", "EOF"}));
  const std::string target = f.dir.Write("x.dxf", "old");
  ::chmod(target.c_str(), 0640);
  f.buffer.SetFileName(target);
  ASSERT_EQ(f.buffer.SaveToFile(), 0);
  EXPECT_EQ(ReadBytes(target), "0\r\nEOF\r\n");
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}
#endif

// A file's pairs as a save sees them, worked out independently of the buffer so that
// the round trip checks one against the other: lines split at CR LF, CR or LF up to the
// first NUL and kept with their line ends, pairs up to the first code line that is not
// an integer, and up to the EOF pair (or the last used one).
struct ReferencePair {
  std::string codeLine, valueLine;  // with their line ends
  int code;
  std::string value;
};

std::vector<ReferencePair> ReferencePairs(const std::string& raw) {
  const std::vector<std::string> lines = LinesWithEnds(raw.substr(0, raw.find('\0')));
  const auto content = [](const std::string& line) {
    return line.substr(0, line.find_first_of("\r\n"));
  };
  std::vector<ReferencePair> pairs;
  for (std::size_t k = 0; k + 1 < lines.size(); k += 2) {
    const std::string code = Trim(content(lines[k]));
    char* end = nullptr;
    const long value = std::strtol(code.c_str(), &end, 10);
    if (code.empty() || *end != '\0') break;
    pairs.push_back({lines[k], lines[k + 1], static_cast<int>(value), content(lines[k + 1])});
  }
  std::size_t eof = 0, lastUsed = 0;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (pairs[i].code != 0 || !Trim(pairs[i].value).empty()) lastUsed = i;
    if (pairs[i].code == 0 && Trim(pairs[i].value) == "EOF") eof = i;
  }
  if (eof == 0) eof = lastUsed;
  if (eof + 1 < pairs.size()) pairs.resize(eof + 1);
  return pairs;
}

// A save as read: each pair's two lines as they stand, code-0 pairs with an empty value
// left out.
std::string AsRead(const std::string& raw) {
  std::string out;
  for (const ReferencePair& pair : ReferencePairs(raw))
    if (pair.code != 0 || !pair.value.empty()) out += pair.codeLine + pair.valueLine;
  return out;
}

// A normalised save: codes right-aligned in three places, CR LF everywhere.
std::string Normalised(const std::string& raw) {
  std::string out;
  char code[16];
  for (const ReferencePair& pair : ReferencePairs(raw)) {
    if (pair.code == 0 && pair.value.empty()) continue;
    std::snprintf(code, sizeof code, "%3d\r\n", pair.code);
    out += code + pair.value + "\r\n";
  }
  return out;
}

TEST(TDXFBuffer, EveryCorpusFileRoundTripsByteExactly) {
  const std::vector<std::string> files = CorpusTextFiles();
  if (files.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  TempDir dir;
  int roundTrips = 0, unchanged = 0;
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
    const std::string raw = ReadBytes(file);
    b.SetFileName(dir.Path() + "/" + name);
    ASSERT_EQ(b.SaveToFile(), 0) << name;
    const std::string saved = ReadBytes(b.FileName);
    EXPECT_EQ(saved, AsRead(raw)) << name;
    unchanged += saved == raw;
    b.NormaliseOnSave = true;
    ASSERT_EQ(b.SaveToFile(), 0) << name;
    EXPECT_EQ(ReadBytes(b.FileName), Normalised(raw)) << name;
    ++roundTrips;
  }
  EXPECT_GE(roundTrips, 27);
  EXPECT_GE(unchanged, 25);  // all but those with lines after EOF or empty code-0 pairs
}

TEST(TDXFBuffer, BinaryCorpusFilesLoadAndLinesAfterEofAreLeftOut) {
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  const struct {
    const char* name;
    int pairs;
    const char* acadVer;
  } binaries[] = {{"binary-ezdxf-bin_dxf_r12.dxf", 499, "AC1009"},
                  {"binary-ezdxf-bin_dxf_r2000.dxf", 1332, "AC1015"},
                  {"binary-gdal-BINARY_wipeout.dxf", 6037, "AC1032"}};
  for (const auto& c : binaries) {
    TDXFBuffer b;
    ASSERT_EQ(b.LoadFromFile(dir + "/" + c.name), 0) << c.name;
    EXPECT_EQ(b.Form, DXFForm::Binary) << c.name;
    EXPECT_EQ(b.PairCount, c.pairs) << c.name;
    EXPECT_EQ(b.EofIndex, c.pairs - 1) << c.name;
    EXPECT_EQ(b.AcadVer, c.acadVer) << c.name;
  }
  const struct {
    const char* name;
    int eofIndex;
    long long ignored;
  } afterEof[] = {{"bad-ezdxf-R12_with_trash_beyond_EOF.dxf", 8, 5},
                  {"bad-gdal-circle-trailing-blank-line.dxf", 17, 1},
                  {"ezdxf-small_r14.dxf", 788, 0}};
  for (const auto& c : afterEof) {
    TDXFBuffer b;
    ASSERT_EQ(b.LoadFromFile(dir + "/" + c.name), 0) << c.name;
    EXPECT_EQ(b.EofIndex, c.eofIndex) << c.name;
    EXPECT_EQ(b.PairCount, c.eofIndex + 1) << c.name;
    EXPECT_EQ(b.IgnoredLinesAfterEof, c.ignored) << c.name;
  }
  TDXFBuffer b;  // an empty ENTITIES section, no line end after EOF
  ASSERT_EQ(b.LoadFromFile(dir + "/ezdxf-Minimal_DXF_AC1009-entities-only.dxf"), 0);
  EXPECT_EQ(b.EntitiesStart, 0);
  EXPECT_EQ(b.EntitiesEnd, 2);
  EXPECT_EQ(b.EofIndex, 3);
}

}  // namespace
