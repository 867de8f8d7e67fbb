// ListRows.cpp - the rows and labels of the layer, linetype, colour, block and
// group lists.
//
// Every list is computed in full before it is returned. Texts with Japanese parts are
// converted to CP932 once, at first use; the drawing's names and descriptions become
// program texts (ProgramText), so they show decoded whatever the document's encoding. Line numbers
// are those of the group-code line of a pair (2i + 1); labels of header variables point at the pair
// before the value pair, the one whose group code 9 names the variable.
#include "logic/lists/ListRows.h"

#include <algorithm>      // std::min, std::max
#include <array>          // std::array
#include <charconv>       // std::from_chars, std::to_chars
#include <climits>        // INT_MAX, INT_MIN
#include <functional>     // std::equal_to, std::hash
#include <unordered_map>  // std::unordered_map
#include <utility>        // std::move, std::swap

#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

constexpr int kFirstDataRow = 1;

// The error of a list that stops at a value that does not convert.
Error IncompleteList(std::string message) {
  return {ErrorCode::IncompleteList, std::move(message)};
}

// Converts a column table written in UTF-8 into CP932 headers.
std::vector<ListColumn> Columns(std::initializer_list<std::pair<int, const char*>> utf8) {
  std::vector<ListColumn> columns;
  for (const auto& [width, header] : utf8) columns.push_back({width, Sjis(header)});
  return columns;
}

}  // namespace

const std::vector<ListColumn>& ListColumns(ListGrid grid) {
  static const std::vector<ListColumn> kGrids[] = {
      Columns({{40, ""},
               {50, " 行番号"},
               {170, "　　　レ イ ヤ 名 称"},
               {90, "　　　色"},
               {90, "　　線　種"},
               {-1, "　備　考"}}),
      Columns({{40, ""},
               {50, " 行番号"},
               {150, "       線 種 名 称"},
               {50, "ﾊﾟﾀｰﾝ長"},
               {150, "         説　明"},
               {-1, "　備　考"}}),
      Columns({{40, ""},
               {42, " 見本"},
               {88, "  　色番号"},
               {54, "画層指定"},
               {60, "ﾌﾞﾛｯｸ指定"},
               {66, "ｴﾝﾃｨﾃｨ指定"},
               {70, "　R.G.B値"},
               {-1, " カラーブック"}}),
      Columns(
          {{40, ""}, {61, " 行番号"}, {232, "　ブロック名称"}, {49, "参照数"}, {96, "　備　考"}}),
      Columns({{40, ""},
               {50, " 行番号"},
               {150, "　　　グループ名"},
               {58, " ﾒﾝﾊﾞｰ数"},
               {-1, "　説　明"}}),
      Columns({{40, ""}, {50, " 行番号"}, {54, "ハンドル"}, {-1, "　オブジェクト"}}),
  };
  return kGrids[static_cast<int>(grid)];
}

// ------------------------------------------------------------------ columns and jumps

void SetupColumns(std::vector<int>& widths, std::vector<std::string>& headers,
                  const std::vector<ListColumn>& columns, int clientWidth, int gridLineWidth) {
  if (widths.size() < columns.size()) widths.resize(columns.size());
  if (headers.size() < columns.size()) headers.resize(columns.size());
  int remaining = clientWidth;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    remaining -= columns[c].width + gridLineWidth;
    widths[c] = columns[c].width == -1 ? remaining : columns[c].width;
    headers[c] = columns[c].header;
  }
}

void FitColumns(std::vector<int>& widths, int clientWidth) {
  int sum = 0;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    const bool last = c + 1 == widths.size();
    if (sum >= clientWidth - 1) {
      widths[c] = 0;
    } else if (sum + widths[c] + 1 > clientWidth - 1 || last) {
      widths[c] = clientWidth - sum - 2;
    }
    sum += widths[c] + 1;
  }
}

std::optional<long long> JumpLineOfCell(std::string_view cell) {
  const std::string_view text = TrimView(cell);
  long long line = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), line);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return line;
}

