// Sjis.h - conversion between UTF-8 and Shift-JIS (Microsoft code page 932).
//
// The program's own texts are CP932 bytes; Unicode appears only at the edges (widgets,
// the command-line tool's output). A byte or character that cannot be converted becomes
// "?"; the functions never throw and never fail.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

/// Returns the UTF-8 text utf8 as CP932 bytes; unconvertible characters become "?".
std::string Sjis(std::string_view utf8);

/// Returns the CP932 bytes cp932 as UTF-8; unconvertible bytes become "?".
std::string Utf8(std::string_view cp932);

/// Tells whether every byte of S is 7-bit ASCII (the same in both encodings).
bool IsAscii(std::string_view s) noexcept;
