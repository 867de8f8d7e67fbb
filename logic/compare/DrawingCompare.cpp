// DrawingCompare.cpp - matching the records of two drawings and comparing matched ones.
//
// Three passes match the records: by handle, by name, by order; each takes only records
// the passes before left unmatched. A pass matches duplicates of one key in file order
// (the k-th here with the k-th there). Performance: matching sorts a small entry per
// record, so two 200 MB drawings (700,000 records each) match in a fraction of their load
// time; comparing the matched records reads each pair once and parses only values whose
// bytes differ.
#include "logic/compare/DrawingCompare.h"

#include <algorithm>  // std::sort, std::lower_bound, std::max
#include <map>        // std::map
#include <tuple>      // std::tie
#include <utility>    // std::pair

#include "logic/compare/SequenceAlign.h"
#include "logic/compare/ValueCompare.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/HandleIndex.h"  // ParseHandle
#include "model/buffer/RecordWalk.h"

namespace {

// The bounds of the alignments: past these many insertions and deletions, records of a
// block and pairs of a record are matched by value in order. 1,000 keeps an alignment
// within a few milliseconds and 4 MB.
constexpr int kMaxRecordEdits = 1000;
constexpr int kMaxPairEdits = 1000;

// A record's name key with its index, sortable so that equal keys stand in file order.
struct NameEntry {
  RecordSection section;
  std::uint32_t group, type, name;
  int record;

  auto Key() const { return std::tie(section, group, type, name); }
  bool operator<(const NameEntry& other) const {
    return std::tie(section, group, type, name, record) <
           std::tie(other.section, other.group, other.type, other.name, other.record);
  }
};

// One drawing's side of the compare: its buffer, its records and their partners.
struct Side {
  const TDXFBuffer& b;
  std::vector<CompareRecord> records;
  std::vector<int> partner;  // the matched record's index on the other side, or -1
  bool hasHandles = false;   // some record carries a handle

  Side(const TDXFBuffer& buffer, NameTable& names)
      : b(buffer), records(CompareRecordsOf(b, names)) {
    partner.assign(records.size(), -1);
    for (const CompareRecord& r : records) hasHandles |= r.key == RecordKey::Handle;
  }
  SideValue Value(int pair) const { return {b.ValueView(pair), b.Encoding}; }
};

// Matches the entries of two lists sorted by key: equal keys pair up in order.
template <typename Entry, typename KeyOf, typename Match>
void MergeSorted(const std::vector<Entry>& x, const std::vector<Entry>& y, KeyOf key, Match match) {
  for (std::size_t i = 0, j = 0; i < x.size() && j < y.size();) {
    if (key(x[i]) < key(y[j])) {
      ++i;
    } else if (key(y[j]) < key(x[i])) {
      ++j;
    } else {
      match(x[i++], y[j++]);
    }
  }
}

class Comparer {
 public:
  Comparer(const TDXFBuffer& here, const TDXFBuffer& there, const CompareOptions& options)
      : m_options(options), m_here(here, m_names), m_there(there, m_names) {}

  DrawingDifference Run() {
    MatchByHandle();
    MatchByName();
    MatchByOrder();
    if (m_options.ignoreNewHandles) MapRenumberedHandles();
    CollectChanges();
    return std::move(m_result);
  }

 private:
  void Pair(int hereRecord, int thereRecord) {
    m_here.partner[static_cast<std::size_t>(hereRecord)] = thereRecord;
    m_there.partner[static_cast<std::size_t>(thereRecord)] = hereRecord;
  }

  void MatchByHandle() {
    using Entry = std::pair<std::uint64_t, int>;
    const auto entries = [](const Side& side) {
      std::vector<Entry> list;
      for (std::size_t r = 0; r < side.records.size(); ++r)
        if (side.records[r].key == RecordKey::Handle)
          list.emplace_back(side.records[r].handle, static_cast<int>(r));
      std::sort(list.begin(), list.end());
      return list;
    };
    MergeSorted(
        entries(m_here), entries(m_there), [](const Entry& e) { return e.first; },
        [this](const Entry& x, const Entry& y) { Pair(x.second, y.second); });
  }