int GroupGridHeight(int rowCount, int defaultRowHeight, int tabClientHeight) {
  return std::min((rowCount + 1) * (defaultRowHeight + 1), tabClientHeight / 2);
}

std::string IncompleteListMessage(const std::string& error) {
  return error + "\r\n" + Sjis("この一覧は不完全なので表示しません。");
}

int BlockListWheelRow(int currentRow, bool up, int rowCount) {
  constexpr int kWheelRows = 5;
  if (up) return std::max(currentRow - kWheelRows, kFirstDataRow);
  return std::min(currentRow + kWheelRows, rowCount - 1);
}

// ------------------------------------------------------------------ shared cells

static std::string LineCell(int pair) {
  return Format("%7lld", LineOfPair(pair));
}

// "R.G.B" of a true colour, each part in decimal.
static std::string RgbText(const TDXFBuffer& b, int trueColor) {
  int r = 0, g = 0, bl = 0;
  b.SplitRGB(trueColor, r, g, bl);
  return Format("%d.%d.%d", r, g, bl);
}

// A label for a header variable whose value is pair valueIndex (0: not in the header).
// Its line is that of the pair before the value, whose group code 9 names the variable.
static ListLabel VariableLabel(int valueIndex, const char* none, const std::string& format,
                               auto value) {
  const long long line = LineOfPair(valueIndex - 1);
  if (valueIndex == 0) return {none, line};
  return {Format(format.c_str(), line, value), line};
}

// ------------------------------------------------------------------ layer list

ListLabel ClayerLabel(const TDXFBuffer& b) {
  static const std::string kFormat = "CLAYER : %lld : %s";
  return VariableLabel(b.CLayerIndex, "CLAYER : NON", kFormat, ProgramText(b, b.CLayer).c_str());
}

// The colour text of a layer: its book name, its true colour as R.G.B, or its ACI name.
static std::string LayerColorText(const TDXFBuffer& b, const TDXFLayer& layer) {
  if (!layer.BookName.empty()) return ProgramText(b, layer.BookName);
  if (layer.TrueColor < 0) return b.ColorName(layer.Color);
  return RgbText(b, layer.TrueColor);
}

static ListRow LayerRow(const TDXFBuffer& b, const TDXFLayer& layer, int row) {
  std::string remark;
  b.CheckLayerName(layer.Name, remark);
  return {
      Format("%4d", row),
      LineCell(layer.Index),
      ProgramText(b, layer.Name),
      "   " + LayerColorText(b, layer),
      ProgramText(b, layer.LineType),
      remark,
  };
}

Result<ListContent> BuildLayerList(const TDXFBuffer& buffer, TDXFLayerTable& table) {
  ListContent list;
  if (buffer.LayerCount == 0) return list;
  list.filled = true;
  list.labels.push_back(ClayerLabel(buffer));
  const int built = table.Build(buffer);
  if (built == kTableBadValue) return IncompleteList(table.Failure);
  if (built != 0) return list;
  for (const TDXFLayer& layer : table.Layers) {
    list.rows.push_back(LayerRow(buffer, layer, static_cast<int>(list.rows.size()) + 1));
    list.names.push_back(layer.Name);
  }
  return list;
}

// ------------------------------------------------------------------ linetype list

std::vector<ListLabel> LtypeLabels(const TDXFBuffer& b) {
  static const std::string kLtscale = Sjis("LTSCALE   : %lld : %f （グローバル線種尺度）");
  static const std::string kCeltscale =
      Sjis("CELTSCALE : %lld : %f （新規オブジェクトの線種尺度）");
  static const std::string kCeltype = Sjis("CELTYPE   : %lld : %s （新規オブジェクトの線種）");
  return {VariableLabel(b.LtScaleIndex, "LTSCALE   : NON", kLtscale, b.LtScale),
          VariableLabel(b.CeltScaleIndex, "CELTSCALE : NON", kCeltscale, b.CeltScale),
          VariableLabel(b.CeltTypeIndex, "CELTYPE   : NON", kCeltype,
                        ProgramText(b, b.CeltType).c_str())};
}

