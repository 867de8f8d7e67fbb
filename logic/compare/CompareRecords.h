// CompareRecords.h - the records of a drawing as the compare matches them, with their keys.
//
// A record is a code-0 pair and the pairs up to the next one; in HEADER each variable (a
// code-9 pair and its values) is a record of its own. Each record gets the key it is
// matched by: its handle (code 5, or 105 in a DIMSTYLE) where it has one; otherwise a name
// (a header variable's, a CLASS's record name, a table entry's or block's name within its
// table or block section), or its order within its block or section. The section markers
// (SECTION, ENDSEC, ENDTAB, EOF) are no records here: they hold nothing to compare.
// Names are numbered by a NameTable that both drawings share, so two records that name the
// same thing in different encodings get the same number.
#pragma once

#include <cstdint>        // std::uint8_t, std::uint32_t, std::uint64_t
#include <string>         // std::string
#include <string_view>    // std::string_view
#include <unordered_map>  // std::unordered_map
#include <vector>         // std::vector

#include "model/buffer/MyDXFClass.h"

/// The section a record stands in.
enum class RecordSection : std::uint8_t {
  Header,
  Classes,
  Tables,
  Blocks,
  Entities,
  Objects,
  Other
};

/// How a record is matched with its counterpart in the other drawing.
enum class RecordKey : std::uint8_t {
  Handle,  // by its handle
  Name,    // by its group, type and name
  Order,   // by its place among the records of its group (an alignment over type and layer)
};

/// One record of a drawing. Pair indices are the drawing's own; ids come from a NameTable.
struct CompareRecord {
  int start = 0;             // its code-0 pair, or a header variable's code-9 pair
  int end = 0;               // one past its last pair
  std::uint64_t handle = 0;  // the handle, with RecordKey::Handle
  std::uint32_t type = 0;    // the id of its trimmed type (a header variable: its name)
  std::uint32_t group = 0;   // the id of its table, block or section
  std::uint32_t name = 0;    // the id of its name, with RecordKey::Name as fallback
  int namePair = -1;         // the pair that holds the name, -1 when the name is inherited
  RecordKey key = RecordKey::Order;
  RecordKey fallback = RecordKey::Order;  // the key it has when its handle is left aside
  RecordSection section = RecordSection::Other;
};

/// Numbers names (record types, table, block and layer names) by their characters: a
/// name gets the same id in any encoding and with escapes. Id 0 is the empty name.
class NameTable {
 public:
  NameTable();
  /// Returns the id of a name written in encoding, trimmed first.
  std::uint32_t Id(std::string_view bytes, TextEncoding encoding);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
      return std::hash<std::string_view>()(s);
    }
  };
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> m_ids;
  std::string m_scratch;
};

/// Returns the records of b up to its EOF pair, in file order.
std::vector<CompareRecord> CompareRecordsOf(const TDXFBuffer& b, NameTable& names);

/// Returns the section a SECTION record's name stands for (Other for an unknown one).
RecordSection SectionNamed(std::string_view name);
