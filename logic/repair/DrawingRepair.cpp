// DrawingRepair.cpp - repairs of the problems the drawing check finds.
//
// The plan is made on the drawing as it stands: what goes in is gathered as insertions at
// a pair (a closer, a definition), ordered at one place by what must come first (a SEQEND
// before the ENDBLK of its block, a new entry before the ENDTAB of its table, everything
// before ENDSEC and EOF), and joined with the records taken out into replacements in file
// order. New records get handles from $HANDSEED (or above the largest handle, when the
// seed is too low) and, from R13 on, their owner and subclass markers; $HANDSEED ends one
// above the last handle given. One walk over the records tells each record's place (its
// section, table and block) where a dangling owner is to be replaced.
#include "logic/repair/DrawingRepair.h"

#include <algorithm>  // std::sort, std::stable_sort, std::min, std::max
#include <cstdint>    // std::uint64_t
#include <map>        // std::map
#include <set>        // std::set
#include <string_view>

#include "logic/check/CheckNames.h"
#include "logic/purge/PurgeEdit.h"  // WithNumber
#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

using Pairs = std::vector<std::pair<int, std::string>>;

constexpr int kFirstSubclassVersion = 1012;  // R13: owners and subclass markers

// What must come first among the records put in at one place.
enum Rank { kSeqend, kEndblk, kDefinition, kEndtab, kEndsec, kEof };

struct Insertion {
  int at;
  Rank rank;
  Pairs pairs;
};

std::string_view TypeOf(const TDXFBuffer& b, int record) {
  return TrimView(b.ValueView(record));
}

// The trimmed value of the first pair of code in record, empty when it has none.
std::string_view ValueIn(const TDXFBuffer& b, int record, int code) {
  const int pair = FindInRecord(b, record, code);
  return pair < 0 ? std::string_view() : TrimView(b.ValueView(pair));
}

std::string HandleOf(const TDXFBuffer& b, int record) {
  const int pair = FindInRecord(b, record, kHandleCode, kDimstyleHandleCode);
  return pair < 0 ? std::string() : std::string(TrimView(b.ValueView(pair)));
}

int RecordOf(const TDXFBuffer& b, int pair) {
  while (pair > 0 && b.GetCode(pair) != kRecordStartCode) --pair;
  return pair;
}

// Tells whether pair is its record's owner: the first 330 outside a 102 group, before
// extended data and embedded objects.
bool IsOwnerPair(const TDXFBuffer& b, int pair) {
  bool in102 = false;
  for (int i = RecordOf(b, pair) + 1; i <= pair; ++i) {
    const int code = b.GetCode(i);
    if (code == kXdataAppCode || code == 101) return false;
    if (code == kControlGroupCode) {
      const std::string_view v = TrimView(b.ValueView(i));
      in102 = !v.empty() && v.front() == '{';
    } else if (code == kOwnerCode && !in102) {
      return i == pair;
    }
  }
  return false;
}

// Why a kind is never repaired automatically.
std::string WhyLeft(CheckKind kind) {
  switch (kind) {
    case CheckKind::DuplicateName:
      return Sjis("どちらの名前を変えるべきか分からないので自動では修復しません");
    case CheckKind::WrongOwner:
      return Sjis("正しい所有者が分からないので自動では修復しません");
    case CheckKind::VersionMismatch:
      return Sjis("文字列の文字コードは自動では変えません");
    default:
      return Sjis("正しい値が分からないので自動では修復しません");
  }
}

// ------------------------------------------------------------------ the planner

class Planner {
 public:
  Planner(const TDXFBuffer& b, const HandleIndex& handles)
      : m_b(b),
        m_last(std::min(b.EofIndex, b.PairCount - 1)),
        m_modern(b.AcadVerNo >= kFirstSubclassVersion),
        m_handled(!handles.Entries().empty()),
        m_blockRecords(MakeSymbolNames(b.Encoding)) {
    std::uint64_t seed = 0;
    if (b.HandSeedIndex > 0 && !ParseHandle(b.ValueView(b.HandSeedIndex), seed)) seed = 0;
    // 0 when the largest handle is the largest there can be: then none is free.
    const std::uint64_t above = m_handled ? handles.Entries().back().handle + 1 : 1;
    m_nextHandle = m_firstHandle = above == 0 ? 0 : std::max(seed, above);
  }

