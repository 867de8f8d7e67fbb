// DrawingCheck.cpp - the check of a drawing: its structure, its names and its texts.
//
// The handle problems come from the index; the rest from one walk over the pairs up to
// the EOF pair. The walk follows the nesting of sections, tables and blocks by the record
// types, tests the values of pointer, number and text codes, and keeps for the record it
// is in what the record names: a table entry's or block's own name, the layer, linetype,
// text style, block and dimension style an entity names, the applications of extended
// data, the owner. The tables come before what names their entries in a drawing, so a
// reference is mostly looked up at once; one that is not found yet (a block defined
// further down, an application whose APPID entry follows the LAYER table) waits for the
// end of the walk, when every definition is known.
//
// Performance: the walk reads each pair's code once and a value only where its code
// asks for it; the names are views into the buffer, looked up in hash maps that fold the
// letter case as they hash, and an entity naming the layer (linetype, ...) the last one
// named costs a comparison. Nothing is allocated per pair unless a problem is found.
#include "logic/check/DrawingCheck.h"

#include <algorithm>  // std::stable_sort, std::min
#include <array>      // std::array
#include <cstdint>    // std::uint64_t
#include <cstring>    // std::memcpy
#include <optional>   // std::optional
#include <utility>    // std::pair

#include "logic/check/CheckNames.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/GroupValues.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"

std::string_view CheckKindName(CheckKind kind) {
  switch (kind) {
    case CheckKind::DuplicateHandle:
      return "duplicate-handle";
    case CheckKind::DanglingPointer:
      return "dangling-pointer";
    case CheckKind::HandleAboveSeed:
      return "handle-above-seed";
    case CheckKind::UnclosedSection:
      return "unclosed-section";
    case CheckKind::UnclosedTable:
      return "unclosed-table";
    case CheckKind::UnclosedBlock:
      return "unclosed-block";
    case CheckKind::OutsideSection:
      return "outside-section";
    case CheckKind::BadNumber:
      return "bad-number";
    case CheckKind::MissingEof:
      return "missing-eof";
    case CheckKind::MissingSeqend:
      return "missing-seqend";
    case CheckKind::UnregisteredAppid:
      return "unregistered-appid";
    case CheckKind::UndefinedLinetype:
      return "undefined-linetype";
    case CheckKind::UndefinedStyle:
      return "undefined-style";
    case CheckKind::UndefinedBlock:
      return "undefined-block";
    case CheckKind::UndefinedDimstyle:
      return "undefined-dimstyle";
    case CheckKind::UndefinedLayer:
      return "undefined-layer";
    case CheckKind::BadName:
      return "bad-name";
    case CheckKind::DuplicateName:
      return "duplicate-name";
    case CheckKind::WrongOwner:
      return "wrong-owner";
    case CheckKind::BadText:
      return "bad-text";
    case CheckKind::TableCount:
      return "table-count";
    case CheckKind::VersionMismatch:
      return "version-mismatch";
  }
  return {};
}

bool IsNoteKind(CheckKind kind) {
  return kind == CheckKind::UndefinedLayer;
}

