// DXFFileWin32Test.cpp - Windows' own cases of reading and saving files: names in any
// script, files held open by another program and read-only files.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>  // std::filesystem::directory_iterator
#include <optional>    // std::optional

#include "model/buffer/DXFFile.h"
#include "model/buffer/FilePath.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/Sjis.h"
#include "tests/support/LoadedText.h"

namespace {

// A file held open the way another program holds it, closed with the test.
class OpenElsewhere {
 public:
  OpenElsewhere(const std::string& path, DWORD access, DWORD sharing)
      : m_file(CreateFileW(PathFromUtf8(path).c_str(), access, sharing, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OpenElsewhere() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
  }
  OpenElsewhere(const OpenElsewhere&) = delete;
  OpenElsewhere& operator=(const OpenElsewhere&) = delete;
  bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }

 private:
  HANDLE m_file;
};

int FilesIn(const std::string& folder) {
  const auto files = std::filesystem::directory_iterator(PathFromUtf8(folder));
  return static_cast<int>(std::distance(files, std::filesystem::directory_iterator()));
}

TEST(DXFFileWin32, NamesInAnyScriptLoadAndSave) {
  const std::string text = DxfText({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "EOF"});
  Loaded f(text, "図面 №1.dxf");
  ASSERT_EQ(f.result, 0) << Utf8(f.buffer.ErrorMessage);
  EXPECT_EQ(f.buffer.EofIndex, 3);
  const std::string saved = f.dir.Path() + "\\保存先 ü.dxf";
  f.buffer.SetFileName(saved);
  ASSERT_EQ(f.buffer.SaveToFile(), 0);
  EXPECT_EQ(ReadBytes(saved), text);
  EXPECT_EQ(FilesIn(f.dir.Path()), 2);
}

TEST(DXFFileWin32, AFileAnotherProgramWritesIsReportedInUse) {
  TempDir dir;
  const std::string path = dir.Write("busy.dxf", "  0\r\nEOF\r\n");
  const OpenElsewhere writer(path, GENERIC_WRITE, FILE_SHARE_READ);
  ASSERT_TRUE(writer.IsOpen());
  TDXFBuffer b;
  EXPECT_EQ(b.LoadFromFile(path), -2);
  EXPECT_EQ(b.ErrorMessage, Sjis(path) + Sjis("ファイルが開けません。他で開かれていませんか？"));
}

TEST(DXFFileWin32, ALockedOrReadOnlyTargetIsKept) {
  for (const bool locked : {true, false}) {
    Loaded f(DxfText({"0", "EOF"}));
    ASSERT_EQ(f.result, 0);
    const std::string target = f.dir.Write("keep.dxf", "old content");
    const std::filesystem::path native = PathFromUtf8(target);
    std::optional<OpenElsewhere> holder;
    if (locked)
      holder.emplace(target, GENERIC_READ, 0);  // opened without sharing, as AutoCAD does
    else
      SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_READONLY);
    f.buffer.SetFileName(target);
    EXPECT_EQ(f.buffer.SaveToFile(), -2) << (locked ? "locked" : "read-only");
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0],
              Sjis(target) + Sjis("ファイルが書き込み出来ません。\r\n") +
                  WriteFaultReason(locked ? WriteFault::InUse : WriteFault::ReadOnly));
    holder.reset();
    SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(target), "old content");
    EXPECT_EQ(FilesIn(f.dir.Path()), 2);  // t.dxf and keep.dxf: no temporary file left
  }
}

}  // namespace
