// DrawingCompare.h - what differs between two drawings, record by record, matched as the
// drawings themselves match them.
//
// Records are matched by key, never by place: header variables by name, CLASS records by
// class name, records with a handle by handle; records without one (R12, or a writer that
// drops handles) by table and name, by block name, and the entities and objects by their
// order within their block or section, through an alignment over type and layer so that
// one record inserted or deleted does not make every later one differ. A record that only
// moved is no difference: the order of the records is not compared. Two matched records
// are compared pair by pair (their pairs aligned by group code, so an inserted pair is one
// difference), their values by what they say (ValueCompare). The compare reads both
// buffers in place and copies no value: a difference names pairs by index.
#pragma once

#include <cstdint>  // std::uint8_t, std::uint32_t, std::uint64_t
#include <span>     // std::span
#include <vector>   // std::vector

#include "logic/compare/CompareRecords.h"
#include "model/buffer/MyDXFClass.h"

/// How a record differs.
enum class ChangeKind : std::uint8_t {
  Changed,  // in both drawings, with pairs that differ
  Removed,  // only in the drawing on show ("here")
  Added,    // only in the other drawing ("there")
};

/// The choices of a compare.
struct CompareOptions {
  bool exactNumbers = false;  // numbers compare by their text, not their value
  // Records whose handle has no counterpart in the other drawing are matched by name or
  // order instead, without comparing their own handles, and pointers compare by the
  // records they point at: for a writer that gives new objects, or all, new handles.
  bool ignoreNewHandles = false;
};

/// One pair that differs: its index in each drawing, -1 on the side that lacks it.
struct PairChange {
  int here = -1;
  int there = -1;
};

/// One record that differs.
struct RecordChange {
  ChangeKind kind = ChangeKind::Changed;
  RecordKey key = RecordKey::Order;  // how the record is named: the key it has here, or there
  RecordSection section = RecordSection::Other;
  int here = -1;                // its first pair on show; -1 when Added
  int there = -1;               // its first pair in the other drawing; -1 when Removed
  std::uint64_t handle = 0;     // with RecordKey::Handle
  int namePair = -1;            // the pair holding its name (here, else there); -1 for none
  std::uint32_t firstPair = 0;  // its pair changes in DrawingDifference::pairs
  std::uint32_t pairCount = 0;
};

/// The differences of two drawings: one entry per record that differs, in the order of
/// the drawing on show; a record only in the other drawing stands before the record on
/// show that matches the next matched record after it there (at the end when none does).
struct DrawingDifference {
  std::vector<RecordChange> records;
  std::vector<PairChange> pairs;

  bool Same() const { return records.empty(); }
  std::span<const PairChange> PairsOf(const RecordChange& change) const {
    return std::span<const PairChange>(pairs).subspan(change.firstPair, change.pairCount);
  }
};

/// Compares the drawing on show (here) with another (there); each keeps its own encoding.
DrawingDifference CompareDrawings(const TDXFBuffer& here, const TDXFBuffer& there,
                                  const CompareOptions& options);