namespace {

// ------------------------------------------------------------------ texts

// The texts, converted to CP932 once.
struct Texts {
  std::string duplicate = Sjis("ハンドル %s は %lld 行のレコードと重複しています");
  std::string dangling = Sjis("参照先のハンドル %s がありません");
  std::string notHandle = Sjis("参照先 '%s' はハンドルではありません");
  std::string aboveSeed = Sjis("ハンドル %s が $HANDSEED（%s）以上です");
  std::string unclosedSection = Sjis("SECTION %s に ENDSEC がありません");
  std::string unclosedTable = Sjis("TABLE %s に ENDTAB がありません");
  std::string unclosedBlock = Sjis("BLOCK %s に ENDBLK がありません");
  std::string outside = Sjis("レコード %s がセクションの外にあります");
  std::string notInteger = Sjis("グループコード %d の値 '%s' は整数値ではありません");
  std::string notReal = Sjis("グループコード %d の値 '%s' は浮動小数点数ではありません");
  std::string missingEof = Sjis("図面の最後に EOF がありません");
  std::string missingSeqend = Sjis("%s（%lld 行）に SEQEND がありません");
  std::string unregisteredAppid = Sjis("アプリケーション名 '%s' は APPID テーブルにありません");
  std::string undefinedLinetype = Sjis("線種 '%s' は LTYPE テーブルにありません");
  std::string undefinedStyle = Sjis("文字スタイル '%s' は STYLE テーブルにありません");
  std::string undefinedBlock = Sjis("ブロック '%s' は BLOCKS セクションにありません");
  std::string undefinedDimstyle = Sjis("寸法スタイル '%s' は DIMSTYLE テーブルにありません");
  std::string undefinedLayer =
      Sjis("画層 '%s' は LAYER テーブルにありません（注意：AutoCAD はこのまま読み込みます）");
  std::string moreReferences = Sjis("（ほか %d か所）");
  std::string emptyName = Sjis("%s の名前が空です");
  std::string forbiddenCharacter = Sjis("%s の名前 '%s' に使えない文字 '%s' があります");
  std::string duplicateName = Sjis("%s の名前 '%s' は %lld 行の名前と重複しています");
  std::string duplicateNameInCase =
      Sjis("%s の名前 '%s' は %lld 行の '%s' と重複しています（大文字と小文字の違いだけです）");
  std::string wrongOwner = Sjis("所有者のハンドル %s は %lld 行の %s で、%s ではありません");
  std::string layoutBlockRecord = Sjis("レイアウトの BLOCK_RECORD");
  std::string polylineOrInsert = Sjis("POLYLINE か INSERT");
  std::string badText = Sjis("グループコード %d の値 '%s' は %s として読めません");
  std::string tableCount = Sjis("TABLE %s の項目数 %d が実際の項目数 %d より少なくなっています");
  std::string utf8InCodePage =
      Sjis("$ACADVER %s（$DWGCODEPAGE %s）の図面に UTF-8 の文字列があります（最初は %lld 行）");
  std::string codePageInUtf8 =
      Sjis("$ACADVER %s の図面は UTF-8 のはずですが、%s の文字列があります（最初は %lld 行）");
  std::string notUtf8InUtf8 = Sjis(
      "$ACADVER %s の図面は UTF-8 のはずですが、UTF-8 でない文字列があります（最初は %lld 行）");
};

const Texts& CheckTexts() {
  static const Texts texts;
  return texts;
}

// The name a SECTION, TABLE or BLOCK record gives itself (its code-2 value), trimmed.
std::string NameOf(const TDXFBuffer& b, int record) {
  const int name = FindInRecord(b, record, kNameCode);
  return name < 0 ? std::string() : Trim(b.ValueView(name));
}

// Tells whether a value is ASCII only, eight bytes at a time.
bool IsAscii(std::string_view s) noexcept {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  std::size_t at = 0;
  for (; at + 8 <= s.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + at, 8);
    if (word & kHighBits) return false;
  }
  for (; at < s.size(); ++at)
    if (static_cast<unsigned char>(s[at]) >= 0x80) return false;
  return true;
}

// Tells whether s starts with prefix, its ASCII letters in either case.
bool StartsWithFolded(std::string_view s, std::string_view prefix) noexcept {
  return s.size() >= prefix.size() &&
         SameSymbolName(TextEncoding::Ascii, s.substr(0, prefix.size()), prefix);
}

std::string UpperName(TextEncoding encoding) {
  return UpperAscii(EncodingName(encoding));
}

// ------------------------------------------------------------------ tables and names

// The symbol tables whose names the check keeps, and the BLOCKS section's definitions.
enum class Table : int {
  Vport,
  Ltype,
  Layer,
  Style,
  View,
  Ucs,
  Appid,
  Dimstyle,
  BlockRecord,
  Blocks,
  Other
};
constexpr int kTables = static_cast<int>(Table::Other);

Table TableNamed(std::string_view name) {
  static constexpr std::array<std::string_view, 9> kNames = {
      "VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"};
  for (std::size_t k = 0; k < kNames.size(); ++k)
    if (name == kNames[k]) return static_cast<Table>(k);
  return Table::Other;
}

// What an entity (or a LAYER entry) names.
enum class Reference : int { Linetype, Style, Block, Dimstyle, Layer, Appid };
constexpr int kReferences = 6;

struct ReferenceKind {
  Table table;
  CheckKind kind;
  std::string Texts::*format;
  std::array<std::string_view, 3> alwaysDefined;  // names every drawing has
};

const ReferenceKind& KindOf(Reference r) {
  static const std::array<ReferenceKind, kReferences> kKinds = {{
      {Table::Ltype,
       CheckKind::UndefinedLinetype,
       &Texts::undefinedLinetype,
       {"BYLAYER", "BYBLOCK", "CONTINUOUS"}},
      {Table::Style, CheckKind::UndefinedStyle, &Texts::undefinedStyle, {"STANDARD"}},
      {Table::Blocks, CheckKind::UndefinedBlock, &Texts::undefinedBlock, {}},
      {Table::Dimstyle, CheckKind::UndefinedDimstyle, &Texts::undefinedDimstyle, {"STANDARD"}},
      {Table::Layer, CheckKind::UndefinedLayer, &Texts::undefinedLayer, {"0"}},
      {Table::Appid, CheckKind::UnregisteredAppid, &Texts::unregisteredAppid, {"ACAD"}},
  }};
  return kKinds[static_cast<std::size_t>(r)];
}

// ------------------------------------------------------------------ records

enum class Section { None, Header, Tables, Blocks, Entities, Objects, Other };

Section SectionNamed(std::string_view name) {
  if (name == "HEADER") return Section::Header;
  if (name == "TABLES") return Section::Tables;
  if (name == "BLOCKS") return Section::Blocks;
  if (name == "ENTITIES") return Section::Entities;
  if (name == "OBJECTS") return Section::Objects;
  return Section::Other;
}