  RepairPlan Run(const std::vector<CheckProblem>& problems) {
    std::set<int> ownerless;   // the records whose owner is dangling
    bool needsPlaces = false;  // the walk over every record is needed
    for (const CheckProblem& p : problems) {
      if (p.kind == CheckKind::DanglingPointer && m_b.GetCode(p.pair) == kOwnerCode)
        ownerless.insert(RecordOf(m_b, p.pair));
      needsPlaces =
          needsPlaces || p.kind == CheckKind::UndefinedBlock || p.kind == CheckKind::UnclosedBlock;
    }
    if (needsPlaces || !ownerless.empty()) WalkPlaces(ownerless);
    for (const CheckProblem& p : problems) {
      std::string why;
      std::string done = Repair(p, why);
      if (!done.empty())
        m_plan.repaired.push_back({p.pair, p.kind, std::move(done)});
      else
        m_plan.left.push_back({p.pair, p.kind, p.text + Sjis("：") + why});
    }
    FinishCounts();
    FinishSeed();
    FinishReplacements();
    return std::move(m_plan);
  }

 private:
  // ---------------------------------------------------------------- one problem

  // Plans the repair of p and returns what it does, or empty with why it cannot.
  std::string Repair(const CheckProblem& p, std::string& why) {
    const bool handleKind =
        p.kind == CheckKind::DuplicateHandle || p.kind == CheckKind::HandleAboveSeed;
    if (handleKind && m_nextHandle == 0) {
      why = Sjis("空いているハンドルがないので修復しません");
      return {};
    }
    switch (p.kind) {
      case CheckKind::DuplicateHandle:
        return NewHandle(p, why);
      case CheckKind::HandleAboveSeed:
        m_seedRaised = true;
        return SeedPlaceholder();
      case CheckKind::DanglingPointer:
        return NewOwner(p, why);
      case CheckKind::UnclosedSection:
        return Close(p, "ENDSEC", kEndsec, {"SECTION", "EOF"});
      case CheckKind::UnclosedTable:
        return Close(p, "ENDTAB", kEndtab, {"TABLE", "ENDSEC", "SECTION", "EOF"});
      case CheckKind::UnclosedBlock:
        return Close(p, "ENDBLK", kEndblk, {"BLOCK", "ENDSEC", "SECTION", "EOF"});
      case CheckKind::MissingEof:
        Insert(p.pair, kEof, {{kRecordStartCode, "EOF"}});
        return Format(Sjis("EOF を入れました（%s）").c_str(), PlaceText(p.pair).c_str());
      case CheckKind::MissingSeqend:
        return Seqend(p);
      case CheckKind::OutsideSection:
        return TakeOut(p);
      case CheckKind::UnregisteredAppid:
      case CheckKind::UndefinedLinetype:
      case CheckKind::UndefinedStyle:
      case CheckKind::UndefinedDimstyle:
      case CheckKind::UndefinedLayer:
        return Define(p, why);
      case CheckKind::UndefinedBlock:
        return DefineBlock(p, why);
      case CheckKind::BadName:
        return Rename(p, why);
      case CheckKind::TableCount:
        m_countOf[p.other] = p.count;
        return Format(Sjis("TABLE %s の項目数を実際の項目数にしました").c_str(),
                      ProgramText(m_b, p.subject).c_str());
      case CheckKind::BadNumber:
      case CheckKind::BadText:
      case CheckKind::DuplicateName:
      case CheckKind::WrongOwner:
      case CheckKind::VersionMismatch:
        break;
    }
    why = WhyLeft(p.kind);
    return {};
  }

  std::string NewHandle(const CheckProblem& p, std::string& why) {
    const int pair = FindInRecord(m_b, p.pair, kHandleCode, kDimstyleHandleCode);
    const std::string handle = NextHandle();
    if (handle.empty()) {
      why = Sjis("空いているハンドルがないので修復しません");
      return {};
    }
    m_plan.values.emplace_back(pair, handle);
    return Format(Sjis("ハンドル %s を %s に変えました（%lld 行のレコードと重複）").c_str(),
                  p.subject.c_str(), handle.c_str(), LineOfPair(p.other));
  }

