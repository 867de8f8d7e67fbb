// ValueArena.h - edited value texts, appended into large chunks that never move.
//
// The buffer keeps a value changed after the load here rather than in the file's text:
// Append copies the bytes behind an 8-byte tag and a length header to the end of the
// current chunk and returns a 48-bit reference, which Get turns back into a view without
// any lookup. The tag is the owner's: the buffer keeps there where the pair's line lies
// in the file. No chunk is moved, shrunk or freed before Clear, so a view stays valid
// until the arena is cleared, whatever is appended meanwhile. A value replaced again is
// simply appended anew; the old bytes stay where they are, counted as dead, until Clear.
// Records lie in the order they were appended, chunk after chunk, so ForEach can visit
// them in that order without a list of their references.
#pragma once

#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint64_t
#include <cstring>      // std::memcpy
#include <memory>       // std::unique_ptr
#include <string_view>  // std::string_view
#include <vector>       // std::vector

class ValueArena {
 public:
  /// Where a record starts: the chunk's index above kOffsetBits, the offset in it below.
  /// References fit in kRefBits bits.
  using Ref = std::uint64_t;
  static constexpr int kOffsetBits = 24;
  static constexpr int kRefBits = 48;

  // Neither copied nor moved: the buffer holds its arena by pointer, and a moved-from
  // arena would still point into the chunks it gave away.
  ValueArena() = default;
  ValueArena(const ValueArena&) = delete;
  ValueArena& operator=(const ValueArena&) = delete;

  /// Copies text into the arena behind tag and returns its reference. text may lie in
  /// the arena itself. Throws std::bad_alloc, leaving the arena as it was, when no memory
  /// is left.
  Ref Append(std::string_view text, std::uint64_t tag) {
    const std::size_t size = RecordSize(text.size());
    if (size > m_room) [[unlikely]]
      return AppendToNewChunk(text, tag);
    const Ref ref = m_atRef;
    WriteRecord(m_at, text, tag);
    m_at += size;
    m_room -= size;
    m_atRef += size;
    m_usedBytes += size;
    return ref;
  }

  /// Returns the value at ref, a reference Append gave since the last Clear.
  std::string_view Get(Ref ref) const noexcept {
    const char* p = Record(ref) + kTagBytes;
    const auto length = static_cast<unsigned char>(*p);
    if (length != kLongHeader) [[likely]]
      return {p + 1, length};
    std::uint64_t longLength = 0;
    std::memcpy(&longLength, p + 1, sizeof longLength);
    return {p + 1 + sizeof longLength, static_cast<std::size_t>(longLength)};
  }

  std::uint64_t Tag(Ref ref) const noexcept {
    std::uint64_t tag;
    std::memcpy(&tag, Record(ref), sizeof tag);
    return tag;
  }
  void SetTag(Ref ref, std::uint64_t tag) noexcept { std::memcpy(Record(ref), &tag, sizeof tag); }

  /// Counts the value at ref as dead: nothing refers to its bytes any more.
  void Release(Ref ref) noexcept { m_deadBytes += RecordSize(Get(ref).size()); }

  /// Frees every chunk; all references and views become invalid.
  void Clear() noexcept;

  /// Calls visit(ref) for every record appended since the last Clear, in that order,
  /// from chunk firstChunk on (that of a reference's offset 0).
  template <typename Visit>
  void ForEach(Visit visit, Ref firstChunk = 0) const {
    for (std::size_t chunk = firstChunk >> kOffsetBits; chunk < m_chunks.size(); ++chunk) {
      const Ref first = Ref{chunk} << kOffsetBits;
      const std::size_t end = ChunkEnd(chunk);
      for (std::size_t at = 0; at < end; at += RecordSize(Get(first + at).size()))
        visit(first + at);
    }
  }

  /// Takes over other's chunks, leaving other empty, and returns what to add to a
  /// reference other gave to get the one that reads the same record here. Views of
  /// other's values stay valid; this arena's next value starts a chunk of its own. Throws
  /// std::bad_alloc, changing nothing, when no memory is left.
  Ref Adopt(ValueArena& other);

  /// Bytes taken by the values appended since the last Clear, tags and headers included.
  std::size_t UsedBytes() const noexcept { return m_usedBytes; }
  /// The part of UsedBytes that belongs to released values.
  std::size_t DeadBytes() const noexcept { return m_deadBytes; }

 private:
  // A regular chunk holds many values. A value that does not fit into the rest of the
  // current one starts the next, leaving that rest unused; one of more than kOwnChunkFrom
  // bytes gets a chunk of its own instead, after which the next value starts a new
  // regular chunk, so that records stay in order. At most 1/16 of a chunk goes unused
  // that way. 1 MiB keeps the chunk list short: a 200 MB drawing rounded throughout
  // needs about 80.
  static constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
  static constexpr std::size_t kOwnChunkFrom = kChunkBytes / 16;
  static constexpr Ref kOffsetMask = (Ref{1} << kOffsetBits) - 1;
  static constexpr std::size_t kMaxChunks = std::size_t{1} << (kRefBits - kOffsetBits);
  // A record is the tag, then one byte holding the length, or kLongHeader and the length
  // in 8 bytes, then the text.
  static constexpr std::size_t kTagBytes = sizeof(std::uint64_t);
  static constexpr unsigned char kLongHeader = 0xFF;

  static std::size_t RecordSize(std::size_t length) noexcept {
    return kTagBytes + (length < kLongHeader ? 1 : 1 + sizeof(std::uint64_t)) + length;
  }

  static void WriteRecord(char* at, std::string_view text, std::uint64_t tag) noexcept {
    std::memcpy(at, &tag, sizeof tag);
    at += sizeof tag;
    if (text.size() < kLongHeader) {
      *at++ = static_cast<char>(text.size());
    } else {
      *at++ = static_cast<char>(kLongHeader);
      const std::uint64_t length = text.size();
      std::memcpy(at, &length, sizeof length);
      at += sizeof length;
    }
    // An empty view may have no data at all, which memcpy must not be given.
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
  }

  char* Record(Ref ref) const noexcept {
    return m_chunks[ref >> kOffsetBits].get() + (ref & kOffsetMask);
  }
  // Bytes of records in chunk: the last regular chunk is still being filled.
  std::size_t ChunkEnd(std::size_t chunk) const noexcept {
    const bool filling = m_at != nullptr && chunk + 1 == m_chunks.size();
    return filling ? static_cast<std::size_t>(m_at - m_chunks[chunk].get()) : m_ends[chunk];
  }
  Ref AppendToNewChunk(std::string_view text, std::uint64_t tag);
  void CloseCurrentChunk() noexcept;

  std::vector<std::unique_ptr<char[]>> m_chunks;
  std::vector<std::size_t> m_ends;  // bytes of records by chunk, once it is no longer filled
  char* m_at = nullptr;             // the next free byte of the last chunk while it is filled
  std::size_t m_room = 0;           // free bytes from m_at to the end of that chunk
  Ref m_atRef = 0;                  // the reference of m_at
  std::size_t m_usedBytes = 0;
  std::size_t m_deadBytes = 0;
};