// What the record the walk is in is to the check.
enum class Role { Other, SectionHead, TableHead, Entry, Block, Endblk, Entity };

// Which records may own a record.
enum class OwnerRule { None, Table, BlockRecord, LayoutBlockRecord, Polyline, Insert, Either };

// What a record that owns others is, by the bits of an owner's class.
constexpr unsigned kIsBlockRecord = 1, kIsLayout = 2, kIsPolyline = 4, kIsInsert = 8;

// ------------------------------------------------------------------ the walk

class Checker {
 public:
  Checker(const TDXFBuffer& b, const HandleIndex& handles)
      : m_b(b), m_handles(handles), m_utf8(TextEncoding::Utf8), m_document(b.Encoding) {
    for (SymbolNames& names : m_names) names = MakeSymbolNames(b.Encoding);
    m_declared = EncodingOfCodePage(b.DwgCodePage);
    if (m_declared) m_declaredCheck.emplace(*m_declared);
  }

  std::vector<CheckProblem> Run() {
    CheckHandles();
    const int last = std::min(m_b.EofIndex, m_b.PairCount - 1);
    for (int i = 0; i <= last; ++i) CheckPair(i);
    EndRecord();
    if (m_seqOwner >= 0) MissingSeqend(last + 1);
    CloseAll();
    if (last >= 0 &&
        !(m_b.GetCode(last) == kRecordStartCode && TrimView(m_b.ValueView(last)) == "EOF"))
      Add(last + 1, CheckKind::MissingEof, CheckTexts().missingEof);
    ResolveReferences();
    CheckVersion();
    std::stable_sort(m_problems.begin(), m_problems.end(),
                     [](const CheckProblem& x, const CheckProblem& y) { return x.pair < y.pair; });
    return std::move(m_problems);
  }

 private:
  CheckProblem& Add(int pair, CheckKind kind, std::string text, std::string_view subject = {},
                    int other = -1) {
    m_problems.push_back({pair, kind, std::move(text), std::string(subject), other, 1});
    return m_problems.back();
  }

  std::string Shown(std::string_view value) const { return ProgramText(m_b, value); }

  void CheckHandles() {
    const std::vector<HandleOwner>& owners = m_handles.Entries();
    std::uint64_t seed = 0;
    const bool hasSeed =
        m_b.HandSeedIndex > 0 && ParseHandle(m_b.ValueView(m_b.HandSeedIndex), seed);
    for (std::size_t k = 0; k < owners.size(); ++k) {
      const HandleOwner& owner = owners[k];
      const std::string handle = HandleText(owner.handle);
      if (k > 0 && owners[k - 1].handle == owner.handle) {
        const int first = m_handles.Owner(owner.handle);
        Add(owner.record, CheckKind::DuplicateHandle,
            Format(CheckTexts().duplicate.c_str(), handle.c_str(), LineOfPair(first)), handle,
            first);
      }
      if (hasSeed && owner.handle >= seed)
        Add(owner.record, CheckKind::HandleAboveSeed,
            Format(CheckTexts().aboveSeed.c_str(), handle.c_str(), HandleText(seed).c_str()),
            handle, m_b.HandSeedIndex);
    }
  }

  void CheckPair(int i) {
    const int code = m_b.GetCode(i);
    if (code == kRecordStartCode) {
      EndRecord();
      CheckText(i);
      return CheckRecord(i);
    }
    NotePair(i, code);
    if (IsPointerCode(code)) return CheckPointer(i);
    const GroupValueType type = ValueTypeOfCode(code);
    if (type == GroupValueType::String) {
      if (!IsHandleValueCode(code)) CheckText(i);
      return;
    }
    if (!IsNumberType(type)) return;
    const std::string_view value = TrimView(m_b.ValueView(i));
    if (ReadsAsNumberOfCode(code, value)) return;
    const std::string& format =
        type == GroupValueType::Real ? CheckTexts().notReal : CheckTexts().notInteger;
    Add(i, CheckKind::BadNumber, Format(format.c_str(), code, Shown(value).c_str()), value);
  }

  void CheckPointer(int i) {
    std::uint64_t handle = 0;
    switch (PointerStateOf(m_b, m_handles, i, handle)) {
      case PointerState::NotPointer:
      case PointerState::Null:
      case PointerState::Owned:
        return;
      case PointerState::Dangling:
        Add(i, CheckKind::DanglingPointer,
            Format(CheckTexts().dangling.c_str(), HandleText(handle).c_str()), HandleText(handle));
        return;
      case PointerState::NotHandle: {
        const std::string_view value = TrimView(m_b.ValueView(i));
        Add(i, CheckKind::DanglingPointer,
            Format(CheckTexts().notHandle.c_str(), Shown(value).c_str()), value);
        return;
      }
    }
  }

  // ---------------------------------------------------------------- nesting