  // The text of a raised seed is known once every new handle is given (FinishSeed).
  std::string SeedPlaceholder() {
    m_seedLines.push_back(m_plan.repaired.size());
    return "$HANDSEED";
  }

  std::string NewOwner(const CheckProblem& p, std::string& why) {
    if (m_b.GetCode(p.pair) != kOwnerCode || !IsOwnerPair(m_b, p.pair)) {
      why = Sjis("所有者（330）でない参照は正しい参照先が分からないので修復しません");
      return {};
    }
    const auto owner = m_ownerByPlace.find(RecordOf(m_b, p.pair));
    if (owner == m_ownerByPlace.end() || owner->second.empty()) {
      why = Sjis("レコードの位置から所有者が決まらないので修復しません");
      return {};
    }
    m_plan.values.emplace_back(p.pair, owner->second);
    return Format(Sjis("所有者のハンドル %s を %s にしました").c_str(),
                  ProgramText(m_b, p.subject).c_str(), owner->second.c_str());
  }

  // Writes the closer of the opener p stands at before the first record of `stops` after
  // it, or at the end.
  std::string Close(const CheckProblem& p, std::string_view closer, Rank rank,
                    std::initializer_list<std::string_view> stops) {
    const int at = PlaceBefore(p.pair, stops);
    Pairs pairs = {{kRecordStartCode, std::string(closer)}};
    if (rank == kEndblk) pairs = EntityRecord("ENDBLK", p.pair, BlockOwner(p.pair), "AcDbBlockEnd");
    Insert(at, rank, std::move(pairs));
    return Format(Sjis("%s %s の %s を入れました（%s）").c_str(),
                  std::string(TypeOf(m_b, p.pair)).c_str(), ProgramText(m_b, p.subject).c_str(),
                  std::string(closer).c_str(), PlaceText(at).c_str());
  }

  std::string Seqend(const CheckProblem& p) {
    const int owner = p.other;
    Insert(p.pair, kSeqend, EntityRecord("SEQEND", owner, HandleOf(m_b, owner), {}));
    return Format(Sjis("%s（%lld 行）の SEQEND を入れました（%s）").c_str(),
                  ProgramText(m_b, p.subject).c_str(), LineOfPair(owner),
                  PlaceText(p.pair).c_str());
  }

  std::string TakeOut(const CheckProblem& p) {
    const int end = std::min(NextRecord(m_b, p.pair), m_last + 1);
    m_removals.push_back({p.pair, end - p.pair});
    return Format(Sjis("セクションの外のレコード %s（%lld～%lld 行）を削除しました").c_str(),
                  ProgramText(m_b, p.subject).c_str(), LineOfPair(p.pair), LineOfPair(end - 1) + 1);
  }

  // ---------------------------------------------------------------- definitions

  std::string Define(const CheckProblem& p, std::string& why) {
    if (p.other < 0) {
      why = Sjis("定義を加えるテーブルがないので修復しません");
      return {};
    }
    const std::string table(ValueIn(m_b, p.other, kNameCode));
    Insert(PlaceBefore(p.other, {"ENDTAB", "TABLE", "ENDSEC", "SECTION", "EOF"}), kDefinition,
           EntryOf(p.kind, p.other, p.subject));
    ++m_added[p.other];
    return Format(Sjis("'%s' を %s テーブルに加えました").c_str(),
                  ProgramText(m_b, p.subject).c_str(), table.c_str());
  }

  // A new table entry of the kind's table, named name.
  Pairs EntryOf(CheckKind kind, int table, const std::string& name) {
    const std::string owner = HandleOf(m_b, table);
    switch (kind) {
      case CheckKind::UndefinedLinetype:
        return Entry("LTYPE", owner, "AcDbLinetypeTableRecord", name,
                     {{3, ""}, {72, "65"}, {73, "0"}, {40, "0.0"}});
      case CheckKind::UndefinedStyle:
        return Entry(
            "STYLE", owner, "AcDbTextStyleTableRecord", name,
            {{40, "0.0"}, {41, "1.0"}, {50, "0.0"}, {71, "0"}, {42, "2.5"}, {3, "txt"}, {4, ""}});
      case CheckKind::UndefinedLayer:
        return Entry("LAYER", owner, "AcDbLayerTableRecord", name,
                     {{62, "7"}, {kLinetypeCode, m_modern ? "Continuous" : "CONTINUOUS"}});
      case CheckKind::UndefinedDimstyle:
        return DimstyleEntry(table, owner, name);
      default:  // UnregisteredAppid
        return Entry("APPID", owner, "AcDbRegAppTableRecord", name, {});
    }
  }

