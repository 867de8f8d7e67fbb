// DocumentTextTest.cpp - values as program texts and typed texts back into the document.
#include "model/text/DocumentText.h"

#include <gtest/gtest.h>

#include "model/buffer/MyDXFClass.h"
#include "model/text/Sjis.h"

namespace {

TDXFBuffer Document(TextEncoding encoding, int acadVerNo) {
  TDXFBuffer b;
  b.Encoding = encoding;
  b.AcadVerNo = acadVerNo;
  return b;
}

TEST(DocumentText, QuotesValuesDecodedAndLeavesCp932AsItIs) {
  const struct {
    TextEncoding encoding;
    std::string_view value;
    std::string program;
  } cases[] = {
      {TextEncoding::Utf8, "\xE5\xA3\x81", Sjis("壁")},
      {TextEncoding::Utf8, "\xC3\xA9ven", "\\U+00E9ven"},
      {TextEncoding::Cp1252, "\xC4\\U+039B", "\\U+00C4\\U+039B"},  // escapes stay as written
      {TextEncoding::Cp1251, "\xD1\xF2", Sjis("Ст")},
      {TextEncoding::Cp932, "\x83\x5C\xFF", "\x83\x5C\xFF"},  // bytes as they are
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProgramText(Document(c.encoding, 1009), c.value), c.program)
        << EncodingName(c.encoding);
}

TEST(DocumentText, StoresTypedTextInTheDocumentsEncoding) {
  const struct {
    TextEncoding encoding;
    int acadVerNo;
    std::string typed;  // a program text, as the widgets hand it over
    bool ok;
    std::string bytes;
  } cases[] = {
      {TextEncoding::Cp1252, 1009, ProgramTextOfUtf8("éΛ"), true, "\xE9\\U+039B"},
      {TextEncoding::Cp932, 1009, ProgramTextOfUtf8("壁€"), true, Sjis("壁") + "\\U+20AC"},
      {TextEncoding::Cp932, 1015, "\x83\x5CU+0041", true, "\x83\x5CU+0041"},
      {TextEncoding::Utf8, 1032, ProgramTextOfUtf8("壁é"), true, "\xE5\xA3\x81\xC3\xA9"},
      {TextEncoding::Utf8, 1009, ProgramTextOfUtf8("Λ"), true, "\xCE\x9B"},
      {TextEncoding::Cp1252, 1032, ProgramTextOfUtf8("éΛ"), false, ""},  // chosen by hand
      {TextEncoding::Cp932, 1032, ProgramTextOfUtf8("€"), false, ""},
      {TextEncoding::Cp1252, 1009, ProgramTextOfUtf8("a\xEF\xBF\xBD"), false, ""},
  };
  for (const auto& c : cases) {
    const StoredText stored = DocumentText(Document(c.encoding, c.acadVerNo), c.typed);
    EXPECT_EQ(stored.ok, c.ok) << Utf8OfProgramText(c.typed);
    EXPECT_EQ(stored.bytes, c.bytes) << Utf8OfProgramText(c.typed);
    EXPECT_EQ(stored.message.empty(), c.ok) << Utf8OfProgramText(c.typed);
  }
  EXPECT_EQ(
      Utf8OfProgramText(
          DocumentText(Document(TextEncoding::Cp1252, 1032), ProgramTextOfUtf8("aΛ")).message),
      "「Λ」はこの図面の文字コード cp1252 では書き込めません");
  EXPECT_EQ(Utf8OfProgramText(DocumentText(Document(TextEncoding::Cp1252, 1009),
                                           ProgramTextOfUtf8("\xEF\xBF\xBD"))
                                  .message),
            "読めないバイト「\xEF\xBF\xBD」の入った値は書き込めません");
}

}  // namespace