// The row of the LTYPE record at pair `start`: name (2) with its remark (5), pattern
// length (3) and description (4), each decoded; cells whose pair is missing stay empty.
// `name` gets the name as stored.
static ListRow LtypeRow(const TDXFBuffer& b, int start, int row, std::string& name) {
  ListRow cells{Format("%4d", row), LineCell(start), "", "", "", ""};
  for (int i = start + 1; b.GetCode(i) != kRecordStartCode; ++i) {
    const int code = b.GetCode(i);
    if (code == kNameCode) {
      name = b.GetValue(i);
      b.CheckLtypeName(name, cells[5]);
      cells[2] = ProgramText(b, name);
    } else if (code == kScaleCode) {
      cells[3] = Format("%7s", ProgramText(b, b.ValueView(i)).c_str());
    } else if (code == kSecondNameCode) {
      cells[4] = ProgramText(b, b.ValueView(i));
    }
  }
  return cells;
}

ListContent BuildLtypeList(const TDXFBuffer& buffer) {
  ListContent list;
  if (buffer.LtypeCount == 0) return list;
  list.filled = true;
  list.labels = LtypeLabels(buffer);
  for (int i = buffer.LtypeTableIndex; i < buffer.TablesEnd; ++i) {
    if (buffer.GetCode(i) != kRecordStartCode || TrimView(buffer.ValueView(i)) != "LTYPE") continue;
    list.rows.push_back(
        LtypeRow(buffer, i, static_cast<int>(list.rows.size()) + 1, list.names.emplace_back()));
  }
  return list;
}

// ------------------------------------------------------------------ colour list

namespace {

// The colour codes of one record as read, values in place. The last of its codes 62,
// 420 and 430 decides the key: the ACI number in decimal, or that pair's text.
struct RecordColor {
  int aci = 0;
  int trueColor = -1;
  std::string_view book;
  std::string_view keyText;  // the 420 or 430 text that decided the key
  bool keyIsAci = false;     // the ACI number decided the key
};

// Hashes std::string keys and std::string_view probes alike, so a lookup copies nothing.
struct KeyHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
};

// Counts colour settings into ColorUses, one entry per distinct key.
class ColorCounter {
 public:
  explicit ColorCounter(std::vector<ColorUse>& uses) : m_uses(uses) {}

  // Adds one use of the setting under `key` to its entry, or appends an entry that
  // keeps the record's colour. Runs of the same key (most entities are ByLayer) skip
  // the lookup.
  void Count(const RecordColor& color, std::string_view key, int ColorUse::*counter) {
    if (m_last >= m_uses.size() || m_uses[m_last].Key != key) {
      const auto found = m_positions.find(key);
      m_last = found == m_positions.end() ? Append(color, key) : found->second;
    }
    ++(m_uses[m_last].*counter);
  }

  // Orders the entries from `first` on by ACI number with a selection sort: the order
  // of entries that share a number is the one the list has always shown.
  void SortFrom(std::size_t first) {
    for (std::size_t p = first; p + 1 < m_uses.size(); ++p) {
      std::size_t least = p;
      for (std::size_t q = p + 1; q < m_uses.size(); ++q)
        if (m_uses[q].Aci < m_uses[least].Aci) least = q;
      std::swap(m_uses[p], m_uses[least]);
    }
    for (std::size_t p = first; p < m_uses.size(); ++p) m_positions[m_uses[p].Key] = p;
    m_last = m_uses.size();
  }

  std::size_t Size() const { return m_uses.size(); }

 private:
  std::size_t Append(const RecordColor& color, std::string_view key) {
    ColorUse use;
    use.Key = key;
    use.Aci = color.aci;
    use.TrueColor = color.trueColor;
    use.BookName = color.book;
    m_uses.push_back(std::move(use));
    m_positions.emplace(m_uses.back().Key, m_uses.size() - 1);
    return m_uses.size() - 1;
  }

  std::vector<ColorUse>& m_uses;
  std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>> m_positions;
  std::size_t m_last = 0;  // the entry counted last
};

}  // namespace

static int Magnitude(int v) {
  if (v == INT_MIN) return INT_MAX;
  return v < 0 ? -v : v;
}

