// CodePageTable.cpp - prints the CP932 conversions of every character, for comparing the
// conversions of two platforms byte for byte.
//
// One line per case: "1 XX" every single byte, "2 XXYY" every lead byte from 0x80 with every
// second byte, each followed by "A" so that a dangling byte shows; then "U X" every Unicode
// character of the Basic Multilingual Plane and two beyond it, followed by "A". Each line
// ends with the converted bytes in hexadecimal. The Windows tests diff the Linux (iconv)
// and the Windows (code-page functions) output.
#include <cstdio>  // std::printf
#include <string>  // std::string
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

int main() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // "\n", not CR LF, as on Linux
#endif
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
  return 0;
}
