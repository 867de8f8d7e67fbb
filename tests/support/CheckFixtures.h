// CheckFixtures.h - the clean drawing the check and the repair tests damage, and its loading.
#pragma once

#include <gtest/gtest.h>

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <utility>      // std::pair
#include <vector>       // std::vector

#include "model/buffer/MyDXFClass.h"
#include "model/text/Sjis.h"
#include "tests/support/TestFiles.h"

// A clean R2000 drawing: every table an entity names, owners as AutoCAD writes them, and
// names that look like trouble but are none: Shift-JIS names whose trail byte is 5C
// (表) or a letter (ア is 83 41, ヂ 83 61: not one name in two cases), an externally
// dependent layer (XREF|WALL, 70 bit 16), an escape, anonymous blocks and viewports,
// nameless shape-file styles, references in another letter case, and the names every
// drawing has (ByLayer, STANDARD) without entries. "@BAR@" stands for "|", which the
// fixture's own syntax takes; "@BAD@" for bytes that are no Shift-JIS.
inline constexpr std::string_view kClean =
    "0|SECTION|2|HEADER|9|$ACADVER|1|AC1015|9|$DWGCODEPAGE|3|ANSI_932|9|$HANDSEED|5|FF|0|ENDSEC|"
    "0|SECTION|2|TABLES|"
    "0|TABLE|2|VPORT|5|8|330|0|70|2|"
    "0|VPORT|5|9|330|8|2|*Active|70|0|"
    "0|VPORT|5|A|330|8|2|*ACTIVE|70|0|"
    "0|ENDTAB|"
    "0|TABLE|2|LTYPE|5|1|330|0|70|2|"
    "0|LTYPE|5|10|330|1|2|ByBlock|70|0|"
    "0|LTYPE|5|11|330|1|2|ByLayer|70|0|"
    "0|LTYPE|5|12|330|1|2|Continuous|70|0|"
    "0|LTYPE|5|1A|330|1|2|DASHED|70|0|"
    "0|ENDTAB|"
    "0|TABLE|2|LAYER|5|2|330|0|70|7|"
    "0|LAYER|5|13|330|2|2|0|70|0|6|Continuous|"
    "0|LAYER|5|14|330|2|2|壁|70|0|6|dashed|"
    "0|LAYER|5|1B|330|2|2|表示|70|0|6|Continuous|"
    "0|LAYER|5|1C|330|2|2|ア|70|0|6|Continuous|"
    "0|LAYER|5|1D|330|2|2|ヂ|70|0|6|Continuous|"
    "0|LAYER|5|1E|330|2|2|XREF@BAR@WALL|70|16|6|Continuous|"
    "0|LAYER|5|1F|330|2|2|\\U+00C4rger|70|0|6|Continuous|"
    "0|ENDTAB|"
    "0|TABLE|2|STYLE|5|3|330|0|70|3|"
    "0|STYLE|5|15|330|3|2|明朝|70|0|"
    "0|STYLE|5|23|330|3|2||70|1|"
    "0|STYLE|5|24|330|3|2||70|1|"
    "0|ENDTAB|"
    "0|TABLE|2|APPID|5|4|330|0|70|1|"
    "0|APPID|5|16|330|4|2|QUILLET|70|0|"
    "0|ENDTAB|"
    "0|TABLE|2|DIMSTYLE|5|5|330|0|70|1|"
    "0|DIMSTYLE|105|17|330|5|2|寸法|70|0|"
    "0|ENDTAB|"
    "0|TABLE|2|BLOCK_RECORD|5|6|330|0|70|2|"
    "0|BLOCK_RECORD|5|18|330|6|2|*Model_Space|"
    "0|BLOCK_RECORD|5|19|330|6|2|扉|"
    "0|BLOCK_RECORD|5|25|330|6|2|*U1|"
    "0|ENDTAB|"
    "0|ENDSEC|"
    "0|SECTION|2|BLOCKS|"
    "0|BLOCK|5|20|330|19|8|0|2|扉|70|0|"
    "0|LINE|5|21|330|19|8|壁|"
    "0|ENDBLK|5|22|330|19|8|0|"
    "0|BLOCK|5|26|330|25|8|0|2|*U1|70|1|"
    "0|ENDBLK|5|27|330|25|8|0|"
    "0|ENDSEC|"
    "0|SECTION|2|ENTITIES|"
    "0|INSERT|5|30|330|18|8|壁|2|扉|66|1|"
    "0|ATTRIB|5|31|330|30|8|0|1|値|7|明朝|2|TAG|"
    "0|SEQEND|5|32|330|30|8|0|"
    "0|POLYLINE|5|33|330|18|8|0|66|1|"
    "0|VERTEX|5|34|330|33|8|0|"
    "0|SEQEND|5|35|330|33|8|0|"
    "0|TEXT|5|36|330|18|8|表示|6|DASHED|7|明朝|1|表示|1001|QUILLET|1000|x|"
    "0|DIMENSION|5|37|330|18|8|ア|2|*U1|3|寸法|"
    "0|LINE|5|38|330|18|8|ヂ|6|ByLayer|1001|quillet|1002|{|1002|}|"
    "0|INSERT|5|39|330|18|8|xref@BAR@wall|2|扉|"
    "0|MTEXT|5|3A|330|18|8|\\U+00C4RGER|7|STANDARD|1|x|"
    "0|ENDSEC|"
    "0|EOF";

/// Returns the bytes of a fixture's file: CP932 (UTF-8 when asked), its markers replaced.
inline std::string FixtureBytes(std::string_view utf8Lines, bool utf8 = false,
                                std::string_view badBytes = "\x80\xFF") {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at <= utf8Lines.size();) {
    const std::size_t bar = std::min(utf8Lines.find('|', at), utf8Lines.size());
    lines.emplace_back(utf8Lines.substr(at, bar - at));
    at = bar + 1;
  }
  std::string bytes = utf8 ? DxfText(lines) : Sjis(DxfText(lines));
  for (const auto& [marker, replacement] :
       {std::pair<std::string_view, std::string_view>{"@BAR@", "|"}, {"@BAD@", badBytes}})
    for (std::size_t at; (at = bytes.find(marker)) != std::string::npos;)
      bytes.replace(at, marker.size(), replacement);
  return bytes;
}

/// Loads a fixture as a CP932 file (a UTF-8 one when asked), its markers replaced.
inline TDXFBuffer LoadFixture(std::string_view utf8Lines, bool utf8 = false,
                              std::string_view badBytes = "\x80\xFF") {
  TempDir dir;
  TDXFBuffer b;
  EXPECT_EQ(b.LoadFromFile(dir.Write("t.dxf", FixtureBytes(utf8Lines, utf8, badBytes))), 0)
      << b.ErrorMessage;
  return b;
}

/// Returns the clean drawing with `from`, which must stand in it once, replaced by `to`.
inline std::string Damaged(std::string drawing, std::string_view from, std::string_view to) {
  const std::size_t at = drawing.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(drawing.find(from, at + 1), std::string::npos) << from << " stands more than once";
  if (at != std::string::npos) drawing.replace(at, from.size(), to);
  return drawing;
}
