// UnusedDefinitions.cpp - the definitions of a drawing that nothing uses.
//
// Four steps. The definitions: the entries of five tables and the blocks, each a unit
// with the stretches of pairs that go with it. Their objects: the OBJECTS records whose
// owner (the 330 outside a 102 group) lies in a unit join it, and so on down. The
// references: one walk over every pair notes, for each reference, the unit it stands
// in (none for ENTITIES, the header and everything else that always stays) and the
// units it names. Last, everything that a staying place or a definition that never goes
// reaches along the references is used; the rest is not.
//
// A reference is read generously where its code is unambiguous (8 a layer, 6 a linetype,
// 7 a text style, 1001 an application, any pointer a handle): a stray match only keeps a
// definition that could have gone, while a missed reference would break the drawing.
#include "logic/purge/UnusedDefinitions.h"

#include <algorithm>      // std::sort, std::unique, std::upper_bound, std::min
#include <cstdint>        // std::uint64_t
#include <unordered_map>  // std::unordered_map
#include <utility>        // std::pair

#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

std::string_view PurgeTableName(PurgeTable table) {
  switch (table) {
    case PurgeTable::Layer:
      return "LAYER";
    case PurgeTable::Ltype:
      return "LTYPE";
    case PurgeTable::Style:
      return "STYLE";
    case PurgeTable::Dimstyle:
      return "DIMSTYLE";
    case PurgeTable::Block:
      return "BLOCK";
    case PurgeTable::Appid:
      return "APPID";
  }
  return {};
}

const std::string& PurgeTableCaption(PurgeTable table) {
  static const std::string captions[] = {Sjis("画層"),         Sjis("線種"),
                                         Sjis("文字スタイル"), Sjis("寸法スタイル"),
                                         Sjis("ブロック"),     Sjis("登録アプリケーション")};
  return captions[static_cast<int>(table)];
}

std::vector<bool> PurgeList::Removable(const std::vector<bool>& kept) const {
  std::vector<bool> stays(m_entries.size(), false);
  std::vector<int> queue;
  for (std::size_t k = 0; k < m_entries.size(); ++k)
    if (k < kept.size() && kept[k]) {
      stays[k] = true;
      queue.push_back(static_cast<int>(k));
    }
  while (!queue.empty()) {
    const int k = queue.back();
    queue.pop_back();
    for (int u = m_useStart[k]; u < m_useStart[k + 1]; ++u)
      if (!stays[m_uses[u]]) {
        stays[m_uses[u]] = true;
        queue.push_back(m_uses[u]);
      }
  }
  stays.flip();
  return stays;
}