  // A table entry: its type, handle, owner and markers, name, flags 0 and fields.
  Pairs Entry(std::string_view type, const std::string& owner, std::string_view subclass,
              const std::string& name, const Pairs& fields, int handleCode = kHandleCode) {
    Pairs pairs = {{kRecordStartCode, std::string(type)}};
    AddHandle(pairs, handleCode);
    if (m_modern) {
      if (!owner.empty()) pairs.emplace_back(kOwnerCode, owner);
      pairs.emplace_back(100, "AcDbSymbolTableRecord");
      pairs.emplace_back(100, std::string(subclass));
    }
    pairs.emplace_back(kNameCode, name);
    pairs.emplace_back(kFlagsCode, "0");
    pairs.insert(pairs.end(), fields.begin(), fields.end());
    return pairs;
  }

  // A copy of the STANDARD dimension style's fields under a new name and handle; its own
  // groups (102), extended data and embedded objects stay with it.
  Pairs DimstyleEntry(int table, const std::string& owner, const std::string& name) {
    Pairs fields;
    const int standard = FindEntry(table, "DIMSTYLE", "STANDARD");
    bool in102 = false;
    for (int i = standard + 1; standard >= 0 && m_b.GetCode(i) != kRecordStartCode; ++i) {
      const int code = m_b.GetCode(i);
      if (code >= 1000 || code == 101) break;
      if (code == kControlGroupCode) {
        const std::string_view v = TrimView(m_b.ValueView(i));
        in102 = !v.empty() && v.front() == '{';
        continue;
      }
      const bool own = code == kHandleCode || code == kDimstyleHandleCode || code == kOwnerCode ||
                       code == 100 || code == kNameCode || code == kFlagsCode;
      if (!in102 && !own) fields.emplace_back(code, std::string(m_b.ValueView(i)));
    }
    return Entry("DIMSTYLE", owner, "AcDbDimStyleTableRecord", name, fields, kDimstyleHandleCode);
  }

  // An empty block named as the reference uses it, with its block record from R13 on.
  std::string DefineBlock(const CheckProblem& p, std::string& why) {
    const auto records = m_tables.find("BLOCK_RECORD");
    if (p.other < 0 || (m_modern && records == m_tables.end())) {
      why = Sjis("定義を加える BLOCKS セクションがないので修復しません");
      return {};
    }
    std::string recordHandle;
    if (m_modern) {
      const int table = records->second;
      Pairs entry =
          Entry("BLOCK_RECORD", HandleOf(m_b, table), "AcDbBlockTableRecord", p.subject, {});
      for (const auto& [code, value] : entry)
        if (code == kHandleCode) recordHandle = value;
      Insert(PlaceBefore(table, {"ENDTAB", "TABLE", "ENDSEC", "SECTION", "EOF"}), kDefinition,
             std::move(entry));
      ++m_added[table];
    }
    const std::string flags = !p.subject.empty() && p.subject.front() == '*' ? "1" : "0";
    Pairs block = EntityRecord("BLOCK", -1, recordHandle, "AcDbBlockBegin");
    const Pairs fields = {{kNameCode, p.subject},
                          {kFlagsCode, flags},
                          {10, "0.0"},
                          {20, "0.0"},
                          {30, "0.0"},
                          {3, p.subject},
                          {1, ""}};
    block.insert(block.end(), fields.begin(), fields.end() - (m_modern ? 0 : 1));
    const Pairs end = EntityRecord("ENDBLK", -1, recordHandle, "AcDbBlockEnd");
    block.insert(block.end(), end.begin(), end.end());
    Insert(PlaceBefore(p.other, {"ENDSEC", "SECTION", "EOF"}), kDefinition, std::move(block));
    return Format(Sjis("空のブロック '%s' を BLOCKS セクションに加えました").c_str(),
                  ProgramText(m_b, p.subject).c_str());
  }