  // Follows the nesting: a SECTION, TABLE or BLOCK stays open until its closer, and is
  // reported when the next opener of its level, its section's end or the EOF comes first.
  // Then gives the record its role.
  void CheckRecord(int i) {
    const std::string_view type = TrimView(m_b.ValueView(i));
    CheckSequence(i, type);
    m_record = i;
    m_role = Role::Other;
    if (type == "SECTION" || type == "EOF") {
      CloseAll();
      if (type == "SECTION") {
        m_section = i;
        m_role = Role::SectionHead;
      }
    } else if (m_section < 0) {
      Add(i, CheckKind::OutsideSection, Format(CheckTexts().outside.c_str(), Shown(type).c_str()),
          type);
    } else if (type == "ENDSEC") {
      CloseInner();
      m_section = -1;
      m_sectionKind = Section::None;
    } else if (type == "TABLE") {
      CloseTable(true);
      m_table = i;
      m_role = Role::TableHead;
    } else if (type == "ENDTAB") {
      CloseTable(false);
    } else if (type == "BLOCK") {
      Close(m_block, CheckKind::UnclosedBlock, CheckTexts().unclosedBlock);
      m_block = i;
      m_role = Role::Block;
    } else if (type == "ENDBLK") {
      m_block = -1;
      m_role = Role::Endblk;
    } else if (m_table >= 0) {
      m_role = Role::Entry;
      ++m_tableEntries;
    } else if (m_sectionKind == Section::Blocks || m_sectionKind == Section::Entities) {
      m_role = Role::Entity;
      StartEntity(type);
    }
  }

  // Reports an opener that is still open and forgets it.
  void Close(int& opener, CheckKind kind, const std::string& format) {
    if (opener < 0) return;
    const std::string name = NameOf(m_b, opener);
    Add(opener, kind, Format(format.c_str(), Shown(name).c_str()), name);
    opener = -1;
  }

  // Ends the open table, reporting it when it was not closed, and checks its count.
  void CloseTable(bool unclosed) {
    if (m_table < 0) return;
    const int table = m_table;
    if (unclosed) Close(m_table, CheckKind::UnclosedTable, CheckTexts().unclosedTable);
    m_table = -1;
    int count = 0;
    if (m_tableCountPair >= 0 && ParseInt32(TrimView(m_b.ValueView(m_tableCountPair)), count) &&
        count < m_tableEntries - m_uncountedEntries) {
      const std::string name = NameOf(m_b, table);
      CheckProblem& p =
          Add(m_tableCountPair, CheckKind::TableCount,
              Format(CheckTexts().tableCount.c_str(), Shown(name).c_str(), count, m_tableEntries),
              name, table);
      p.count = m_tableEntries;
    }
    m_tableKind = Table::Other;
    m_tableHandle.reset();
    m_tableCountPair = -1;
    m_tableEntries = 0;
    m_uncountedEntries = 0;
  }

  // Reports the table and the block still open in the section.
  void CloseInner() {
    CloseTable(true);
    Close(m_block, CheckKind::UnclosedBlock, CheckTexts().unclosedBlock);
  }

  void CloseAll() {
    CloseInner();
    Close(m_section, CheckKind::UnclosedSection, CheckTexts().unclosedSection);
    m_sectionKind = Section::None;
  }

  // ---------------------------------------------------------------- sequences

  // A POLYLINE's VERTEX records, or an attributed INSERT's ATTRIB records, end with a
  // SEQEND; any other record after them stands where the SEQEND belongs.
  void CheckSequence(int i, std::string_view type) {
    if (m_seqOwner < 0) return;
    if (type == m_seqFollower) return;
    if (type != "SEQEND") MissingSeqend(i);
    m_seqOwner = -1;
  }

  void MissingSeqend(int i) {
    const std::string_view type = TrimView(m_b.ValueView(m_seqOwner));
    Add(i, CheckKind::MissingSeqend,
        Format(CheckTexts().missingSeqend.c_str(), Shown(type).c_str(), LineOfPair(m_seqOwner)),
        type, m_seqOwner);
    m_seqOwner = -1;
  }

  // ---------------------------------------------------------------- one record

  void StartEntity(std::string_view type) {
    m_styleReference = type == "TEXT" || type == "MTEXT" || type == "ATTRIB" || type == "ATTDEF";
    m_insert = type == "INSERT";
    m_dimension = type == "DIMENSION";
    m_polyline = type == "POLYLINE";
    m_dimstyleReference = m_dimension || type == "LEADER" || type == "TOLERANCE";
    if (type == "VERTEX")
      m_ownerRule = OwnerRule::Polyline;
    else if (type == "ATTRIB")
      m_ownerRule = OwnerRule::Insert;
    else if (type == "SEQEND")
      m_ownerRule = OwnerRule::Either;
  }

