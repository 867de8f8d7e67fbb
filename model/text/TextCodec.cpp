// TextCodec.cpp - names, detection, escapes and character boundaries of the encodings.
//
// Only Transcode (TextConvert) touches the platform; UTF-8 is validated here, so a
// UTF-8 document never goes through the converter on its way to the screen.
#include "model/text/TextCodec.h"

#include <algorithm>  // std::max, std::min
#include <bitset>     // std::bitset
#include <cstdint>    // std::uint64_t
#include <cstring>    // std::memchr, std::memcpy
#include <map>        // std::map
#include <memory>     // std::unique_ptr
#include <mutex>      // std::mutex, std::lock_guard

#include "model/text/TextConvert.h"

namespace {

enum class Width { Single, Double, Utf8 };

struct EncodingInfo {
  TextEncoding encoding;
  std::string_view name;
  Width width;
};

// In the order a choice lists them: the two the program meets most, then by number.
constexpr EncodingInfo kEncodings[] = {
    {TextEncoding::Utf8, "utf-8", Width::Utf8},
    {TextEncoding::Cp932, "cp932", Width::Double},
    {TextEncoding::Cp437, "cp437", Width::Single},
    {TextEncoding::Cp850, "cp850", Width::Single},
    {TextEncoding::Cp852, "cp852", Width::Single},
    {TextEncoding::Cp855, "cp855", Width::Single},
    {TextEncoding::Cp857, "cp857", Width::Single},
    {TextEncoding::Cp860, "cp860", Width::Single},
    {TextEncoding::Cp861, "cp861", Width::Single},
    {TextEncoding::Cp863, "cp863", Width::Single},
    {TextEncoding::Cp864, "cp864", Width::Single},
    {TextEncoding::Cp865, "cp865", Width::Single},
    {TextEncoding::Cp866, "cp866", Width::Single},
    {TextEncoding::Cp869, "cp869", Width::Single},
    {TextEncoding::Cp874, "cp874", Width::Single},
    {TextEncoding::Cp936, "cp936", Width::Double},
    {TextEncoding::Cp949, "cp949", Width::Double},
    {TextEncoding::Cp950, "cp950", Width::Double},
    {TextEncoding::Cp1250, "cp1250", Width::Single},
    {TextEncoding::Cp1251, "cp1251", Width::Single},
    {TextEncoding::Cp1252, "cp1252", Width::Single},
    {TextEncoding::Cp1253, "cp1253", Width::Single},
    {TextEncoding::Cp1254, "cp1254", Width::Single},
    {TextEncoding::Cp1255, "cp1255", Width::Single},
    {TextEncoding::Cp1256, "cp1256", Width::Single},
    {TextEncoding::Cp1257, "cp1257", Width::Single},
    {TextEncoding::Cp1258, "cp1258", Width::Single},
    {TextEncoding::Johab, "johab", Width::Double},
    {TextEncoding::MacRoman, "mac-roman", Width::Single},
    {TextEncoding::Ascii, "ascii", Width::Single},
    {TextEncoding::Iso8859_1, "iso8859-1", Width::Single},
    {TextEncoding::Iso8859_2, "iso8859-2", Width::Single},
    {TextEncoding::Iso8859_3, "iso8859-3", Width::Single},
    {TextEncoding::Iso8859_4, "iso8859-4", Width::Single},
    {TextEncoding::Iso8859_5, "iso8859-5", Width::Single},
    {TextEncoding::Iso8859_6, "iso8859-6", Width::Single},
    {TextEncoding::Iso8859_7, "iso8859-7", Width::Single},
    {TextEncoding::Iso8859_8, "iso8859-8", Width::Single},
    {TextEncoding::Iso8859_9, "iso8859-9", Width::Single},
};

// $DWGCODEPAGE names that carry no code page number.
struct NamedCodePage {
  std::string_view dwgName;
  TextEncoding encoding;
};

constexpr NamedCodePage kNamedCodePages[] = {
    {"BIG5", TextEncoding::Cp950},         {"GB2312", TextEncoding::Cp936},
    {"KSC5601", TextEncoding::Cp949},      {"JOHAB", TextEncoding::Johab},
    {"MACINTOSH", TextEncoding::MacRoman}, {"ASCII", TextEncoding::Ascii},
};

// The code pages of the \M+n escape, n = 1 to 5.
constexpr TextEncoding kMifCodePages[] = {TextEncoding::Cp932, TextEncoding::Cp950,
                                          TextEncoding::Cp949, TextEncoding::Johab,
                                          TextEncoding::Cp936};

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
constexpr char32_t kReplacementChar = 0xFFFD;

const EncodingInfo* InfoOf(TextEncoding encoding) noexcept {
  for (const EncodingInfo& info : kEncodings)
    if (info.encoding == encoding) return &info;
  return nullptr;
}

char UpperByte(char c) noexcept {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsUpper(std::string_view a, std::string_view upper) noexcept {
  if (a.size() != upper.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperByte(a[i]) != upper[i]) return false;
  return true;
}

int HexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads four hex digits at s[at..at+3]; -1 when they are not there.
long FourHex(std::string_view s, std::size_t at) noexcept {
  if (at + 4 > s.size()) return -1;
  long value = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const int digit = HexDigit(s[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

bool IsContinuation(unsigned char b) noexcept {
  return (b & 0xC0) == 0x80;
}

// Reads the UTF-8 sequence at s[at]: its length, or 0 when no valid sequence starts
// there (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF or
// cut short). The code point goes to cp.
int Utf8SequenceAt(std::string_view s, std::size_t at, char32_t& cp) noexcept {
  const auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  int length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (at + static_cast<std::size_t>(length) > s.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (int i = 1; i < length; ++i) {
    if (!IsContinuation(byte(at + static_cast<std::size_t>(i)))) return 0;
    cp = (cp << 6) | (byte(at + static_cast<std::size_t>(i)) & 0x3F);
  }
  return length;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-8 input made valid: every byte that starts no valid sequence becomes U+FFFD.
std::string ValidUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t at = 0; at < s.size();) {
    char32_t cp = 0;
    const int length = Utf8SequenceAt(s, at, cp);
    if (length == 0) {
      out += kReplacement;
      ++at;
      continue;
    }
    out.append(s.substr(at, static_cast<std::size_t>(length)));
    at += static_cast<std::size_t>(length);
  }
  return out;
}

bool IsSurrogate(long v, long first) noexcept {
  return v >= first && v <= first + 0x3FF;
}

// Decodes the \U+XXXX escape at s[at] (a backslash): the characters it stands for go to
// out and its length is returned, or 0 when it stands for nothing.
std::size_t DecodeUnicodeEscape(std::string_view s, std::size_t at, std::string& out) {
  if (s.compare(at, 3, "\\U+") != 0) return 0;
  const long first = FourHex(s, at + 3);
  if (first <= 0 || IsSurrogate(first, 0xDC00)) return 0;
  if (!IsSurrogate(first, 0xD800)) {
    AppendUtf8(static_cast<char32_t>(first), out);
    return 7;
  }
  if (s.compare(at + 7, 3, "\\U+") != 0) return 0;
  const long second = FourHex(s, at + 10);
  if (!IsSurrogate(second, 0xDC00)) return 0;
  AppendUtf8(static_cast<char32_t>(0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00)), out);
  return 14;
}

// Decodes the \M+nXXXX escape at s[at]: a double-byte character of code page n.
std::size_t DecodeMifEscape(std::string_view s, std::size_t at, std::string& out) {
  if (s.compare(at, 3, "\\M+") != 0 || at + 3 >= s.size()) return 0;
  const char n = s[at + 3];
  const long code = FourHex(s, at + 4);
  if (n < '1' || n > '5' || code < 0) return 0;
  const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  bool failed = false;
  const std::string decoded =
      Transcode(kMifCodePages[n - '1'], TextEncoding::Utf8, std::string_view(bytes, 2),
                [&failed](std::string_view input, std::size_t, std::string&) {
                  failed = true;
                  return input.size();
                });
  char32_t cp = 0;
  if (failed || decoded.empty() ||
      Utf8SequenceAt(decoded, 0, cp) != static_cast<int>(decoded.size()))
    return 0;
  out += decoded;
  return 8;
}

// Hands a character the target lacks to the policy: its escape, or the end of the text.
ConversionFault UnmappableHandler(Unmappable policy, EncodedText& result) {
  return [policy, &result](std::string_view input, std::size_t at, std::string& out) {
    char32_t cp = 0;
    int length = Utf8SequenceAt(input, at, cp);
    if (length == 0) {
      cp = kReplacementChar;
      length = 1;
    }
    if (policy == Unmappable::Escape) {
      out += UnicodeEscape(cp);
      return static_cast<std::size_t>(length);
    }
    if (result.ok) result.refused = cp;
    result.ok = false;
    return input.size() - at;
  };
}

}  // namespace

std::string_view EncodingName(TextEncoding encoding) noexcept {
  const EncodingInfo* info = InfoOf(encoding);
  return info ? info->name : std::string_view("cp932");
}

std::optional<TextEncoding> EncodingNamed(std::string_view name) noexcept {
  for (const EncodingInfo& info : kEncodings) {
    std::string upper(info.name);
    for (char& c : upper) c = UpperByte(c);
    if (EqualsUpper(name, upper)) return info.encoding;
  }
  if (EqualsUpper(name, "UTF8")) return TextEncoding::Utf8;
  if (EqualsUpper(name, "SHIFT_JIS")) return TextEncoding::Cp932;
  return std::nullopt;
}

const std::vector<TextEncoding>& AllEncodings() {
  static const std::vector<TextEncoding> all = [] {
    std::vector<TextEncoding> list;
    for (const EncodingInfo& info : kEncodings) list.push_back(info.encoding);
    return list;
  }();
  return all;
}

// Reads the decimal number after a prefix of an upper-cased name; -1 when it has none.
static long NumberAfter(std::string_view upper, std::string_view prefix) noexcept {
  if (!upper.starts_with(prefix) || upper.size() == prefix.size()) return -1;
  long value = 0;
  for (char c : upper.substr(prefix.size())) {
    if (c < '0' || c > '9' || value > 100000) return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

static std::optional<TextEncoding> KnownCodePage(long number) noexcept {
  if (number <= 0 || number > 65535) return std::nullopt;
  const EncodingInfo* info = InfoOf(static_cast<TextEncoding>(number));
  if (!info) return std::nullopt;
  return info->encoding;
}

std::optional<TextEncoding> EncodingOfCodePage(std::string_view dwgCodePage) noexcept {
  while (!dwgCodePage.empty() && static_cast<unsigned char>(dwgCodePage.front()) <= 0x20)
    dwgCodePage.remove_prefix(1);
  while (!dwgCodePage.empty() && static_cast<unsigned char>(dwgCodePage.back()) <= 0x20)
    dwgCodePage.remove_suffix(1);
  if (dwgCodePage.size() > 32) return std::nullopt;
  std::string upper(dwgCodePage);
  for (char& c : upper) c = UpperByte(c);
  for (const NamedCodePage& named : kNamedCodePages)
    if (upper == named.dwgName) return named.encoding;
  if (upper.starts_with("ANSI_")) return KnownCodePage(NumberAfter(upper, "ANSI_"));
  if (upper.starts_with("DOS")) return KnownCodePage(NumberAfter(upper, "DOS"));
  for (std::string_view iso : {"ISO8859-", "ISO8859_", "ISO_8859-"}) {
    const long part = NumberAfter(upper, iso);
    if (part >= 1 && part <= 9) return KnownCodePage(28590 + part);
  }
  return std::nullopt;
}

bool IsSingleByte(TextEncoding encoding) noexcept {
  const EncodingInfo* info = InfoOf(encoding);
  return info && info->width == Width::Single;
}

int CharLength(TextEncoding encoding, std::string_view s, std::size_t at) noexcept {
  const unsigned char b = static_cast<unsigned char>(s[at]);
  if (b < 0x80) return 1;
  bool lead = false;
  switch (encoding) {
    case TextEncoding::Utf8: {
      char32_t cp = 0;
      return std::max(Utf8SequenceAt(s, at, cp), 1);
    }
    case TextEncoding::Cp932:
      lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
      break;
    case TextEncoding::Cp936:
    case TextEncoding::Cp949:
    case TextEncoding::Cp950:
      lead = b >= 0x81 && b <= 0xFE;
      break;
    case TextEncoding::Johab:
      lead = (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
      break;
    default:
      return 1;  // the single-byte code pages
  }
  return lead && at + 1 < s.size() ? 2 : 1;
}

// Tells whether the eight bytes from `at` are all there and all ASCII: the walks over a
// drawing's bytes, which are mostly ASCII, pass them as one word.
static bool IsAsciiWordAt(std::string_view bytes, std::size_t at) noexcept {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  if (at + 8 > bytes.size()) return false;
  std::uint64_t word;
  std::memcpy(&word, bytes.data() + at, 8);
  return (word & kHighBits) == 0;
}

// Performance: most bytes of a drawing are ASCII, so eight are tested at a time; a
// 200 MB file that is pure ASCII is gone through in about 0.05 s.
bool IsUtf8WithMultiByteSequence(std::string_view bytes) noexcept {
  bool multiByte = false;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (IsAsciiWordAt(bytes, at)) {
      at += 8;
      continue;
    }
    char32_t cp = 0;
    const int length = Utf8SequenceAt(bytes, at, cp);
    if (length == 0) return false;
    multiByte = multiByte || length > 1;
    at += static_cast<std::size_t>(length);
  }
  return multiByte;
}

// ------------------------------------------------------------------ decode checks

struct DecodeCheck::Table {
  bool doubleByte = false;
  std::bitset<256> single;  // a byte that is a character by itself
  std::bitset<65536> pair;  // lead * 256 + trail: a pair that is a character
};

namespace {

// The index of the first byte of the triple or couple that holds byte `at`.
constexpr std::size_t Unit(std::size_t at, std::size_t width) {
  return at / width;
}

// Asks the converter which units of `input` (each `width` bytes: the bytes to try and a
// line feed) do not convert; returns a bit per unit.
std::vector<bool> FaultyUnits(TextEncoding encoding, std::string_view input, std::size_t width) {
  std::vector<bool> faulty(input.size() / width, false);
  Transcode(encoding, TextEncoding::Utf8, input,
            [&faulty, width](std::string_view, std::size_t at, std::string&) {
              faulty[Unit(at, width)] = true;
              return width - at % width;  // on to the next unit
            });
  return faulty;
}

// Builds the table of a code page from its converter.
std::unique_ptr<DecodeCheck::Table> BuildTable(TextEncoding encoding) {
  auto table = std::make_unique<DecodeCheck::Table>();
  for (int b = 0; b < 0x80; ++b) table->single.set(static_cast<std::size_t>(b));
  table->doubleByte = !IsSingleByte(encoding);
  std::string singles;
  for (int b = 0x80; b < 0x100; ++b) {
    singles += static_cast<char>(b);
    singles += '\n';
  }
  const std::vector<bool> badSingle = FaultyUnits(encoding, singles, 2);
  for (int b = 0x80; b < 0x100; ++b)
    table->single.set(static_cast<std::size_t>(b), !badSingle[static_cast<std::size_t>(b - 0x80)]);
  if (!table->doubleByte) return table;
  // A byte CharLength takes for a lead byte is judged with the byte after it.
  std::string pairs;
  std::vector<int> units;
  for (int lead = 0x80; lead < 0x100; ++lead) {
    const char leadByte = static_cast<char>(lead);
    const char probe[2] = {leadByte, 'A'};
    if (CharLength(encoding, std::string_view(probe, 2), 0) != 2) continue;
    for (int trail = 0x21; trail < 0x100; ++trail) {
      pairs += leadByte;
      pairs += static_cast<char>(trail);
      pairs += '\n';
      units.push_back(lead * 256 + trail);
    }
  }
  const std::vector<bool> badPair = FaultyUnits(encoding, pairs, 3);
  for (std::size_t u = 0; u < units.size(); ++u)
    if (!badPair[u]) table->pair.set(static_cast<std::size_t>(units[u]));
  return table;
}

const DecodeCheck::Table* TableOf(TextEncoding encoding) {
  static std::mutex mutex;
  static std::map<TextEncoding, std::unique_ptr<DecodeCheck::Table>> tables;
  const std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<DecodeCheck::Table>& table = tables[encoding];
  if (!table) table = BuildTable(encoding);
  return table.get();
}

}  // namespace

DecodeCheck::DecodeCheck(TextEncoding encoding)
    : m_encoding(encoding), m_table(encoding == TextEncoding::Utf8 ? nullptr : TableOf(encoding)) {}

// Performance: most values are ASCII, so eight bytes are tested at a time.
bool DecodeCheck::Decodes(std::string_view bytes) const noexcept {
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (IsAsciiWordAt(bytes, at)) {
      at += 8;
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(bytes[at]);
    if (b < 0x80) {
      ++at;
    } else if (!m_table) {
      char32_t cp = 0;
      const int length = Utf8SequenceAt(bytes, at, cp);
      if (length == 0) return false;
      at += static_cast<std::size_t>(length);
    } else if (m_table->doubleByte && CharLength(m_encoding, bytes, at) == 2) {
      const unsigned char trail = static_cast<unsigned char>(bytes[at + 1]);
      if (!m_table->pair.test(b * 256u + trail)) return false;
      at += 2;
    } else if (!m_table->single.test(b)) {
      return false;  // no character by itself, as a lead byte at the very end is not
    } else {
      ++at;
    }
  }
  return true;
}

bool IsPlainAscii(std::string_view s) noexcept {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80 || c == '\\') return false;
  return true;
}

std::string DecodeEscapes(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t done = 0;
  while (done < utf8.size()) {
    const void* hit = std::memchr(utf8.data() + done, '\\', utf8.size() - done);
    if (!hit) break;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - utf8.data());
    out.append(utf8.substr(done, at - done));
    std::size_t length = DecodeUnicodeEscape(utf8, at, out);
    if (length == 0) length = DecodeMifEscape(utf8, at, out);
    if (length == 0) {
      out += '\\';
      length = 1;
    }
    done = at + length;
  }
  out.append(utf8.substr(std::min(done, utf8.size())));
  return out;
}

std::string ToUtf8(TextEncoding encoding, std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(bytes);
  if (encoding == TextEncoding::Utf8) return ValidUtf8(bytes);
  // One byte at a time: a lead byte with a bad trail byte must not swallow the next
  // character, which may be a perfectly good one.
  return Transcode(encoding, TextEncoding::Utf8, bytes,
                   [](std::string_view, std::size_t, std::string& out) {
                     out += kReplacement;
                     return std::size_t{1};
                   });
}

std::string_view DecodeText(TextEncoding encoding, std::string_view bytes, std::string& scratch) {
  if (IsPlainAscii(bytes)) return bytes;
  scratch = ToUtf8(encoding, bytes);
  if (scratch.find('\\') != std::string::npos) scratch = DecodeEscapes(scratch);
  return scratch;
}

std::string DecodeText(TextEncoding encoding, std::string_view bytes) {
  std::string scratch;
  return std::string(DecodeText(encoding, bytes, scratch));
}

EncodedText EncodeText(TextEncoding encoding, std::string_view utf8, Unmappable policy) {
  EncodedText result;
  bool ascii = true;
  for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    result.bytes = utf8;
  } else if (encoding == TextEncoding::Utf8) {
    // Only a broken input byte has no UTF-8 form.
    const ConversionFault fault = UnmappableHandler(policy, result);
    for (std::size_t at = 0; at < utf8.size();) {
      char32_t cp = 0;
      const int length = Utf8SequenceAt(utf8, at, cp);
      if (length > 0) {
        result.bytes.append(utf8.substr(at, static_cast<std::size_t>(length)));
        at += static_cast<std::size_t>(length);
      } else {
        at += fault(utf8, at, result.bytes);
      }
    }
  } else {
    result.bytes = Transcode(TextEncoding::Utf8, encoding, utf8, UnmappableHandler(policy, result));
  }
  if (!result.ok) result.bytes.clear();
  return result;
}

std::string ProgramTextOfUtf8(std::string_view utf8) {
  return EncodeText(TextEncoding::Cp932, utf8, Unmappable::Escape).bytes;
}

std::string Utf8OfProgramText(std::string_view programText) {
  return DecodeText(TextEncoding::Cp932, programText);
}

std::string UnicodeEscape(char32_t codePoint) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto four = [](unsigned v) {
    std::string text = "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(v >> shift) & 0xF];
    return text;
  };
  if (codePoint < 0x10000) return four(static_cast<unsigned>(codePoint));
  const unsigned v = static_cast<unsigned>(codePoint) - 0x10000;
  return four(0xD800 + (v >> 10)) + four(0xDC00 + (v & 0x3FF));
}