  // The key a record left unmatched is matched by now: its own, or, for a record with a
  // handle, its name or order when handles are set aside or the other drawing has none.
  RecordKey KeyLeft(const Side& side, const Side& other, std::size_t r) const {
    const CompareRecord& record = side.records[r];
    if (record.key != RecordKey::Handle) return record.key;
    return m_options.ignoreNewHandles || !other.hasHandles ? record.fallback : RecordKey::Handle;
  }

  std::vector<NameEntry> NameEntries(const Side& side, const Side& other) const {
    std::vector<NameEntry> list;
    for (std::size_t r = 0; r < side.records.size(); ++r) {
      if (side.partner[r] >= 0 || KeyLeft(side, other, r) != RecordKey::Name) continue;
      const CompareRecord& x = side.records[r];
      list.push_back({x.section, x.group, x.type, x.name, static_cast<int>(r)});
    }
    std::sort(list.begin(), list.end());
    return list;
  }

  void MatchByName() {
    MergeSorted(
        NameEntries(m_here, m_there), NameEntries(m_there, m_here),
        [](const NameEntry& e) { return e.Key(); },
        [this](const NameEntry& x, const NameEntry& y) { Pair(x.record, y.record); });
  }

  // The records left for the order pass, by section and group, in file order.
  using Groups = std::map<std::pair<RecordSection, std::uint32_t>, std::vector<int>>;
  Groups OrderGroups(const Side& side, const Side& other) const {
    Groups groups;
    for (std::size_t r = 0; r < side.records.size(); ++r) {
      if (side.partner[r] >= 0 || KeyLeft(side, other, r) != RecordKey::Order) continue;
      const CompareRecord& x = side.records[r];
      groups[{x.section, x.group}].push_back(static_cast<int>(r));
    }
    return groups;
  }

  // What the alignment compares of a record: its type and its layer.
  std::vector<std::uint64_t> AlignedElements(const Side& side, const std::vector<int>& records) {
    std::vector<std::uint64_t> elements;
    elements.reserve(records.size());
    for (const int r : records) {
      const CompareRecord& x = side.records[static_cast<std::size_t>(r)];
      const int layer = FindInRecord(side.b, x.start, kLayerCode);
      const std::uint32_t layerId =
          layer < 0 ? 0 : m_names.Id(side.b.ValueView(layer), side.b.Encoding);
      elements.push_back(static_cast<std::uint64_t>(x.type) << 32 | layerId);
    }
    return elements;
  }

  void MatchByOrder() {
    const Groups there = OrderGroups(m_there, m_here);
    for (const auto& [group, hereRecords] : OrderGroups(m_here, m_there)) {
      const auto found = there.find(group);
      if (found == there.end()) continue;
      const std::vector<int>& thereRecords = found->second;
      const std::vector<std::uint64_t> a = AlignedElements(m_here, hereRecords);
      const std::vector<std::uint64_t> b = AlignedElements(m_there, thereRecords);
      for (const auto& [i, j] : AlignSequences(a, b, kMaxRecordEdits))
        Pair(hereRecords[static_cast<std::size_t>(i)], thereRecords[static_cast<std::size_t>(j)]);
    }
  }

  // Notes which handle there stands for which handle here, for records matched with
  // different handles, so that pointers compare by the records they point at.
  void MapRenumberedHandles() {
    for (std::size_t r = 0; r < m_here.records.size(); ++r) {
      const int p = m_here.partner[r];
      if (p < 0) continue;
      const CompareRecord& x = m_here.records[r];
      const CompareRecord& y = m_there.records[static_cast<std::size_t>(p)];
      if (x.key == RecordKey::Handle && y.key == RecordKey::Handle && x.handle != y.handle)
        m_renumbered.emplace_back(y.handle, x.handle);
    }
    std::sort(m_renumbered.begin(), m_renumbered.end());
  }

  std::uint64_t HandleHere(std::uint64_t thereHandle) const {
    const auto found = std::lower_bound(m_renumbered.begin(), m_renumbered.end(),
                                        std::make_pair(thereHandle, std::uint64_t{0}));
    return found != m_renumbered.end() && found->first == thereHandle ? found->second : thereHandle;
  }

