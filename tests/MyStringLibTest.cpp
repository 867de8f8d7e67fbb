// MyStringLibTest.cpp - the Shift-JIS text helpers.
#include "model/text/MyStringLib.h"

#include <gtest/gtest.h>

#include <climits>  // INT_MAX, INT_MIN

#include "model/text/Sjis.h"

namespace {

// A few CP932 texts; "ソ" and "表" have the trail byte 0x5C ("\"), "＝" is 0x81 0x81, a
// character whose trail byte is also a lead-byte value.
const std::string kSo = Sjis("ソ");
const std::string kKanji = Sjis("線分");
const std::string kEq = Sjis("＝");

TEST(MyStringLib, TrimDropsBlanksAndControlsOnly) {
  EXPECT_EQ(Trim(" \t\r\n AC1015 \v"), "AC1015");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(" a b "), "a b");
  EXPECT_EQ(Trim(kSo + " "), kSo);  // the 0x5C trail byte stays
}

TEST(MyStringLib, DoubleByteCharactersStayWhole) {
  EXPECT_TRUE(IsDoubleByte(kKanji));
  EXPECT_FALSE(IsDoubleByte("ab"));
  EXPECT_FALSE(IsDoubleByte("\x83"));
  EXPECT_FALSE(IsDoubleByte(""));
  EXPECT_EQ(LeftChars(kKanji, 1), Sjis("線"));
  EXPECT_EQ(LeftChars("a" + kKanji, 2), "a" + Sjis("線"));
  EXPECT_EQ(RightChars("x" + kSo, 1), kSo);
  EXPECT_EQ(RightChars(kSo + kSo, 1), kSo);
  EXPECT_EQ(RightChars("abc", 5), "abc");
  EXPECT_EQ(RightChars("abc", 0), "");
  EXPECT_EQ(FromChar(kKanji + "ab", 2), Sjis("分") + "ab");
  EXPECT_EQ(FromChar("abc", 0), "abc");
  EXPECT_EQ(FromChar("abc", 4), "");
  EXPECT_EQ(MidChars("a" + kKanji + "b", 2, 2), kKanji);
  EXPECT_EQ(ReverseMBCS("a" + kKanji + "b"), "b" + Sjis("分線") + "a");
  EXPECT_EQ(ReverseMBCS(""), "");
}

TEST(MyStringLib, PositionsFallOnCharacterBoundaries) {
  // The trail byte of "ソ" is a backslash, which must not be found inside it.
  EXPECT_EQ(CharPos("\\", kSo), 0);
  EXPECT_EQ(CharPos("\\", kSo + "\\"), 3);
  EXPECT_EQ(LastPos("\\", kSo + "\\" + kSo), 3);
  EXPECT_EQ(LastPos("aa", "aaa"), 2);  // occurrences may overlap
  EXPECT_EQ(LastPos("x", "abc"), 0);
  EXPECT_EQ(LastPos("", "abc"), 0);
  // "＝＝": the second character starts at byte 3, never at byte 2.
  EXPECT_EQ(LastPos(kEq, kEq + kEq), 3);
}

TEST(MyStringLib, HexPadAndEscapeControls) {
  EXPECT_EQ(HexPad(10, 4), "000A");
  EXPECT_EQ(HexPad(-1, 10), "FFFFFFFFFF");
  EXPECT_EQ(HexPad(255, 1), "FF");
  EXPECT_EQ(HexPad(0, 0), "0");
  EXPECT_EQ(HexPad(INT_MIN, 2), "80000000");
  EXPECT_EQ(EscapeControls("DXFOUT\r\x03\t#\x7f"), "DXFOUT#0D#03#09#\x7f");
  EXPECT_EQ(EscapeControls(kSo), kSo);
}

struct SplitCase {
  std::string text, prefix, number, suffix;
};

TEST(MyStringLib, SplitNumberFindsTheFirstNumber) {
  const SplitCase cases[] = {
      {"AC1015", "AC", "1015", ""},
      {"-12.5mm", "", "-12.5", "mm"},
      {"1,234.5.6", "", "1,234.5", ".6"},
      {"x+", "x+", "", ""},
      {"abc", "abc", "", ""},
      {"1-2", "", "1", "-2"},
      {"", "", "", ""},
      {Sjis("１２３"), Sjis("１２３"), "", ""},  // full-width digits are no number
      {kSo + "5", kSo, "5", ""},
      {"a.5", "a.", "5", ""},
      {"<1>", "<", "1", ">"},
  };
  for (const SplitCase& c : cases) {
    std::string prefix, number, suffix;
    SplitNumber(c.text, prefix, number, suffix);
    EXPECT_EQ(prefix, c.prefix) << c.text;
    EXPECT_EQ(number, c.number) << c.text;
    EXPECT_EQ(suffix, c.suffix) << c.text;
  }
}

