// DumpOutput.cpp - the output layer of quillet-dump: checked writes, escapes, JSON Lines.
//
// Output collects in one large block that is handed to fwrite when full, so a drawing
// of hundreds of megabytes streams out without being held twice. Every fwrite and the
// final flush are checked; the first failure is kept and reported once at the end.
#include "tools/DumpOutput.h"

#include <cerrno>   // errno, EIO
#include <cmath>    // std::isfinite
#include <cstring>  // std::strerror

#include "model/text/TextCodec.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Which bytes a form escapes, as a table: the scan below runs over every value and
// remark of the drawing, so a byte costs one lookup.
struct EscapeTable {
  bool escapes[256] = {};
  constexpr EscapeTable(unsigned char alsoA, unsigned char alsoB) {
    for (int c = 0; c < 0x20; ++c) escapes[c] = true;
    escapes[alsoA] = escapes[alsoB] = true;
  }
  bool operator()(unsigned char c) const { return escapes[c]; }
};

// The tab-separated form escapes every control character and the backslash, which
// would otherwise make a written escape ambiguous; JSON escapes what a JSON string must.
constexpr EscapeTable kCEscapes(0x7F, '\\');
constexpr EscapeTable kJsonEscapes('"', '\\');

// The short escape of c shared by both forms ("\t" ...), or empty when it has none.
std::string_view ShortEscape(unsigned char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\\':
      return "\\\\";
    case '"':
      return "\\\"";
    default:
      return {};
  }
}

// Writes text through out, each byte that needs it replaced by escape(out, byte).
template <typename Escape>
void PutWithEscapes(DumpOutput& out, std::string_view text, const EscapeTable& needs,
                    Escape escape) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!needs(c)) continue;
    out.Put(text.substr(start, i - start));
    escape(out, c);
    start = i + 1;
  }
  out.Put(text.substr(start));
}

}  // namespace

DumpOutput::DumpOutput(std::FILE* stream, DumpFormat format)
    : m_stream(stream), m_format(format), m_block(new char[kCapacity]) {}

std::string_view DumpOutput::Value(std::string_view bytes) {
  if (m_format == DumpFormat::Raw) return bytes;
  return DecodeText(m_encoding, bytes, m_decoded);
}

std::string_view DumpOutput::Program(std::string_view cp932) {
  if (m_format == DumpFormat::Raw || IsPlainAscii(cp932)) return cp932;
  m_decoded = Utf8OfProgramText(cp932);
  return m_decoded;
}

void DumpOutput::PutNumber(long long n) {
  char digits[24];
  char* const end = digits + sizeof digits;
  char* at = end;
  unsigned long long magnitude = n < 0 ? 0ull - static_cast<unsigned long long>(n) : n;
  do {
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (n < 0) *--at = '-';
  Put(std::string_view(at, static_cast<std::size_t>(end - at)));
}

void DumpOutput::PutEscaped(std::string_view text) {
  PutWithEscapes(*this, text, kCEscapes, [](DumpOutput& out, unsigned char c) {
    const std::string_view escape = ShortEscape(c);
    if (!escape.empty()) return out.Put(escape);
    const char hex[] = {'\\', 'x', kHexDigits[c >> 4], kHexDigits[c & 15]};
    out.Put(std::string_view(hex, sizeof hex));
  });
}

void DumpOutput::PutJsonString(std::string_view utf8) {
  Put('"');
  PutWithEscapes(*this, utf8, kJsonEscapes, [](DumpOutput& out, unsigned char c) {
    const std::string_view escape = ShortEscape(c);
    if (!escape.empty()) return out.Put(escape);
    const char hex[] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 15]};
    out.Put(std::string_view(hex, sizeof hex));
  });
  Put('"');
}

// A text longer than the block's room: what the block holds goes first, then the text
// itself when it would not fit even an empty block.
void DumpOutput::PutLong(std::string_view bytes) {
  WriteBlock();
  if (bytes.size() > kCapacity) return Write(bytes);
  std::memcpy(m_block.get(), bytes.data(), bytes.size());
  m_used = bytes.size();
}

void DumpOutput::Write(std::string_view bytes) {
  errno = 0;
  if (!bytes.empty() && !Failed() &&
      std::fwrite(bytes.data(), 1, bytes.size(), m_stream) != bytes.size())
    m_error = errno != 0 ? errno : EIO;
}

void DumpOutput::WriteBlock() {
  Write(std::string_view(m_block.get(), m_used));
  m_used = 0;
}

void DumpOutput::Flush() {
  WriteBlock();
  errno = 0;
  if (!Failed() && (std::fflush(m_stream) != 0 || std::ferror(m_stream)))
    m_error = errno != 0 ? errno : EIO;
}

int DumpOutput::Finish(int status) {
  Flush();
  if (!Failed()) return status;
  std::fprintf(stderr, "quillet-dump: cannot write the output: %s\n", std::strerror(m_error));
  return status != 0 ? status : kExitOutputFailed;
}

void DumpLine::Key(std::string_view key) {
  const bool first = m_first;
  m_first = false;
  if (m_out.Format() != DumpFormat::Json) {
    if (!first) m_out.Put('\t');
    return;
  }
  m_out.Put(first ? '{' : ',');
  m_out.Put('"');
  m_out.Put(key);
  m_out.Put("\":");
}

void DumpLine::Text(std::string_view key, std::string_view text) {
  Key(key);
  switch (m_out.Format()) {
    case DumpFormat::Escaped:
      return m_out.PutEscaped(text);
    case DumpFormat::Raw:
      return m_out.Put(text);
    case DumpFormat::Json:
      return m_out.PutJsonString(text);
  }
}

void DumpLine::Number(std::string_view key, long long n) {
  Key(key);
  m_out.PutNumber(n);
}

void DumpLine::Real(std::string_view key, double x) {
  Key(key);
  if (m_out.Format() == DumpFormat::Json && !std::isfinite(x)) return m_out.Put("null");
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%g", x);
  m_out.Put(std::string_view(text, static_cast<std::size_t>(n)));
}

void DumpLine::Missing(std::string_view key) {
  Key(key);
  if (m_out.Format() == DumpFormat::Json) m_out.Put("null");
}

void DumpLine::End() {
  if (m_out.Format() == DumpFormat::Json) m_out.Put(m_first ? "{}" : "}");
  m_out.Put('\n');
}