  // Whether a pointer there names, through the renumbered handles, the record here names.
  bool SamePointerTarget(int hereValue, int thereValue) const {
    std::uint64_t x = 0, y = 0;
    return ParseHandle(m_here.b.ValueView(hereValue), x) &&
           ParseHandle(m_there.b.ValueView(thereValue), y) && HandleHere(y) == x;
  }

  bool SamePair(int i, int j, bool ownHandleAside) const {
    const int code = m_here.b.GetCode(i);
    if (code != m_there.b.GetCode(j)) return false;
    if (SameValue(code, m_here.Value(i), m_there.Value(j), m_options.exactNumbers)) return true;
    if (!m_options.ignoreNewHandles) return false;
    if (ownHandleAside && (code == kHandleCode || code == kDimstyleHandleCode)) return true;
    return IsHandleValueCode(code) && SamePointerTarget(i, j);
  }

  void AddPair(int here, int there) { m_result.pairs.push_back({here, there}); }

  // Compares pairs here[first..] and there[first..] position by position.
  void ComparePositions(const CompareRecord& x, const CompareRecord& y, bool handleAside) {
    for (int k = 0; x.start + k < x.end; ++k)
      if (!SamePair(x.start + k, y.start + k, handleAside)) AddPair(x.start + k, y.start + k);
  }

  bool SameCodes(const CompareRecord& x, const CompareRecord& y) const {
    if (x.end - x.start != y.end - y.start) return false;
    for (int k = 0; x.start + k < x.end; ++k)
      if (m_here.b.GetCode(x.start + k) != m_there.b.GetCode(y.start + k)) return false;
    return true;
  }

  static std::vector<std::uint64_t> Codes(const TDXFBuffer& b, const CompareRecord& r) {
    std::vector<std::uint64_t> codes;
    for (int i = r.start; i < r.end; ++i) codes.push_back(static_cast<std::uint32_t>(b.GetCode(i)));
    return codes;
  }

  // Compares two records whose pairs differ in number or codes: the pairs are aligned by
  // code, and a pair without counterpart is a difference of its own.
  void CompareAligned(const CompareRecord& x, const CompareRecord& y, bool handleAside) {
    const std::size_t first = m_result.pairs.size();
    const std::vector<AlignedPair> aligned =
        AlignSequences(Codes(m_here.b, x), Codes(m_there.b, y), kMaxPairEdits);
    const int hereCount = x.end - x.start, thereCount = y.end - y.start;
    std::vector<bool> thereUsed(static_cast<std::size_t>(thereCount), false);
    for (const auto& [i, j] : aligned) thereUsed[static_cast<std::size_t>(j)] = true;
    int nextHere = 0, nextThere = 0;
    const auto thereOnlyUpTo = [&](int end) {
      for (; nextThere < end; ++nextThere)
        if (!thereUsed[static_cast<std::size_t>(nextThere)]) AddPair(-1, y.start + nextThere);
    };
    for (const auto& [i, j] : aligned) {
      for (; nextHere < i; ++nextHere) AddPair(x.start + nextHere, -1);
      thereOnlyUpTo(j);
      if (!SamePair(x.start + i, y.start + j, handleAside)) AddPair(x.start + i, y.start + j);
      nextHere = i + 1;
      nextThere = std::max(nextThere, j + 1);
    }
    for (; nextHere < hereCount; ++nextHere) AddPair(x.start + nextHere, -1);
    thereOnlyUpTo(thereCount);
    JoinMovedPairs(x, y, first, handleAside);
  }

  static std::map<int, int> CodeCounts(const TDXFBuffer& b, const CompareRecord& r) {
    std::map<int, int> counts;
    for (int i = r.start; i < r.end; ++i) ++counts[b.GetCode(i)];
    return counts;
  }

