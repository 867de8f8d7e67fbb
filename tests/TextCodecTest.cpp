// TextCodecTest.cpp - encoding names, code pages, escapes, boundaries and conversions.
#include "model/text/TextCodec.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"

namespace {

TEST(TextCodec, NamesCodePagesAsTheDrawingsDeclareThem) {
  const struct {
    const char* dwgCodePage;
    const char* name;  // empty: no encoding
  } cases[] = {
      {"ANSI_932", "cp932"},
      {"DOS932", "cp932"},
      {"dos932", "cp932"},
      {" ANSI_1252 ", "cp1252"},
      {"ANSI_1251", "cp1251"},
      {"ANSI_874", "cp874"},
      {"ANSI_936", "cp936"},
      {"ANSI_949", "cp949"},
      {"ANSI_950", "cp950"},
      {"dos850", "cp850"},
      {"DOS866", "cp866"},
      {"BIG5", "cp950"},
      {"GB2312", "cp936"},
      {"KSC5601", "cp949"},
      {"JOHAB", "johab"},
      {"MACINTOSH", "mac-roman"},
      {"ISO8859-1", "iso8859-1"},
      {"ISO8859_9", "iso8859-9"},
      {"", ""},
      {"UNDEFINED", ""},
      {"ANSI_", ""},
      {"ANSI_1249", ""},
      {"DOS932X", ""},
      {"ISO8859-10", ""},
  };
  for (const auto& c : cases) {
    const std::optional<TextEncoding> encoding = EncodingOfCodePage(c.dwgCodePage);
    EXPECT_EQ(encoding ? std::string(EncodingName(*encoding)) : std::string(), c.name)
        << c.dwgCodePage;
  }
  for (const TextEncoding encoding : AllEncodings())
    EXPECT_EQ(EncodingNamed(EncodingName(encoding)), encoding) << EncodingName(encoding);
  EXPECT_EQ(EncodingNamed("UTF8"), TextEncoding::Utf8);
  EXPECT_EQ(EncodingNamed("CP1252"), TextEncoding::Cp1252);
  EXPECT_EQ(EncodingNamed("latin-1"), std::nullopt);
}

TEST(TextCodec, DecodesBothEscapesAndLeavesBrokenOnesAsTheyStand) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"\\U+039B\\U+0391x", "ΛΑx"},  {"\\U+03bb", "λ"},         // lower-case hex digits
      {"a\\U+D83D\\U+DE00b", "a😀b"},                            // a surrogate pair
      {"\\U+D83Dx", "\\U+D83Dx"},                               // a lone high surrogate
      {"\\U+DE00", "\\U+DE00"},                                 // a lone low surrogate
      {"\\U+0000", "\\U+0000"},      {"\\U+12", "\\U+12"},      // cut short
      {"ab\\U+", "ab\\U+"},                                     // at the end of the value
      {"\\U+12G4", "\\U+12G4"},      {"\\u+00E9", "\\u+00E9"},  // the escape letter is upper-case
      {"\\\\U+00E9", "\\é"},         {"\\M+182A0", "あ"},       // code page 1 (932): 0x82A0
      {"\\M+5B0A1", "啊"},                                      // code page 5 (936): 0xB0A1
      {"\\M+682A0", "\\M+682A0"},                               // no code page 6
      {"\\M+1FFFF", "\\M+1FFFF"},                               // no such character
      {"\\M+182A", "\\M+182A"},      {"C:\\path\\file", "C:\\path\\file"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEscapes(c.in), c.out) << c.in;
}

