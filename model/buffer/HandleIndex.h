// HandleIndex.h - the handles of a drawing: which record owns each one, and who points at it.
//
// Since R13 every record carries a handle (code 5, or 105 in a DIMSTYLE record) and the
// records point at each other by handle: the owner (330), the soft and hard pointers and
// owners (340-369), and the handles of 390-399 and 480-481. HandleIndex maps each handle
// to the records that own it, duplicates kept in file order. It is built in one go or in
// steps of a few thousand pairs, so a window can build it between paints; it describes the
// buffer as it was when the build ended, and its owner builds it again after a change.
// Handles compare as numbers: "1F", "1f" and "001F" are the same handle.
#pragma once

#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint64_t
#include <span>         // std::span
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/MyDXFClass.h"

/// Reads a value as a handle: 1 to 16 hexadecimal digits in either case, with blanks and
/// control characters around them. Returns false, leaving handle untouched, otherwise.
bool ParseHandle(std::string_view text, std::uint64_t& handle) noexcept;

/// Returns a handle in upper-case hexadecimal without leading zeros ("1F", "0").
std::string HandleText(std::uint64_t handle);

/// Returns the pair that holds the handle of the record whose code-0 pair is `record`: its
/// first code-5 pair, or code 105 in a DIMSTYLE record. A SECTION record owns no handle
/// (the $HANDSEED value in HEADER is no record's handle). Returns -1 when there is none.
int RecordHandlePair(const TDXFBuffer& b, int record);

/// Tells whether pair i is a pointer (IsPointerCode) whose value reads as a handle, and
/// gives that handle.
bool PointerTarget(const TDXFBuffer& b, int i, std::uint64_t& handle);

/// Returns the pointer pairs up to the EOF pair whose value names handle, in file order.
std::vector<int> ReferringPairs(const TDXFBuffer& b, std::uint64_t handle);

/// Returns the trimmed type of the record that holds pair i: the value of the nearest pair
/// at or before it with code 0, or with code 9 (a header variable's name).
std::string_view RecordTypeOf(const TDXFBuffer& b, int i);

/// One record that owns a handle.
struct HandleOwner {
  std::uint64_t handle;
  int record;  // the record's code-0 pair
};

class HandleIndex;

/// What a pair points at.
enum class PointerState {
  NotPointer,  // its code is no pointer code
  Null,        // handle 0: it points at nothing, on purpose
  Owned,       // a record owns the handle
  Dangling,    // no record owns the handle
  NotHandle,   // the value does not read as a handle
};

/// Tells what pair i points at by the index (which must be ready) and gives the handle.
PointerState PointerStateOf(const TDXFBuffer& b, const HandleIndex& index, int i,
                            std::uint64_t& handle);

class HandleIndex {
 public:
  /// Forgets every entry; the index is neither ready nor building.
  void Clear() noexcept;
  /// Starts a build from the first pair; Continue carries it on.
  void Start() noexcept;
  /// Walks up to `pairs` more pairs of b (at least one) and returns whether the index is
  /// ready. Does nothing and returns Ready() when no build is under way.
  bool Continue(const TDXFBuffer& b, int pairs);
  /// Builds the whole index from b at once.
  void Build(const TDXFBuffer& b);
  bool Ready() const noexcept { return m_state == State::Ready; }
  bool Building() const noexcept { return m_state == State::Building; }

  /// Returns the records that own handle, in file order; empty when none does or the
  /// index is not ready.
  std::span<const HandleOwner> Owners(std::uint64_t handle) const noexcept;
  /// Returns the first record that owns handle, or -1.
  int Owner(std::uint64_t handle) const noexcept;
  /// Returns every entry, ordered by handle and, within a handle, by file order.
  const std::vector<HandleOwner>& Entries() const noexcept { return m_owners; }
  /// Returns the bytes the index holds on the heap.
  std::size_t MemoryBytes() const noexcept { return m_owners.capacity() * sizeof(HandleOwner); }

 private:
  enum class State { Empty, Building, Ready };

  void WalkPair(const TDXFBuffer& b, int i);
  void Finish();

  std::vector<HandleOwner> m_owners;
  State m_state = State::Empty;
  int m_next = 0;              // the next pair a build walks
  int m_record = -1;           // the record the build is in
  bool m_wantsHandle = false;  // that record's handle has not been seen yet
  bool m_dimstyle = false;     // that record is a DIMSTYLE, whose handle is code 105
};
