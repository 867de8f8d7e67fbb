// DocumentText.cpp - a document's values as the program's texts, and typed texts back.
#include "model/text/DocumentText.h"

#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"

namespace {

constexpr int kFirstUtf8Version = 1021;
constexpr char32_t kReplacementChar = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

StoredText Refusal(std::string message) {
  return {false, {}, std::move(message)};
}

}  // namespace

bool WritesUnicodeEscapes(const TDXFBuffer& buffer) {
  return buffer.AcadVerNo < kFirstUtf8Version;
}

std::string ProgramText(const TDXFBuffer& buffer, std::string_view value) {
  if (buffer.Encoding == TextEncoding::Cp932 || IsAscii(value)) return std::string(value);
  return ProgramTextOfUtf8(ToUtf8(buffer.Encoding, value));
}

StoredText DocumentText(const TDXFBuffer& buffer, std::string_view programText) {
  const bool escapes = WritesUnicodeEscapes(buffer);
  // CharPos walks CP932 characters, so a trail byte 0x5C is never taken for a backslash.
  const bool plain = CharPos("\\", programText) == 0;
  if (plain && (buffer.Encoding == TextEncoding::Cp932 || IsAscii(programText)))
    return {true, std::string(programText), {}};
  const std::string utf8 = Utf8OfProgramText(programText);
  if (utf8.find(kReplacementUtf8) != std::string::npos)
    return Refusal(Format(Sjis("読めないバイト「%s」の入った値は書き込めません").c_str(),
                          UnicodeEscape(kReplacementChar).c_str()));
  EncodedText encoded =
      EncodeText(buffer.Encoding, utf8, escapes ? Unmappable::Escape : Unmappable::Refuse);
  if (encoded.ok) return {true, std::move(encoded.bytes), {}};
  return Refusal(Format(Sjis("「%s」はこの図面の文字コード %s では書き込めません").c_str(),
                        UnicodeEscape(encoded.refused).c_str(),
                        std::string(EncodingName(buffer.Encoding)).c_str()));
}
