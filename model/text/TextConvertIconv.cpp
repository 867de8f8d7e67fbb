// TextConvertIconv.cpp - the platform's text converter on POSIX: glibc's iconv.
//
// One conversion descriptor per pair of encodings and thread is opened on first use and
// kept: opening one costs far more than converting a short text. This is the only file
// of the model that calls iconv; a Windows build replaces it.
#include "model/text/TextConvert.h"

#include <iconv.h>  // iconv_open, iconv, iconv_close

#include <algorithm>  // std::max
#include <cerrno>     // errno, E2BIG
#include <map>        // std::map
#include <memory>     // std::unique_ptr
#include <string>     // std::string, std::to_string
#include <utility>    // std::pair

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// iconv's name of an encoding: most are "CP" and the code page number.
std::string IconvName(TextEncoding encoding) {
  const int codePage = static_cast<int>(encoding);
  switch (encoding) {
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::MacRoman:
      return "MACINTOSH";
    case TextEncoding::Ascii:
      return "US-ASCII";
    case TextEncoding::Iso8859_1:
    case TextEncoding::Iso8859_2:
    case TextEncoding::Iso8859_3:
    case TextEncoding::Iso8859_4:
    case TextEncoding::Iso8859_5:
    case TextEncoding::Iso8859_6:
    case TextEncoding::Iso8859_7:
    case TextEncoding::Iso8859_8:
    case TextEncoding::Iso8859_9:
      return "ISO-8859-" + std::to_string(codePage - 28590);
    default:
      return "CP" + std::to_string(codePage);
  }
}

// An iconv descriptor for one direction.
class Descriptor {
 public:
  Descriptor(TextEncoding from, TextEncoding to)
      : m_cd(iconv_open(IconvName(to).c_str(), IconvName(from).c_str())) {}
  ~Descriptor() {
    if (m_cd != kNoDescriptor) iconv_close(m_cd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  iconv_t Get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

iconv_t DescriptorFor(TextEncoding from, TextEncoding to) {
  thread_local std::map<std::pair<TextEncoding, TextEncoding>, std::unique_ptr<Descriptor>> open;
  std::unique_ptr<Descriptor>& slot = open[{from, to}];
  if (!slot) slot = std::make_unique<Descriptor>(from, to);
  return slot->Get();
}

}  // namespace

// Writes out the character a converter holds back in its state (glibc's CP1255 and
// CP1258 keep the last one to see whether a combining mark follows). Returns the bytes
// written in all.
static std::size_t FlushState(iconv_t cd, std::string& out, std::size_t written) {
  for (;;) {
    char* outPtr = out.data() + written;
    std::size_t outLeft = out.size() - written;
    const std::size_t rc = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    written = out.size() - outLeft;
    if (rc != static_cast<std::size_t>(-1) || errno != E2BIG) return written;
    out.resize(out.size() * 2);
  }
}

// Where a character glibc's converter mishandles starts in input, or npos: its CP949
// swallows the rest of the text after the undefined pair A2 E8, so the pair is taken
// for a fault before iconv sees it.
static std::size_t MishandledAt(TextEncoding from, std::string_view input) {
  constexpr std::string_view kCp949Swallowing = "\xA2\xE8";
  if (from != TextEncoding::Cp949 || input.find(kCp949Swallowing) == std::string_view::npos)
    return std::string_view::npos;
  for (std::size_t at = 0; at < input.size();
       at += static_cast<std::size_t>(CharLength(from, input, at)))
    if (input.substr(at, 2) == kCp949Swallowing) return at;
  return std::string_view::npos;
}

std::string Transcode(TextEncoding from, TextEncoding to, std::string_view input,
                      const ConversionFault& onFault) {
  if (const std::size_t cut = MishandledAt(from, input); cut != std::string_view::npos) {
    std::string out = Transcode(from, to, input.substr(0, cut), onFault);
    std::size_t skip = onFault(input, cut, out);
    if (skip == 0 || skip > input.size() - cut) skip = input.size() - cut;
    return out + Transcode(from, to, input.substr(cut + skip), onFault);
  }
  std::string out;
  const iconv_t cd = DescriptorFor(from, to);
  if (cd == kNoDescriptor) {
    for (std::size_t at = 0; at < input.size();)
      at += std::max<std::size_t>(onFault(input, at, out), 1);
    return out;
  }
  out.resize(input.size() * 2 + 16);
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  std::size_t written = 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
  while (inLeft > 0) {
    char* outPtr = out.data() + written;
    std::size_t outLeft = out.size() - written;
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    written = out.size() - outLeft;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ (a byte or character that does not convert) or EINVAL (a character cut
    // short at the end): the handler says what stands there and how far to step, after
    // the characters before it.
    written = FlushState(cd, out, written);
    out.resize(written);
    const std::size_t at = input.size() - inLeft;
    std::size_t skip = onFault(input, at, out);
    if (skip == 0 || skip > inLeft) skip = inLeft;
    in += skip;
    inLeft -= skip;
    written = out.size();
    out.resize(written + inLeft * 2 + 16);
  }
  out.resize(FlushState(cd, out, written));
  return out;
}
