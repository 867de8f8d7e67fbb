// DXFFile.h - reading a whole file into memory and replacing a file atomically.
//
// The two ends of the buffer's load and save: ReadWholeFile reads the text and counts
// its lines in one pass; ReplaceFile writes a new sibling file through a FileWriter and
// renames it over the target only when every byte reached the disk, so the old file
// survives any failure.
#pragma once

#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint8_t, std::intptr_t
#include <cstdio>       // std::snprintf
#include <cstring>      // std::memcpy
#include <functional>   // std::function
#include <memory>       // std::unique_ptr
#include <string>       // std::string
#include <string_view>  // std::string_view

// Why reading a file stopped.
enum class ReadFault : std::uint8_t { None, Missing, Unreadable, OutOfMemory };

// The whole content of a file, up to its first NUL byte, with a '\n' sentinel after it,
// and its number of lines.
struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::size_t lines = 0;
  ReadFault fault = ReadFault::None;
};

/// Reads a whole file up to its first NUL byte and counts its lines.
[[nodiscard]] FileBytes ReadWholeFile(const std::string& path);

/// An open file to write to: a POSIX file descriptor, or a Windows HANDLE.
using NativeFile = std::intptr_t;

// Collects output in a large block and hands it to the system's write call when full.
// Performance: a save formats ~13 million pairs of a 200 MB drawing, so a pair costs one
// room check, a table copy for its code and one memcpy for its value.
class FileWriter {
 public:
  explicit FileWriter(NativeFile fd)
      : m_fd(fd), m_block(new char[kCapacity]), m_at(m_block.get()) {}
  bool ok() const { return m_ok; }

  // Appends the group code right-aligned in a field of 3, the value, each with CR LF.
  void AppendPair(int code, std::string_view value) {
    if (value.size() > kCapacity / 2) [[unlikely]] {
      AppendCode(code);
      Flush();
      WriteAll(value);
      Put("\r\n", 2);
      return;
    }
    if (Room() < value.size() + kMaxCodeLine + 2) Flush();
    AppendCode(code);
    Put(value.data(), value.size());
    Put("\r\n", 2);
  }

  void Flush() {
    WriteAll(std::string_view(m_block.get(), static_cast<std::size_t>(m_at - m_block.get())));
    m_at = m_block.get();
  }

 private:
  static constexpr std::size_t kCapacity = 4 << 20;
  static constexpr std::size_t kMaxCodeLine = 16;  // "-2147483648" and CR LF

  std::size_t Room() const { return kCapacity - static_cast<std::size_t>(m_at - m_block.get()); }
  void Put(const char* bytes, std::size_t n) {
    std::memcpy(m_at, bytes, n);
    m_at += n;
  }

  void AppendCode(int code) {
    if (Room() < kMaxCodeLine) Flush();
    if (code >= 0 && code < 1000) {  // the usual case: three places, no sign
      m_at[0] = code >= 100 ? static_cast<char>('0' + code / 100) : ' ';
      m_at[1] = code >= 10 ? static_cast<char>('0' + code / 10 % 10) : ' ';
      m_at[2] = static_cast<char>('0' + code % 10);
      m_at[3] = '\r';
      m_at[4] = '\n';
      m_at += 5;
      return;
    }
    char line[kMaxCodeLine + 1];
    const int n = std::snprintf(line, sizeof line, "%3d\r\n", code);
    Put(line, static_cast<std::size_t>(n));
  }

  void WriteAll(std::string_view bytes);

  NativeFile m_fd;
  bool m_ok = true;
  std::unique_ptr<char[]> m_block;
  char* m_at;
};

/// Writes the file fileName anew: `write` fills a new file beside the target (a symbolic
/// link is followed, so the link itself stays), which is then synced and renamed over the
/// target with the target's permissions. Returns false, with the target untouched and the
/// new file removed, when any step failed.
[[nodiscard]] bool ReplaceFile(const std::string& fileName,
                               const std::function<void(FileWriter&)>& write);