  // An entity record of the blocks' kind: its type, handle, owner, AcDbEntity, the layer
  // of `like` (0 without one) and its own subclass marker.
  Pairs EntityRecord(std::string_view type, int like, const std::string& owner,
                     std::string_view subclass) {
    Pairs pairs = {{kRecordStartCode, std::string(type)}};
    AddHandle(pairs, kHandleCode);
    if (m_modern && !owner.empty()) pairs.emplace_back(kOwnerCode, owner);
    if (m_modern) pairs.emplace_back(100, "AcDbEntity");
    const std::string_view layer = like >= 0 ? ValueIn(m_b, like, kLayerCode) : std::string_view();
    pairs.emplace_back(kLayerCode, layer.empty() ? "0" : std::string(layer));
    if (m_modern && !subclass.empty()) pairs.emplace_back(100, std::string(subclass));
    return pairs;
  }

  // The owner a BLOCK gives its records: its own owner, else its block record by name.
  std::string BlockOwner(int block) {
    const std::string_view own = ValueIn(m_b, block, kOwnerCode);
    if (!own.empty()) return std::string(own);
    const auto record = m_blockRecords.find(ValueIn(m_b, block, kNameCode));
    return record == m_blockRecords.end() ? std::string() : HandleOf(m_b, record->second);
  }

  // ---------------------------------------------------------------- names

  // The name is judged as the check judges it, by the table that holds the entry.
  std::string Rename(const CheckProblem& p, std::string& why) {
    const int entry = p.other;
    const int holder = HolderOf(entry);
    const bool block = TypeOf(m_b, holder) == "SECTION";
    const std::string table = block ? "BLOCK" : std::string(ValueIn(m_b, holder, kNameCode));
    int flags = 0;
    if (!ParseInt32(ValueIn(m_b, entry, kFlagsCode), flags)) flags = 0;
    NameAllowance allowed;
    allowed.leadingStar = table == "VPORT" || table == "BLOCK_RECORD" || block;
    allowed.bar = (flags & 16) != 0 || table == "BLOCK_RECORD";
    const std::string clean = CleanName(p.subject, allowed);
    if (clean == p.subject) {
      why = Sjis("名前のどの文字を変えればよいか分からないので修復しません");
      return {};
    }
    const std::string name = FreeName(entry, holder, block, clean);
    m_plan.renames.push_back({table, p.pair, p.subject, name});
    m_taken.push_back(name);
    return Format(Sjis("%s の名前 '%s' を '%s' に変えました（図面全体）").c_str(), table.c_str(),
                  ProgramText(m_b, p.subject).c_str(), ProgramText(m_b, name).c_str());
  }

  // The TABLE record an entry stands in, or the SECTION record of the BLOCKS section
  // that holds a BLOCK.
  int HolderOf(int entry) const {
    int at = entry;
    while (at > 0 && !(m_b.GetCode(at) == kRecordStartCode &&
                       (TypeOf(m_b, at) == "TABLE" || TypeOf(m_b, at) == "SECTION")))
      --at;
    return at;
  }

  // The name with each forbidden character replaced by "_"; "_" for an empty name.
  std::string CleanName(std::string name, NameAllowance allowed) const {
    if (name.empty()) return "_";
    for (;;) {
      const std::string_view bad = ForbiddenNameCharacter(m_b.Encoding, name, allowed);
      if (bad.empty()) return name;
      name.replace(static_cast<std::size_t>(bad.data() - name.data()), bad.size(), "_");
    }
  }

  // The name, or the name with a suffix "_2", "_3" ..., that no other entry of the
  // entry's table has (nor a name this repair gave).
  std::string FreeName(int entry, int holder, bool block, const std::string& name) const {
    const std::vector<std::string_view> names = NamesBeside(entry, holder, block);
    const auto taken = [&](const std::string& candidate) {
      const auto same = [&](std::string_view other) {
        return SameSymbolName(m_b.Encoding, other, candidate);
      };
      return std::any_of(names.begin(), names.end(), same) ||
             std::any_of(m_taken.begin(), m_taken.end(), same);
    };
    std::string candidate = name;
    for (int n = 2; taken(candidate); ++n) candidate = name + "_" + std::to_string(n);
    return candidate;
  }

