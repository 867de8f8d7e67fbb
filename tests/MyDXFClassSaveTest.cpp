// MyDXFClassSaveTest.cpp - saving: unchanged lines as read, changed ones in the file's way.
#include <gtest/gtest.h>

#include <algorithm>   // std::min
#include <cstdint>     // std::uint64_t
#include <filesystem>  // std::filesystem::path
#include <functional>  // std::function

#include "model/buffer/MyDXFClass.h"
#include "tests/support/LoadedText.h"

namespace {

using std::string_literals::operator""s;

// Loads text, applies an edit, saves and returns the saved bytes, which SaveSize foretold.
std::string SavedAfter(const std::string& text, const std::function<void(TDXFBuffer&)>& edit) {
  Loaded f(text);
  EXPECT_EQ(f.result, 0) << Utf8(f.buffer.ErrorMessage);
  edit(f.buffer);
  f.buffer.SetFileName(f.dir.Path() + "/out.dxf");
  const std::uint64_t size = f.buffer.SaveSize();
  EXPECT_EQ(f.buffer.SaveToFile(), 0);
  const std::string saved = ReadBytes(f.buffer.FileName);
  EXPECT_EQ(size, saved.size());
  return saved;
}

TEST(TDXFBuffer, SaveKeepsEveryLineThatWasNotChanged) {
  const auto none = [](TDXFBuffer&) {};
  std::string manyValues, manyValuesNormalised;  // 400 KB, more than the writer's first block
  for (int i = 0; i < 40; ++i) {
    manyValues += "1\n" + std::string(10000, static_cast<char>('a' + i % 26)) + "\n";
    manyValuesNormalised +=
        "  1\r\n" + std::string(10000, static_cast<char>('a' + i % 26)) + "\r\n";
  }
  const struct {
    const char* what;
    std::string text;
    std::function<void(TDXFBuffer&)> edit;
    std::string saved;
  } cases[] = {
      {"unpadded codes, no final line end", "0\nSECTION\n  2\nENTITIES\n0\nENDSEC\n0\nEOF", none,
       "0\nSECTION\n  2\nENTITIES\n0\nENDSEC\n0\nEOF"},
      {"mixed line ends", "0\r\nSECTION\r2\nHEADER\r\n 0\nEOF\r", none,
       "0\r\nSECTION\r2\nHEADER\r\n 0\nEOF\r"},
      {"a value keeps its line end", "0\nLINE\r\n8\rA\n0\nEOF\n",
       [](TDXFBuffer& b) { b.SetValue(1, "WALL"); }, "0\nLINE\r\n8\rWALL\n0\nEOF\n"},
      {"a code is written in three places", "0\r\nLINE\r\n8\nA\r\n0\r\nEOF\r\n",
       [](TDXFBuffer& b) { b.SetCode(1, 62); }, "0\r\nLINE\r\n 62\nA\r\n0\r\nEOF\r\n"},
      {"a code set back stays as read", "0\nLINE\n08\nA\n0\nEOF\n",
       [](TDXFBuffer& b) {
         b.SetCode(1, 6);
         b.SetCode(1, 8);
       },
       "0\nLINE\n08\nA\n0\nEOF\n"},
      {"the last value keeps having no line end", "0\nEOF",
       [](TDXFBuffer& b) { b.SetValue(0, "EOF "); }, "0\nEOF "},
      {"an emptied last value gets its code line's end", "0\r\nLINE\r\n8\r\nA",
       [](TDXFBuffer& b) { b.SetValue(1, ""); }, "0\r\nLINE\r\n8\r\n\r\n"},
      // A lone CR before an emptied value must not join the value's LF into one line end.
      {"an emptied value after a lone CR keeps its line", "0\nLINE\n8\rA\n0\nEOF\n",
       [](TDXFBuffer& b) { b.SetValue(1, ""); }, "0\nLINE\n8\r\r0\nEOF\n"},
      {"an emptied value after a lone CR keeps a CR LF end", "0\nLINE\n8\rA\r\n0\nEOF\n",
       [](TDXFBuffer& b) { b.SetValue(1, ""); }, "0\nLINE\n8\r\r\n0\nEOF\n"},
      {"an emptied value after a CR LF keeps its LF", "0\nLINE\n8\r\nA\n0\nEOF\n",
       [](TDXFBuffer& b) { b.SetValue(1, ""); }, "0\nLINE\n8\r\n\n0\nEOF\n"},
      {"a changed code before an emptied value keeps the lines apart", "0\nLINE\n8\rA\n0\nEOF\n",
       [](TDXFBuffer& b) {
         b.SetCode(1, 62);
         b.SetValue(1, "");
       },
       "0\nLINE\n 62\r\r0\nEOF\n"},
      {"a UTF-8 byte-order mark stays",
       "\xEF\xBB\xBF"
       "0\nEOF\n",
       none,
       "\xEF\xBB\xBF"
       "0\nEOF\n"},
      {"code-0 pairs with an empty value go", "0\nSECTION\n0\n\n0\nLINE\n0\nEOF\n",
       [](TDXFBuffer& b) { b.SetValue(2, ""); }, "0\nSECTION\n0\nEOF\n"},
      {"lines after EOF go", "0\nSECTION\n0\nEOF\n5\n1F\n\n", none, "0\nSECTION\n0\nEOF\n"},
      {"a NUL byte ends the last line", "0\nSECTION\n0\nEO\0F\n"s, none, "0\nSECTION\n0\nEO"},
      {"a long run after a change, with a value of 3 MiB",
       "0\nSECTION\n999\n" + std::string(3 << 20, 'x') + "\n0\nEOF\n",
       [](TDXFBuffer& b) { b.SetValue(0, "SECTION "); },
       "0\nSECTION \n999\n" + std::string(3 << 20, 'x') + "\n0\nEOF\n"},
      {"a normalised save larger than the writer's first block", manyValues,
       [](TDXFBuffer& b) { b.NormaliseOnSave = true; }, manyValuesNormalised},
      {"pairs the file did not have get its line end", "", [](TDXFBuffer& b) { b.SetCode(0, 5); },
       "  5\r\n\r\n"},
      {"the normalised form",
       "\xEF\xBB\xBF"
       "0\nSECTION\n5\n1F\r0\nEOF",
       [](TDXFBuffer& b) {
         b.SetValue(1, "20");
         b.NormaliseOnSave = true;
       },
       "  0\r\nSECTION\r\n  5\r\n20\r\n  0\r\nEOF\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(SavedAfter(c.text, c.edit), c.saved) << c.what;
}

// The pair a one-value edit changes: the first after the middle with a non-empty value.
int EditedPair(const TDXFBuffer& b) {
  for (int i = b.PairCount / 2; i < b.EofIndex; ++i)
    if (!b.ValueView(i).empty()) return i;
  return b.EofIndex;
}

TEST(TDXFBuffer, AOneValueEditOfACorpusFileChangesOnlyThatValueLine) {
  const std::vector<std::string> files = CorpusTextFiles();
  if (files.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  TempDir dir;
  int edited = 0;
  for (const std::string& file : files) {
    TDXFBuffer b;
    if (b.LoadFromFile(file) != 0) continue;  // broken on purpose
    const std::string name = std::filesystem::path(file).filename().string();
    b.SetFileName(dir.Path() + "/plain.dxf");
    ASSERT_EQ(b.SaveToFile(), 0) << name;
    const std::vector<std::string> plain = LinesWithEnds(ReadBytes(b.FileName));
    const int pair = EditedPair(b);
    b.SetValue(pair, b.GetValue(pair) + "-edited");
    b.SetFileName(dir.Path() + "/edited.dxf");
    ASSERT_EQ(b.SaveToFile(), 0) << name;
    const std::vector<std::string> changed = LinesWithEnds(ReadBytes(b.FileName));
    ASSERT_EQ(changed.size(), plain.size()) << name;
    std::vector<std::size_t> differing;
    for (std::size_t k = 0; k < plain.size(); ++k)
      if (changed[k] != plain[k]) differing.push_back(k);
    ASSERT_EQ(differing.size(), 1u) << name;
    const std::string& before = plain[differing[0]];
    const std::size_t end = std::min(before.find_first_of("\r\n"), before.size());
    EXPECT_EQ(changed[differing[0]], before.substr(0, end) + "-edited" + before.substr(end))
        << name;
    if (ReadBytes(file) == ReadBytes(dir.Path() + "/plain.dxf")) {
      EXPECT_EQ(differing[0], 2u * static_cast<std::size_t>(pair) + 1) << name;
    }
    ++edited;
  }
  EXPECT_GE(edited, 27);
}

}  // namespace