// The key text of a record's colour; `digits` holds the ACI number's text.
static std::string_view KeyOf(const RecordColor& color, std::array<char, 12>& digits) {
  if (!color.keyIsAci) return color.keyText;
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), color.aci).ptr;
  return {digits.data(), static_cast<std::size_t>(end - digits.data())};
}

// Returns false, the colour as it was, when the value of code 62 or 420 is no integer.
static bool ApplyColorPair(RecordColor& color, int code, std::string_view value) {
  int number = 0;
  if (code == kColorCode) {
    if (!ParseInt32(value, number)) return false;
    color.aci = Magnitude(number);
    color.keyIsAci = true;
  } else if (code == kTrueColorCode) {
    if (!ParseInt32(value, number)) return false;
    color.trueColor = number;
    color.keyText = value;
    color.keyIsAci = false;
  } else {
    color.book = value;
    color.keyText = value;
    color.keyIsAci = false;
  }
  return true;
}

// Calls visit(start, color, key) for every record that starts at `first` or after it and
// before `end`, its colour read over `defaults`; a false from visit ends the walk. A value
// of code 62 or 420 that is no integer ends it too: returns its conversion message, empty
// when the walk read every value.
// Performance: one pass that reads only the values of colour codes; on a 200 MB drawing
// (700,000 records) the colour list takes about as long as one pass reading every value.
template <typename Visit>
static std::string WalkRecordColors(const TDXFBuffer& b, int first, int end,
                                    const RecordColor& defaults, Visit visit) {
  if (first >= end) return {};
  std::array<char, 12> digits;
  int start = first;
  RecordColor color = defaults;
  for (int i = first + 1;; ++i) {
    const int code = b.GetCode(i);
    if (code == kRecordStartCode) {
      if (!visit(start, color, KeyOf(color, digits)) || i >= end) return {};
      start = i;
      color = defaults;
    } else if (code == kColorCode || code == kTrueColorCode || code == kColorBookCode) {
      const std::string_view value = TrimView(b.ValueView(i));
      if (!ApplyColorPair(color, code, value)) [[unlikely]]
        return NotIntegerMessage(value);
    }
  }
}

// Layer phase: the records of the LAYER table through its ENDTAB; a record without a
// colour code has no key and is not counted. A drawing without a LAYER table has no
// layer colours (the phase would otherwise read the header). Each phase returns the
// conversion message of a value that stopped it, empty when it counted every record.
static std::string CountLayerColors(const TDXFBuffer& b, ColorCounter& counter) {
  if (b.LayerTableIndex == 0) return {};
  std::string failure =
      WalkRecordColors(b, b.LayerTableIndex, b.TablesEnd, RecordColor(),
                       [&](int start, const RecordColor& color, std::string_view key) {
                         if (!key.empty()) counter.Count(color, key, &ColorUse::LayerUses);
                         return TrimView(b.ValueView(start)) != "ENDTAB";
                       });
  counter.SortFrom(0);
  return failure;
}

// The colour an entity has when it names none: ByLayer.
static RecordColor ByLayerColor() {
  RecordColor color;
  color.aci = 256;
  color.keyIsAci = true;
  return color;
}

// The first name pair of BLOCKS that is neither the section's name nor an anonymous
// block's, or 0 when there is none: the definitions before it are not counted.
static int FirstNamedBlock(const TDXFBuffer& b) {
  for (int i = b.BlocksStart; i < b.BlocksEnd; ++i) {
    if (b.GetCode(i) != kNameCode) continue;
    const std::string_view name = TrimView(b.ValueView(i));
    if (name != "BLOCKS" && !name.starts_with('*')) return i;
  }
  return 0;
}

// Block phase: every entity of the definitions from the first named block on.
static std::string CountBlockColors(const TDXFBuffer& b, ColorCounter& counter) {
  const int first = FirstNamedBlock(b);
  if (first == 0) return {};
  const std::size_t phaseStart = counter.Size();
  std::string failure =
      WalkRecordColors(b, NextRecord(b, first), b.BlocksEnd, ByLayerColor(),
                       [&](int start, const RecordColor& color, std::string_view key) {
                         const std::string_view type = TrimView(b.ValueView(start));
                         if (type != "BLOCK" && type != "ENDBLK")
                           counter.Count(color, key, &ColorUse::BlockUses);
                         return true;
                       });
  counter.SortFrom(phaseStart);
  return failure;
}

