// PreparedValues.h - new values of many pairs, made away from the buffer.
//
// A long operation (the rounding tool) collects its new values here, on any thread, and
// then sets them all with TDXFBuffer::SetValues, which takes the chunks over whole
// instead of copying each value again. Each record's tag holds its pair until then.
#pragma once

#include <algorithm>    // std::min, std::max
#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint64_t
#include <string_view>  // std::string_view

#include "model/buffer/ValueArena.h"

class TDXFBuffer;

/// New values of many pairs, in the order they are to be set.
class PreparedValues {
 public:
  /// Adds text as the new value of pair i. Throws std::bad_alloc when no memory is left.
  void Add(int i, std::string_view text) {
    m_arena.Append(text, static_cast<std::uint64_t>(i));
    m_least = m_size == 0 ? i : std::min(m_least, i);
    m_most = m_size == 0 ? i : std::max(m_most, i);
    ++m_size;
  }
  std::size_t Size() const noexcept { return m_size; }
  /// Forgets every value added, giving their memory back.
  void Clear() noexcept {
    m_arena.Clear();
    m_size = 0;
  }
  /// The least and the greatest pair added; meaningless while Size() is 0.
  int LeastPair() const noexcept { return m_least; }
  int GreatestPair() const noexcept { return m_most; }

 private:
  friend class TDXFBuffer;
  ValueArena m_arena;
  std::size_t m_size = 0;
  int m_least = 0, m_most = 0;
};
