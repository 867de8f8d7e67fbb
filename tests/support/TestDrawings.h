// TestDrawings.h - small drawings loaded into a buffer for the table and list tests.
//
// A fixture is one text of code and value lines separated by "|", written in UTF-8 and
// loaded as the CP932 file the program reads, so Japanese names keep their Shift-JIS
// trail bytes, or as a UTF-8 file. Values keep their blanks: "8| 壁 |" is a layer name padded on
// both sides.
#pragma once

#include <gtest/gtest.h>

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/MyDXFClass.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "tests/support/TestFiles.h"

/// Loads "code|value|code|value..." as a drawing; the lines are written as UTF-8, or as
/// CP932 when asked.
inline TDXFBuffer LoadDrawingText(std::string_view utf8Lines, bool asCp932) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at <= utf8Lines.size();) {
    const std::size_t bar = std::min(utf8Lines.find('|', at), utf8Lines.size());
    lines.emplace_back(utf8Lines.substr(at, bar - at));
    at = bar + 1;
  }
  TempDir dir;
  TDXFBuffer buffer;
  const std::string text = DxfText(lines);
  EXPECT_EQ(buffer.LoadFromFile(dir.Write("t.dxf", asCp932 ? Sjis(text) : text)), 0)
      << buffer.ErrorMessage;
  return buffer;
}

/// Loads "code|value|code|value..." (UTF-8) as a CP932 drawing.
inline TDXFBuffer LoadDrawing(std::string_view utf8Lines) {
  return LoadDrawingText(utf8Lines, /*asCp932=*/true);
}

/// Loads "code|value|code|value..." as a UTF-8 drawing (give it an AC1021+ $ACADVER).
inline TDXFBuffer LoadUtf8Drawing(std::string_view utf8Lines) {
  return LoadDrawingText(utf8Lines, /*asCp932=*/false);
}

/// Loads the bundled sample drawing.
inline TDXFBuffer LoadSample() {
  TDXFBuffer buffer;
  EXPECT_EQ(buffer.LoadFromFile(SourcePath("examples/sample.dxf")), 0) << buffer.ErrorMessage;
  return buffer;
}

/// Returns rows of program-text cells as UTF-8, for comparison with literal tables.
inline std::vector<std::vector<std::string>> Utf8Rows(
    const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::vector<std::string>> out;
  for (const auto& row : rows) {
    out.emplace_back();
    for (const std::string& cell : row) out.back().push_back(Utf8OfProgramText(cell));
  }
  return out;
}
