// HeldPairs.h - pairs held outside the buffer, and the replacement of a stretch of pairs.
//
// TDXFBuffer::ReplacePairs takes stretches of pairs out and puts others in their place.
// What it puts in are new pairs, made from a code and a value, or pairs an earlier
// replacement took out: those keep their places in the file, so that, put back where
// they were, they are saved exactly as read. A replacement once made turns into the one
// that takes it back, which is all the edit history keeps of it.
#pragma once

#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint64_t, std::uint32_t, std::int32_t
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

class TDXFBuffer;

/// Pairs in the order they are to stand in the buffer.
class HeldPairs {
 public:
  /// Adds a new pair; saved, its code is written as "%3d" and its value as given, with
  /// the line end the file's first line has. Throws std::bad_alloc when no memory is left
  /// (a value of 4 GiB or more included).
  void Add(int code, std::string_view value);
  int Size() const noexcept { return static_cast<int>(m_pairs.size()); }
  int Code(int k) const noexcept { return m_pairs[static_cast<std::size_t>(k)].code; }
  /// Returns the bytes held on the heap, for a history's budget.
  std::size_t Footprint() const noexcept {
    return m_pairs.capacity() * sizeof(Pair) + m_values.capacity();
  }

 private:
  friend class TDXFBuffer;
  static constexpr std::uint64_t kNoOffset = UINT64_MAX;

  struct Pair {
    std::uint64_t offset;     // of its value line in the file's text; kNoOffset: none
    std::uint64_t length;     // of that line
    std::uint32_t valueSize;  // of its own value in m_values, when ownValue
    std::int32_t code;
    std::int32_t filePair;  // the binary file's pair it is, -1: none
    bool ownValue;          // the value is held here, not read from the file
    bool codeEdited;        // the code was changed since the load
  };

  std::vector<Pair> m_pairs;
  std::string m_values;  // the own values, back to back in the order of the pairs
};

/// Pairs [first, first + count) of a buffer give way to `pairs`.
struct PairReplacement {
  int first = 0;
  int count = 0;
  HeldPairs pairs;
};
