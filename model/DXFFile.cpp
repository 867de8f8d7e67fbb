// DXFFile.cpp - reading a whole file into memory and replacing a file atomically (POSIX).
#include "model/DXFFile.h"

#include <fcntl.h>     // open, O_RDONLY
#include <sys/stat.h>  // stat, fchmod, umask
#include <unistd.h>    // read, write, close, fsync, unlink

#include <algorithm>   // std::min
#include <cerrno>      // errno
#include <cstdlib>     // mkstemp
#include <filesystem>  // std::filesystem::canonical
#include <new>         // std::nothrow

#include "model/LineSplitter.h"

// ------------------------------------------------------------------ reading

// Reads the next piece of fd into bytes, growing the block when the file outgrew its
// stat size. Returns the bytes read, 0 at the end, or -1 with bytes.fault set.
static ssize_t ReadPiece(int fd, FileBytes& bytes, std::size_t& capacity) {
  constexpr std::size_t kPiece = 1 << 20;
  if (bytes.size == capacity) {
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
    std::memcpy(bigger.get(), bytes.data.get(), bytes.size);
    bigger[bytes.size] = probe;
    bytes.data = std::move(bigger);
    capacity = grown;
    return 1;
  }
  ssize_t got;
  do got = ::read(fd, bytes.data.get() + bytes.size, std::min(kPiece, capacity - bytes.size));
  while (got < 0 && errno == EINTR);
  if (got < 0) bytes.fault = ReadFault::Unreadable;
  return got;
}

// Reads a whole file and counts its lines.
// Performance: lines are counted piece by piece right after each read, while the piece
// is still in the cache; a separate counting pass over a 200 MB text cost a fifth of
// the load and made files larger than the cache slower per megabyte.
FileBytes ReadWholeFile(const std::string& path) {
  FileBytes bytes;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    bytes.fault =
        (errno == ENOENT || errno == ENOTDIR) ? ReadFault::Missing : ReadFault::Unreadable;
    return bytes;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || S_ISDIR(info.st_mode)) {
    if (fd >= 0) ::close(fd);
    bytes.fault = ReadFault::Unreadable;
    return bytes;
  }
  std::size_t capacity = static_cast<std::size_t>(info.st_size);
  bytes.data.reset(new (std::nothrow) char[capacity + 1]);
  if (!bytes.data) bytes.fault = ReadFault::OutOfMemory;
  LineCounter counter;
  while (bytes.fault == ReadFault::None) {
    const ssize_t got = ReadPiece(fd, bytes, capacity);
    if (got <= 0) break;
    const char* piece = bytes.data.get() + bytes.size;
    bytes.size += static_cast<std::size_t>(got);
    // A NUL byte ends the text.
    if (const void* nul = std::memchr(piece, 0, static_cast<std::size_t>(got))) {
      bytes.size = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data.get());
      break;
    }
    counter.CountBlocks(bytes.data.get(), bytes.size);
  }
  ::close(fd);
  if (bytes.fault != ReadFault::None) return bytes;
  bytes.lines = counter.Finish(bytes.data.get(), bytes.size);
  bytes.data[bytes.size] = '\n';
  return bytes;
}

// ------------------------------------------------------------------ writing

void FileWriter::WriteAll(std::string_view bytes) {
  while (m_ok && !bytes.empty()) {
    const ssize_t done = ::write(m_fd, bytes.data(), bytes.size());
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

// The path to write to: a symbolic link is followed, so the link itself stays.
static std::string ResolveTarget(const std::string& fileName) {
  std::error_code error;
  if (std::filesystem::is_symlink(fileName, error)) {
    const auto real = std::filesystem::canonical(fileName, error);
    if (!error) return real.string();
  }
  return fileName;
}

bool ReplaceFile(const std::string& fileName, const std::function<void(FileWriter&)>& write) {
  const std::string target = ResolveTarget(fileName);
  std::string temp = target + ".saving-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  FileWriter out(fd);
  write(out);
  out.Flush();
  // The mode is best effort: some file systems refuse it, and the data matters more.
  (void)::fchmod(fd, ModeForTarget(target));
  bool ok = out.ok() && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}
