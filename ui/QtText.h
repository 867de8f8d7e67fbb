// QtText.h - texts and fonts at the Qt edge: program texts and values to QString and back,
// the Japanese face.
//
// Inside the program every text is a program text (CP932, with \U+XXXX for characters
// CP932 lacks) or a value in its document's encoding; widgets take QString. These helpers
// are the only place they meet in the widget layer, so the conversion rule stays in one
// place. The program's face is "ＭＳ ゴシック", with the metric-compatible "IPAGothic"
// where the former is not installed.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

#include <QFont>
#include <QString>

#include "model/text/TextCodec.h"  // TextEncoding

/// Returns a program text as a QString, its escapes decoded (plain ASCII without going
/// through the codec).
QString FromCp932(std::string_view cp932);

/// Returns the QString as a program text: CP932, characters it lacks as \U+XXXX.
std::string ToCp932(const QString& text);

/// Returns a value of a document in that encoding as a QString, its escapes decoded and
/// bytes that cannot be read as U+FFFD.
QString FromValue(TextEncoding encoding, std::string_view bytes);

/// Returns a native path (UTF-8 here) as a QString, and back.
QString FromNativePath(const std::string& path);
std::string ToNativePath(const QString& path);

/// Returns text without its control characters, line feeds kept when asked.
QString WithoutControls(const QString& text, bool keepLineFeeds);

/// Returns the program's Japanese font at the given pixel size.
QFont JapaneseFont(int pixelSize);
