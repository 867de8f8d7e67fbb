// CodePageTable.cpp - prints the CP932 conversions of every character, for comparing the
// conversions of two platforms byte for byte.
//
// One line per case: "1 XX" every single byte, "2 XXYY" every lead byte from 0x80 with every
// second byte, each followed by "A" so that a dangling byte shows; then "U X" every Unicode
// character of the Basic Multilingual Plane and two beyond it, followed by "A". Each line
// ends with the converted bytes in hexadecimal. Given files, it prints instead both
// conversions of every line of each: "F" and the file's name, then per line its UTF-8 as
// read from CP932 and its CP932 as read from UTF-8. The Windows tests diff the Linux
// (iconv) and the Windows (code-page functions) output, the files being the DXF corpus.
#include <algorithm>    // std::min
#include <cstdio>       // std::printf
#include <fstream>      // std::ifstream
#include <iterator>     // std::istreambuf_iterator
#include <string>       // std::string
#include <string_view>  // std::string_view
#ifdef _WIN32
#include <fcntl.h>  // _O_BINARY
#include <io.h>     // _setmode, _fileno
#endif

#include "model/Sjis.h"

static void PrintHex(const std::string& bytes) {
  for (const char c : bytes) std::printf("%02X", static_cast<unsigned char>(c));
  std::printf("\n");
}

static std::string Utf8Of(unsigned c) {
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

// Prints Utf8 and Sjis of every line of the file (split at LF, CR kept).
static void PrintFileConversions(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::printf("F %s\n", path);
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = std::string_view(text).substr(start, end - start);
    PrintHex(Utf8(line));
    PrintHex(Sjis(line));
    start = end + 1;
  }
}

static void PrintEveryCharacter() {
  for (unsigned b = 0; b < 0x100; ++b) {
    std::printf("1 %02X ", b);
    PrintHex(Utf8(std::string(1, static_cast<char>(b)) + "A"));
  }
  for (unsigned lead = 0x80; lead < 0x100; ++lead)
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      std::printf("2 %02X%02X ", lead, trail);
      PrintHex(Utf8(std::string{static_cast<char>(lead), static_cast<char>(trail), 'A'}));
    }
  // Surrogates are no characters; U+1F600 and U+20BB7 stand for the planes beyond.
  for (const unsigned c : {0x1F600u, 0x20BB7u}) {
    std::printf("U %X ", c);
    PrintHex(Sjis(Utf8Of(c) + "A"));
  }
  for (unsigned c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    std::printf("U %X ", c);
    PrintHex(Sjis(Utf8Of(c) + "A"));
  }
}

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // "\n", not CR LF, as on Linux
#endif
  if (argc == 1) PrintEveryCharacter();
  for (int a = 1; a < argc; ++a) PrintFileConversions(argv[a]);
  return 0;
}