TEST(TextCodec, FindsCharacterBoundariesOfEachEncoding) {
  const struct {
    TextEncoding encoding;
    std::string_view text;
    std::vector<int> lengths;
  } cases[] = {
      {TextEncoding::Cp932,
       "\x83\x5C"
       "a\x83",
       {2, 1, 1}},                                // a lead byte at the end
      {TextEncoding::Cp932, "\xB1\xC4", {1, 1}},  // half-width katakana
      {TextEncoding::Utf8,
       "\xE5\xA3\x81"
       "a\xC3\xA9",
       {3, 1, 2}},
      {TextEncoding::Utf8,
       "\xE5\xA3"
       "a\xFF\xF0\x9F\x98\x80",
       {1, 1, 1, 1, 4}},
      {TextEncoding::Cp1252, "\xC4\xDC\x5C", {1, 1, 1}},
      {TextEncoding::Cp950,
       "\xA5\x5C"
       "b",
       {2, 1}},
  };
  for (const auto& c : cases) {
    std::vector<int> lengths;
    for (std::size_t at = 0; at < c.text.size(); at += lengths.back())
      lengths.push_back(CharLength(c.encoding, c.text, at));
    EXPECT_EQ(lengths, c.lengths) << EncodingName(c.encoding) << " " << c.text;
  }
}

TEST(TextCodec, TakesBytesForUtf8OnlyWhenEveryMultiByteSequenceIsValid) {
  EXPECT_TRUE(IsUtf8WithMultiByteSequence("abc \xC3\xA9ven"));
  EXPECT_TRUE(IsUtf8WithMultiByteSequence(std::string(100, 'a') + "\xE5\xA3\x81"));
  EXPECT_FALSE(IsUtf8WithMultiByteSequence("plain ASCII only"));
  EXPECT_FALSE(IsUtf8WithMultiByteSequence("\x95\xC7"));           // Shift-JIS 壁
  EXPECT_FALSE(IsUtf8WithMultiByteSequence("\xC3\xA9 and \xC4"));  // cp1252 after UTF-8
  EXPECT_FALSE(IsUtf8WithMultiByteSequence("\xC0\xAF"));           // overlong "/"
  EXPECT_FALSE(IsUtf8WithMultiByteSequence("\xED\xA0\x80"));       // a surrogate
  EXPECT_FALSE(IsUtf8WithMultiByteSequence("\xF4\x90\x80\x80"));   // beyond U+10FFFF
  EXPECT_FALSE(IsUtf8WithMultiByteSequence(std::string(9, 'a') + "\xE5\xA3"));  // cut short
}

