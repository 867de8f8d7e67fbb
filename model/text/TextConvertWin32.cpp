// TextConvertWin32.cpp - the platform's text converter on Windows: the Win32 code-page
// functions.
//
// MultiByteToWideChar and WideCharToMultiByte convert through UTF-16. Other platforms
// convert with glibc's tables, and a text must give the same bytes everywhere, so where
// Microsoft's table and glibc's differ the rules of TextConvertWin32Rules.h follow
// glibc's (the Windows tests compare the two builds over every character of every code
// page). A whole text is converted in one call; only a text with a character that needs
// one of those rules, or one that does not convert, is converted again character by
// character, each spot that does not convert going through the fault handler.
#include "model/text/TextConvert.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>   // std::any_of
#include <bitset>      // std::bitset
#include <climits>     // INT_MAX
#include <cstdint>     // std::uint32_t
#include <functional>  // std::less
#include <map>         // std::map
#include <memory>      // std::unique_ptr
#include <optional>    // std::optional
#include <string>      // std::string, std::wstring
#include <utility>     // std::pair

#include "model/text/TextConvertWin32Rules.h"

namespace {

UINT CodePageOf(TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? CP_UTF8 : static_cast<UINT>(encoding);
}

// Converts bytes of a code page to UTF-16; false when a byte sequence is not a character.
bool ToWide(UINT codePage, std::string_view bytes, std::wstring& wide) {
  if (bytes.empty() || bytes.size() > INT_MAX) return false;
  const int length = static_cast<int>(bytes.size());
  const int n =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (n <= 0) return false;
  wide.resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(),
                             n) == n;
}

// Appends UTF-16 converted to a code page to out; false, with out unchanged, when a
// character has no bytes there (the default character would have been used).
bool AppendFromWide(UINT codePage, std::wstring_view wide, std::string& out) {
  if (wide.size() > INT_MAX) return false;
  const int length = static_cast<int>(wide.size());
  // UTF-8 takes neither a default character nor best-fit flags.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr,
                                    usedDefaultOut);
  if (n <= 0 || usedDefault) return false;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  if (WideCharToMultiByte(codePage, flags, wide.data(), length, out.data() + at, n, nullptr,
                          nullptr) == n)
    return true;
  out.resize(at);
  return false;
}

void AppendWide(char32_t c, std::wstring& wide) {
  if (c < 0x10000) {
    wide += static_cast<wchar_t>(c);
    return;
  }
  c -= 0x10000;
  wide += static_cast<wchar_t>(0xD800 + (c >> 10));
  wide += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
}

// The bytes of a code in a rule: 0xXX or 0xXXYY (0xXXYYZZ and beyond for a character
// written as a letter and its marks).
std::string BytesOfCode(std::uint32_t code) {
  std::string bytes;
  for (; code != 0; code >>= 8) bytes.insert(bytes.begin(), static_cast<char>(code & 0xFF));
  return bytes;
}

// The rules of one encoding, with the UTF-16 units the fast path must not pass through
// Microsoft's table: those a byte sequence with a rule decodes to there, those with a
// rule of their own when encoding and the combining marks that join a letter.
class EncodingRules {
 public:
  explicit EncodingRules(TextEncoding encoding) {
    const CodePageRules rules = RulesOf(encoding);
    std::wstring wide;
    for (const CodeRange& range : rules.decode)
      for (std::uint32_t code = range.first; code <= range.last; ++code) {
        const std::string bytes = BytesOfCode(code);
        m_decode.emplace(bytes, range.start == 0 ? 0 : range.start + (code - range.first));
        if (ToWide(CodePageOf(encoding), bytes, wide)) MarkSpecial(wide);
      }
    for (const CodeRange& range : rules.encode)
      for (std::uint32_t c = range.first; c <= range.last; ++c) {
        m_encode.emplace(
            c, range.start == 0 ? std::string() : BytesOfCode(range.start + (c - range.first)));
        MarkSpecial(c);
      }
    for (const ComposeRule& rule : rules.compose) {
      m_compose.emplace(std::tuple(rule.base, rule.mark, rule.again), rule.composed);
      MarkSpecial(rule.mark);
    }
  }

  bool NeedsRule(std::wstring_view wide) const {
    return std::any_of(wide.begin(), wide.end(),
                       [this](wchar_t unit) { return m_special[static_cast<std::size_t>(unit)]; });
  }

  // glibc's reading of a byte sequence where it differs from Microsoft's: a character,
  // or 0 for none.
  std::optional<char32_t> Decoded(std::string_view bytes) const {
    const auto found = m_decode.find(bytes);
    if (found == m_decode.end()) return std::nullopt;
    return found->second;
  }

  // glibc's bytes of a character where they differ from Microsoft's: empty for none.
  const std::string* Encoded(char32_t c) const {
    const auto found = m_encode.find(c);
    return found == m_encode.end() ? nullptr : &found->second;
  }

  bool Composes() const { return !m_compose.empty(); }

