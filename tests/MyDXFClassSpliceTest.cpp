// MyDXFClassSpliceTest.cpp - replacing stretches of pairs: the saved bytes, undo and redo.
#include <gtest/gtest.h>

#include <functional>  // std::function
#include <string>      // std::string
#include <utility>     // std::pair
#include <vector>      // std::vector

#include "model/buffer/MyDXFClass.h"
#include "tests/support/LoadedText.h"

namespace {

using Pairs = std::vector<std::pair<int, std::string>>;

struct Stretch {
  int first;
  int count;
  Pairs put;  // the new pairs in its place
};

std::vector<PairReplacement> Replacements(const std::vector<Stretch>& stretches) {
  std::vector<PairReplacement> out;
  for (const Stretch& s : stretches) {
    PairReplacement& r = out.emplace_back();
    r.first = s.first;
    r.count = s.count;
    for (const auto& [code, value] : s.put) r.pairs.Add(code, value);
  }
  return out;
}

// Brings the index up to date, as the document does after a change, and saves.
std::string Saved(TDXFBuffer& b, const TempDir& dir, DXFForm form = DXFForm::Text) {
  (void)b.UpdateCaches();
  b.SetFileName(dir.Path() + "/out.dxf");
  b.SaveForm = form;
  EXPECT_EQ(b.SaveToFile(), 0);
  return ReadBytes(b.FileName);
}

// Pairs 0-1 SECTION ENTITIES, 2-3 LINE, 4-6 CIRCLE, 7-8 TEXT, 9 ENDSEC, 10 EOF; codes and
// values as no writer would pad them, so that a line written anew shows. The file of
// pairs 0-1 SECTION ENTITIES and 2-3 LINE ends without a line end.
const std::string kCrLf =
    "0\r\nSECTION\r\n  2\r\nENTITIES\r\n0\r\nLINE\r\n 8\r\nA \r\n0\r\nCIRCLE\r\n8\r\nB\r\n"
    "40\r\n1.50\r\n0\r\nTEXT\r\n8\r\nC\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
// Pairs 0-1 SECTION ENTITIES, 2 a code beyond 16 bits, 3-4 POINT, 5 ENDSEC, 6 EOF.
const std::string kNoLastLineEnd = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\nA";
const std::string kLfWithMark =
    "\xEF\xBB\xBF"
    "0\nSECTION\n2\nENTITIES\n99999\nX\n0\nPOINT\n8\nP\n0\nENDSEC\n0\nEOF\n";

TEST(TDXFBufferSplice, SavesUntouchedLinesAsReadAndNewOnesWritten) {
  const auto none = [](TDXFBuffer&) {};
  const struct {
    const char* what;
    const std::string& file;
    std::function<void(TDXFBuffer&)> before;
    std::vector<Stretch> stretches;
    std::string saved;
  } cases[] = {
      {"one record out",
       kCrLf,
       none,
       {{2, 2, {}}},
       "0\r\nSECTION\r\n  2\r\nENTITIES\r\n0\r\nCIRCLE\r\n8\r\nB\r\n"
       "40\r\n1.50\r\n0\r\nTEXT\r\n8\r\nC\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n"},
      {"two records out",
       kCrLf,
       none,
       {{2, 2, {}}, {7, 2, {}}},
       "0\r\nSECTION\r\n  2\r\nENTITIES\r\n0\r\nCIRCLE\r\n8\r\nB\r\n"
       "40\r\n1.50\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n"},
      {"the first and the last pairs but EOF out",
       kCrLf,
       none,
       {{0, 2, {}}, {9, 1, {}}},
       "0\r\nLINE\r\n 8\r\nA \r\n0\r\nCIRCLE\r\n8\r\nB\r\n40\r\n1.50\r\n0\r\nTEXT\r\n8\r\nC\r\n"
       "0\r\nEOF\r\n"},
      {"new pairs in",
       kCrLf,
       none,
       {{4, 0, {{0, "POINT"}, {8, "P"}}}},
       "0\r\nSECTION\r\n  2\r\nENTITIES\r\n0\r\nLINE\r\n 8\r\nA \r\n  0\r\nPOINT\r\n  8\r\nP\r\n"
       "0\r\nCIRCLE\r\n8\r\nB\r\n40\r\n1.50\r\n0\r\nTEXT\r\n8\r\nC\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n"},
      {"a record replaced, one taken out",
       kCrLf,
       none,
       {{2, 2, {}}, {4, 3, {{0, "ARC"}, {8, "B"}, {1001, "ACAD"}}}},
       "0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nARC\r\n  8\r\nB\r\n1001\r\nACAD\r\n"
       "0\r\nTEXT\r\n8\r\nC\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n"},
      {"edited pairs kept and taken out",
       kCrLf,
       [](TDXFBuffer& b) {
         b.SetValue(3, "A2");
         b.SetCode(5, 6);
         b.SetValue(8, "C2");
       },
       {{2, 2, {}}},
       "0\r\nSECTION\r\n  2\r\nENTITIES\r\n0\r\nCIRCLE\r\n  6\r\nB\r\n"
       "40\r\n1.50\r\n0\r\nTEXT\r\n8\r\nC2\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n"},
      {"a byte-order mark and the file's line ends stay",
       kLfWithMark,
       none,
       {{0, 2, {}}, {3, 2, {{0, "LINE"}}}},
       "\xEF\xBB\xBF"
       "99999\nX\n  0\nLINE\n0\nENDSEC\n0\nEOF\n"},
      {"new pairs first follow the byte-order mark on the first line",
       kLfWithMark,
       none,
       {{0, 0, {{999, "C"}}}},
       "\xEF\xBB\xBF"
       "999\nC\n0\nSECTION\n2\nENTITIES\n99999\nX\n0\nPOINT\n8\nP\n0\nENDSEC\n0\nEOF\n"},
      {"new pairs after a last line without its line end start a line",
       kNoLastLineEnd,
       none,
       {{4, 0, {{0, "ENDSEC"}, {0, "EOF"}}}},
       "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\nA\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Loaded f(c.file);
    ASSERT_EQ(f.result, 0);
    c.before(f.buffer);
    const std::string before = Saved(f.buffer, f.dir);
    std::vector<PairReplacement> replacements = Replacements(c.stretches);
    ASSERT_TRUE(f.buffer.ReplacePairs(replacements));
    EXPECT_EQ(Saved(f.buffer, f.dir), c.saved);
    ASSERT_TRUE(f.buffer.ReplacePairs(replacements)) << "undo";
    EXPECT_EQ(Saved(f.buffer, f.dir), before);
    ASSERT_TRUE(f.buffer.ReplacePairs(replacements)) << "redo";
    EXPECT_EQ(Saved(f.buffer, f.dir), c.saved);
  }
}

// Lines "code\nvalue\n" of pairs [0, count): code 1 and the pair's number, one long value.
std::vector<std::string> ManyPairLines(int count, int longAt) {
  std::vector<std::string> pairs;
  for (int i = 0; i < count; ++i) {
    const std::string value = i == longAt ? std::string(70000, 'L') : "v" + std::to_string(i);
    pairs.push_back("1\n" + value + "\n");
  }
  pairs.push_back("0\nEOF\n");
  return pairs;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

// Stretches across the blocks of 4096 pairs the buffer keeps its offsets in, and a value
// longer than 65535 bytes that moves to another block.
TEST(TDXFBufferSplice, ManyStretchesAcrossBlocksSaveAsExpected) {
  const std::vector<std::string> lines = ManyPairLines(20000, 9000);
  Loaded f(Joined(lines));
  ASSERT_EQ(f.result, 0);
  f.buffer.SetValue(12000, "edited");
  const std::vector<Stretch> stretches = {{1, 1, {}},
                                          {100, 4000, {{5, "A"}}},
                                          {8191, 2, {}},
                                          {11000, 0, {{5, "B"}, {5, "C"}}},
                                          {15000, 4999, {}}};
  std::vector<std::string> expected = lines;
  expected[12000] = "1\nedited\n";
  for (auto s = stretches.rbegin(); s != stretches.rend(); ++s) {
    std::vector<std::string> put;
    for (const auto& [code, value] : s->put)
      put.push_back("  " + std::to_string(code) + "\n" + value + "\n");
    expected.erase(expected.begin() + s->first, expected.begin() + s->first + s->count);
    expected.insert(expected.begin() + s->first, put.begin(), put.end());
  }
  const std::string before = Saved(f.buffer, f.dir);
  std::vector<PairReplacement> replacements = Replacements(stretches);
  ASSERT_TRUE(f.buffer.ReplacePairs(replacements));
  EXPECT_EQ(f.buffer.PairCount, static_cast<int>(expected.size()));
  EXPECT_TRUE(Saved(f.buffer, f.dir) == Joined(expected));
  ASSERT_TRUE(f.buffer.ReplacePairs(replacements));
  EXPECT_TRUE(Saved(f.buffer, f.dir) == before);
}

TEST(TDXFBufferSplice, ABinaryFileKeepsItsUntouchedPairsBytes) {
  const std::string text =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
      "0\nLINE\n8\nA\n10\n1.5\n0\nCIRCLE\n8\nB\n40\n2.25\n0\nENDSEC\n0\nEOF\n";
  Loaded fromText(text);
  ASSERT_EQ(fromText.result, 0);
  const std::string binary = Saved(fromText.buffer, fromText.dir, DXFForm::Binary);
  const std::vector<Stretch> stretches = {{7, 3, {{0, "POINT"}, {8, "P"}}}};
  std::vector<PairReplacement> onText = Replacements(stretches);
  ASSERT_TRUE(fromText.buffer.ReplacePairs(onText));
  const std::string expected = Saved(fromText.buffer, fromText.dir, DXFForm::Binary);

  Loaded f(binary, "b.dxf");
  ASSERT_EQ(f.result, 0);
  ASSERT_EQ(f.buffer.Form, DXFForm::Binary);
  std::vector<PairReplacement> replacements = Replacements(stretches);
  ASSERT_TRUE(f.buffer.ReplacePairs(replacements));
  EXPECT_EQ(Saved(f.buffer, f.dir, DXFForm::Binary), expected);
  ASSERT_TRUE(f.buffer.ReplacePairs(replacements));
  EXPECT_EQ(Saved(f.buffer, f.dir, DXFForm::Binary), binary);
}

}  // namespace
