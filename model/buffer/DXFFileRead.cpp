// DXFFileRead.cpp - reading an open file into memory and counting its lines, on every
// platform; the platform's file opens the file and reads its pieces.
#include <cstdint>      // SIZE_MAX
#include <cstring>      // std::memchr, std::memcpy
#include <new>          // std::nothrow
#include <string_view>  // std::string_view

#include "model/buffer/BinaryDXF.h"
#include "model/buffer/DXFFile_p.h"
#include "model/buffer/LineSplitter.h"

// Reads the next piece into bytes, growing the block when the file outgrew its measured
// size. Returns the bytes read, 0 at the end, or -1 with bytes.fault set.
static std::int64_t ReadPiece(const ReadSome& readSome, FileBytes& bytes, std::size_t& capacity) {
  constexpr std::size_t kPiece = 1 << 20;
  if (bytes.fileSize == capacity) {
    char probe;
    const std::int64_t more = readSome(&probe, 1);
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
  const std::size_t room = capacity - bytes.fileSize;
  const std::int64_t got =
      readSome(bytes.data.get() + bytes.fileSize, room < kPiece ? room : kPiece);
  if (got < 0) bytes.fault = ReadFault::Unreadable;
  return got;
}

// Performance: lines are counted piece by piece right after each read, while the piece
// is still in the cache; a separate counting pass over a 200 MB text cost a fifth of
// the load and made files larger than the cache slower per megabyte.
void ReadOpenFile(std::size_t expectedSize, const ReadSome& readSome, FileBytes& bytes) {
  std::size_t capacity = expectedSize;
  bytes.data.reset(new (std::nothrow) char[capacity + 1]);
  if (!bytes.data) bytes.fault = ReadFault::OutOfMemory;
  LineCounter counter;
  const std::size_t kNoNul = SIZE_MAX;
  std::size_t nulAt = kNoNul;  // an offset: the block may move when the file grows
  bool binary = false;         // a binary DXF file has no lines to count
  while (bytes.fault == ReadFault::None) {
    const std::int64_t got = ReadPiece(readSome, bytes, capacity);
    if (got <= 0) break;
    const char* piece = bytes.data.get() + bytes.fileSize;
    if (bytes.fileSize == 0)
      binary = std::string_view(piece, static_cast<std::size_t>(got)).starts_with(kBinaryMark);
    if (nulAt == kNoNul)
      if (const void* nul = std::memchr(piece, 0, static_cast<std::size_t>(got)))
        nulAt = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data.get());
    bytes.fileSize += static_cast<std::size_t>(got);
    if (!binary) counter.CountBlocks(bytes.data.get(), bytes.fileSize);
  }
  if (bytes.fault != ReadFault::None) return;
  bytes.fileLines = binary ? 0 : counter.Finish(bytes.data.get(), bytes.fileSize);
  // A NUL byte ends the text; the rare file with one has its text's lines counted again.
  bytes.size = nulAt == kNoNul ? bytes.fileSize : nulAt;
  bytes.lines =
      bytes.EndsAtNul() ? LineCounter().Finish(bytes.data.get(), bytes.size) : bytes.fileLines;
}