  // Joins a pair only here with the pair only there of the same code, where that code
  // stands once in each record: a writer that orders a record's fields otherwise moves
  // the pair, which is no difference unless its value changed too. Works on the pair
  // changes of one record, from `first` on.
  void JoinMovedPairs(const CompareRecord& x, const CompareRecord& y, std::size_t first,
                      bool handleAside) {
    std::vector<PairChange>& changes = m_result.pairs;
    const std::map<int, int> hereCounts = CodeCounts(m_here.b, x);
    const std::map<int, int> thereCounts = CodeCounts(m_there.b, y);
    const auto isUnique = [&](int code) {
      return hereCounts.at(code) == 1 && thereCounts.count(code) && thereCounts.at(code) == 1;
    };
    std::vector<bool> dropped(changes.size() - first, false);
    for (std::size_t k = first; k < changes.size(); ++k) {
      if (changes[k].there >= 0 || !isUnique(m_here.b.GetCode(changes[k].here))) continue;
      const int code = m_here.b.GetCode(changes[k].here);
      for (std::size_t m = first; m < changes.size(); ++m) {
        if (changes[m].here >= 0 || dropped[m - first] ||
            m_there.b.GetCode(changes[m].there) != code)
          continue;
        dropped[m - first] = true;
        changes[k].there = changes[m].there;
        dropped[k - first] = SamePair(changes[k].here, changes[k].there, handleAside);
        break;
      }
    }
    std::size_t kept = first;
    for (std::size_t k = first; k < changes.size(); ++k)
      if (!dropped[k - first]) changes[kept++] = changes[k];
    changes.resize(kept);
  }

  RecordChange Change(ChangeKind kind, const Side& side, std::size_t r) const {
    const CompareRecord& x = side.records[r];
    RecordChange change;
    change.kind = kind;
    change.key = x.key;
    change.section = x.section;
    change.handle = x.handle;
    change.namePair = x.namePair;
    change.firstPair = static_cast<std::uint32_t>(m_result.pairs.size());
    return change;
  }

  // Adds the change of a matched pair of records when their pairs differ.
  void CompareMatched(std::size_t r) {
    const CompareRecord& x = m_here.records[r];
    const CompareRecord& y = m_there.records[static_cast<std::size_t>(m_here.partner[r])];
    RecordChange change = Change(ChangeKind::Changed, m_here, r);
    const bool handleAside =
        x.key != RecordKey::Handle || y.key != RecordKey::Handle || x.handle != y.handle;
    if (SameCodes(x, y)) {
      ComparePositions(x, y, handleAside);
    } else {
      CompareAligned(x, y, handleAside);
    }
    change.pairCount = static_cast<std::uint32_t>(m_result.pairs.size() - change.firstPair);
    if (change.pairCount == 0) return;
    change.here = x.start;
    change.there = y.start;
    m_result.records.push_back(change);
  }

  // The records only there, each with the record here it goes before: the partner of
  // its nearest matched successor there (the number of records here when none), in their
  // order there. A record that replaces another thus follows the one it replaces.
  std::vector<std::pair<int, int>> AnchoredAdditions() const {
    std::vector<std::pair<int, int>> added;
    int anchor = static_cast<int>(m_here.records.size());
    for (std::size_t r = m_there.records.size(); r-- > 0;) {
      if (m_there.partner[r] >= 0) {
        anchor = m_there.partner[r];
        continue;
      }
      added.emplace_back(anchor, static_cast<int>(r));
    }
    std::sort(added.begin(), added.end());
    return added;
  }

  void AddAdded(std::size_t r) {
    RecordChange change = Change(ChangeKind::Added, m_there, r);
    change.there = m_there.records[r].start;
    m_result.records.push_back(change);
  }

  void CollectChanges() {
    const std::vector<std::pair<int, int>> added = AnchoredAdditions();
    std::size_t next = 0;
    const auto addBefore = [&](int anchor) {
      for (; next < added.size() && added[next].first <= anchor; ++next)
        AddAdded(static_cast<std::size_t>(added[next].second));
    };
    for (std::size_t r = 0; r < m_here.records.size(); ++r) {
      addBefore(static_cast<int>(r));
      if (m_here.partner[r] >= 0) {
        CompareMatched(r);
        continue;
      }
      RecordChange change = Change(ChangeKind::Removed, m_here, r);
      change.here = m_here.records[r].start;
      m_result.records.push_back(change);
    }
    addBefore(static_cast<int>(m_here.records.size()));
  }

  CompareOptions m_options;
  NameTable m_names;
  Side m_here, m_there;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> m_renumbered;  // handle there -> here
  DrawingDifference m_result;
};

}  // namespace

DrawingDifference CompareDrawings(const TDXFBuffer& here, const TDXFBuffer& there,
                                  const CompareOptions& options) {
  return Comparer(here, there, options).Run();
}