  // What the record says of itself and of others, pair by pair. Extended data (from
  // 1001) and an embedded object (from 101) are not the record's own fields; a 102 group
  // holds reactors and dictionaries, not the owner.
  void NotePair(int i, int code) {
    switch (code) {
      case 1:
        if (m_acadVerNext) m_acadVerPair = i;
        m_acadVerNext = false;
        return;
      case kVariableCode:
        m_acadVerNext = TrimView(m_b.ValueView(i)) == "$ACADVER";
        return;
      case 1001:
        m_inXdata = true;
        if (m_sectionKind != Section::Header) Refer(i, Reference::Appid, false);
        return;
      case 101:
        m_inEmbedded = true;
        return;
      case 102: {
        const std::string_view value = TrimView(m_b.ValueView(i));
        if (!value.empty()) m_in102 = value.front() == '{';
        return;
      }
      case 100:
        ++m_subclasses;
        return;
      default:
        break;
    }
    if (m_inXdata || m_inEmbedded) return;
    switch (code) {
      case 330:
        return NoteOwner(i);
      case kLayerCode:
        if (First(kSeenLayer) &&
            (m_role == Role::Entity || m_role == Role::Block || m_role == Role::Endblk))
          Refer(i, Reference::Layer, false);
        return;
      case kLinetypeCode:
        if (First(kSeenLinetype) &&
            (m_role == Role::Entity || (m_role == Role::Entry && m_tableKind == Table::Layer)))
          Refer(i, Reference::Linetype, true);
        return;
      case 7:
        if (First(kSeenStyle) && m_role == Role::Entity && m_styleReference)
          Refer(i, Reference::Style, true);
        return;
      case kNameCode:
        if (!First(kSeenName)) return;
        if (m_role == Role::SectionHead) {
          m_sectionKind = SectionNamed(TrimView(m_b.ValueView(i)));
          if (m_sectionKind == Section::Blocks && m_blocksSection < 0) m_blocksSection = m_section;
        } else if (m_role == Role::TableHead) {
          NoteTable(TrimView(m_b.ValueView(i)));
        } else if (m_role == Role::Entry || m_role == Role::Block) {
          m_namePair = i;
        } else if (m_role == Role::Entity && (m_insert || m_dimension)) {
          Refer(i, Reference::Block, m_dimension);  // a DIMENSION may have no block
        }
        return;
      case kSecondNameCode:
        if (First(kSeenDimstyle) && m_role == Role::Entity && m_dimstyleReference)
          Refer(i, Reference::Dimstyle, true);
        return;
      case kHandleCode:
        if (m_role == Role::TableHead && !m_tableHandle) {
          std::uint64_t handle = 0;
          if (ParseHandle(m_b.ValueView(i), handle)) m_tableHandle = handle;
        }
        return;
      case kFlagsCode:
        if (!First(kSeenFlags)) return;
        if (m_role == Role::TableHead) {
          m_tableCountPair = i;
        } else if (m_role == Role::Entry || m_role == Role::Block) {
          if (!ParseInt32(TrimView(m_b.ValueView(i)), m_flags)) m_flags = 0;
        }
        return;
      case 66:
        if (m_role == Role::Entity && m_insert && TrimView(m_b.ValueView(i)) == "1")
          m_attribsFollow = true;
        return;
      default:
        return;
    }
  }

  static constexpr unsigned kSeenLayer = 1, kSeenLinetype = 2, kSeenStyle = 4, kSeenName = 8,
                            kSeenDimstyle = 16, kSeenFlags = 32;

  // Tells whether this is the record's first pair of a kind, and notes it.
  bool First(unsigned seen) {
    if (m_seen & seen) return false;
    m_seen |= seen;
    return true;
  }

  void NoteTable(std::string_view name) {
    m_tableKind = TableNamed(name);
    if (m_tableKind != Table::Other && m_tableRecord[static_cast<std::size_t>(m_tableKind)] < 0)
      m_tableRecord[static_cast<std::size_t>(m_tableKind)] = m_table;
  }

  // Finishes the record the walk was in: registers the name of a table entry or a block,
  // opens a sequence, and forgets the record.
  void EndRecord() {
    if (m_role == Role::Entry && m_namePair >= 0 && m_tableKind != Table::Other)
      DefineName(m_tableKind);
    else if (m_role == Role::Block && m_namePair >= 0)
      DefineName(Table::Blocks);
    else if (m_role == Role::Entity && m_polyline)
      OpenSequence("VERTEX");
    else if (m_role == Role::Entity && m_insert && m_attribsFollow)
      OpenSequence("ATTRIB");
    m_role = Role::Other;
    m_seen = 0;
    m_namePair = -1;
    m_flags = 0;
    m_inXdata = m_inEmbedded = m_in102 = false;
    m_subclasses = 0;
    m_ownerDone = false;
    m_ownerRule = OwnerRule::None;
    m_styleReference = m_insert = m_dimension = m_polyline = m_dimstyleReference = false;
    m_attribsFollow = false;
    m_acadVerNext = false;
  }

  void OpenSequence(std::string_view follower) {
    m_seqOwner = m_record;
    m_seqFollower = follower;
  }

  // ---------------------------------------------------------------- names

