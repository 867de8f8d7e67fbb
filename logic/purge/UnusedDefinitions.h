// UnusedDefinitions.h - the layers, linetypes, text styles, dimension styles, blocks and
// registered applications of a drawing that nothing uses.
//
// A definition is used when a reference to it stands anywhere outside the definitions
// that go: an entity in ENTITIES or in a block that stays, the header's current
// settings, a table entry that names it (a layer's linetype, a dimension style's text
// style and arrow blocks), extended data's application names (1001) and layer names
// (1003), or a pointer that names by handle it or anything it owns (a viewport's frozen
// layers, a group, a dictionary, a layer state). References from definitions that go do
// not count, so a block that only unused blocks insert goes too, and so on until nothing
// more goes. A reference matches a name whatever its letters' case, as AutoCAD's names
// do. A few definitions never go (layer 0, the current settings, the model and paper
// space blocks ...; see IsNeverRemoved in the .cpp). Qt-free; names are the file's bytes.
#pragma once

#include <cstdint>      // std::uint8_t
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"

/// The tables a purge takes definitions out of, in the order it lists them.
enum class PurgeTable : std::uint8_t { Layer, Ltype, Style, Dimstyle, Block, Appid };
constexpr int kPurgeTableCount = 6;

/// Returns the table's name as quillet-dump prints it: LAYER, LTYPE, STYLE, DIMSTYLE,
/// BLOCK, APPID.
std::string_view PurgeTableName(PurgeTable table);

/// Returns the table's name as the window shows it (CP932): 画層, 線種, 文字スタイル,
/// 寸法スタイル, ブロック, 登録アプリケーション.
const std::string& PurgeTableCaption(PurgeTable table);

/// Pairs [first, first + count).
struct PairStretch {
  int first = 0;
  int count = 0;
};

/// A definition nothing uses, and what taking it out takes.
struct UnusedDefinition {
  PurgeTable table = PurgeTable::Layer;
  std::string name;  // trimmed, as the file stores it
  int record = 0;    // its code-0 pair: the table entry, or the BLOCK
  // Every stretch that goes with it, in file order: the table entry, or the BLOCK up to
  // its ENDBLK record and its BLOCK_RECORD entry; the objects it owns.
  std::vector<PairStretch> stretches;
  int tableHead = -1;    // the TABLE pair whose entry count (70) it is counted in; -1: none
  int headPointer = -1;  // the pair of the DIMSTYLE table head that names it (340); -1: none
};

/// The definitions nothing uses, by table and in file order within a table, and which
/// of them use which.
class PurgeList {
 public:
  const std::vector<UnusedDefinition>& Entries() const { return m_entries; }
  /// Returns for each entry whether it can go while the entries marked in kept stay:
  /// what a staying entry uses, directly or through others, stays too. kept has one flag
  /// per entry.
  std::vector<bool> Removable(const std::vector<bool>& kept) const;

 private:
  friend class PurgeListBuilder;
  std::vector<UnusedDefinition> m_entries;
  // Entry k uses the entries m_uses[m_useStart[k] .. m_useStart[k + 1]).
  std::vector<int> m_useStart;
  std::vector<int> m_uses;
};

/// Finds the definitions of b that nothing uses; handles must be b's index, ready.
PurgeList FindUnusedDefinitions(const TDXFBuffer& b, const HandleIndex& handles);
