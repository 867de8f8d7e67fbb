// EditedValues.h - the values of a buffer's pairs changed since the load, by pair.
//
// The bytes live in a ValueArena; each pair's arena reference sits in an array by pair,
// allocated at the first edit and left uninitialised, so that memory is given only to
// the parts of it that edits reach. An edit costs an append and a store, never a node
// of a hash table, and a read is two indexings. The buffer's mark byte tells which
// pairs have a value here: Get is only asked for those.
// PreparedValues collects many new values away from the buffer, on any thread; the
// buffer then takes its chunks over whole instead of copying each value again.
#pragma once

#include <cstddef>      // std::size_t
#include <memory>       // std::unique_ptr
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/ValueArena.h"

/// New values of many pairs, in the order they are to be set (TDXFBuffer::SetValues).
class PreparedValues {
 public:
  /// Adds text as the new value of pair i. Throws std::bad_alloc when no memory is left.
  void Add(int i, std::string_view text) {
    m_pairs.push_back(i);
    m_refs.push_back(m_arena.Append(text));
  }
  std::size_t Size() const noexcept { return m_pairs.size(); }
  int Pair(std::size_t k) const noexcept { return m_pairs[k]; }
  ValueArena::Ref Reference(std::size_t k) const noexcept { return m_refs[k]; }
  /// Forgets every value added, giving their memory back.
  void Clear() noexcept {
    m_arena.Clear();
    std::vector<int>().swap(m_pairs);
    std::vector<ValueArena::Ref>().swap(m_refs);
  }

 private:
  friend class EditedValues;
  ValueArena m_arena;
  std::vector<int> m_pairs;
  std::vector<ValueArena::Ref> m_refs;
};

class EditedValues {
 public:
  /// Forgets every value and makes room for the references of pairs below pairs.
  void Reset(std::size_t pairs);

  /// Returns pair i's value, one Set gave since the last Reset. The view stays valid
  /// until the next Reset, whatever is set meanwhile.
  std::string_view Get(std::size_t i) const noexcept { return m_arena.Get(m_refs[i]); }

  /// Makes text pair i's value; replaced tells whether it had one here before. text may
  /// be a view of a value here. Throws std::bad_alloc, changing nothing, when no memory
  /// is left.
  void Set(std::size_t i, std::string_view text, bool replaced);

  /// Takes the chunks of values over, leaving values with its pairs and references
  /// only, and makes sure every page its pairs need is there. Returns what to add to a
  /// reference of values to read its text here (ValueOf, SetReference). Throws
  /// std::bad_alloc, changing nothing that is seen, when no memory is left.
  ValueArena::Ref Adopt(PreparedValues& values);
  std::string_view ValueOf(ValueArena::Ref ref) const noexcept { return m_arena.Get(ref); }
  /// Makes the value at ref (of an adopted chunk) pair i's value; replaced tells whether
  /// it had one here before.
  void SetReference(std::size_t i, ValueArena::Ref ref, bool replaced) noexcept {
    if (replaced) m_arena.Release(m_refs[i]);
    m_refs[i] = ref;
  }

  /// Tells that pair i's value is no longer used (its pair was cleared).
  void Drop(std::size_t i) noexcept { m_arena.Release(m_refs[i]); }

 private:
  void MakeReferences();

  ValueArena m_arena;
  std::unique_ptr<ValueArena::Ref[]> m_refs;  // by pair; allocated at the first value
  std::size_t m_pairs = 0;
};