namespace {

constexpr int kNoUnit = -1;  // a place outside every definition: it always stays

// Flags (70) of a table entry or block that keep it.
constexpr int kShapeFileFlag = 1;            // STYLE: a shape file, found by its shapes
constexpr int kXrefBlockFlags = 4 | 8 | 32;  // BLOCK: an external reference, overlay, resolved
constexpr int kXrefDependentFlag = 16;       // a definition of an external reference

// A definition that may go, with the stretches of pairs that go with it.
struct Unit {
  PurgeTable table = PurgeTable::Layer;
  std::string key;   // the trimmed name, a-z upper-cased
  std::string name;  // the trimmed name
  int record = 0;
  int end = 0;  // the first pair after the entry, or after the block's ENDBLK record
  int entry = -1, entryEnd = -1;  // a block's BLOCK_RECORD entry
  std::vector<PairStretch> owned;
  int tableHead = -1;
  int headPointer = -1;
  bool neverRemoved = false;
};

// Records [first, end) belong to a unit.
struct Span {
  int first;
  int end;
  int unit;
};

// What a record's type says about the references its codes make.
enum class RecordKind { Other, Header, Insert, Dimension, Leader, Table, Dimstyle, DimstyleHead };

// The table and record type of the entries a purge looks at.
struct EntryKind {
  std::string_view table;
  PurgeTable purge;
};
constexpr EntryKind kEntryKinds[] = {{"LAYER", PurgeTable::Layer},
                                     {"LTYPE", PurgeTable::Ltype},
                                     {"STYLE", PurgeTable::Style},
                                     {"DIMSTYLE", PurgeTable::Dimstyle},
                                     {"APPID", PurgeTable::Appid}};

// Names a key is compared by: the trimmed name with a-z upper-cased. A trail byte that
// reads as a letter may fold as well; two names that then meet only keep one more.
void KeyOf(std::string_view name, std::string& key) {
  key.assign(TrimView(name));
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

bool IsNeverRemovedName(PurgeTable table, std::string_view key) {
  switch (table) {
    case PurgeTable::Layer:
      return key == "0" || key == "DEFPOINTS";
    case PurgeTable::Ltype:
      return key == "BYLAYER" || key == "BYBLOCK" || key == "CONTINUOUS";
    case PurgeTable::Style:
    case PurgeTable::Dimstyle:
      return key == "STANDARD";
    case PurgeTable::Appid:
      return key == "ACAD";
    case PurgeTable::Block:
      return key.starts_with("*MODEL_SPACE") || key.starts_with("*PAPER_SPACE") ||
             key.starts_with("$MODEL_SPACE") || key.starts_with("$PAPER_SPACE");
  }
  return true;
}

bool IsNeverRemovedByFlags(PurgeTable table, int flags) {
  if (flags & kXrefDependentFlag) return true;
  if (table == PurgeTable::Style) return (flags & kShapeFileFlag) != 0;
  if (table == PurgeTable::Block) return (flags & kXrefBlockFlags) != 0;
  return false;
}

RecordKind KindOfRecord(std::string_view type) {
  if (type == "INSERT") return RecordKind::Insert;
  if (type.ends_with("DIMENSION")) return RecordKind::Dimension;
  if (type == "LEADER" || type == "TOLERANCE") return RecordKind::Leader;
  if (type == "ACAD_TABLE") return RecordKind::Table;
  if (type == "DIMSTYLE") return RecordKind::Dimstyle;
  return RecordKind::Other;
}

// Tells whether a pair with this code may name another record by its handle.
constexpr bool IsHandleReferenceCode(int code) {
  return IsHandleValueCode(code) && code != kHandleCode && code != kDimstyleHandleCode;
}

}  // namespace

class PurgeListBuilder {
 public:
  PurgeListBuilder(const TDXFBuffer& b, const HandleIndex& handles) : m_b(b), m_handles(handles) {}

  PurgeList Run() {
    FindTableEntries();
    FindBlocks();
    AttachBlockRecords();
    IndexSpans();
    FindOwnedObjects();
    IndexNames();
    WalkReferences();
    return ListOf(UsedUnits());
  }

 private:
  // ---- the definitions ----

  std::string NameOf(int record) const {
    const int name = FindInRecord(m_b, record, kNameCode);
    return name < 0 ? std::string() : std::string(TrimView(m_b.ValueView(name)));
  }

  int FlagsOf(int record) const {
    const int pair = FindInRecord(m_b, record, kFlagsCode);
    int flags = 0;
    return pair >= 0 && ParseInt32(TrimView(m_b.ValueView(pair)), flags) ? flags : 0;
  }

  int AddUnit(PurgeTable table, int record, int end, int tableHead) {
    Unit& unit = m_units.emplace_back();
    unit.table = table;
    unit.name = NameOf(record);
    KeyOf(unit.name, unit.key);
    unit.record = record;
    unit.end = end;
    unit.tableHead = tableHead;
    unit.neverRemoved = unit.name.empty() || IsNeverRemovedName(table, unit.key) ||
                        IsNeverRemovedByFlags(table, FlagsOf(record));
    return static_cast<int>(m_units.size()) - 1;
  }

  static bool HasSection(int start, int end) { return end > start; }