TEST(MyStringLib, IsNumberAndFloorOfNumber) {
  for (const char* yes : {"12", "-3", "1,000", "1.5", ""}) EXPECT_TRUE(IsNumber(yes)) << yes;
  for (const char* no : {" 12", "12 ", "1e5", "+", "abc"}) EXPECT_FALSE(IsNumber(no)) << no;
  EXPECT_EQ(FloorOfNumber("-1.5"), -2);
  EXPECT_EQ(FloorOfNumber("1,234.9"), 1234);
  EXPECT_EQ(FloorOfNumber("AC1015"), 1015);
  EXPECT_EQ(FloorOfNumber("R12"), 12);
  EXPECT_EQ(FloorOfNumber("no digit"), 0);
  EXPECT_EQ(FloorOfNumber("FILEDIA <1>"), 1);
  EXPECT_EQ(FloorOfNumber("2147483647"), INT_MAX);
  EXPECT_EQ(FloorOfNumber("2147483648"), INT_MAX);
  EXPECT_EQ(FloorOfNumber("-2147483649"), INT_MIN);
  EXPECT_EQ(FloorOfNumber(std::string(400, '9')), INT_MAX);
  const std::string tiny = "0." + std::string(400, '0') + "1";  // below a double's range
  EXPECT_EQ(FloorOfNumber(tiny), 0);
  EXPECT_EQ(FloorOfNumber("-" + tiny), -1);
}

TEST(MyStringLib, ParsersAcceptExactlyTheirForms) {
  int i = 7;
  EXPECT_TRUE(ParseInt32("2147483647", i));
  EXPECT_EQ(i, INT_MAX);
  EXPECT_TRUE(ParseInt32("-2147483648", i));
  EXPECT_EQ(i, INT_MIN);
  EXPECT_TRUE(ParseInt32("+5", i));
  EXPECT_EQ(i, 5);
  for (const char* bad : {"2147483648", "-2147483649", "+", "-", "", "1.5", "1,0", " 1"})
    EXPECT_FALSE(ParseInt32(bad, i)) << bad;

  EXPECT_TRUE(ParseHex32("20000", i));
  EXPECT_EQ(i, 131072);
  EXPECT_TRUE(ParseHex32("fFfFfFfF", i));
  EXPECT_EQ(i, -1);
  for (const char* bad : {"", "123456789", "G", "0x1A", "-1"})
    EXPECT_FALSE(ParseHex32(bad, i)) << bad;

  double d = 0;
  EXPECT_TRUE(ParseDouble("1.5e3", d));
  EXPECT_EQ(d, 1500.0);
  EXPECT_TRUE(ParseDouble("+0.25", d));
  EXPECT_EQ(d, 0.25);
  EXPECT_TRUE(ParseDouble("-.5", d));
  EXPECT_EQ(d, -0.5);
  for (const char* bad : {"", "1,5", "abc", "+-1", "1.5x", "+", "inf", "-nan", "+infinity", "-"})
    EXPECT_FALSE(ParseDouble(bad, d)) << bad;
}

TEST(MyStringLib, UpperAsciiLeavesTrailBytesAlone) {
  EXPECT_EQ(UpperAscii("layer-0"), "LAYER-0");
  // "ぁ" is 0x82 0x9F and "ア" 0x83 0x41: neither byte may change; a trail byte in a-z
  // (such as 0x61 in "ヂ" 0x83 0x61) must stay lower case.
  const std::string mixed = Sjis("ヂa");
  EXPECT_EQ(UpperAscii(mixed), Sjis("ヂ") + "A");
}

TEST(MyStringLib, FormatFollowsTheProgramsConventions) {
  EXPECT_EQ(Format("%7d|%-4s|%s", 15, "ab", "x"), "     15|ab  |x");
  EXPECT_EQ(Format("%f %.3f %8.1f", 1.0, 2.0, 3.25), "1.00 2.000      3.2");
  EXPECT_EQ(Format("%x %7x %02x", 255, 0x2a, 10), "FF      2A 0A");
  EXPECT_EQ(Format("%3s|100%%", "toolong"), "toolong|100%");
  EXPECT_EQ(Format("%s", Sjis("画層").c_str()), Sjis("画層"));
  EXPECT_EQ(Format("%lld", 12345678901LL), "12345678901");
}

}  // namespace
