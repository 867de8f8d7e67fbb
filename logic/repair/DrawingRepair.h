// DrawingRepair.h - repairs of the problems the drawing check finds, keeping every piece
// of data.
//
// A repair adds what is missing, or changes a value, and leaves every pair it does not
// involve with its bytes: a record sharing a handle gets a new one from $HANDSEED, a
// dangling owner becomes the owner the record's place implies, a missing closer (ENDSEC,
// ENDTAB, ENDBLK, SEQEND, EOF) is written where it belongs, a missing definition is added
// to its table, a forbidden name is changed throughout the drawing, a table's count
// becomes the number of its entries. The one thing taken out is a record between
// sections, which AutoCAD ignores or refuses; each is named with its lines. Problems whose
// right value cannot be known (a bad number, an undecodable text, a repeated name, a
// wrong owner, texts in another encoding) are left and said why. Qt-free; texts are CP932.
#pragma once

#include <string>   // std::string
#include <utility>  // std::pair
#include <vector>   // std::vector

#include "logic/check/DrawingCheck.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/HeldPairs.h"
#include "model/buffer/MyDXFClass.h"

/// A table entry's name that changes throughout the drawing.
struct NameChange {
  std::string table;  // the entry's record type: LAYER, LTYPE, STYLE, BLOCK_RECORD, BLOCK ...
  int namePair = 0;   // the entry's name pair, numbered as before the replacements
  std::string oldName, newName;  // trimmed, in the document's encoding
};

/// One problem, repaired or left, for the panel and quillet-dump.
struct RepairLine {
  int pair = 0;  // where the check put the problem (the drawing before the repair)
  CheckKind kind = CheckKind::DuplicateHandle;
  std::string text;  // what the repair did, or the problem and why it stays
};

/// The changes that repair a drawing's problems, planned on the drawing as it stands.
struct RepairPlan {
  std::vector<RepairLine> repaired;  // in the order of the problems
  std::vector<RepairLine> left;
  std::vector<PairReplacement> replacements;  // in file order, not overlapping
  /// New values: the pair (numbered as before the replacements) and its value.
  std::vector<std::pair<int, std::string>> values;
  std::vector<NameChange> renames;  // made after the replacements and the values
};

/// Plans the repair of problems (CheckDrawing's of b and handles, which must be ready).
RepairPlan PlanRepair(const TDXFBuffer& b, const HandleIndex& handles,
                      const std::vector<CheckProblem>& problems);

/// Returns the index pair has after the replacements (made on the drawing they were
/// planned on, in file order), or -1 when one of them takes it out.
int PairAfterReplacements(const std::vector<PairReplacement>& replacements, int pair);

/// Changes a name throughout b as a rename does, change.namePair being numbered as b
/// stands. Returns the count of pairs changed; the repair's own line says what it did.
int ApplyNameChange(TDXFBuffer& b, const NameChange& change);

/// Returns the panel line of a repair: 修復：　123 行：…
std::string RepairLogLine(const RepairLine& line);
/// Returns the panel line of a problem left: 未修復：　123 行：…
std::string RepairLeftLine(const RepairLine& line);
/// Returns the panel's summary of a repair.
std::string RepairSummaryLine(int repaired, int left);
/// Returns the Yes/No question asked before a repair: how many problems it repairs, the
/// first of its lines, and how many problems stay.
std::string RepairQuestion(const RepairPlan& plan);
/// Returns the history's name of a repair of count problems.
std::string RepairStepName(int count);
