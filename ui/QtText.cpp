// QtText.cpp - texts and fonts at the Qt edge.
#include "ui/QtText.h"

#include <QDir>
#include <QStringList>

QString FromCp932(std::string_view cp932) {
  return FromValue(TextEncoding::Cp932, cp932);
}

std::string ToCp932(const QString& text) {
  return ProgramTextOfUtf8(text.toStdString());
}

QString FromValue(TextEncoding encoding, std::string_view bytes) {
  if (IsPlainAscii(bytes))
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  std::string scratch;
  const std::string_view utf8 = DecodeText(encoding, bytes, scratch);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString FromNativePath(const std::string& path) {
  return QString::fromStdString(path);
}

std::string ToNativePath(const QString& path) {
  // Qt hands out paths with "/"; on Windows the program's paths use "\".
  return QDir::toNativeSeparators(path).toStdString();
}

QString WithoutControls(const QString& text, bool keepLineFeeds) {
  QString kept;
  for (QChar c : text)
    if (c.unicode() >= 0x20 || (keepLineFeeds && c == QLatin1Char('\n'))) kept += c;
  return kept;
}

QFont JapaneseFont(int pixelSize) {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
  font.setPixelSize(pixelSize);
  return font;
}