// Entity phase: every record of ENTITIES, vertices and sequence ends included.
static std::string CountEntityColors(const TDXFBuffer& b, ColorCounter& counter) {
  const std::size_t phaseStart = counter.Size();
  std::string failure =
      WalkRecordColors(b, NextRecord(b, b.EntitiesStart), b.EntitiesEnd, ByLayerColor(),
                       [&](int, const RecordColor& color, std::string_view key) {
                         counter.Count(color, key, &ColorUse::EntityUses);
                         return true;
                       });
  counter.SortFrom(phaseStart);
  return failure;
}

Result<ListLabel> CecolorLabel(const TDXFBuffer& b) {
  static const std::string kFormat = Sjis("CECOLOR : %lld : %s （新規オブジェクトの色）");
  std::string_view variable;
  for (int i = b.HeaderStart; i < b.HeaderEnd; ++i) {
    const int code = b.GetCode(i);
    if (code == kVariableCode) variable = b.ValueView(i);
    if (variable != "$CECOLOR" || code != kColorCode) continue;
    const long long line = LineOfPair(i - 1);
    std::string failure;
    const std::string name = b.ColorNameOfText(b.GetValue(i), failure);
    if (!failure.empty()) return IncompleteList(std::move(failure));
    return ListLabel{Format(kFormat.c_str(), line, name.c_str()), line};
  }
  return ListLabel{"CECOLOR : NON", 0};
}

// The ACI cell: the number, with its name when it has one ("   1(Red)").
static std::string AciCell(const TDXFBuffer& b, int aci) {
  const std::string name = b.ColorName(aci);
  if (name == std::to_string(aci)) return Format("%4d", aci);
  return Format("%4d(%s)", aci, name.c_str());
}

static ListRow ColorRow(const TDXFBuffer& b, const ColorUse& use, int row) {
  const std::string rgb = use.TrueColor == -1 ? "" : RgbText(b, use.TrueColor);
  return {Format("%4d", row),
          "",
          AciCell(b, use.Aci),
          Format("%6d", use.LayerUses),
          Format("%6d", use.BlockUses),
          Format("%6d", use.EntityUses),
          rgb,
          ProgramText(b, use.BookName)};
}

Result<ColorList> BuildColorList(const TDXFBuffer& buffer) {
  ColorList list;
  if (buffer.PairCount == 0) return list;
  list.filled = true;
  Result<ListLabel> cecolor = CecolorLabel(buffer);
  if (!cecolor.Ok()) return cecolor.error();
  list.labels.push_back(std::move(cecolor).value());
  list.CecolorLine = list.labels.back().jumpLine;
  ColorCounter counter(list.ColorUses);
  for (const auto count : {CountLayerColors, CountBlockColors, CountEntityColors}) {
    std::string failure = count(buffer, counter);
    if (!failure.empty()) return IncompleteList(std::move(failure));
  }
  for (const ColorUse& use : list.ColorUses)
    list.rows.push_back(ColorRow(buffer, use, static_cast<int>(list.rows.size()) + 1));
  return list;
}

// ------------------------------------------------------------------ block list

constexpr int kBlockNameColumn = 2;
constexpr int kBlockReferenceColumn = 3;

// The row of the BLOCK record at pair `start`; a record without a name pair gets an
// empty name. The name stays as stored until the references are counted.
static ListRow BlockRow(const TDXFBuffer& b, int start, int row) {
  const int namePair = FindInRecord(b, start, kNameCode);
  const std::string name = namePair < 0 ? std::string() : b.GetValue(namePair);
  std::string remark;
  b.CheckBlockName(name, remark);
  return {Format("%5d", row), LineCell(start), name, "", remark};
}