  void FindTableEntries() {
    if (!HasSection(m_b.TablesStart, m_b.TablesEnd)) return;
    std::string table;
    int head = -1;
    for (int r = NextRecord(m_b, m_b.TablesStart); r < m_b.TablesEnd; r = NextRecord(m_b, r)) {
      const std::string_view type = TrimView(m_b.ValueView(r));
      if (type == "TABLE") {
        head = r;
        table = NameOf(r);
        if (table == "DIMSTYLE") m_dimstyleHead = r;
        if (table == "BLOCK_RECORD") m_blockRecordHead = r;
        continue;
      }
      if (type == "ENDTAB") head = -1;
      if (head < 0 || type != table) continue;
      if (type == "BLOCK_RECORD") {
        m_blockRecords.push_back(r);
        continue;
      }
      for (const EntryKind& kind : kEntryKinds)
        if (kind.table == type) AddUnit(kind.purge, r, NextRecord(m_b, r), head);
    }
  }

  // A block without its ENDBLK before the next BLOCK or the section's end is left alone.
  void FindBlocks() {
    if (!HasSection(m_b.BlocksStart, m_b.BlocksEnd)) return;
    int open = -1;
    for (int r = NextRecord(m_b, m_b.BlocksStart); r < m_b.BlocksEnd; r = NextRecord(m_b, r)) {
      const std::string_view type = TrimView(m_b.ValueView(r));
      if (type == "BLOCK") {
        if (open >= 0) LeaveOpenBlock(open, r);
        open = AddUnit(PurgeTable::Block, r, r, -1);
      } else if (type == "ENDBLK" && open >= 0) {
        m_units[open].end = NextRecord(m_b, r);
        open = -1;
      }
    }
    if (open >= 0) LeaveOpenBlock(open, m_b.BlocksEnd);
  }

  void LeaveOpenBlock(int unit, int end) {
    m_units[unit].end = end;
    m_units[unit].neverRemoved = true;
  }

  // A block's BLOCK_RECORD entry, matched by name, goes with it; a layout's never goes.
  void AttachBlockRecords() {
    std::unordered_map<std::string, int> blocks;
    for (std::size_t u = 0; u < m_units.size(); ++u)
      if (m_units[u].table == PurgeTable::Block)
        blocks.try_emplace(m_units[u].key, static_cast<int>(u));
    std::string key;
    for (const int r : m_blockRecords) {
      KeyOf(NameOf(r), key);
      const auto found = blocks.find(key);
      if (found == blocks.end()) continue;
      Unit& unit = m_units[found->second];
      blocks.erase(found);
      unit.entry = r;
      unit.entryEnd = NextRecord(m_b, r);
      unit.tableHead = m_blockRecordHead;
      if (IsLayoutBlockRecord(r)) unit.neverRemoved = true;
    }
  }

  bool IsLayoutBlockRecord(int record) const {
    const int layout = FindInRecord(m_b, record, kHardPointerCode);
    std::uint64_t handle = 0;
    return layout >= 0 && ParseHandle(m_b.ValueView(layout), handle) && handle != 0;
  }

  // ---- the records of each unit ----

  void IndexSpans() {
    m_spans.clear();
    for (std::size_t u = 0; u < m_units.size(); ++u) {
      const Unit& unit = m_units[u];
      const int id = static_cast<int>(u);
      m_spans.push_back({unit.record, unit.end, id});
      if (unit.entry >= 0) m_spans.push_back({unit.entry, unit.entryEnd, id});
      for (const PairStretch& s : unit.owned) m_spans.push_back({s.first, s.first + s.count, id});
    }
    std::sort(m_spans.begin(), m_spans.end(),
              [](const Span& x, const Span& y) { return x.first < y.first; });
  }

  int UnitAt(int pair) const {
    const auto after = std::upper_bound(m_spans.begin(), m_spans.end(), pair,
                                        [](int p, const Span& s) { return p < s.first; });
    if (after == m_spans.begin()) return kNoUnit;
    const Span& span = *(after - 1);
    return pair < span.end ? span.unit : kNoUnit;
  }

