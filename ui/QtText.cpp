// QtText.cpp - texts and fonts at the Qt edge.
#include "ui/QtText.h"

#include <QStringList>

#include "model/Sjis.h"

QString FromCp932(std::string_view cp932) {
  if (IsAscii(cp932))
    return QString::fromLatin1(cp932.data(), static_cast<qsizetype>(cp932.size()));
  return QString::fromStdString(Utf8(cp932));
}

std::string ToCp932(const QString& text) {
  return Sjis(text.toStdString());
}

QString FromNativePath(const std::string& path) {
  return QString::fromStdString(path);
}

std::string ToNativePath(const QString& path) {
  return path.toStdString();
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
