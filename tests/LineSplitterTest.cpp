// LineSplitterTest.cpp - splitting a text into lines and reading code lines.
#include "model/buffer/LineSplitter.h"

#include <gtest/gtest.h>

#include <cstdint>  // INT32_MIN
#include <string>   // std::string
#include <vector>   // std::vector

#include "model/text/Sjis.h"
#include "tests/support/LoadedText.h"

namespace {

// Splits text with LineSplitter and returns the lines.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  LineSplitter splitter(text.data(), text.size());
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = splitter.Next();
    lines.push_back(text.substr(start, end - start));
    start = NextLineStart(text.data(), text.size(), end);
  }
  return lines;
}

// Counts text's lines with LineCounter, fed in pieces of `piece` bytes as a read would.
std::size_t CountLines(const std::string& text, std::size_t piece) {
  LineCounter counter;
  for (std::size_t fed = piece; fed < text.size(); fed += piece)
    counter.CountBlocks(text.data(), fed);
  return counter.Finish(text.data(), text.size());
}

TEST(LineSplitter, SplitsAndCountsAcrossBlockBoundaries) {
  // A CR LF pair split between two 64-byte blocks is one terminator, not two.
  const std::string crAt63 = std::string(63, 'a') + "\r\nb\rc\nd";
  const std::string longLines = std::string(200, 'x') + "\n" + std::string(70, 'y') + "\r\n\r\n";
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\r", {"", ""}},
      {crAt63, {std::string(63, 'a'), "b", "c", "d"}},
      {longLines, {std::string(200, 'x'), std::string(70, 'y'), ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
    for (const std::size_t piece : {1, 7, 64, 4096})
      EXPECT_EQ(CountLines(c.text, piece), c.lines.size()) << c.text << " piece " << piece;
  }
}

TEST(LineSplitter, ReadsCodeLinesWithinTheInt32Range) {
  const struct {
    const char* line;
    bool ok;
    int code;
  } cases[] = {
      {"0", true, 0},
      {"  8 ", true, 8},
      {"\t-5\t", true, -5},
      {"+70", true, 70},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"", false, 0},
      {"  ", false, 0},
      {"1 0", false, 0},
      {"x", false, 0},
      {"-", false, 0},
      {"1.0", false, 0},
  };
  for (const auto& c : cases) {
    const std::string line = c.line;
    int code = 0;
    EXPECT_EQ(ParseCodeLine(line.data(), line.data() + line.size(), code), c.ok) << c.line;
    if (c.ok) {
      EXPECT_EQ(code, c.code) << c.line;
    }
  }
}

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

TEST(TDXFBuffer, ReportsTheFirstBrokenCodeLine) {
  struct Case {
    std::vector<std::string> lines;
    int badLine;
  };
  const Case cases[] = {
      {{"0", "SECTION", "1.5", "x"}, 2},
      {{"0", "SECTION", "1,0", "x"}, 2},
      {{"0", "SECTION", "+", "x"}, 2},
      {{"0", "SECTION", "", "x"}, 2},
      {{"0", "SECTION", "2147483648", "x"}, 2},
      {{"X", "SECTION"}, 0},
      {{"0", "SECTION", "0", "ENDSEC", ""}, 4},   // an extra empty line, no EOF pair
      {{"0", "SECTION", "0", "ENDSEC", "0"}, 4},  // a last code without its value
      {{"0", "SECTION", "-00000000002147483649", "x"}, 2},
  };
  for (const Case& c : cases) {
    Loaded f(DxfText(c.lines, "\n"));
    EXPECT_EQ(f.result, -3);
    EXPECT_EQ(f.buffer.ErrorCode, -3);
    EXPECT_EQ(f.buffer.ErrorMessage, BrokenAt(c.badLine));
  }
  Loaded ok(DxfText({" -5 ", "x", "\t+7\t", "y", "2147483647", "z", "00000000001", "a",
                     "-000000000002147483648", "b", "0000", "c"},
                    "\n"));
  ASSERT_EQ(ok.result, 0);
  EXPECT_EQ(ok.buffer.GetCode(0), -5);
  EXPECT_EQ(ok.buffer.GetCode(1), 7);
  EXPECT_EQ(ok.buffer.GetCode(2), 2147483647);
  EXPECT_EQ(ok.buffer.GetCode(3), 1);  // leading zeros beyond ten digits
  EXPECT_EQ(ok.buffer.GetCode(4), INT32_MIN);
  EXPECT_EQ(ok.buffer.GetCode(5), 0);
}

}  // namespace