  // Checks the name of the entry (or block) the walk leaves and keeps it.
  void DefineName(Table table) {
    const int pair = m_namePair;
    const std::string_view name = TrimView(m_b.ValueView(pair));
    const std::string_view type = TrimView(m_b.ValueView(m_record));
    if (IsUncounted(table, name)) ++m_uncountedEntries;
    // A STYLE entry of a shape file (70 bit 1) may be nameless, and many are.
    if (name.empty() && table == Table::Style && (m_flags & 1)) return;
    // The BLOCKS section's names are judged with the BLOCK_RECORD table's entries; a
    // drawing before R13 has no such table and has them judged here.
    const bool judged = table != Table::Blocks || m_b.BlockRecordTableIndex == 0;
    if (judged && !JudgeName(table, type, name, pair)) return;
    auto [at, added] = m_names[static_cast<std::size_t>(table)].emplace(name, pair);
    // Several VPORT entries of one name make one viewport configuration.
    if (added || !judged || table == Table::Vport) return;
    const std::string_view first = TrimView(m_b.ValueView(at->second));
    const std::string& format =
        first == name ? CheckTexts().duplicateName : CheckTexts().duplicateNameInCase;
    Add(pair, CheckKind::DuplicateName,
        Format(format.c_str(), Shown(type).c_str(), Shown(name).c_str(), LineOfPair(at->second),
               Shown(first).c_str()),
        name, at->second);
  }

  // Tells whether AutoCAD leaves the entry out of its table's count (70 of the TABLE):
  // its LTYPE count leaves out ByBlock and ByLayer, its BLOCK_RECORD count the layouts'
  // records, so a count smaller by these is what AutoCAD itself writes.
  static bool IsUncounted(Table table, std::string_view name) {
    if (table == Table::Ltype)
      return SameSymbolName(TextEncoding::Ascii, name, "BYBLOCK") ||
             SameSymbolName(TextEncoding::Ascii, name, "BYLAYER");
    return table == Table::BlockRecord &&
           (StartsWithFolded(name, "*MODEL_SPACE") || StartsWithFolded(name, "*PAPER_SPACE"));
  }

  // Reports a name AutoCAD forbids; true when the name is good.
  bool JudgeName(Table table, std::string_view type, std::string_view name, int pair) {
    if (name.empty()) {
      Add(pair, CheckKind::BadName, Format(CheckTexts().emptyName.c_str(), Shown(type).c_str()),
          name, m_record);
      return false;
    }
    NameAllowance allowed;
    allowed.leadingStar =
        table == Table::Vport || table == Table::BlockRecord || table == Table::Blocks;
    // An externally dependent name (70 bit 16) is the xref's name, "|" and its own; a
    // BLOCK_RECORD entry carries no such flag.
    allowed.bar = (m_flags & 16) != 0 || table == Table::BlockRecord;
    const std::string_view bad = ForbiddenNameCharacter(m_b.Encoding, name, allowed);
    if (bad.empty()) return true;
    Add(pair, CheckKind::BadName,
        Format(CheckTexts().forbiddenCharacter.c_str(), Shown(type).c_str(), Shown(name).c_str(),
               Shown(bad).c_str()),
        name, m_record);
    return true;  // still a name that others may use
  }

  // Looks up a name the record uses; one not defined yet waits for the end of the walk.
  void Refer(int pair, Reference r, bool skipEmpty) {
    const std::string_view name = TrimView(m_b.ValueView(pair));
    if (name.empty() && skipEmpty) return;
    std::string_view& last = m_lastFound[static_cast<std::size_t>(r)];
    if (!name.empty() && name == last) return;
    if (!IsDefined(r, name)) return m_pending.push_back({pair, r});
    last = name;
  }

  bool IsDefined(Reference r, std::string_view name) const {
    const ReferenceKind& kind = KindOf(r);
    for (const std::string_view always : kind.alwaysDefined)
      if (!always.empty() && SameSymbolName(TextEncoding::Ascii, name, always)) return true;
    return m_names[static_cast<std::size_t>(kind.table)].contains(name);
  }

  // Reports each name still undefined once, at its first reference, with the count of
  // the others.
  void ResolveReferences() {
    std::array<SymbolNames, kReferences> reported;
    for (SymbolNames& names : reported) names = MakeSymbolNames(m_b.Encoding);
    std::vector<std::pair<std::size_t, Reference>> added;  // the problems made here
    for (const PendingReference& p : m_pending) {
      const std::string_view name = TrimView(m_b.ValueView(p.pair));
      if (IsDefined(p.reference, name)) continue;
      SymbolNames& seen = reported[static_cast<std::size_t>(p.reference)];
      if (const auto at = seen.find(name); at != seen.end()) {
        ++m_problems[static_cast<std::size_t>(at->second)].count;
        continue;
      }
      const Table table = KindOf(p.reference).table;
      const int home =
          table == Table::Blocks ? m_blocksSection : m_tableRecord[static_cast<std::size_t>(table)];
      seen.emplace(name, static_cast<int>(m_problems.size()));
      added.emplace_back(m_problems.size(), p.reference);
      Add(p.pair, KindOf(p.reference).kind, std::string(), name, home);
    }
    for (const auto& [k, reference] : added) {
      CheckProblem& p = m_problems[k];
      p.text = Format((CheckTexts().*(KindOf(reference).format)).c_str(), Shown(p.subject).c_str());
      if (p.count > 1) p.text += Format(CheckTexts().moreReferences.c_str(), p.count - 1);
    }
  }

