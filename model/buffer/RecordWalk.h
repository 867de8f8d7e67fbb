// RecordWalk.h - walking the records of a buffer, and the pair <-> line rule.
//
// A record is a code-0 pair and the pairs after it up to the next code-0 pair. The
// buffer's tail of cleared code-0 pairs ends every walk that starts inside the file.
#pragma once

#include <algorithm>  // std::max, std::clamp
#include <climits>    // INT_MIN, INT_MAX

#include "model/buffer/GroupCodes.h"
#include "model/buffer/MyDXFClass.h"

/// Returns the index of the first code-0 pair after pair i.
inline int NextRecord(const TDXFBuffer& b, int i) {
  do ++i;
  while (b.GetCode(i) != kRecordStartCode);
  return i;
}

/// Returns the first pair of the record that starts at `start` whose code is `code` or
/// `otherCode`, or -1 when the record has none: a search never runs into the next record.
inline int FindInRecord(const TDXFBuffer& b, int start, int code, int otherCode) {
  for (int i = start + 1; b.GetCode(i) != kRecordStartCode; ++i)
    if (b.GetCode(i) == code || b.GetCode(i) == otherCode) return i;
  return -1;
}

/// Returns the first pair of the record at `start` whose code is `code`, or -1.
inline int FindInRecord(const TDXFBuffer& b, int start, int code) {
  return FindInRecord(b, start, code, code);
}

/// Returns where the walks for block references end: after ENTITIES, and after BLOCKS
/// when a drawing has no ENTITIES section, so references inside definitions still count.
inline int BlockReferenceEnd(const TDXFBuffer& b) {
  return std::max(b.EntitiesEnd, b.BlocksEnd);
}

/// Returns the line number shown for pair i: its group-code line, 2i + 1 counted from 1.
/// Line numbers are 64-bit: a drawing of more than 2^30 pairs has lines past INT_MAX.
constexpr long long LineOfPair(int i) {
  return 2LL * i + 1;
}

/// Returns the pair a 1-based file line belongs to: trunc((line - 1) / 2), so either line
/// of a pair leads to it and lines 0 to 2 lead to pair 0. Lines beyond any pair index give
/// the nearest index, which every caller clamps to its document.
constexpr int PairOfLine(long long line) {
  return static_cast<int>(std::clamp<long long>((line - 1) / 2, INT_MIN, INT_MAX));
}
