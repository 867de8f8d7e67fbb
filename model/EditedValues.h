// EditedValues.h - the values of a buffer's pairs changed since the load, by pair.
//
// The bytes live in a ValueArena; each pair's arena reference sits in a page of
// references that is allocated when a value on it is first set, so an edit costs an
// append and a store, never a node of a hash table, and a read is two indexings. The
// buffer's mark byte tells which pairs have a value here: Get is only asked for those.
#pragma once

#include <cstddef>      // std::size_t
#include <memory>       // std::unique_ptr
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/ValueArena.h"

class EditedValues {
 public:
  /// Forgets every value and makes room for the references of pairs below pairs.
  void Reset(std::size_t pairs);

  /// Returns pair i's value, one Set gave since the last Reset. The view stays valid
  /// until the next Reset, whatever is set meanwhile.
  std::string_view Get(std::size_t i) const noexcept {
    return m_arena.Get(m_pages[i >> kPageBits][i & kPageMask]);
  }

  /// Makes text pair i's value; replaced tells whether it had one here before. text may
  /// be a view of a value here. Throws std::bad_alloc, changing nothing, when no memory
  /// is left.
  void Set(std::size_t i, std::string_view text, bool replaced);

  /// Tells that pair i's value is no longer used (its pair was cleared).
  void Drop(std::size_t i) noexcept { m_arena.Release(m_pages[i >> kPageBits][i & kPageMask]); }

 private:
  static constexpr int kPageBits = 10;  // 1024 pairs a page: 8 KiB of references
  static constexpr std::size_t kPageMask = (std::size_t{1} << kPageBits) - 1;

  ValueArena m_arena;
  std::vector<std::unique_ptr<ValueArena::Ref[]>> m_pages;
};
