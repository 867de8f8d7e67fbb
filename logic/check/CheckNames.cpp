// CheckNames.cpp - symbol names as the drawing check compares and judges them.
#include "logic/check/CheckNames.h"

#include <cstdint>  // std::uint64_t

namespace {

constexpr unsigned char Folded(unsigned char c) noexcept {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Tells whether the encoding has characters whose second byte is ASCII.
bool HasAsciiTrailBytes(TextEncoding encoding) noexcept {
  return encoding != TextEncoding::Utf8 && !IsSingleByte(encoding);
}

// The length of the character at `at`: 1 for an ASCII byte, else as the encoding says.
std::size_t CharacterAt(TextEncoding encoding, bool asciiTrails, std::string_view s,
                        std::size_t at) noexcept {
  if (!asciiTrails || static_cast<unsigned char>(s[at]) < 0x80) return 1;
  return static_cast<std::size_t>(CharLength(encoding, s, at));
}

bool IsHexDigit(char c) noexcept {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The length of the escape \U+XXXX or \M+nXXXX at `at` (AutoCAD's way to write a
// character outside the code page), or 0 when none starts there.
std::size_t EscapeLength(std::string_view s, std::size_t at) noexcept {
  const std::string_view rest = s.substr(at);
  std::size_t hex = 0;  // where the four hexadecimal digits start
  if (rest.starts_with("\\U+"))
    hex = 3;
  else if (rest.starts_with("\\M+") && rest.size() > 3 && rest[3] >= '1' && rest[3] <= '5')
    hex = 4;
  else
    return 0;
  if (rest.size() < hex + 4) return 0;
  for (std::size_t k = hex; k < hex + 4; ++k)
    if (!IsHexDigit(rest[k])) return 0;
  return hex + 4;
}

}  // namespace

bool SameSymbolName(TextEncoding encoding, std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  const bool asciiTrails = HasAsciiTrailBytes(encoding);
  for (std::size_t at = 0; at < a.size();) {
    const std::size_t length = CharacterAt(encoding, asciiTrails, a, at);
    if (length == 1) {
      if (Folded(static_cast<unsigned char>(a[at])) != Folded(static_cast<unsigned char>(b[at])))
        return false;
    } else if (a.substr(at, length) != b.substr(at, length)) {
      return false;
    }
    at += length;
  }
  return true;
}

std::size_t SymbolNameHash::operator()(std::string_view name) const noexcept {
  const bool asciiTrails = HasAsciiTrailBytes(encoding);
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t length = CharacterAt(encoding, asciiTrails, name, at);
    for (std::size_t k = 0; k < length; ++k) {
      const unsigned char c = static_cast<unsigned char>(name[at + k]);
      hash = (hash ^ (length == 1 ? Folded(c) : c)) * 1099511628211ull;
    }
    at += length;
  }
  return static_cast<std::size_t>(hash);
}

SymbolNames MakeSymbolNames(TextEncoding encoding) {
  return SymbolNames(16, SymbolNameHash{encoding}, SymbolNameEqual{encoding});
}

std::string_view ForbiddenNameCharacter(TextEncoding encoding, std::string_view name,
                                        NameAllowance allowed) noexcept {
  const bool asciiTrails = HasAsciiTrailBytes(encoding);
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t length = CharacterAt(encoding, asciiTrails, name, at);
    if (const std::size_t escape = name[at] == '\\' ? EscapeLength(name, at) : 0; escape > 0) {
      at += escape;
      continue;
    }
    if (length == 1) {
      const char c = name[at];
      const bool star = c == '*' && at == 0 && allowed.leadingStar;
      const bool bar = c == '|' && allowed.bar;
      if (std::string_view("<>/\\\":;?*|=`").find(c) != std::string_view::npos && !star && !bar)
        return name.substr(at, 1);
    }
    at += length;
  }
  return {};
}