  // ---------------------------------------------------------------- owners

  // Checks the record's owner, its first 330 outside a 102 group within the record's
  // first subclass: a handle that some record owns, but one that cannot own this record.
  // A dangling owner is the pointer check's.
  void NoteOwner(int i) {
    if (m_ownerDone || m_in102 || m_subclasses >= 2) return;
    m_ownerDone = true;
    const OwnerRule rule = RuleOfRecord();
    if (rule == OwnerRule::None) return;
    std::uint64_t handle = 0;
    if (!ParseHandle(m_b.ValueView(i), handle) || handle == 0) return;
    if (rule == OwnerRule::Table) {
      if (!m_tableHandle || *m_tableHandle == handle) return;
    }
    const unsigned owner = OwnerClass(handle);
    if (m_ownerRecord < 0) return;
    bool fits = false;
    std::string expected;
    switch (rule) {
      case OwnerRule::None:
        return;
      case OwnerRule::Table:
        expected = "TABLE " + NameOf(m_b, m_table);
        break;
      case OwnerRule::BlockRecord:
        fits = owner & kIsBlockRecord;
        expected = "BLOCK_RECORD";
        break;
      case OwnerRule::LayoutBlockRecord:
        fits = owner & kIsLayout;
        expected = CheckTexts().layoutBlockRecord;
        break;
      case OwnerRule::Polyline:
        fits = owner & kIsPolyline;
        expected = "POLYLINE";
        break;
      case OwnerRule::Insert:
        fits = owner & kIsInsert;
        expected = "INSERT";
        break;
      case OwnerRule::Either:
        fits = owner & (kIsPolyline | kIsInsert);
        expected = CheckTexts().polylineOrInsert;
        break;
    }
    // A VERTEX, ATTRIB or SEQEND belongs to its POLYLINE or INSERT, but writers (ezdxf
    // among them) give it the owner of that POLYLINE or INSERT, and AutoCAD reads that.
    if (rule == OwnerRule::Polyline || rule == OwnerRule::Insert || rule == OwnerRule::Either)
      fits = fits || (owner & (m_sectionKind == Section::Entities ? kIsLayout : kIsBlockRecord));
    if (fits) return;
    std::string ownerType(TrimView(m_b.ValueView(m_ownerRecord)));
    if (ownerType == "TABLE" || ownerType == "BLOCK_RECORD")
      ownerType += " " + NameOf(m_b, m_ownerRecord);
    const std::string text = HandleText(handle);
    Add(i, CheckKind::WrongOwner,
        Format(CheckTexts().wrongOwner.c_str(), text.c_str(), LineOfPair(m_ownerRecord),
               Shown(ownerType).c_str(), expected.c_str()),
        text, m_ownerRecord);
  }

  // Which records may own the record the walk is in.
  OwnerRule RuleOfRecord() const {
    switch (m_role) {
      case Role::Entry:
        return OwnerRule::Table;
      case Role::Block:
      case Role::Endblk:
        return m_sectionKind == Section::Blocks ? OwnerRule::BlockRecord : OwnerRule::None;
      case Role::Entity:
        if (m_ownerRule != OwnerRule::None) return m_ownerRule;
        return m_sectionKind == Section::Entities ? OwnerRule::LayoutBlockRecord
                                                  : OwnerRule::BlockRecord;
      default:
        return OwnerRule::None;
    }
  }

  // Returns what the record owning handle is (the last one asked is remembered: most
  // entities in a row have one owner) and sets m_ownerRecord, -1 when none owns it.
  unsigned OwnerClass(std::uint64_t handle) {
    if (m_ownerCached && m_ownerHandle == handle) return m_ownerBits;
    m_ownerCached = true;
    m_ownerHandle = handle;
    m_ownerBits = 0;
    m_ownerRecord = m_handles.Owner(handle);
    if (m_ownerRecord < 0) return 0;
    const std::string_view type = TrimView(m_b.ValueView(m_ownerRecord));
    if (type == "BLOCK_RECORD") {
      m_ownerBits |= kIsBlockRecord;
      const int name = FindInRecord(m_b, m_ownerRecord, kNameCode);
      const std::string_view n = name < 0 ? std::string_view() : TrimView(m_b.ValueView(name));
      if (StartsWithFolded(n, "*MODEL_SPACE") || StartsWithFolded(n, "*PAPER_SPACE"))
        m_ownerBits |= kIsLayout;
    } else if (type == "POLYLINE") {
      m_ownerBits |= kIsPolyline;
    } else if (type == "INSERT") {
      m_ownerBits |= kIsInsert;
    }
    return m_ownerBits;
  }

  // ---------------------------------------------------------------- texts