// Counts the name pairs of INSERT and DIMENSION records that name a listed block; the
// first row with an equal name takes the count. References end at ENDSEC, a code-0 pair,
// so every record the walk enters ends inside it.
// Performance: one pass that reads the record types and the reference's name pairs; on a
// 200 MB drawing it takes about twice as long as one pass reading every value, the record
// types being scattered over the file.
static void CountBlockReferences(const TDXFBuffer& b, std::vector<ListRow>& rows) {
  std::unordered_map<std::string_view, std::size_t> rowOfName;
  for (std::size_t k = 0; k < rows.size(); ++k) rowOfName.try_emplace(rows[k][kBlockNameColumn], k);
  std::vector<int> counts(rows.size(), 0);
  const int end = BlockReferenceEnd(b);
  bool inReference = false;  // inside an INSERT or DIMENSION record
  for (int i = b.BlocksStart; i < end; ++i) {
    const int code = b.GetCode(i);
    if (code == kRecordStartCode) {
      const std::string_view type = TrimView(b.ValueView(i));
      inReference = type == "INSERT" || type == "DIMENSION";
    } else if (inReference && code == kNameCode) {
      const auto found = rowOfName.find(TrimView(b.ValueView(i)));
      if (found != rowOfName.end()) ++counts[found->second];
    }
  }
  for (std::size_t k = 0; k < rows.size(); ++k)
    if (counts[k] > 0) rows[k][kBlockReferenceColumn] = Format("%5d", counts[k]);
}

ListContent BuildBlockList(const TDXFBuffer& buffer) {
  ListContent list;
  if (buffer.BlockCount == 0) return list;
  list.filled = true;
  for (int i = buffer.BlocksStart; i < buffer.BlocksEnd; ++i) {
    if (buffer.GetCode(i) != kRecordStartCode || TrimView(buffer.ValueView(i)) != "BLOCK") continue;
    list.rows.push_back(BlockRow(buffer, i, static_cast<int>(list.rows.size()) + 1));
  }
  CountBlockReferences(buffer, list.rows);
  for (ListRow& row : list.rows) {
    list.names.push_back(row[kBlockNameColumn]);
    row[kBlockNameColumn] = ProgramText(buffer, row[kBlockNameColumn]);
  }
  return list;
}

// ------------------------------------------------------------------ group list

static ListRow GroupRow(const TDXFBuffer& b, const TDXFGroup& group, int row) {
  return {Format("%4d", row), LineCell(group.Index), ProgramText(b, group.Name),
          Format("%7d", group.MemberCount), ProgramText(b, group.Description)};
}

Result<ListContent> BuildGroupList(const TDXFBuffer& buffer, TDXFGroupTable& table) {
  static const std::string kFormat = Sjis("DICTIONARY : %lld : %d （グループの数）");
  ListContent list;
  list.labels.push_back({"DICTIONARY : NON", LineOfPair(0)});
  if (buffer.PairCount == 0) return list;
  list.filled = true;
  const int built = table.Build(buffer);
  if (built == kTableBadValue) return IncompleteList(table.Failure);
  if (built != 0) return list;
  const long long line = LineOfPair(table.DictIndex);
  list.labels[0] = {Format(kFormat.c_str(), line, table.Count), line};
  for (const TDXFGroup& group : table.Groups)
    list.rows.push_back(GroupRow(buffer, group, static_cast<int>(list.rows.size()) + 1));
  return list;
}

std::vector<ListRow> BuildGroupMemberRows(const TDXFBuffer& buffer, const TDXFGroup& group) {
  static const std::string kBrokenLink = Sjis("リンク不良");
  std::vector<ListRow> rows;
  for (std::size_t m = 0; m < group.Members.size(); ++m) {
    const int handle = group.Members[m];
    const int p = buffer.FindHandle(handle, buffer.EntitiesStart);
    rows.push_back({Format("%4d", static_cast<int>(m)), p < 0 ? "" : LineCell(p),
                    Format("%7x", static_cast<unsigned>(handle)),
                    p < 0 ? kBrokenLink : ProgramText(buffer, buffer.ValueView(p))});
  }
  return rows;
}
