// DXFFileWin32.cpp - reading a whole file into memory and replacing a file atomically (Win32).
//
// Paths arrive as UTF-8 and go to the wide ("W") calls, so every name the file system
// allows can be read and saved. A file is read while nobody may write it (it is shared for
// reading only), so a drawing another program is still writing is reported as in use
// rather than read half-written. A save writes a new sibling file, flushes it to the disk
// and moves it over the target in one step; a target that is read-only or held open by
// another program stays as it was.
#include "model/DXFFile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h names ReplaceFileW ReplaceFile; the one defined here is DXFFile.h's.
#undef ReplaceFile

#include <algorithm>  // std::min
#include <new>        // std::nothrow

#include "model/FilePath.h"
#include "model/LineSplitter.h"

// ReadFile and WriteFile take a 32-bit count; pieces of 1 MiB keep the line count in cache.
static constexpr std::size_t kReadPiece = 1 << 20;
static constexpr std::size_t kLargestWrite = 1 << 30;

static HANDLE ToHandle(NativeFile file) {
  return reinterpret_cast<HANDLE>(file);
}

// ------------------------------------------------------------------ reading

static ReadFault FaultOfMissingAttributes() {
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadFault::Missing
                                                                        : ReadFault::Unreadable;
}

// Opens a disk file for reading while nobody writes it; INVALID_HANDLE_VALUE with
// bytes.fault set when it is missing, a folder, a device or in use.
static HANDLE OpenForReading(const std::string& path, FileBytes& bytes) {
  const std::filesystem::path native = PathFromUtf8(path);
  const DWORD attributes = GetFileAttributesW(native.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    bytes.fault = FaultOfMissingAttributes();
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = INVALID_HANDLE_VALUE;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    file = CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  // A console, pipe or other device never ends like a file does.
  if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }
  if (file == INVALID_HANDLE_VALUE) bytes.fault = ReadFault::Unreadable;
  return file;
}

// Reads the open file into bytes, up to its first NUL byte, counting lines as it goes.
// Performance: lines are counted piece by piece right after each read, while the piece is
// still in the cache.
static void ReadContent(HANDLE file, std::size_t size, FileBytes& bytes) {
  bytes.data.reset(new (std::nothrow) char[size + 1]);
  if (!bytes.data) {
    bytes.fault = ReadFault::OutOfMemory;
    return;
  }
  LineCounter counter;
  while (bytes.size < size) {
    const DWORD wanted = static_cast<DWORD>(std::min(kReadPiece, size - bytes.size));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data.get() + bytes.size, wanted, &got, nullptr)) {
      bytes.fault = ReadFault::Unreadable;
      return;
    }
    if (got == 0) break;  // the file shrank
    const char* piece = bytes.data.get() + bytes.size;
    bytes.size += got;
    // A NUL byte ends the text.
    if (const void* nul = std::memchr(piece, 0, got)) {
      bytes.size = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data.get());
      break;
    }
    counter.CountBlocks(bytes.data.get(), bytes.size);
  }
  bytes.lines = counter.Finish(bytes.data.get(), bytes.size);
  bytes.data[bytes.size] = '\n';
}

FileBytes ReadWholeFile(const std::string& path) {
  FileBytes bytes;
  HANDLE file = OpenForReading(path, bytes);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size))
    bytes.fault = ReadFault::Unreadable;
  else
    ReadContent(file, static_cast<std::size_t>(size.QuadPart), bytes);
  CloseHandle(file);
  return bytes;
}

// ------------------------------------------------------------------ writing

void FileWriter::WriteAll(std::string_view bytes) {
  while (m_ok && !bytes.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min(kLargestWrite, bytes.size()));
    DWORD done = 0;
    if (!WriteFile(ToHandle(m_fd), bytes.data(), wanted, &done, nullptr) || done == 0) {
      m_ok = false;
      return;
    }
    bytes.remove_prefix(done);
  }
}

// Creates a new file beside target and stores its path in temp; INVALID_HANDLE_VALUE
// when none could be made.
static HANDLE CreateSibling(const std::filesystem::path& target, std::filesystem::path& temp) {
  // A name taken by another save (or left by a crash) is skipped for the next one.
  const unsigned long long seed = GetTickCount64() ^ (GetCurrentProcessId() * 0x9E3779B9ull);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp = target;
    temp += L".saving-" + std::to_wstring((seed + attempt) % 1000000);
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Windows refuses to move a file over a read-only one, Wine does not: the attribute is
// checked first, so a read-only drawing is kept on both.
static bool IsReadOnlyFile(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool ReplaceFile(const std::string& fileName, const std::function<void(FileWriter&)>& write) {
  const std::filesystem::path target = PathFromUtf8(fileName);
  if (IsReadOnlyFile(target)) return false;
  std::filesystem::path temp;
  HANDLE file = CreateSibling(target, temp);
  if (file == INVALID_HANDLE_VALUE) return false;
  FileWriter out(reinterpret_cast<NativeFile>(file));
  write(out);
  out.Flush();
  bool ok = out.ok() && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  // One step from the old file to the new one, not returning before it is on the disk.
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}