  // The names of the entries of the holder's table, or of the BLOCKs of its section, the
  // entry's own left out.
  std::vector<std::string_view> NamesBeside(int entry, int holder, bool block) const {
    std::vector<std::string_view> names;
    for (int i = NextRecord(m_b, holder); i <= m_last; i = NextRecord(m_b, i)) {
      const std::string_view t = TypeOf(m_b, i);
      if (t == "ENDTAB" || t == "TABLE" || t == "ENDSEC" || t == "SECTION" || t == "EOF") break;
      if (i != entry && (!block || t == "BLOCK")) names.push_back(ValueIn(m_b, i, kNameCode));
    }
    return names;
  }

  int FindEntry(int table, std::string_view type, std::string_view name) const {
    for (int i = NextRecord(m_b, table); i <= m_last; i = NextRecord(m_b, i)) {
      const std::string_view t = TypeOf(m_b, i);
      if (t == "ENDTAB" || t == "TABLE" || t == "ENDSEC" || t == "EOF") break;
      if (t == type && SameSymbolName(TextEncoding::Ascii, ValueIn(m_b, i, kNameCode), name))
        return i;
    }
    return -1;
  }

  // ---------------------------------------------------------------- places

  // The first record after `from` whose type is one of stops, or the place after the last
  // pair.
  int PlaceBefore(int from, std::initializer_list<std::string_view> stops) const {
    for (int i = NextRecord(m_b, from); i <= m_last; i = NextRecord(m_b, i)) {
      const std::string_view type = TypeOf(m_b, i);
      for (const std::string_view stop : stops)
        if (type == stop) return i;
    }
    return m_last + 1;
  }

  std::string PlaceText(int at) const {
    if (at > m_last) return Sjis("図面の最後");
    return Format(Sjis("%lld 行の前").c_str(), LineOfPair(at));
  }

  // Walks the records once: the tables by name, the block records by name, and the owner
  // each record's place implies (its table, its block's record, the model or paper space).
  void WalkPlaces(const std::set<int>& ownerless) {
    std::string_view section;
    int table = -1, block = -1;
    std::string_view tableName;
    for (int i = 0; i <= m_last; ++i) {
      if (m_b.GetCode(i) != kRecordStartCode) continue;
      const std::string_view type = TypeOf(m_b, i);
      if (type == "SECTION") {
        section = ValueIn(m_b, i, kNameCode);
        table = block = -1;
        continue;
      }
      if (type == "ENDSEC" || type == "EOF") {
        section = {};
        table = block = -1;
        continue;
      }
      if (type == "TABLE") {
        table = i;
        tableName = ValueIn(m_b, i, kNameCode);
        m_tables.emplace(std::string(tableName), i);
        continue;
      }
      if (type == "ENDTAB") {
        table = -1;
        continue;
      }
      if (type == "BLOCK") block = i;
      if (ownerless.contains(i)) m_ownerByPlace[i] = OwnerByPlace(section, table, block, i);
      if (table >= 0 && tableName == "BLOCK_RECORD" && type == "BLOCK_RECORD")
        m_blockRecords.emplace(ValueIn(m_b, i, kNameCode), i);
      if (type == "ENDBLK") block = -1;
    }
  }

  std::string OwnerByPlace(std::string_view section, int table, int block, int record) {
    if (table >= 0) return HandleOf(m_b, table);
    if (section == "BLOCKS" && block >= 0) {
      const auto found = m_blockRecords.find(ValueIn(m_b, block, kNameCode));
      return found == m_blockRecords.end() ? std::string() : HandleOf(m_b, found->second);
    }
    if (section != "ENTITIES") return {};
    const bool paper = ValueIn(m_b, record, 67) == "1";
    const auto found = m_blockRecords.find(paper ? "*Paper_Space" : "*Model_Space");
    return found == m_blockRecords.end() ? std::string() : HandleOf(m_b, found->second);
  }

  // ---------------------------------------------------------------- gathering

  // The next free handle; empty when none is left below the largest a handle can be.
  std::string NextHandle() {
    if (m_nextHandle == 0 || m_nextHandle == UINT64_MAX) return {};
    return HandleText(m_nextHandle++);
  }