  // The character a letter and the combining mark after it are read as, if any; again
  // when the letter was composed itself.
  std::optional<char32_t> Composed(char32_t base, char32_t mark, bool again) const {
    const auto found = m_compose.find(std::tuple(base, mark, again));
    if (found == m_compose.end()) return std::nullopt;
    return found->second;
  }

 private:
  void MarkSpecial(std::wstring_view wide) {
    for (const wchar_t unit : wide) m_special.set(static_cast<std::size_t>(unit));
  }
  void MarkSpecial(char32_t c) {
    std::wstring wide;
    AppendWide(c, wide);
    MarkSpecial(wide);
  }

  std::map<std::string, char32_t, std::less<>> m_decode;
  std::map<char32_t, std::string> m_encode;
  std::map<std::tuple<char32_t, char32_t, bool>, char32_t> m_compose;
  std::bitset<0x10000> m_special;
};

const EncodingRules& RulesFor(TextEncoding encoding) {
  thread_local std::map<TextEncoding, std::unique_ptr<EncodingRules>> made;
  std::unique_ptr<EncodingRules>& slot = made[encoding];
  if (!slot) slot = std::make_unique<EncodingRules>(encoding);
  return *slot;
}

// Reads UTF-16 that holds one character (one unit or a surrogate pair) as its code
// point; nothing when it holds more or less.
std::optional<char32_t> CodePointOf(std::wstring_view wide) {
  const auto isSurrogate = [](wchar_t unit, char32_t first) {
    return static_cast<char32_t>(unit) >= first && static_cast<char32_t>(unit) <= first + 0x3FF;
  };
  if (wide.size() == 1 && !isSurrogate(wide[0], 0xD800) && !isSurrogate(wide[0], 0xDC00))
    return static_cast<char32_t>(wide[0]);
  if (wide.size() == 2 && isSurrogate(wide[0], 0xD800) && isSurrogate(wide[1], 0xDC00))
    return 0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) +
           (static_cast<char32_t>(wide[1]) - 0xDC00);
  return std::nullopt;
}

// The character of one byte sequence of `from`, by its rules first; nothing when the
// sequence is not one character.
std::optional<char32_t> DecodeCharacter(TextEncoding from, std::string_view bytes) {
  if (const std::optional<char32_t> ruled = RulesFor(from).Decoded(bytes))
    return *ruled == 0 ? std::nullopt : ruled;
  std::wstring wide;
  if (!ToWide(CodePageOf(from), bytes, wide)) return std::nullopt;
  return CodePointOf(wide);
}

// Appends the bytes of a character in `to`, by its rules first; false, out unchanged,
// when it has none.
bool EncodeCharacter(TextEncoding to, char32_t c, std::string& out) {
  if (const std::string* ruled = RulesFor(to).Encoded(c)) {
    out += *ruled;
    return !ruled->empty();
  }
  std::wstring wide;
  AppendWide(c, wide);
  return AppendFromWide(CodePageOf(to), wide, out);
}

// Converts input character by character; every spot that does not convert goes to onFault.
// Read into UTF-8, a letter and the combining mark after it may join into one character.
std::string TranscodeEach(TextEncoding from, TextEncoding to, std::string_view input,
                          const ConversionFault& onFault) {
  const EncodingRules& reading = RulesFor(from);
  const bool composing = to == TextEncoding::Utf8 && reading.Composes();
  std::string out;
  char32_t last = 0;          // the character written last, 0 when no mark may join it
  std::size_t lastAt = 0;     // where its bytes start in out
  bool lastComposed = false;  // whether it was joined from a letter and a mark
  for (std::size_t at = 0; at < input.size();) {
    const std::size_t length = static_cast<std::size_t>(CharLength(from, input, at));
    std::optional<char32_t> c = DecodeCharacter(from, input.substr(at, length));
    bool composed = false;
    if (c && composing && last != 0) {
      if (const std::optional<char32_t> joined = reading.Composed(last, *c, lastComposed)) {
        out.resize(lastAt);
        c = joined;
        composed = true;
      }
    }
    const std::size_t start = out.size();
    if (c && EncodeCharacter(to, *c, out)) {
      last = *c;
      lastAt = start;
      lastComposed = composed;
      at += length;
      continue;
    }
    last = 0;
    std::size_t skip = onFault(input, at, out);
    if (skip == 0 || skip > input.size() - at) skip = input.size() - at;
    at += skip;
  }
  return out;
}

}  // namespace

std::string Transcode(TextEncoding from, TextEncoding to, std::string_view input,
                      const ConversionFault& onFault) {
  std::wstring wide;
  std::string out;
  if (input.empty()) return out;
  if (ToWide(CodePageOf(from), input, wide) && !RulesFor(from).NeedsRule(wide) &&
      !RulesFor(to).NeedsRule(wide) && AppendFromWide(CodePageOf(to), wide, out))
    return out;
  return TranscodeEach(from, to, input, onFault);
}
