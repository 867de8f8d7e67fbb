// DXFFile.h - reading a whole file into memory and replacing a file atomically.
//
// The two ends of the buffer's load and save: ReadWholeFile reads the text and counts
// its lines in one pass; ReplaceFile writes a new file in the target's folder through a
// FileWriter and renames it over the target only when every byte reached the disk, so
// the old file survives any failure. The interface is the same on every platform; each
// platform's implementation file holds its system calls.
#pragma once

#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint8_t
#include <cstdio>       // std::snprintf
#include <cstring>      // std::memcpy
#include <functional>   // std::function
#include <memory>       // std::unique_ptr
#include <string>       // std::string
#include <string_view>  // std::string_view

// Why reading a file stopped.
enum class ReadFault : std::uint8_t {
  None,
  Missing,         // no such file
  Folder,          // the name is a folder
  NotRegularFile,  // a device, a pipe or a socket: reading one could wait for ever
  NoPermission,    // the file or a folder on its path may not be read
  LinkLoop,        // too many symbolic links, usually a loop
  Unreadable,      // any other failure to open or read
  OutOfMemory,
};

// Why writing a file failed.
enum class WriteFault : std::uint8_t {
  None,
  NoPermission,   // the folder or the file may not be written
  ReadOnly,       // the file, or the disk, is read-only
  DiskFull,       // no room left on the disk, or the user's quota is used up
  TooLarge,       // the file would outgrow what the file system or the process allows
  FolderMissing,  // the folder does not exist
  InUse,          // another program has the file open
  Other,          // any other failure
};

// The whole content of a file. Its text is the bytes before the first NUL byte (all of
// them when there is none); the bytes from the NUL on are kept, so that the file's
// format can be told from its first bytes.
struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t fileSize = 0;   // bytes in data
  std::size_t size = 0;       // bytes of the text: up to the first NUL byte, or fileSize
  std::size_t lines = 0;      // lines of the text
  std::size_t fileLines = 0;  // lines of the whole file, a NUL byte counting as any byte;
                              // 0 for a binary DXF file, whose lines mean nothing
  ReadFault fault = ReadFault::None;

  bool EndsAtNul() const { return size < fileSize; }
};

/// Reads a whole regular file and counts its lines. Anything that is not a regular file
/// is refused before it is opened for reading.
[[nodiscard]] FileBytes ReadWholeFile(const std::string& path);

// The file a FileWriter writes into; each platform's implementation defines it.
struct OutputFile;

// Collects output in a large block and writes it to the file when full.
// Performance: a normalised save formats ~13 million pairs of a 200 MB drawing, so a pair
// costs one room check, a table copy for its code and one memcpy for its value; a save
// of unchanged pairs copies whole runs of the file's own bytes.
class FileWriter {
 public:
  explicit FileWriter(OutputFile& file)
      : m_file(file), m_block(new char[kFirstCapacity]), m_at(m_block.get()) {}
  bool ok() const { return m_fault == WriteFault::None; }
  WriteFault fault() const { return m_fault; }

  // Appends bytes as they are; a large piece goes to the file directly, after the block.
  void Append(std::string_view bytes) {
    if (bytes.size() > kMaxCapacity / 2) [[unlikely]] {
      Flush();
      WriteAll(bytes);
      return;
    }
    MakeRoom(bytes.size());
    Put(bytes.data(), bytes.size());
  }

  // Appends a group-code line: the code right-aligned in a field of 3, then lineEnd.
  void AppendCode(int code, std::string_view lineEnd) {
    MakeRoom(kMaxCodeLine);
    m_at += FormatCode(code, m_at);
    Put(lineEnd.data(), lineEnd.size());
  }

  // Appends a pair in the normalised form: the code as AppendCode writes it and the
  // value, each followed by CR LF.
  void AppendPair(int code, std::string_view value) {
    if (value.size() > kMaxCapacity / 2) [[unlikely]] {
      AppendCode(code, "\r\n");
      Append(value);
      Append("\r\n");
      return;
    }
    MakeRoom(value.size() + kMaxCodeLine + 2);
    AppendCode(code, "\r\n");
    Put(value.data(), value.size());
    Put("\r\n", 2);
  }

  void Flush() {
    WriteAll(std::string_view(m_block.get(), Used()));
    m_at = m_block.get();
  }

 private:
  // The block starts small, so that saving a small drawing allocates little, and doubles
  // as the output grows; a full block of the largest size is written out.
  static constexpr std::size_t kFirstCapacity = 64 << 10;
  static constexpr std::size_t kMaxCapacity = 4 << 20;
  static constexpr std::size_t kMaxCodeLine = 16;  // "-2147483648" and CR LF

  std::size_t Used() const { return static_cast<std::size_t>(m_at - m_block.get()); }
  std::size_t Room() const { return m_capacity - Used(); }
  void MakeRoom(std::size_t n) {
    if (Room() >= n) [[likely]]
      return;
    if (m_capacity == kMaxCapacity) return Flush();
    m_capacity *= 2;
    std::unique_ptr<char[]> bigger(new char[m_capacity]);
    const std::size_t used = Used();
    std::memcpy(bigger.get(), m_block.get(), used);
    m_block = std::move(bigger);
    m_at = m_block.get() + used;
    MakeRoom(n);
  }
  void Put(const char* bytes, std::size_t n) {
    if (n == 0) return;  // an empty value may have no storage at all
    std::memcpy(m_at, bytes, n);
    m_at += n;
  }

  // Writes code as "%3d" at `to` and returns the number of bytes.
  static std::size_t FormatCode(int code, char* to) {
    if (code >= 0 && code < 1000) {  // the usual case: three places, no sign
      to[0] = code >= 100 ? static_cast<char>('0' + code / 100) : ' ';
      to[1] = code >= 10 ? static_cast<char>('0' + code / 10 % 10) : ' ';
      to[2] = static_cast<char>('0' + code % 10);
      return 3;
    }
    char digits[kMaxCodeLine];
    const int n = std::snprintf(digits, sizeof digits, "%3d", code);
    std::memcpy(to, digits, static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
  }

  // Hands bytes to the file; a failure clears ok() and drops every later write.
  void WriteAll(std::string_view bytes);

  OutputFile& m_file;
  WriteFault m_fault = WriteFault::None;
  std::size_t m_capacity = kFirstCapacity;
  std::unique_ptr<char[]> m_block;
  char* m_at;
};

/// Writes the file fileName anew: `write` fills a new file with a short temporary name in
/// the target's folder (a symbolic link is followed, even one whose target does not exist
/// yet, so the link itself stays), which is then synced and renamed over the target with
/// the target's permissions. Returns why it failed, with the target untouched and the new
/// file removed, when any step failed; WriteFault::None when the file was written.
[[nodiscard]] WriteFault ReplaceFile(const std::string& fileName,
                                     const std::function<void(FileWriter&)>& write);