  // The record that owns record r: its 330 outside a 102 group, by the handle index.
  int OwnerRecord(int record) const {
    bool inGroup = false;
    for (int i = record + 1; m_b.GetCode(i) != kRecordStartCode; ++i) {
      const int code = m_b.GetCode(i);
      if (code == kControlGroupCode) inGroup = TrimView(m_b.ValueView(i)).starts_with("{");
      if (code != kOwnerCode || inGroup) continue;
      std::uint64_t handle = 0;
      return ParseHandle(m_b.ValueView(i), handle) && handle != 0 ? m_handles.Owner(handle) : -1;
    }
    return -1;
  }

  struct Object {
    int record;
    int owner;  // the owner's record, -1: none
    int unit;
  };
  static constexpr int kUnresolved = -2, kResolving = -3;

  // An object whose owner chain reaches a unit joins it; a chain that turns in a circle
  // joins none.
  int ResolveObject(std::vector<Object>& objects, std::size_t k) const {
    std::vector<std::size_t> chain;
    int unit = kNoUnit;
    for (std::size_t at = k;;) {
      if (objects[at].unit == kResolving) break;
      if (objects[at].unit != kUnresolved) {
        unit = objects[at].unit;
        break;
      }
      objects[at].unit = kResolving;
      chain.push_back(at);
      const int owner = objects[at].owner;
      const auto found =
          std::lower_bound(objects.begin(), objects.end(), owner,
                           [](const Object& o, int record) { return o.record < record; });
      if (owner < 0 || found == objects.end() || found->record != owner) {
        unit = owner < 0 ? kNoUnit : UnitAt(owner);
        break;
      }
      at = static_cast<std::size_t>(found - objects.begin());
    }
    for (const std::size_t c : chain) objects[c].unit = unit;
    return unit;
  }

  void FindOwnedObjects() {
    if (!HasSection(m_b.ObjectsStart, m_b.ObjectsEnd) || m_units.empty()) return;
    std::vector<Object> objects;
    for (int r = NextRecord(m_b, m_b.ObjectsStart); r < m_b.ObjectsEnd; r = NextRecord(m_b, r))
      objects.push_back({r, OwnerRecord(r), kUnresolved});
    bool any = false;
    for (std::size_t k = 0; k < objects.size(); ++k) {
      const int unit = ResolveObject(objects, k);
      if (unit == kNoUnit) continue;
      const int r = objects[k].record;
      const int end = k + 1 < objects.size() ? objects[k + 1].record : m_b.ObjectsEnd;
      m_units[unit].owned.push_back({r, end - r});
      any = true;
    }
    if (any) IndexSpans();
  }

  // ---- the references ----

  void IndexNames() {
    for (std::size_t u = 0; u < m_units.size(); ++u) {
      const Unit& unit = m_units[u];
      m_byName[static_cast<int>(unit.table)][unit.key].push_back(static_cast<int>(u));
    }
    m_live.assign(m_units.size(), false);
  }

  // Performance: a drawing's pairs are walked once, their codes read in blocks; a pair
  // whose code names nothing costs one comparison.
  void WalkReferences() {
    constexpr int kBlock = 4096;
    int codes[kBlock];
    const int last = std::min(m_b.EofIndex, m_b.PairCount - 1);
    for (int first = 0; first <= last; first += kBlock) {
      const int n = std::min(kBlock, last + 1 - first);
      m_b.GetCodes(first, n, codes);
      for (int k = 0; k < n; ++k) {
        if (codes[k] == kRecordStartCode) {
          StartRecord(first + k);
        } else if (codes[k] <= kLayerCode || codes[k] >= kFirstArbitraryHandleCode) {
          Reference(first + k, codes[k]);
        }
      }
    }
  }

