// DXFFile.cpp - reading a whole file into memory and replacing a file atomically (POSIX).
#include "model/DXFFile.h"

#include <fcntl.h>     // open, O_RDONLY, O_NONBLOCK
#include <sys/stat.h>  // stat, fstat, fchmod, umask
#include <unistd.h>    // read, write, close, fsync, unlink

#include <algorithm>   // std::min
#include <cerrno>      // errno
#include <cstdint>     // SIZE_MAX
#include <cstdio>      // std::rename
#include <cstdlib>     // mkstemp
#include <filesystem>  // std::filesystem::path, is_symlink, read_symlink
#include <new>         // std::nothrow

#include "model/LineSplitter.h"

// ------------------------------------------------------------------ reading

// Reads the next piece of fd into bytes, growing the block when the file outgrew its
// stat size. Returns the bytes read, 0 at the end, or -1 with bytes.fault set.
static ssize_t ReadPiece(int fd, FileBytes& bytes, std::size_t& capacity) {
  constexpr std::size_t kPiece = 1 << 20;
  if (bytes.fileSize == capacity) {
    char probe;
    ssize_t more;
    do more = ::read(fd, &probe, 1);
    while (more < 0 && errno == EINTR);
    if (more <= 0) {
      if (more < 0) bytes.fault = ReadFault::Unreadable;
      return more;
    }
    const std::size_t grown = capacity * 2 + 4096;
    std::unique_ptr<char[]> bigger(new (std::nothrow) char[grown + 1]);
    if (!bigger) {
      bytes.fault = ReadFault::OutOfMemory;
      return -1;
    }
    std::memcpy(bigger.get(), bytes.data.get(), bytes.fileSize);
    bigger[bytes.fileSize] = probe;
    bytes.data = std::move(bigger);
    capacity = grown;
    return 1;
  }
  ssize_t got;
  do
    got =
        ::read(fd, bytes.data.get() + bytes.fileSize, std::min(kPiece, capacity - bytes.fileSize));
  while (got < 0 && errno == EINTR);
  if (got < 0) bytes.fault = ReadFault::Unreadable;
  return got;
}

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

// Reads a whole file and counts its lines.
// Performance: lines are counted piece by piece right after each read, while the piece
// is still in the cache; a separate counting pass over a 200 MB text cost a fifth of
// the load and made files larger than the cache slower per megabyte.
FileBytes ReadWholeFile(const std::string& path) {
  FileBytes bytes;
  struct stat info;
  const int fd = OpenRegularFile(path, info, bytes.fault);
  if (fd < 0) return bytes;
  std::size_t capacity = static_cast<std::size_t>(info.st_size);
  bytes.data.reset(new (std::nothrow) char[capacity + 1]);
  if (!bytes.data) bytes.fault = ReadFault::OutOfMemory;
  LineCounter counter;
  const std::size_t kNoNul = SIZE_MAX;
  std::size_t nulAt = kNoNul;  // an offset: the block may move when the file grows
  while (bytes.fault == ReadFault::None) {
    const ssize_t got = ReadPiece(fd, bytes, capacity);
    if (got <= 0) break;
    const char* piece = bytes.data.get() + bytes.fileSize;
    if (nulAt == kNoNul)
      if (const void* nul = std::memchr(piece, 0, static_cast<std::size_t>(got)))
        nulAt = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data.get());
    bytes.fileSize += static_cast<std::size_t>(got);
    counter.CountBlocks(bytes.data.get(), bytes.fileSize);
  }
  ::close(fd);
  if (bytes.fault != ReadFault::None) return bytes;
  bytes.fileLines = counter.Finish(bytes.data.get(), bytes.fileSize);
  // A NUL byte ends the text; the rare file with one has its text's lines counted again.
  bytes.size = nulAt == kNoNul ? bytes.fileSize : nulAt;
  bytes.lines =
      bytes.EndsAtNul() ? LineCounter().Finish(bytes.data.get(), bytes.size) : bytes.fileLines;
  return bytes;
}

// ------------------------------------------------------------------ writing

struct OutputFile {
  int fd;
};

void FileWriter::WriteAll(std::string_view bytes) {
  while (m_ok && !bytes.empty()) {
    const ssize_t done = ::write(m_file.fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      m_ok = false;
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

bool ReplaceFile(const std::string& fileName, const std::function<void(FileWriter&)>& write) {
  const std::filesystem::path target = ResolveTarget(fileName);
  std::string temp;
  OutputFile file{CreateTemporaryFile(target.parent_path(), temp)};
  if (file.fd < 0) return false;
  FileWriter out(file);
  write(out);
  out.Flush();
  // The mode is best effort: some file systems refuse it, and the data matters more.
  (void)::fchmod(file.fd, ModeForTarget(target.string()));
  bool ok = out.ok() && ::fsync(file.fd) == 0;
  ok = (::close(file.fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}
