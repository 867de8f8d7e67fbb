// DumpInput.cpp - the drawing quillet-dump reads: a named file, or standard input.
//
// The buffer loads from a path, so standard input is first copied to a temporary file in
// $TMPDIR (%TEMP% on Windows; /tmp without either) and streamed there in pieces: a pipe of any size
// goes through without being held in memory twice. The copy is removed as soon as it is loaded.
#include "tools/DumpInput.h"

#include <unistd.h>  // read, write, close, unlink

#include <cerrno>   // errno, EINTR
#include <cstdio>   // std::fprintf
#include <cstdlib>  // std::getenv, mkstemp
#include <cstring>  // std::strerror
#include <vector>   // std::vector

#include "model/text/Sjis.h"

namespace {

// A temporary file that is removed when it goes out of scope.
class TemporaryFile {
 public:
  TemporaryFile() {
#ifdef _WIN32
    const char* folder = std::getenv("TEMP");
#else
    const char* folder = std::getenv("TMPDIR");
#endif
    m_folder = folder && *folder ? folder : "/tmp";
    m_path = m_folder + "/quillet-dump-stdin-XXXXXX";
    m_fd = ::mkstemp(m_path.data());
    m_made = m_fd >= 0;
  }
  ~TemporaryFile() {
    if (!m_made) return;
    FinishWriting();
    ::unlink(m_path.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool IsOpen() const {
    return m_fd >= 0;
  }
  // Closes the copy, so that it can be read: Windows opens no file for reading that is
  // still open for writing.
  void FinishWriting() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }
  int Descriptor() const {
    return m_fd;
  }
  const std::string& Folder() const {
    return m_folder;
  }
  const std::string& Path() const {
    return m_path;
  }

 private:
  std::string m_folder;
  std::string m_path;
  int m_fd = -1;
  bool m_made = false;
};

// Writes all of bytes to fd; returns false with errno set when a write fails.
bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t done = ::write(fd, bytes, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

// Copies standard input to its end into copy. Returns an empty text, or what failed.
std::string CopyStandardInput(const TemporaryFile& copy) {
  std::vector<char> piece(1 << 16);
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, piece.data(), piece.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::string("cannot read standard input: ") + std::strerror(errno);
    if (got == 0) return {};
    if (!WriteAll(copy.Descriptor(), piece.data(), static_cast<std::size_t>(got)))
      return "cannot keep standard input in " + copy.Path() + ": " + std::strerror(errno);
  }
}

int Refuse(const std::string& reason) {
  std::fprintf(stderr, "quillet-dump: %s\n", reason.c_str());
  return kExitLoadError;
}

// Maps the load's error to the exit status, printing the reason of a failure.
int Loaded(const Error& error) {
  if (error.Ok()) return 0;
  std::fprintf(stderr, "%s\n", Utf8(error.message).c_str());
  return kExitLoadError;
}

}  // namespace

int LoadDrawing(const std::string& file, Document& document) {
  if (!IsStandardInput(file)) return Loaded(document.Load(file).error);
  TemporaryFile copy;
  if (!copy.IsOpen())
    return Refuse("cannot make a temporary file for standard input in " + copy.Folder() + ": " +
                  std::strerror(errno));
  const std::string failure = CopyStandardInput(copy);
  if (!failure.empty()) return Refuse(failure);
  copy.FinishWriting();
  const ChangeReport loaded = document.Load(copy.Path());
  document.ViewBuffer().SetFileName(file);  // the summary names it "-"
  return Loaded(loaded.error);
}