  void StartRecord(int i) {
    while (m_nextSpan < m_spans.size() && m_spans[m_nextSpan].end <= i) ++m_nextSpan;
    const bool inSpan = m_nextSpan < m_spans.size() && m_spans[m_nextSpan].first <= i;
    m_unit = inSpan ? m_spans[m_nextSpan].unit : kNoUnit;
    if (i == m_b.HeaderStart && m_b.HeaderEnd > 0) {
      m_kind = RecordKind::Header;
    } else if (i == m_dimstyleHead) {
      m_kind = RecordKind::DimstyleHead;
    } else {
      m_kind = KindOfRecord(TrimView(m_b.ValueView(i)));
    }
  }

  void Reference(int i, int code) {
    const bool dimstyle = m_kind == RecordKind::Dimstyle;
    switch (code) {
      case kAcadVerCode:  // also the $DIMBLK ... of the header, which name arrow blocks
        if (m_kind == RecordKind::Header) Name(PurgeTable::Block, i);
        break;
      case kNameCode:
        BlockOrDimstyleName(i);
        break;
      case kSecondNameCode:
        if (m_kind == RecordKind::Dimension || m_kind == RecordKind::Leader)
          Name(PurgeTable::Dimstyle, i);
        break;
      case kHandleCode:  // a DIMSTYLE of R12 names its arrow blocks with 5, 6 and 7
        if (dimstyle) Name(PurgeTable::Block, i);
        break;
      case kLinetypeCode:
        if (dimstyle) Name(PurgeTable::Block, i);
        Name(PurgeTable::Ltype, i);
        break;
      case kTextStyleCode:
        if (dimstyle) Name(PurgeTable::Block, i);
        Name(PurgeTable::Style, i);
        break;
      case kLayerCode:
      case kXdataLayerCode:
        Name(PurgeTable::Layer, i);
        break;
      case kXdataAppCode:
        Name(PurgeTable::Appid, i);
        break;
      default:
        if (IsHandleReferenceCode(code)) HandleReference(i, code);
    }
  }

  // Code 2 names a block in an INSERT, a dimension and a table, and the current
  // dimension style in the header. An anonymous block that a dimension or a table
  // names never goes, even from inside a block that goes.
  void BlockOrDimstyleName(int i) {
    if (m_kind == RecordKind::Header) {
      Name(PurgeTable::Dimstyle, i);
      return;
    }
    const bool drawnBlock = m_kind == RecordKind::Dimension || m_kind == RecordKind::Table;
    if (m_kind != RecordKind::Insert && !drawnBlock) return;
    const std::vector<int>* blocks = Name(PurgeTable::Block, i);
    if (!drawnBlock || !blocks || !m_key.starts_with("*")) return;
    for (const int u : *blocks) m_units[u].neverRemoved = true;
  }

  // Notes a use of every definition the value of pair i names in table and returns
  // them; null when there is none.
  const std::vector<int>* Name(PurgeTable table, int i) {
    KeyOf(m_b.ValueView(i), m_key);
    const auto& names = m_byName[static_cast<int>(table)];
    const auto found = names.find(m_key);
    if (found == names.end()) return nullptr;
    for (const int u : found->second) Use(u);
    return &found->second;
  }

  // A handle that several records own (a broken drawing) uses every one of them.
  void HandleReference(int i, int code) {
    std::uint64_t handle = 0;
    if (!ParseHandle(m_b.ValueView(i), handle) || handle == 0) return;
    if (handle != m_lastHandle) {  // entities point at their block one after another
      m_lastHandle = handle;
      m_lastHandleUnits.clear();
      for (const HandleOwner& owner : m_handles.Owners(handle))
        if (const int unit = UnitAt(owner.record); unit != kNoUnit)
          m_lastHandleUnits.push_back(unit);
    }
    for (const int unit : m_lastHandleUnits) {
      // The DIMSTYLE table head lists its entries; the pointer goes with the entry.
      if (m_kind == RecordKind::DimstyleHead && code == kHardPointerCode) {
        m_units[unit].headPointer = i;
        continue;
      }
      Use(unit);
    }
  }

