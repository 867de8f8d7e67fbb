// HandleNavigation.h - moving through a drawing by handle: pointers, Ctrl+G, referrers,
// and the lines of the message panel that lead somewhere.
//
// The grid follows a pointer pair to the record that owns its handle, asks for a line
// number or a handle to go to, lists the pairs that point at a record, and writes the
// problems of the drawing check. The listed places are message-panel lines of one form,
// "　123 行：...", which the panel turns back into a jump. Texts are CP932.
#pragma once

#include <cstdint>      // std::uint64_t
#include <optional>     // std::optional
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/check/DrawingCheck.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"

/// Where a jump lands, or why it cannot.
struct JumpTarget {
  int pair = -1;        // the pair to show; -1 when the jump cannot be made
  std::string message;  // why not, for a message box (CP932); empty when pair >= 0
};

/// Returns the record that owns the handle of pointer pair i, or why there is none (no
/// pointer code, handle 0, no handle at all, no record owning it). The index must be ready.
JumpTarget PointerJumpTarget(const TDXFBuffer& b, const HandleIndex& index, int i);

/// Tells whether pair i is a pointer whose value names no record, or no handle at all.
/// Before the index is ready nothing counts as dangling.
bool IsDanglingPointer(const TDXFBuffer& b, const HandleIndex& index, int i);

/// Returns where the text typed for Ctrl+G leads: decimal digits are a file line (1 up to
/// the EOF pair's value line); a text with a hexadecimal letter, or one after "h" or "#",
/// is a handle, leading to the record that owns it. The index must be ready.
JumpTarget GoToTarget(const TDXFBuffer& b, const HandleIndex& index, std::string_view text);

/// The most places one list writes to the message panel; a note gives the rest's count.
constexpr int kMaxJumpLines = 400;

/// Returns the message-panel line of a place: "　LINE 行：text".
std::string JumpLogLine(long long line, std::string_view text);

/// Returns the file line a message-panel line leads to, when it is one of JumpLogLine's.
std::optional<long long> JumpLogLineTarget(std::string_view line);

/// Returns the message-panel lines that list the pairs pointing at the handle of the
/// record holding pair i: a header, one jump line per pair, or a line saying there is
/// none. A record without a handle gives one line saying so.
std::vector<std::string> ReferrerLogLines(const TDXFBuffer& b, int i);

/// Returns the message-panel lines of a drawing check of the file at path (native): a
/// header, one jump line per problem, and a closing count (naming the notes among them).
std::vector<std::string> CheckLogLines(const std::vector<CheckProblem>& problems,
                                       const std::string& path);