  // Gives a new record a handle when the drawing's records have them and one is free.
  void AddHandle(Pairs& pairs, int code) {
    if (!m_handled) return;
    if (std::string handle = NextHandle(); !handle.empty())
      pairs.emplace_back(code, std::move(handle));
  }

  void Insert(int at, Rank rank, Pairs pairs) {
    m_insertions.push_back({at, rank, std::move(pairs)});
  }

  // The counts of the tables that were short or that gained entries.
  void FinishCounts() {
    std::set<int> tables;
    for (const auto& [table, n] : m_countOf) tables.insert(table);
    for (const auto& [table, n] : m_added) tables.insert(table);
    for (const int table : tables) {
      const int pair = FindInRecord(m_b, table, kFlagsCode);
      int count = 0;
      if (pair < 0 || !ParseInt32(TrimView(m_b.ValueView(pair)), count)) continue;
      const auto entries = m_countOf.find(table);
      if (entries != m_countOf.end()) count = std::max(count, entries->second);
      m_plan.values.emplace_back(pair, WithNumber(m_b.ValueView(pair), count + m_added[table]));
    }
  }

  // $HANDSEED above every handle, the new ones included.
  void FinishSeed() {
    const bool gave = m_nextHandle > m_firstHandle;
    if (m_b.HandSeedIndex <= 0 || m_nextHandle == 0 || !(gave || m_seedRaised)) return;
    const std::string seed = HandleText(m_nextHandle);
    m_plan.values.emplace_back(m_b.HandSeedIndex, seed);
    for (const std::size_t k : m_seedLines)
      m_plan.repaired[k].text = Format(Sjis("$HANDSEED を %s にしました").c_str(), seed.c_str());
  }

  // Joins the records taken out and put in into replacements in file order. Records put
  // in at a place taken out go where the first record taken out stood.
  void FinishReplacements() {
    std::sort(m_removals.begin(), m_removals.end());
    std::vector<PairStretch> removals;
    for (const auto& [first, count] : m_removals) {
      if (!removals.empty() && first <= removals.back().first + removals.back().count) {
        PairStretch& last = removals.back();
        last.count = std::max(last.count, first + count - last.first);
        continue;
      }
      removals.push_back({first, count});
    }
    for (Insertion& insertion : m_insertions)
      for (const PairStretch& r : removals)
        if (insertion.at > r.first && insertion.at < r.first + r.count) insertion.at = r.first;
    std::stable_sort(m_insertions.begin(), m_insertions.end(),
                     [](const Insertion& x, const Insertion& y) {
                       return x.at != y.at ? x.at < y.at : x.rank < y.rank;
                     });
    std::map<int, PairReplacement> byFirst;
    for (const PairStretch& r : removals) byFirst[r.first] = {r.first, r.count, {}};
    for (const Insertion& insertion : m_insertions) {
      PairReplacement& r = byFirst[insertion.at];
      r.first = insertion.at;
      for (const auto& [code, value] : insertion.pairs) r.pairs.Add(code, value);
    }
    for (auto& [first, r] : byFirst) m_plan.replacements.push_back(std::move(r));
  }

  const TDXFBuffer& m_b;
  const int m_last;
  const bool m_modern;   // owners and subclass markers
  const bool m_handled;  // the records have handles
  std::uint64_t m_nextHandle = 0;
  std::uint64_t m_firstHandle = 0;
  bool m_seedRaised = false;
  std::vector<std::size_t> m_seedLines;  // the repaired lines that tell the new seed

  std::map<std::string, int> m_tables;        // the first TABLE record of each name
  SymbolNames m_blockRecords;                 // BLOCK_RECORD entries by name
  std::map<int, std::string> m_ownerByPlace;  // of the records whose owner dangles
  std::map<int, int> m_countOf;               // TABLE -> its entries, for a short count
  std::map<int, int> m_added;                 // TABLE -> entries added
  std::vector<std::string> m_taken;           // names given by renames
  std::vector<std::pair<int, int>> m_removals;
  std::vector<Insertion> m_insertions;
  RepairPlan m_plan;
};

}  // namespace

