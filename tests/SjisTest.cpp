// SjisTest.cpp - the UTF-8 <-> CP932 codec.
#include "model/text/Sjis.h"

#include <gtest/gtest.h>

namespace {

TEST(Sjis, RoundTripsJapaneseAndMachineDependentCharacters) {
  // NEC and IBM extension characters are part of CP932, not of plain Shift_JIS.
  for (const char* text : {"線分", "ソ表能", "ﾃﾞｰﾀ", "①Ⅲ㈱㍉∑", "～－∥", "abc"}) {
    const std::string sjis = Sjis(text);
    EXPECT_EQ(Utf8(sjis), text);
  }
  EXPECT_EQ(Sjis("ソ"), "\x83\x5C");
  EXPECT_EQ(Sjis("線分"), "\x90\xFC\x95\xAA");
}

TEST(Sjis, UnconvertibleInputBecomesQuestionMarks) {
  EXPECT_EQ(Sjis("a€b"), "a?b");  // no euro sign in CP932
  EXPECT_EQ(Sjis("a\xFF"
                 "b"),
            "a?b");                    // a byte that is not UTF-8
  EXPECT_EQ(Sjis("a\xE7\xB7"), "a?");  // a truncated sequence
  EXPECT_EQ(Utf8("a\xFF"
                 "b"),
            "a?b");                // 0xFF is no CP932 byte
  EXPECT_EQ(Utf8("a\x83"), "a?");  // a lead byte at the very end
  EXPECT_EQ(Utf8("\x83"
                 "A"
                 "\x83\x5C"),
            "ア"
            "ソ");
  EXPECT_EQ(Utf8(""), "");
}

}  // namespace
