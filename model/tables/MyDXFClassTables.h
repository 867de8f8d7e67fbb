// MyDXFClassTables.h - the layer and group tables collected from the line buffer.
//
// TDXFLayerTable gathers the records of the LAYER symbol table, TDXFGroupTable the
// groups that the group dictionary of the OBJECTS section lists, with their members.
// Both are snapshots: they copy values and remember the pair index of each record;
// changes go back through the buffer, and the tables are built again for each list.
// A value that must be a number and is not ends Build with kTableBadValue and the
// conversion message in Failure.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

class TDXFBuffer;

/// What Build returns when a value that must be a number is not: the table is incomplete
/// and its Failure names the value.
constexpr int kTableBadValue = -2;

/// One record of the LAYER table.
struct TDXFLayer {
  std::string Kind;      // trimmed value of the record's code-0 pair (LAYER)
  int Index = 0;         // pair index of the record's code-0 pair
  int Handle = 0;        // code 5, hexadecimal
  std::string Name;      // code 2
  std::string LineType;  // code 6
  int Color = 7;         // code 62: ACI, negative when the layer is off
  int TrueColor = -1;    // code 420: R * 65536 + G * 256 + B
  std::string BookName;  // code 430: colour-book colour name
  int Flags = 0;         // code 70
  int LineWeight = 0;    // code 370
};

/// The LAYER symbol table: its head and the records it announces.
class TDXFLayerTable {
 public:
  int TableIndex = 0;             // pair index of the TABLE pair that opens the LAYER table
  std::string TableName;          // trimmed code 2 of the table head
  int TableHandle = 0;            // code 5 of the table head, hexadecimal
  int Count = 0;                  // code 70 of the table head: the records the table announces
  std::vector<TDXFLayer> Layers;  // the records read (at most Count); empty after -1 or -5
  std::string Failure;            // why the last Build ended with kTableBadValue; empty else

  /// Fills the table from the buffer. Returns 0, -1 when there is no LAYER table, -5 when
  /// the table head names another table, or kTableBadValue for a code-5, 62, 70, 370 or
  /// 420 value that is not a number: Layers then holds the records before that value's.
  [[nodiscard]] int Build(const TDXFBuffer& buffer);
  /// Returns a copy of Layers[i]; i must be below Layers.size().
  TDXFLayer GetLayer(int i) const;
};

/// One group of the group dictionary.
struct TDXFGroup {
  std::string Name;          // trimmed code 3 of the group dictionary
  std::string Kind;          // always GROUP
  int Index = 0;             // pair index of the GROUP object's code-0 pair, -1 when missing
  int Handle = 0;            // the code-350 value after the name, hexadecimal
  std::string Description;   // code 300 of the GROUP object
  int MemberCount = 0;       // number of code-340 pairs of the GROUP object
  std::vector<int> Members;  // the member handles (code 340), in file order
};

/// The groups listed by the dictionary that the root dictionary names ACAD_GROUP.
class TDXFGroupTable {
 public:
  int DictIndex = 0;              // pair index of the group dictionary's code-0 pair
  int DictHandle = 0;             // handle of the group dictionary (root entry ACAD_GROUP)
  std::string DictType;           // untrimmed value of the group dictionary's code-0 pair
  int Count = 0;                  // number of code-350 pairs in the group dictionary
  std::vector<TDXFGroup> Groups;  // Count entries; empty after -1
  std::string Failure;            // why the last Build ended with kTableBadValue; empty else

  /// Fills the table from the buffer. Returns 0, -1 when no group dictionary is found, or
  /// kTableBadValue for a code-5, 340 or 350 value that is not hexadecimal: the groups are
  /// then incomplete.
  [[nodiscard]] int Build(const TDXFBuffer& buffer);
  /// Returns a copy of Groups[i]; i must be below Groups.size().
  TDXFGroup GetGroup(int i) const;
};

/// Returns the message of a value that should be an integer and is not: "'text' は整数値
/// ではありません".
std::string NotIntegerMessage(std::string_view text);
