// TestDrawings.h - small drawings loaded into a buffer for the table and list tests.
//
// A fixture is one text of code and value lines separated by "|", written in UTF-8 and
// loaded as the CP932 file the program reads, so Japanese names keep their Shift-JIS
// trail bytes. Values keep their blanks: "8| 壁 |" is a layer name padded on both sides.
#pragma once

#include <gtest/gtest.h>

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/MyDXFClass.h"
#include "model/Sjis.h"
#include "tests/support/TestFiles.h"

/// Loads "code|value|code|value..." (UTF-8) as a CP932 drawing.
inline TDXFBuffer LoadDrawing(std::string_view utf8Lines) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at <= utf8Lines.size();) {
    const std::size_t bar = std::min(utf8Lines.find('|', at), utf8Lines.size());
    lines.emplace_back(utf8Lines.substr(at, bar - at));
    at = bar + 1;
  }
  TempDir dir;
  TDXFBuffer buffer;
  EXPECT_EQ(buffer.LoadFromFile(dir.Write("t.dxf", Sjis(DxfText(lines)))), 0)
      << buffer.ErrorMessage;
  return buffer;
}

/// Loads the bundled sample drawing.
inline TDXFBuffer LoadSample() {
  TDXFBuffer buffer;
  EXPECT_EQ(buffer.LoadFromFile(SourcePath("examples/sample.dxf")), 0) << buffer.ErrorMessage;
  return buffer;
}

/// Returns rows of CP932 cells as UTF-8, for comparison with literal tables.
inline std::vector<std::vector<std::string>> Utf8Rows(
    const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::vector<std::string>> out;
  for (const auto& row : rows) {
    out.emplace_back();
    for (const std::string& cell : row) out.back().push_back(Utf8(cell));
  }
  return out;
}
