// SequenceAlign.h - lines up two sequences so that as many equal elements as possible meet.
//
// The compare matches records without handles, and the pairs of two matched records, by a
// longest common subsequence: one element inserted or deleted shifts nothing else. The
// alignment is Myers' O((N + M) D) difference algorithm after the common beginning and end
// are taken off, so two sequences that differ in a few places cost little whatever their
// length. Its cost is bounded: beyond maxEdits insertions and deletions the elements are
// matched by value in their order instead (the k-th A with the k-th B of each value),
// which no longer finds the least change but stays linear.
#pragma once

#include <cstdint>  // std::uint64_t
#include <span>     // std::span
#include <utility>  // std::pair
#include <vector>   // std::vector

/// One element of each sequence that the alignment puts together: indices into a and b.
using AlignedPair = std::pair<int, int>;

/// Returns the pairs of equal elements of a and b that a longest common subsequence
/// matches, in increasing order of both indices; when more than maxEdits insertions and
/// deletions separate the sequences, matches equal elements in their order instead (then
/// ordered by the index into a only).
std::vector<AlignedPair> AlignSequences(std::span<const std::uint64_t> a,
                                        std::span<const std::uint64_t> b, int maxEdits);
