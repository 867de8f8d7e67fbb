// FilePath.h - native file paths from the program's UTF-8 paths, and back.
//
// The program holds every path as UTF-8 bytes. On Linux those are the native bytes; on
// Windows the file functions take UTF-16, and a plain std::string would be read in the
// system's ANSI code page instead, so every path that reaches a file call goes through
// PathFromUtf8.
#pragma once

#include <filesystem>   // std::filesystem::path
#include <string>       // std::string, std::u8string
#include <string_view>  // std::string_view

/// Returns the file path named by the UTF-8 text utf8.
inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

/// Returns a file path as UTF-8 text.
inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}
