// EncodingChoiceTest.cpp - the caption of the encoding in use and the user's choice.
#include "logic/document/EncodingChoice.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"
#include "tests/support/TestDrawings.h"

namespace {

TEST(EncodingChoice, NamesTheEncodingAndWhyAndGoesBackToTheDetectedOne) {
  TDXFBuffer b = LoadUtf8Drawing(
      "0|SECTION|2|HEADER|9|$ACADVER|1|AC1018|9|$DWGCODEPAGE|3|ANSI_1252|0|ENDSEC|"
      "0|SECTION|2|ENTITIES|0|TEXT|1|éven|0|ENDSEC|0|EOF");
  EXPECT_EQ(Utf8(EncodingCaption(b)), "文字コード: utf-8（自動: UTF-8判定）");
  b.SaveForm = DXFForm::Binary;
  EXPECT_EQ(Utf8(EncodingCaption(b)), "文字コード: utf-8（自動: UTF-8判定）　バイナリ DXF");
  b.SaveForm = DXFForm::Text;
  EXPECT_EQ(Utf8(ChooseEncoding(b, TextEncoding::Cp1252)), "＜文字コード＞ cp1252（手動）");
  EXPECT_EQ(b.Encoding, TextEncoding::Cp1252);
  EXPECT_EQ(Utf8(ChooseEncoding(b, std::nullopt)), "＜文字コード＞ utf-8（自動: UTF-8判定）");
  const struct {
    EncodingSource source;
    const char* text;
  } cases[] = {{EncodingSource::AcadVer, "自動: $ACADVER"},
               {EncodingSource::DwgCodePage, "自動: $DWGCODEPAGE"},
               {EncodingSource::Default, "自動: 既定"},
               {EncodingSource::Manual, "手動"}};
  for (const auto& c : cases) EXPECT_EQ(Utf8(EncodingSourceText(c.source)), c.text);
}

}  // namespace
