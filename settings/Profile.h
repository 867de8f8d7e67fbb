// Profile.h - a private-profile (INI) file, read and written key by key.
//
// Every read opens the file and every write rewrites it, as the Windows private-profile
// functions do, so the file on disk is always the truth. Section and key names compare
// without regard to the case of ASCII letters; names and values are trimmed of blanks,
// and a value enclosed in a pair of single or double quotation marks loses them on
// reading. Values are bytes (CP932), never converted. Lines are written with CR LF.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

class Profile {
 public:
  explicit Profile(std::string path) : m_path(std::move(path)) {}

  const std::string& Path() const { return m_path; }

  /// Returns the value of key in section, at most kMaxValue bytes of it; the default
  /// when the file, the section or the key is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  /// Returns the key names of section in file order; empty when it is missing.
  std::vector<std::string> ReadKeyNames(std::string_view section) const;
  /// Sets key in section to value, adding the section at the end of the file and the
  /// key at the end of its section when missing. Returns false when the file cannot be
  /// written.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;
  /// Removes section with all its keys. Returns false when the file cannot be written.
  bool EraseSection(std::string_view section) const;

  /// Values are read into a 2048-byte buffer with its terminating NUL.
  static constexpr std::size_t kMaxValue = 2047;

 private:
  std::vector<std::string> ReadLines() const;
  bool WriteLines(const std::vector<std::string>& lines) const;

  std::string m_path;
};
