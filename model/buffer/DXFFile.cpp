// DXFFile.cpp - reading a whole file into memory and replacing a file atomically (POSIX).
#include "model/buffer/DXFFile.h"

#include <fcntl.h>     // open, O_RDONLY, O_NONBLOCK
#include <sys/stat.h>  // stat, fstat, fchmod, umask
#include <unistd.h>    // read, write, close, fsync, unlink

#include <cerrno>      // errno
#include <cstdint>     // std::int64_t
#include <cstdio>      // std::rename
#include <cstdlib>     // mkstemp
#include <filesystem>  // std::filesystem::path, is_symlink, read_symlink

#include "model/buffer/DXFFile_p.h"

// ------------------------------------------------------------------ reading

// The fault an errno of stat or open stands for.
static ReadFault FaultOfError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return ReadFault::Missing;
    case EACCES:
    case EPERM:
      return ReadFault::NoPermission;
    case ELOOP:
      return ReadFault::LinkLoop;
    case EISDIR:
      return ReadFault::Folder;
    default:
      return ReadFault::Unreadable;
  }
}

// The fault of a file that is not a regular one, or None.
static ReadFault FaultOfMode(mode_t mode) {
  if (S_ISREG(mode)) return ReadFault::None;
  return S_ISDIR(mode) ? ReadFault::Folder : ReadFault::NotRegularFile;
}

// Opens a regular file for reading. A FIFO or a device is refused by its stat, before it
// is opened, since opening or reading one can wait for ever; the open does not wait
// either, and the opened file is checked again in case the name changed in between.
static int OpenRegularFile(const std::string& path, struct stat& info, ReadFault& fault) {
  if (::stat(path.c_str(), &info) != 0) {
    fault = FaultOfError(errno);
    return -1;
  }
  fault = FaultOfMode(info.st_mode);
  if (fault != ReadFault::None) return -1;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    fault = FaultOfError(errno);
    return -1;
  }
  fault = ::fstat(fd, &info) != 0 ? ReadFault::Unreadable : FaultOfMode(info.st_mode);
  if (fault == ReadFault::None) return fd;
  ::close(fd);
  return -1;
}

FileBytes ReadWholeFile(const std::string& path) {
  FileBytes bytes;
  struct stat info;
  const int fd = OpenRegularFile(path, info, bytes.fault);
  if (fd < 0) return bytes;
  ReadOpenFile(
      static_cast<std::size_t>(info.st_size),
      [fd](char* to, std::size_t room) {
        ssize_t got;
        do got = ::read(fd, to, room);
        while (got < 0 && errno == EINTR);
        return static_cast<std::int64_t>(got);
      },
      bytes);
  ::close(fd);
  return bytes;
}

// ------------------------------------------------------------------ writing

struct OutputFile {
  int fd;
};

// The fault an errno of a failed create, write, sync or rename stands for.
static WriteFault WriteFaultOfError(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return WriteFault::NoPermission;
    case EROFS:
      return WriteFault::ReadOnly;
    case ENOSPC:
    case EDQUOT:
      return WriteFault::DiskFull;
    case EFBIG:
      return WriteFault::TooLarge;
    case ENOENT:
    case ENOTDIR:
      return WriteFault::FolderMissing;
    case EBUSY:
    case ETXTBSY:
      return WriteFault::InUse;
    default:
      return WriteFault::Other;
  }
}

void FileWriter::WriteAll(std::string_view bytes) {
  while (ok() && !bytes.empty()) {
    const ssize_t done = ::write(m_file.fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      m_fault = done < 0 ? WriteFaultOfError(errno) : WriteFault::DiskFull;
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
}

// The permissions a replaced file keeps, or those a new file gets under the umask.
static mode_t ModeForTarget(const std::string& target) {
  struct stat info;
  if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The path to write to: symbolic links are followed, so the link itself stays; the last
// one may name a file that does not exist yet. A chain longer than the system allows
// stays unresolved, and the rename then replaces the link.
static std::filesystem::path ResolveTarget(const std::string& fileName) {
  constexpr int kMaxLinks = 40;  // Linux's own limit for one path
  namespace fs = std::filesystem;
  fs::path target = fileName;
  std::error_code error;
  for (int links = 0; links < kMaxLinks && fs::is_symlink(target, error); ++links) {
    const fs::path next = fs::read_symlink(target, error);
    if (error) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

// A new file with a short unique name in folder, open for writing, or -1. The name is
// short so that it fits wherever the target's own name does.
static int CreateTemporaryFile(const std::filesystem::path& folder, std::string& name) {
  name = (folder.empty() ? std::filesystem::path(".") : folder) / ".quillet-XXXXXX";
  return ::mkstemp(name.data());
}

WriteFault ReplaceFile(const std::string& fileName, const std::function<void(FileWriter&)>& write) {
  const std::filesystem::path target = ResolveTarget(fileName);
  std::string temp;
  OutputFile file{CreateTemporaryFile(target.parent_path(), temp)};
  if (file.fd < 0) return WriteFaultOfError(errno);
  FileWriter out(file);
  write(out);
  out.Flush();
  // The mode is best effort: some file systems refuse it, and the data matters more.
  (void)::fchmod(file.fd, ModeForTarget(target.string()));
  WriteFault fault = out.fault();
  if (fault == WriteFault::None && ::fsync(file.fd) != 0) fault = WriteFaultOfError(errno);
  if (::close(file.fd) != 0 && fault == WriteFault::None) fault = WriteFaultOfError(errno);
  if (fault == WriteFault::None && std::rename(temp.c_str(), target.c_str()) != 0)
    fault = WriteFaultOfError(errno);
  if (fault != WriteFault::None) ::unlink(temp.c_str());
  return fault;
}
