// ListRows.h - what the five list tabs of the main window show, without widgets.
//
// Each builder reads the buffer (and the layer or group table the main window owns)
// and returns the labels above a grid with the lines their double-clicks jump to, and
// the data rows as cell texts, program texts (CP932 with \U+XXXX for characters CP932
// lacks), exactly as the grid shows them; names are decoded from the document's encoding. The tabs
// only display these results; the column set-up and fit work on plain width vectors. A value that
// must be a number and is not makes a builder return an IncompleteList error, with the conversion
// message, instead of its list, so an incomplete list is never handed out.
#pragma once

#include <optional>     // std::optional
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/Result.h"
#include "model/buffer/MyDXFClass.h"

/// A label above a list grid and the file line its double-click hands to JumpToLine
/// (-1 or 0 for a label that found nothing: both show the first pair).
struct ListLabel {
  std::string text;  // CP932
  long long jumpLine = 0;
};

/// The cell texts of one data row, column 0 first (CP932).
using ListRow = std::vector<std::string>;

/// What a list tab shows after its fill.
struct ListContent {
  bool filled = false;             // false: nothing to list; the tab's filled flag stays 0
  std::vector<ListLabel> labels;   // the labels above the grid, top to bottom
  std::vector<ListRow> rows;       // grid rows 1, 2, ...
  std::vector<std::string> names;  // layer, linetype and block lists: row k + 1's name as stored
};

/// One colour setting in use and how often each part of the drawing uses it.
struct ColorUse {
  std::string Key;       // identifies the setting: ACI number, true colour or book name
  int Aci = 0;           // ACI number, never negative; 256 (ByLayer) for an entity without one
  int TrueColor = -1;    // R * 65536 + G * 256 + B, -1 when absent
  std::string BookName;  // colour-book colour name, empty when absent
  int LayerUses = 0;     // LAYER records with this key
  int BlockUses = 0;     // entities inside block definitions
  int EntityUses = 0;    // records of the ENTITIES section
};

/// The colour list: its rows, and the records the cell drawing paints from.
struct ColorList : ListContent {
  std::vector<ColorUse> ColorUses;  // ColorUses[k] is shown in grid row k + 1
  long long CecolorLine = 0;        // line of the group code 9 that names $CECOLOR, 0: none
};

/// The grids of the list tabs.
enum class ListGrid { Layer, Ltype, Color, Block, Group, GroupMember };

/// One column of a list grid: its width in pixels (-1: the rest) and its header text.
struct ListColumn {
  int width;
  std::string header;  // CP932
};

/// Returns the columns of a grid, in order. The block grid's widths are those of its form.
const std::vector<ListColumn>& ListColumns(ListGrid grid);

/// Sets up a grid's columns: adds columns up to columns.size(), gives each its width (-1
/// takes what is left of clientWidth after the earlier columns and their grid lines)
/// and its header. Columns beyond the list keep their widths and headers.
void SetupColumns(std::vector<int>& widths, std::vector<std::string>& headers,
                  const std::vector<ListColumn>& columns, int clientWidth, int gridLineWidth);

/// Fits columns to clientWidth: the last column, or the first that would overflow,
/// stretches or shrinks to the right edge, and columns beyond the edge get width 0.
void FitColumns(std::vector<int>& widths, int clientWidth);

/// Reads the line number of a row's column-1 cell for a jump; nothing for an empty
/// cell or one that holds no integer.
std::optional<long long> JumpLineOfCell(std::string_view cell);

/// Returns the "CLAYER : ..." label; it jumps to the pair that names $CLAYER.
ListLabel ClayerLabel(const TDXFBuffer& buffer);

/// Returns the "CECOLOR : ..." label; it jumps to the pair that names $CECOLOR (line 0,
/// the first pair, when the header has none). IncompleteList when its value holds no
/// integer.
[[nodiscard]] Result<ListLabel> CecolorLabel(const TDXFBuffer& buffer);

/// Returns the LTSCALE, CELTSCALE and CELTYPE labels, top to bottom.
std::vector<ListLabel> LtypeLabels(const TDXFBuffer& buffer);

/// Builds the layer list from a fresh build of table: the CLAYER label and one row per
/// layer record, grid row k + 1 showing table.Layers[k]. Not filled without layers.
/// IncompleteList, with the table's conversion message, when a value of the table is no
/// number.
[[nodiscard]] Result<ListContent> BuildLayerList(const TDXFBuffer& buffer, TDXFLayerTable& table);

/// Builds the linetype list: the three header labels and one row per LTYPE record.
ListContent BuildLtypeList(const TDXFBuffer& buffer);

/// Builds the colour list: the CECOLOR label, ColorUses with the layer table's colours
/// first, then those only in block definitions, then those only in ENTITIES, each part
/// ordered by ACI number. Not filled for an empty buffer. IncompleteList, with the
/// conversion message, when a colour code's value (62, 420, or $CECOLOR's) is no integer.
[[nodiscard]] Result<ColorList> BuildColorList(const TDXFBuffer& buffer);

/// Builds the block definition list: one row per BLOCK record with its reference count.
ListContent BuildBlockList(const TDXFBuffer& buffer);

/// Builds the group list from a fresh build of table: the DICTIONARY label and one row
/// per group, grid row k + 1 showing table.Groups[k]. Without a group dictionary the
/// label reads NON and there are no rows. IncompleteList, with the table's conversion
/// message, when a handle of the groups is not hexadecimal.
[[nodiscard]] Result<ListContent> BuildGroupList(const TDXFBuffer& buffer, TDXFGroupTable& table);

/// Builds the member rows of a group, each member resolved to the record that carries
/// its handle (searched from ENTITIES on), or marked "リンク不良". Empty for no members.
std::vector<ListRow> BuildGroupMemberRows(const TDXFBuffer& buffer, const TDXFGroup& group);

/// Returns the height of the group grid: all its rows plus one, at most half the tab.
int GroupGridHeight(int rowCount, int defaultRowHeight, int tabClientHeight);

/// Returns the message a list tab shows instead of a list whose value `error` (the
/// conversion message of a builder's IncompleteList) could not be read.
std::string IncompleteListMessage(const std::string& error);

/// Returns the block grid's current row after one wheel step: five rows up or down,
/// kept within the data rows 1 .. rowCount - 1.
int BlockListWheelRow(int currentRow, bool up, int rowCount);