  void Use(int target) {
    if (target == m_unit) return;
    if (m_unit == kNoUnit) {
      m_live[target] = true;
    } else if (m_uses.empty() || m_uses.back() != std::pair(m_unit, target)) {
      m_uses.emplace_back(m_unit, target);
    }
  }

  // ---- what is used ----

  std::vector<bool> UsedUnits() {
    std::sort(m_uses.begin(), m_uses.end());
    m_uses.erase(std::unique(m_uses.begin(), m_uses.end()), m_uses.end());
    std::vector<bool> used(m_units.size(), false);
    std::vector<int> queue;
    for (std::size_t u = 0; u < m_units.size(); ++u)
      if (m_units[u].neverRemoved || m_live[u]) {
        used[u] = true;
        queue.push_back(static_cast<int>(u));
      }
    while (!queue.empty()) {
      const int u = queue.back();
      queue.pop_back();
      auto use = std::lower_bound(m_uses.begin(), m_uses.end(), std::pair(u, -1));
      for (; use != m_uses.end() && use->first == u; ++use)
        if (!used[use->second]) {
          used[use->second] = true;
          queue.push_back(use->second);
        }
    }
    return used;
  }

  PurgeList ListOf(const std::vector<bool>& used) {
    std::vector<int> unused;
    for (std::size_t u = 0; u < m_units.size(); ++u)
      if (!used[u]) unused.push_back(static_cast<int>(u));
    std::stable_sort(unused.begin(), unused.end(),
                     [this](int x, int y) { return m_units[x].table < m_units[y].table; });
    std::vector<int> entryOf(m_units.size(), -1);
    for (std::size_t k = 0; k < unused.size(); ++k) entryOf[unused[k]] = static_cast<int>(k);
    PurgeList list;
    for (const int u : unused) {
      list.m_entries.push_back(EntryOf(m_units[u]));
      list.m_useStart.push_back(static_cast<int>(list.m_uses.size()));
      auto use = std::lower_bound(m_uses.begin(), m_uses.end(), std::pair(u, -1));
      for (; use != m_uses.end() && use->first == u; ++use)
        if (entryOf[use->second] >= 0) list.m_uses.push_back(entryOf[use->second]);
    }
    list.m_useStart.push_back(static_cast<int>(list.m_uses.size()));
    return list;
  }

  static UnusedDefinition EntryOf(Unit& unit) {
    UnusedDefinition entry;
    entry.table = unit.table;
    entry.name = std::move(unit.name);
    entry.record = unit.record;
    entry.stretches.push_back({unit.record, unit.end - unit.record});
    if (unit.entry >= 0) entry.stretches.push_back({unit.entry, unit.entryEnd - unit.entry});
    entry.stretches.insert(entry.stretches.end(), unit.owned.begin(), unit.owned.end());
    std::sort(entry.stretches.begin(), entry.stretches.end(),
              [](const PairStretch& x, const PairStretch& y) { return x.first < y.first; });
    entry.tableHead = unit.tableHead;
    entry.headPointer = unit.headPointer;
    return entry;
  }

  const TDXFBuffer& m_b;
  const HandleIndex& m_handles;
  std::vector<Unit> m_units;
  std::vector<int> m_blockRecords;
  int m_dimstyleHead = -1;
  int m_blockRecordHead = -1;
  std::vector<Span> m_spans;                                                     // by first pair
  std::unordered_map<std::string, std::vector<int>> m_byName[kPurgeTableCount];  // by key
  std::vector<bool> m_live;                 // a place that always stays uses the unit
  std::vector<std::pair<int, int>> m_uses;  // (unit, unit it uses)
  // The walk's place.
  std::size_t m_nextSpan = 0;
  int m_unit = kNoUnit;
  RecordKind m_kind = RecordKind::Other;
  std::string m_key;
  std::uint64_t m_lastHandle = 0;
  std::vector<int> m_lastHandleUnits;
};

PurgeList FindUnusedDefinitions(const TDXFBuffer& b, const HandleIndex& handles) {
  return PurgeListBuilder(b, handles).Run();
}
