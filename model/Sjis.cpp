// Sjis.cpp - UTF-8 <-> CP932 through glibc's iconv.
//
// One conversion descriptor per direction and thread is opened on first use and kept;
// opening one costs far more than converting a short text.
#include "model/Sjis.h"

#include <iconv.h>  // iconv_open, iconv

#include <algorithm>  // std::min
#include <cerrno>     // errno, EILSEQ, EINVAL, E2BIG

#include "model/Sjis_p.h"

namespace {

// An iconv descriptor opened once per thread and direction.
class Converter {
 public:
  Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Converter() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts text; at an unconvertible spot writes "?" and skips skipLength(text, at) bytes.
  template <typename SkipLength>
  std::string Convert(std::string_view text, SkipLength skipLength) {
    std::string out;
    if (m_cd == reinterpret_cast<iconv_t>(-1)) return std::string(text.size(), '?');
    out.resize(text.size() * 2 + 16);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::size_t written = 0;
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    while (inLeft > 0) {
      char* outPtr = out.data() + written;
      std::size_t outLeft = out.size() - written;
      const std::size_t rc = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
      written = out.size() - outLeft;
      if (rc != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (a truncated character at the end): replace and step over it.
      if (out.size() - written < 1) out.resize(out.size() * 2);
      out[written++] = '?';
      const std::size_t at = text.size() - inLeft;
      const std::size_t skip = std::min<std::size_t>(skipLength(text, at), inLeft);
      in += skip;
      inLeft -= skip;
    }
    out.resize(written);
    return out;
  }

 private:
  iconv_t m_cd;
};

}  // namespace

std::string Sjis(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local Converter toSjis("CP932", "UTF-8");
  return toSjis.Convert(utf8, Utf8SequenceLength);
}

std::string Utf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  thread_local Converter toUtf8("UTF-8", "CP932");
  // One byte at a time: a lead byte with a bad trail byte must not swallow the next
  // character, which may be a perfectly good one.
  return toUtf8.Convert(cp932, [](std::string_view, std::size_t) { return std::size_t{1}; });
}