TEST(TextCodec, DecodesEachEncodingWithItsEscapesAndMarksBrokenBytes) {
  const struct {
    TextEncoding encoding;
    std::string_view bytes;
    const char* utf8;
  } cases[] = {
      {TextEncoding::Utf8, "\xE5\xA3\x81", "壁"},
      {TextEncoding::Utf8, "\xC3\xA9ven", "éven"},
      {TextEncoding::Utf8,
       "a\xFF"
       "b\xE5\xA3",
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD\xEF\xBF\xBD"},
      {TextEncoding::Cp932, "\x95\xC7\\U+00C4", "壁Ä"},
      {TextEncoding::Cp932, "\x83\x5CU+00C4", "ソU+00C4"},  // a trail byte 0x5C is no backslash
      {TextEncoding::Cp932, "\x83", "\xEF\xBF\xBD"},
      {TextEncoding::Cp1252, "\xC4\xDC\xD6\\U+03B1", "ÄÜÖα"},
      {TextEncoding::Cp1251, "\xD1\xF2\xF0", "Стр"},
      {TextEncoding::Cp850, "\x82", "é"},
      // The last character is kept, a combining mark joins the letter before it, and a
      // broken byte stays in its place.
      {TextEncoding::Cp1258, "caf\xE9", "café"},
      {TextEncoding::Cp1258, "A\xECn", "Án"},
      {TextEncoding::Cp1258, "A\x81z", "A\xEF\xBF\xBDz"},
      {TextEncoding::Cp1255, "\xF9\xD1", "\xEF\xAC\xAA"},
      {TextEncoding::Cp949, "\xA2\xE8z", "\xEF\xBF\xBD\xEF\xBF\xBDz"},  // undefined
  };
  for (const auto& c : cases) {
    std::string scratch;
    EXPECT_EQ(DecodeText(c.encoding, c.bytes, scratch), c.utf8) << EncodingName(c.encoding);
  }
  std::string scratch;
  const std::string_view plain = "LINE";
  EXPECT_EQ(DecodeText(TextEncoding::Utf8, plain, scratch).data(), plain.data());
}

TEST(TextCodec, TellsWhetherBytesDecodeAsTheyAreShown) {
  const struct {
    TextEncoding encoding;
    const char* bytes;
    bool decodes;
  } cases[] = {
      {TextEncoding::Utf8, "plain ASCII text that is longer than eight bytes", true},
      {TextEncoding::Utf8,
       "Gr\xC3\xBC\xC3\x9F"
       "e \xE5\xA3\x81",
       true},
      {TextEncoding::Utf8, "ab\xC3\x28", false},        // a lead without its continuation
      {TextEncoding::Utf8, "\xE5\xA3", false},          // cut short
      {TextEncoding::Utf8, "\xED\xA0\x80", false},      // a surrogate
      {TextEncoding::Cp932, "\x95\x5C\x8E\xA6", true},  // 表示
      {TextEncoding::Cp932, "\xB1\xDF", true},          // half-width katakana
      {TextEncoding::Cp932, "\xF0\x40", true},          // a user-defined character
      {TextEncoding::Cp932, "\x80", false},
      {TextEncoding::Cp932, "\xA0", false},
      {TextEncoding::Cp932, "\xFD", false},
      {TextEncoding::Cp932, "\x81\x7F", false},  // no trail byte
      {TextEncoding::Cp932, "\x85\x40", false},  // a pair CP932 leaves unassigned
      {TextEncoding::Cp932, "abc\x95", false},   // a lead byte at the very end
      {TextEncoding::Cp1252, "caf\xE9", true},
      {TextEncoding::Cp1252, "\x81", false},  // CP1252 has no character 81
      {TextEncoding::Cp1251, "\xCF\xF0\xE8", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeCheck(c.encoding).Decodes(c.bytes), c.decodes)
        << EncodingName(c.encoding) << " " << c.bytes;
    // What the check says is what the decoding shows: U+FFFD exactly where it fails.
    EXPECT_EQ(ToUtf8(c.encoding, c.bytes).find("\xEF\xBF\xBD") == std::string::npos, c.decodes)
        << EncodingName(c.encoding) << " " << c.bytes;
  }
}

TEST(TextCodec, EncodesUtf8WithEscapesOrRefusesWhatTheEncodingLacks) {
  const struct {
    TextEncoding encoding;
    const char* utf8;
    Unmappable policy;
    bool ok;
    std::string_view bytes;
    char32_t refused;
  } cases[] = {
      {TextEncoding::Cp1252, "éΛ", Unmappable::Escape, true, "\xE9\\U+039B", 0},
      {TextEncoding::Cp1252, "éΛ", Unmappable::Refuse, false, "", 0x39B},
      {TextEncoding::Cp932, "壁€", Unmappable::Escape, true, "\x95\xC7\\U+20AC", 0},
      {TextEncoding::Cp932, "a😀", Unmappable::Escape, true, "a\\U+D83D\\U+DE00", 0},
      {TextEncoding::Utf8, "壁", Unmappable::Refuse, true, "\xE5\xA3\x81", 0},
      {TextEncoding::Utf8, "a\xFF", Unmappable::Refuse, false, "", 0xFFFD},
      {TextEncoding::Cp1251, "Строения", Unmappable::Refuse, true,
       "\xD1\xF2\xF0\xEE\xE5\xED\xE8\xFF", 0},
  };
  for (const auto& c : cases) {
    const EncodedText encoded = EncodeText(c.encoding, c.utf8, c.policy);
    EXPECT_EQ(encoded.ok, c.ok) << c.utf8;
    EXPECT_EQ(encoded.bytes, c.bytes) << c.utf8;
    EXPECT_EQ(encoded.refused, c.refused) << c.utf8;
  }
}

TEST(TextCodec, ProgramTextsKeepEveryCharacterThroughCp932) {
  for (const char* text : {"壁", "éven", "Строения", "ΛΑΓ", "a😀", "ｶﾀｶﾅ①"}) {
    const std::string program = ProgramTextOfUtf8(text);
    EXPECT_EQ(Utf8OfProgramText(program), text);
  }
  EXPECT_EQ(ProgramTextOfUtf8("éven"), "\\U+00E9ven");
  EXPECT_EQ(ProgramTextOfUtf8("壁"), Sjis("壁"));
}

}  // namespace