  // Tells whether a text value decodes in the document's encoding, and notes what the
  // drawing's texts are for the version check.
  void CheckText(int i) {
    const std::string_view value = m_b.ValueView(i);
    if (IsAscii(value)) return;
    if (m_firstNonAscii < 0) m_firstNonAscii = i;
    ++m_nonAscii;
    const bool utf8 = m_utf8.Decodes(value);
    m_utf8Texts += utf8;
    if (m_declaredCheck && !m_declaredCheck->Decodes(value)) ++m_notDeclared;
    const bool decodes = m_b.Encoding == TextEncoding::Utf8 ? utf8 : m_document.Decodes(value);
    if (decodes) return;
    // Shown with U+FFFD for the bytes that do not decode, as the grid shows them, rather
    // than with those bytes, which might swallow a character of the text around them.
    const std::string shown = ProgramTextOfUtf8(ToUtf8(m_b.Encoding, value));
    Add(i, CheckKind::BadText,
        Format(CheckTexts().badText.c_str(), m_b.GetCode(i), shown.c_str(),
               UpperName(m_b.Encoding).c_str()));
  }

  // A drawing before AC1021 keeps its texts in the code page $DWGCODEPAGE names, a later
  // one in UTF-8. Reported only when every text that is not ASCII says otherwise: all
  // UTF-8 (and, for a double-byte code page, not all of that code page too) in an older
  // drawing, none UTF-8 in a newer one.
  void CheckVersion() {
    if (m_acadVerPair < 0 || m_b.AcadVerNo <= 0 || m_nonAscii == 0) return;
    const Texts& t = CheckTexts();
    const std::string version = Shown(m_b.AcadVer);
    const long long first = LineOfPair(m_firstNonAscii);
    std::string text;
    if (m_b.AcadVerNo < 1021) {
      if (!m_declared || *m_declared == TextEncoding::Utf8 || m_utf8Texts != m_nonAscii) return;
      if (!IsSingleByte(*m_declared) && m_notDeclared == 0) return;
      text =
          Format(t.utf8InCodePage.c_str(), version.c_str(), Shown(m_b.DwgCodePage).c_str(), first);
    } else {
      if (m_utf8Texts != 0) return;
      if (m_declared && *m_declared != TextEncoding::Utf8 && m_notDeclared == 0)
        text = Format(t.codePageInUtf8.c_str(), version.c_str(), Shown(m_b.DwgCodePage).c_str(),
                      first);
      else
        text = Format(t.notUtf8InUtf8.c_str(), version.c_str(), first);
    }
    Add(m_acadVerPair, CheckKind::VersionMismatch, std::move(text), m_b.AcadVer, m_firstNonAscii);
  }

  // ---------------------------------------------------------------- state

  struct PendingReference {
    int pair;
    Reference reference;
  };

  const TDXFBuffer& m_b;
  const HandleIndex& m_handles;
  std::vector<CheckProblem> m_problems;

  // The nesting: the open SECTION, TABLE and BLOCK records, -1 for none.
  int m_section = -1;
  int m_table = -1;
  int m_block = -1;
  Section m_sectionKind = Section::None;
  int m_blocksSection = -1;  // the first BLOCKS section's SECTION record

  // The open table.
  Table m_tableKind = Table::Other;
  std::optional<std::uint64_t> m_tableHandle;
  int m_tableCountPair = -1;
  int m_tableEntries = 0;
  int m_uncountedEntries = 0;  // entries AutoCAD leaves out of its own counts
  std::array<int, kTables> m_tableRecord = [] {
    std::array<int, kTables> a;
    a.fill(-1);
    return a;
  }();

  // The record the walk is in.
  int m_record = -1;
  Role m_role = Role::Other;
  unsigned m_seen = 0;
  int m_namePair = -1;
  int m_flags = 0;
  bool m_inXdata = false, m_inEmbedded = false, m_in102 = false;
  int m_subclasses = 0;
  bool m_ownerDone = false;
  OwnerRule m_ownerRule = OwnerRule::None;
  bool m_styleReference = false, m_insert = false, m_dimension = false, m_polyline = false,
       m_dimstyleReference = false, m_attribsFollow = false;

  // The open sequence: its POLYLINE or INSERT, -1 for none, and what may follow it.
  int m_seqOwner = -1;
  std::string_view m_seqFollower;

  // The names defined, and the references still to look up.
  std::array<SymbolNames, kTables + 1> m_names;
  std::array<std::string_view, kReferences> m_lastFound;
  std::vector<PendingReference> m_pending;

  // The last owner looked up.
  bool m_ownerCached = false;
  std::uint64_t m_ownerHandle = 0;
  unsigned m_ownerBits = 0;
  int m_ownerRecord = -1;

  // The texts.
  DecodeCheck m_utf8;
  DecodeCheck m_document;
  std::optional<TextEncoding> m_declared;  // the code page $DWGCODEPAGE names
  std::optional<DecodeCheck> m_declaredCheck;
  bool m_acadVerNext = false;
  int m_acadVerPair = -1;
  int m_firstNonAscii = -1;
  int m_nonAscii = 0;
  int m_utf8Texts = 0;
  int m_notDeclared = 0;
};

}  // namespace

std::vector<CheckProblem> CheckDrawing(const TDXFBuffer& b, const HandleIndex& handles) {
  return Checker(b, handles).Run();
}