RepairPlan PlanRepair(const TDXFBuffer& b, const HandleIndex& handles,
                      const std::vector<CheckProblem>& problems) {
  return Planner(b, handles).Run(problems);
}

int PairAfterReplacements(const std::vector<PairReplacement>& replacements, int pair) {
  int shift = 0;
  for (const PairReplacement& r : replacements) {
    if (pair >= r.first + r.count)
      shift += r.pairs.Size() - r.count;
    else if (pair >= r.first && r.count > 0)
      return -1;
  }
  return pair + shift;
}

namespace {

// Where a table's names are used: the code, and the record types that use it so (any
// record when none is given).
struct NameUse {
  int code;
  std::vector<std::string_view> types;
};

std::vector<NameUse> UsesOfTable(std::string_view table) {
  if (table == "LAYER") return {{kLayerCode, {}}};
  if (table == "LTYPE") return {{kLinetypeCode, {}}};
  if (table == "STYLE") return {{kTextStyleCode, {}}};
  if (table == "APPID") return {{kXdataAppCode, {}}};
  if (table == "DIMSTYLE") return {{kSecondNameCode, {"DIMENSION", "LEADER", "TOLERANCE"}}};
  if (table == "BLOCK_RECORD" || table == "BLOCK")
    return {{kNameCode, {"INSERT", "DIMENSION", "BLOCK"}}, {kSecondNameCode, {"BLOCK"}}};
  return {};
}

bool IsUser(const NameUse& use, std::string_view type) {
  return use.types.empty() ||
         std::find(use.types.begin(), use.types.end(), type) != use.types.end();
}

}  // namespace

// A name is one name for AutoCAD whatever the case of its letters, so every use of it in
// any case changes; an empty name is no use of anything and stays.
int ApplyNameChange(TDXFBuffer& b, const NameChange& change) {
  int count = 0;
  const auto rename = [&](int i) {
    b.SetValue(i, change.newName);
    ++count;
  };
  if (change.namePair >= 0) rename(change.namePair);
  const std::vector<NameUse> uses =
      change.oldName.empty() ? std::vector<NameUse>() : UsesOfTable(change.table);
  std::string type;  // a copy: the values move as they change
  // To the last pair: the index (EofIndex) is not built again until the change is sealed.
  for (int i = 0; i < b.PairCount && !uses.empty(); ++i) {
    const int code = b.GetCode(i);
    if (code == kRecordStartCode) {
      type.assign(TrimView(b.ValueView(i)));
      continue;
    }
    for (const NameUse& use : uses)
      if (code == use.code && i != change.namePair && IsUser(use, type) &&
          SameSymbolName(b.Encoding, TrimView(b.ValueView(i)), change.oldName)) {
        rename(i);
        break;
      }
  }
  return count;
}

std::string RepairLogLine(const RepairLine& line) {
  return Format(Sjis("修復：　%lld 行：%s").c_str(), LineOfPair(line.pair), line.text.c_str());
}

std::string RepairLeftLine(const RepairLine& line) {
  return Format(Sjis("未修復：　%lld 行：%s").c_str(), LineOfPair(line.pair), line.text.c_str());
}

std::string RepairSummaryLine(int repaired, int left) {
  return Format(Sjis("図面を修復しました：修復 %d 件、修復できない問題 %d 件").c_str(), repaired,
                left);
}

std::string RepairQuestion(const RepairPlan& plan) {
  constexpr std::size_t kShown = 12;
  std::string text =
      Format(Sjis("次の %zu 件を修復します。よろしいですか？").c_str(), plan.repaired.size()) +
      "\r";
  for (std::size_t k = 0; k < plan.repaired.size() && k < kShown; ++k)
    text += Sjis("　") + RepairLogLine(plan.repaired[k]) + "\r";
  if (plan.repaired.size() > kShown)
    text += Format(Sjis("　ほか %zu 件").c_str(), plan.repaired.size() - kShown) + "\r";
  if (!plan.left.empty())
    text +=
        Format(Sjis("修復できない問題 %zu 件はそのまま残ります（メッセージ欄に書きます）").c_str(),
               plan.left.size()) +
        "\r";
  return text;
}

std::string RepairStepName(int count) {
  return Format(Sjis("図面の修復 %d 件").c_str(), count);
}
