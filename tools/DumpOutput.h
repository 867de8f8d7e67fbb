// DumpOutput.h - the output layer of quillet-dump: checked writes, escapes, JSON Lines.
//
// Everything the tool prints on standard output goes through one DumpOutput, so a write
// that fails (a full disk, a device that refuses) is noticed and ends the run with its
// own exit status instead of a silent success. A DumpLine writes one line of named
// fields in the form the command line chose:
//   Escaped  fields separated by tabs; a tab, backslash or other control character in a
//            text is written as a C escape (\t \\ \r \n \xHH), so every line keeps its
//            number of fields;
//   Raw      fields separated by tabs, texts as the buffer holds them (unescaped: values
//            in the drawing's encoding, the program's texts in CP932);
//   Json     one JSON object per line, the field names as its keys.
// Texts of the drawing are decoded in one place, DumpOutput::Value, from the drawing's
// encoding (SetEncoding), their \U+XXXX and \M+nXXXX escapes included.
#pragma once

#include <cstdio>       // std::FILE
#include <cstring>      // std::memcpy
#include <memory>       // std::unique_ptr
#include <string>       // std::string
#include <string_view>  // std::string_view

#include "model/text/TextCodec.h"  // TextEncoding

/// The exit status of a run whose output could not be written.
constexpr int kExitOutputFailed = 11;

/// How DumpLine writes its fields.
enum class DumpFormat { Escaped, Raw, Json };

/// Buffered, checked output to a stream in one of the three forms.
class DumpOutput {
 public:
  DumpOutput(std::FILE* stream, DumpFormat format);
  DumpOutput(const DumpOutput&) = delete;
  DumpOutput& operator=(const DumpOutput&) = delete;

  DumpFormat Format() const { return m_format; }
  /// Sets the encoding the drawing's texts are decoded from (CP932 until set).
  void SetEncoding(TextEncoding encoding) { m_encoding = encoding; }

  /// Returns a text of the drawing (a value, a record type) as this form prints it: UTF-8,
  /// or the bytes themselves in the raw form. The view lasts until the next call.
  std::string_view Value(std::string_view bytes);
  /// Returns one of the program's own texts (a remark, a log line, a list cell: CP932
  /// with \U+XXXX escapes) as this form prints it, escapes decoded. The view lasts until
  /// the next call.
  std::string_view Program(std::string_view cp932);

  /// Writes bytes as they are.
  void Put(std::string_view bytes) {
    if (bytes.size() > kCapacity - m_used) [[unlikely]]
      return PutLong(bytes);
    if (bytes.empty()) return;  // an empty view may carry no pointer at all
    std::memcpy(m_block.get() + m_used, bytes.data(), bytes.size());
    m_used += bytes.size();
  }
  void Put(char c) {
    if (m_used == kCapacity) [[unlikely]]
      WriteBlock();
    m_block[m_used++] = c;
  }
  /// Writes n in decimal.
  void PutNumber(long long n);
  /// Writes text with the escapes of the tab-separated form.
  void PutEscaped(std::string_view text);
  /// Writes UTF-8 text as a quoted JSON string.
  void PutJsonString(std::string_view utf8);

  /// Hands everything buffered to the stream and flushes it, so that it stands before
  /// a message that follows on stderr.
  void Flush();
  /// Tells whether a write has failed; everything after it is dropped.
  bool Failed() const { return m_error != 0; }
  /// Writes out what is buffered and flushes the stream. When any write failed, says so
  /// on stderr and returns kExitOutputFailed unless status is already a failure;
  /// otherwise returns status. Nothing may be written after it.
  [[nodiscard]] int Finish(int status);

 private:
  // Performance: a 200 MB drawing makes some 50 million small writes, so the hot ones
  // above copy into a fixed block and only a full block costs a call.
  static constexpr std::size_t kCapacity = 1 << 20;

  void PutLong(std::string_view bytes);
  void Write(std::string_view bytes);
  void WriteBlock();

  std::FILE* m_stream;
  DumpFormat m_format;
  TextEncoding m_encoding = TextEncoding::Cp932;
  int m_error = 0;  // errno of the first failed write
  std::unique_ptr<char[]> m_block;
  std::size_t m_used = 0;
  std::string m_decoded;
};

/// One output line of named fields. Keys are plain ASCII names, written unescaped.
class DumpLine {
 public:
  explicit DumpLine(DumpOutput& out) : m_out(out) {}

  /// Adds a text already in the output's form (UTF-8, or raw bytes in the raw form).
  void Text(std::string_view key, std::string_view text);
  /// Adds a text of the drawing, decoded by DumpOutput::Value.
  void Value(std::string_view key, std::string_view bytes) { Text(key, m_out.Value(bytes)); }
  /// Adds one of the program's CP932 texts, converted by DumpOutput::Program.
  void Program(std::string_view key, std::string_view cp932) { Text(key, m_out.Program(cp932)); }
  /// Adds an integer, a JSON number in the JSON form.
  void Number(std::string_view key, long long n);
  /// Adds a real number as "%g" writes it; JSON gets null for an infinity or a NaN.
  void Real(std::string_view key, double x);
  /// Adds a field without a value: empty in the tab-separated forms, null in JSON.
  void Missing(std::string_view key);
  /// Starts a field whose value the caller then writes through the output itself (a JSON
  /// array, say); the tab-separated forms get only the separator.
  void Open(std::string_view key) { Key(key); }
  /// Ends the line.
  void End();

 private:
  void Key(std::string_view key);

  DumpOutput& m_out;
  bool m_first = true;
};
