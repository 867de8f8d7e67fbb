// QtText.h - texts and fonts at the Qt edge: CP932 to QString and back, the Japanese face.
//
// Inside the program every text is CP932; widgets take QString. These helpers are the
// only place the two meet in the widget layer, so the conversion rule stays in one
// place. The program's face is "ＭＳ ゴシック", with the metric-compatible "IPAGothic"
// where the former is not installed.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

#include <QFont>
#include <QString>

/// Returns the CP932 text as a QString (ASCII without going through the codec).
QString FromCp932(std::string_view cp932);

/// Returns the QString as CP932 bytes; characters CP932 lacks become "?".
std::string ToCp932(const QString& text);

/// Returns a native path (UTF-8 here) as a QString, and back.
QString FromNativePath(const std::string& path);
std::string ToNativePath(const QString& path);

/// Returns text without its control characters, line feeds kept when asked.
QString WithoutControls(const QString& text, bool keepLineFeeds);

/// Returns the program's Japanese font at the given pixel size.
QFont JapaneseFont(int pixelSize);
