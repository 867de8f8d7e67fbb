// EncodingChoice.cpp - which encoding the shown document is read in, and the user's choice.
#include "logic/document/EncodingChoice.h"

#include "model/text/Sjis.h"

std::string EncodingSourceText(EncodingSource source) {
  switch (source) {
    case EncodingSource::AcadVer:
      return Sjis("自動: $ACADVER");
    case EncodingSource::DwgCodePage:
      return Sjis("自動: $DWGCODEPAGE");
    case EncodingSource::Utf8Detected:
      return Sjis("自動: UTF-8判定");
    case EncodingSource::Default:
      return Sjis("自動: 既定");
    case EncodingSource::Manual:
      return Sjis("手動");
  }
  return {};
}

// "utf-8（自動: $ACADVER）"
static std::string NameAndSource(const TDXFBuffer& buffer) {
  return std::string(EncodingName(buffer.Encoding)) + Sjis("（") +
         EncodingSourceText(buffer.EncodingFrom) + Sjis("）");
}

std::string EncodingCaption(const TDXFBuffer& buffer) {
  const std::string caption = Sjis("文字コード: ") + NameAndSource(buffer);
  return buffer.SaveForm == DXFForm::Binary ? caption + Sjis("　バイナリ DXF") : caption;
}

std::string ChooseEncoding(TDXFBuffer& buffer, std::optional<TextEncoding> encoding) {
  if (encoding) {
    buffer.SetEncoding(*encoding);
  } else {
    buffer.DetectEncoding();
  }
  return Sjis("＜文字コード＞ ") + NameAndSource(buffer);
}
