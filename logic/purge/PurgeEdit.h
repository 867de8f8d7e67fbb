// PurgeEdit.h - what taking chosen unused definitions out changes in a drawing.
//
// The definitions chosen from a PurgeList go whole: their stretches of pairs become one
// replacement each (neighbours joined), and the entry counts of the tables they stood in
// go down by as many (70 of the TABLE pair, and 71 of the DIMSTYLE head for the entries
// it lists). A chosen definition that one that stays uses stays too. Qt-free; the texts
// are CP932.
#pragma once

#include <cstdint>  // std::uint64_t
#include <string>   // std::string
#include <utility>  // std::pair
#include <vector>   // std::vector

#include "logic/purge/UnusedDefinitions.h"
#include "model/buffer/MyDXFClass.h"

/// The changes of a purge, planned on the drawing as it stands.
struct PurgeEdit {
  std::vector<int> removed;                   // the entries of the list that go, in its order
  std::vector<PairReplacement> replacements;  // the stretches they take out, in file order
  // The tables' entry counts: the pair (numbered as after the replacements) and its value.
  std::vector<std::pair<int, std::string>> counts;
};

/// Plans taking out the entries of list (found in b as it stands) marked in chosen, less
/// those an entry that stays uses. chosen has one flag per entry.
PurgeEdit PlanPurge(const TDXFBuffer& b, const PurgeList& list, const std::vector<bool>& chosen);

/// Returns the number value with n in place of its number, its blanks kept and the
/// number right-aligned where the value was padded ("     6", 4 -> "     4").
std::string WithNumber(std::string_view value, int n);

/// Returns the panel line of a definition taken out: 削除：画層 "FURN"　123 行.
std::string PurgeLogLine(const TDXFBuffer& b, const UnusedDefinition& entry);
/// Returns the panel's summary of a purge: the count and the sizes of the saved drawing.
std::string PurgeSummaryLine(int count, std::uint64_t bytesBefore, std::uint64_t bytesAfter);
/// Returns the history's name of a purge of count definitions.
std::string PurgeStepName(int count);
