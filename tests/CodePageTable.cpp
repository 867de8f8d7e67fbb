// CodePageTable.cpp - prints the conversions of every character of every code page, for
// comparing the converters of two platforms byte for byte.
//
// Per encoding, through the platform's converter, after a line "E" and its name: "1 XX"
// every single byte and, in the double-byte code pages, "2 XXYY" every lead byte from
// 0x80 with every second byte, each followed by "A" so that a dangling byte shows, read
// into UTF-8 (where letters join the combining marks after them, pairs and triples of
// those too); then "U X" every Unicode character of the Basic Multilingual Plane and two
// beyond it, followed by "A", written in the encoding. Then the program's own
// conversions, Sjis and Utf8, of every single byte, every CP932 byte pair and every
// character from U+0080. Each line ends with the converted bytes in hexadecimal. Given files, it
// prints instead both conversions of every line of each that is not plain ASCII, in every
// encoding: "F" and the file's name, then per line its number, "E" and the encoding, its
// UTF-8 as read from the encoding and the encoding's bytes of the line read as UTF-8. The
// Windows tests diff the Linux (iconv) and the Windows (code-page functions) output, the
// files being the DXF corpus.
#include <algorithm>    // std::min
#include <cstdio>       // std::printf
#include <fstream>      // std::ifstream
#include <functional>   // std::function
#include <iterator>     // std::istreambuf_iterator
#include <string>       // std::string
#include <string_view>  // std::string_view
#ifdef _WIN32
#include <fcntl.h>  // _O_BINARY
#include <io.h>     // _setmode, _fileno
#endif

#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "model/text/TextConvert.h"

namespace {

using Conversion = std::function<std::string(std::string_view)>;

void PrintHex(const std::string& bytes) {
  for (const char c : bytes) std::printf("%02X", static_cast<unsigned char>(c));
  std::printf("\n");
}

std::string Utf8Of(unsigned c) {
  std::string s;
  if (c < 0x80) return s += static_cast<char>(c);
  if (c < 0x800) {
    s += static_cast<char>(0xC0 | c >> 6);
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | c >> 12);
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | c >> 18);
    s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
  }
  return s += static_cast<char>(0x80 | (c & 0x3F));
}

// The converter itself, which TextCodec's functions pass plain ASCII by: a byte that is
// no character reads as U+FFFD, a character the encoding lacks is written as "\?".
Conversion Reading(TextEncoding encoding) {
  return [encoding](std::string_view bytes) {
    return Transcode(encoding, TextEncoding::Utf8, bytes,
                     [](std::string_view, std::size_t, std::string& out) {
                       out += "\xEF\xBF\xBD";
                       return std::size_t{1};
                     });
  };
}

Conversion Writing(TextEncoding encoding) {
  return [encoding](std::string_view utf8) {
    return Transcode(TextEncoding::Utf8, encoding, utf8,
                     [](std::string_view input, std::size_t at, std::string& out) {
                       out += "\\?";
                       return static_cast<std::size_t>(CharLength(TextEncoding::Utf8, input, at));
                     });
  };
}

// What the program does with a corpus line: TextCodec's reading and writing.
Conversion Decoding(TextEncoding encoding) {
  return [encoding](std::string_view bytes) { return ToUtf8(encoding, bytes); };
}

Conversion Encoding(TextEncoding encoding) {
  return [encoding](std::string_view utf8) {
    return EncodeText(encoding, utf8, Unmappable::Escape).bytes;
  };
}

void PrintBytes(const Conversion& read, bool pairs) {
  for (unsigned b = 0; b < 0x100; ++b) {
    std::printf("1 %02X ", b);
    PrintHex(read(std::string(1, static_cast<char>(b)) + "A"));
  }
  if (!pairs) return;
  for (unsigned lead = 0x80; lead < 0x100; ++lead)
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      std::printf("2 %02X%02X ", lead, trail);
      PrintHex(read(std::string{static_cast<char>(lead), static_cast<char>(trail), 'A'}));
    }
}

// The number of characters of UTF-8 text.
std::size_t Characters(const std::string& utf8) {
  std::size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// A code page whose reading joins a letter and the combining marks after it into one
// character: "2 XXYY" every byte with every byte from 0x80, then "3 XXYYZZ" every byte
// that joined with two of the marks it joined with.
void PrintJoins(const Conversion& read) {
  std::string marks;
  std::string letters;
  for (unsigned b = 0; b < 0x100; ++b) {
    bool joined = false;
    for (unsigned m = 0x80; m < 0x100; ++m) {
      const std::string pair{static_cast<char>(b), static_cast<char>(m)};
      const std::string read2 = read(pair);
      std::printf("2 %02X%02X ", b, m);
      PrintHex(read2);
      if (Characters(read2) != 1) continue;
      joined = true;
      if (marks.find(pair[1]) == std::string::npos) marks += pair[1];
    }
    if (joined) letters += static_cast<char>(b);
  }
  for (const char b : letters)
    for (const char m1 : marks)
      for (const char m2 : marks) {
        std::printf("3 %02X%02X%02X ", static_cast<unsigned char>(b),
                    static_cast<unsigned char>(m1), static_cast<unsigned char>(m2));
        PrintHex(read(std::string{b, m1, m2}));
      }
}

void PrintCharacters(const Conversion& write, unsigned first) {
  // Surrogates are no characters; U+1F600 and U+20BB7 stand for the planes beyond.
  for (const unsigned c : {0x1F600u, 0x20BB7u}) {
    std::printf("U %X ", c);
    PrintHex(write(Utf8Of(c) + "A"));
  }
  for (unsigned c = first; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    std::printf("U %X ", c);
    PrintHex(write(Utf8Of(c) + "A"));
  }
}

void PrintEveryCharacter() {
  for (const TextEncoding encoding : AllEncodings()) {
    std::printf("E %s\n", EncodingName(encoding).data());
    if (encoding == TextEncoding::Utf8) continue;  // read and written without the converter
    PrintBytes(Reading(encoding), !IsSingleByte(encoding));
    if (encoding == TextEncoding::Cp1255 || encoding == TextEncoding::Cp1258)
      PrintJoins(Reading(encoding));
    PrintCharacters(Writing(encoding), 1);
  }
  std::printf("E program texts\n");
  PrintBytes([](std::string_view bytes) { return Utf8(bytes); }, true);
  PrintCharacters([](std::string_view utf8) { return Sjis(utf8); }, 0x80);
}

// Prints both conversions of every line of the file that is not plain ASCII (split at
// LF, CR kept), in every encoding.
void PrintFileConversions(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::printf("F %s\n", path);
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = std::string_view(text).substr(start, end - start);
    start = end + 1;
    if (IsPlainAscii(line)) continue;
    for (const TextEncoding encoding : AllEncodings()) {
      std::printf("%zu E %s ", number, EncodingName(encoding).data());
      PrintHex(Decoding(encoding)(line));
      PrintHex(Encoding(encoding)(line));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // "\n", not CR LF, as on Linux
#endif
  if (argc == 1) PrintEveryCharacter();
  for (int a = 1; a < argc; ++a) PrintFileConversions(argv[a]);
  return 0;
}
