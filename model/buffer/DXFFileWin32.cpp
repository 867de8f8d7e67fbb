// DXFFileWin32.cpp - reading a whole file into memory and replacing a file atomically (Win32).
//
// Paths arrive as UTF-8 and go to the wide ("W") calls, so every name the file system
// allows can be read and saved. A file is read while nobody may write it (it is shared for
// reading only), so a drawing another program is still writing is reported as in use
// rather than read half-written. A save writes a new sibling file, flushes it to the disk
// and moves it over the target in one step; a target that is read-only or held open by
// another program stays as it was.
#include "model/buffer/DXFFile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h names ReplaceFileW ReplaceFile; the one defined here is DXFFile.h's.
#undef ReplaceFile

#include <algorithm>  // std::min
#include <cstdint>    // std::int64_t

#include "model/buffer/DXFFile_p.h"
#include "model/buffer/FilePath.h"

// ReadFile and WriteFile take a 32-bit count.
static constexpr std::size_t kLargestPiece = 1 << 30;

// ------------------------------------------------------------------ reading

// The fault a failed GetFileAttributesW or CreateFileW stands for. A file another
// program is writing (a sharing violation) is Unreadable, whose message asks whether it
// is open elsewhere.
static ReadFault FaultOfLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ReadFault::Missing;
    case ERROR_ACCESS_DENIED:
      return ReadFault::NoPermission;
    case ERROR_CANT_RESOLVE_FILENAME:
      return ReadFault::LinkLoop;
    case ERROR_BAD_DEV_TYPE:  // a device's name, such as \\.\NUL
      return ReadFault::NotRegularFile;
    default:
      return ReadFault::Unreadable;
  }
}

// Opens a disk file for reading while nobody writes it; INVALID_HANDLE_VALUE with fault
// set when it is missing, a folder, a device or in use.
static HANDLE OpenForReading(const std::string& path, ReadFault& fault) {
  const std::filesystem::path native = PathFromUtf8(path);
  const DWORD attributes = GetFileAttributesW(native.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    fault = FaultOfLastError();
    return INVALID_HANDLE_VALUE;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    fault = ReadFault::Folder;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    fault = FaultOfLastError();
    return file;
  }
  // A console, pipe or other device never ends like a file does.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    fault = ReadFault::NotRegularFile;
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

FileBytes ReadWholeFile(const std::string& path) {
  FileBytes bytes;
  HANDLE file = OpenForReading(path, bytes.fault);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) {
    bytes.fault = ReadFault::Unreadable;
  } else {
    ReadOpenFile(
        static_cast<std::size_t>(size.QuadPart),
        [file](char* to, std::size_t room) -> std::int64_t {
          DWORD got = 0;
          const DWORD wanted = static_cast<DWORD>(std::min(kLargestPiece, room));
          return ReadFile(file, to, wanted, &got, nullptr) ? got : -1;
        },
        bytes);
  }
  CloseHandle(file);
  return bytes;
}

// ------------------------------------------------------------------ writing

struct OutputFile {
  HANDLE handle;
};

// The fault GetLastError of a failed create, write, flush or move stands for.
static WriteFault WriteFaultOfLastError() {
  switch (GetLastError()) {
    case ERROR_ACCESS_DENIED:
      return WriteFault::NoPermission;
    case ERROR_WRITE_PROTECT:
      return WriteFault::ReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return WriteFault::DiskFull;
    case ERROR_FILE_TOO_LARGE:
      return WriteFault::TooLarge;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
      return WriteFault::FolderMissing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return WriteFault::InUse;
    default:
      return WriteFault::Other;
  }
}

void FileWriter::WriteAll(std::string_view bytes) {
  while (ok() && !bytes.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min(kLargestPiece, bytes.size()));
    DWORD done = 0;
    if (!WriteFile(m_file.handle, bytes.data(), wanted, &done, nullptr)) {
      m_fault = WriteFaultOfLastError();
      return;
    }
    if (done == 0) {
      m_fault = WriteFault::DiskFull;
      return;
    }
    bytes.remove_prefix(done);
  }
}

// Creates a new file in target's folder and stores its path in temp; INVALID_HANDLE_VALUE
// when none could be made. The name is short so that it fits wherever the target's own
// name does.
static HANDLE CreateSibling(const std::filesystem::path& target, std::filesystem::path& temp) {
  // A name taken by another save (or left by a crash) is skipped for the next one.
  const unsigned long long seed = GetTickCount64() ^ (GetCurrentProcessId() * 0x9E3779B9ull);
  const std::filesystem::path folder = target.parent_path();
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temp = folder.empty() ? std::filesystem::path(L".") : folder;
    temp /= L".quillet-" + std::to_wstring((seed + attempt) % 1000000);
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

// Tells whether another program holds path open: an open that shares nothing fails then.
// Windows (and Wine) refuse to move a file over one that is open elsewhere with "access
// denied", which would otherwise read as a missing permission.
static bool IsOpenElsewhere(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return false;
}

WriteFault ReplaceFile(const std::string& fileName, const std::function<void(FileWriter&)>& write) {
  const std::filesystem::path target = PathFromUtf8(fileName);
  if (IsReadOnlyFile(target)) return WriteFault::ReadOnly;
  std::filesystem::path temp;
  OutputFile file{CreateSibling(target, temp)};
  if (file.handle == INVALID_HANDLE_VALUE) return WriteFaultOfLastError();
  FileWriter out(file);
  write(out);
  out.Flush();
  WriteFault fault = out.fault();
  if (fault == WriteFault::None && !FlushFileBuffers(file.handle)) fault = WriteFaultOfLastError();
  if (!CloseHandle(file.handle) && fault == WriteFault::None) fault = WriteFaultOfLastError();
  // One step from the old file to the new one, not returning before it is on the disk.
  if (fault == WriteFault::None && !MoveFileExW(temp.c_str(), target.c_str(),
                                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    fault = WriteFaultOfLastError();
  if (fault == WriteFault::NoPermission && IsOpenElsewhere(target)) fault = WriteFault::InUse;
  if (fault != WriteFault::None) DeleteFileW(temp.c_str());
  return fault;
}
