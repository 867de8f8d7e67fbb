// MyDXFClassTables.cpp - the layer and group tables and the three name checks.
//
// The tables walk the buffer's pairs record by record: a record is a code-0 pair and
// the pairs after it up to the next code-0 pair. The buffer's tail of cleared code-0
// pairs ends every such walk. The name checks look at each character of a name, in the
// document's encoding, and collect the ones that AutoCAD or other programs mishandle.
#include <algorithm>  // std::min
#include <bitset>     // std::bitset

#include "model/buffer/GroupCodes.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"

// ------------------------------------------------------------------ conversions

std::string NotIntegerMessage(std::string_view text) {
  static const std::string kTemplate = Sjis("'%s' は整数値ではありません");
  return Format(kTemplate.c_str(), std::string(text).c_str());
}

namespace {

// Reads the numbers of one table build. A value that is none reads as 0 and keeps its
// message; the build checks Failed after each record and stops at the first.
class NumberReader {
 public:
  int Int(std::string_view text) { return Read(text, ParseInt32); }
  int Hex(std::string_view text) { return Read(text, ParseHex32); }
  bool Failed() const { return !m_failure.empty(); }
  // Ends a build that read a value that is no number: the table keeps the message.
  int Fail(std::string& failure) {
    failure = std::move(m_failure);
    return kTableBadValue;
  }

 private:
  int Read(std::string_view text, bool (*parse)(std::string_view, int&) noexcept) {
    int value = 0;
    if (!parse(text, value) && !Failed()) m_failure = NotIntegerMessage(text);
    return value;
  }

  std::string m_failure;  // the message of the first value that is no number
};

}  // namespace

// Index of the first pair from `from` on that starts a record or reaches `limit`.
static int RecordEnd(const TDXFBuffer& b, int from, int limit) {
  int i = from;
  while (i < limit && b.GetCode(i) != kRecordStartCode) ++i;
  return i;
}

// Index of the next code-0 pair after pair i; the cleared tail guarantees one.
static int NextRecord(const TDXFBuffer& b, int i) {
  do ++i;
  while (b.GetCode(i) != kRecordStartCode);
  return i;
}

// ------------------------------------------------------------------ layer table

// Sets the field of a layer record that pair i carries.
static void ReadLayerField(const TDXFBuffer& b, int i, TDXFLayer& layer, NumberReader& numbers) {
  const std::string_view value = TrimView(b.ValueView(i));
  switch (b.GetCode(i)) {
    case kRecordStartCode:
      layer.Kind = value;
      break;
    case kNameCode:
      layer.Name = value;
      break;
    case kHandleCode:
      layer.Handle = numbers.Hex(value);
      break;
    case kLinetypeCode:
      layer.LineType = value;
      break;
    case kColorCode:
      layer.Color = numbers.Int(value);
      break;
    case kFlagsCode:
      layer.Flags = numbers.Int(value);
      break;
    case kLineWeightCode:
      layer.LineWeight = numbers.Int(value);
      break;
    case kTrueColorCode:
      layer.TrueColor = numbers.Int(value);
      break;
    case kColorBookCode:
      layer.BookName = value;
      break;
    default:
      break;
  }
}

// Reads the table head from the TABLE pair up to the first record. Returns false when
// the head names another table; `next` gets the index of the first record.
static bool ReadLayerHead(const TDXFBuffer& b, TDXFLayerTable& table, int& next,
                          NumberReader& numbers) {
  next = NextRecord(b, table.TableIndex);
  for (int i = table.TableIndex + 1; i < next; ++i) {
    const std::string_view value = TrimView(b.ValueView(i));
    const int code = b.GetCode(i);
    if (code == kNameCode) {
      table.TableName = value;
      if (value != "LAYER") return false;
    } else if (code == kHandleCode) {
      table.TableHandle = numbers.Hex(value);
    } else if (code == kFlagsCode) {
      table.Count = numbers.Int(value);
    }
  }
  return true;
}

int TDXFLayerTable::Build(const TDXFBuffer& buffer) {
  Layers.clear();  // a failed build leaves no records of an earlier one to be shown
  Failure.clear();
  if (buffer.LayerTableIndex == 0) return -1;
  TableIndex = buffer.LayerTableIndex;
  TableName.clear();
  TableHandle = 0;
  Count = 0;
  NumberReader numbers;
  int at = 0;
  const bool layerHead = ReadLayerHead(buffer, *this, at, numbers);
  if (numbers.Failed()) return numbers.Fail(Failure);
  if (!layerHead) return -5;
  // Only records that exist are kept, so no slot of Layers is ever left unread.
  while (static_cast<int>(Layers.size()) < Count && TrimView(buffer.ValueView(at)) == "LAYER") {
    TDXFLayer layer;
    layer.Index = at;
    const int end = NextRecord(buffer, at);
    for (int i = at; i < end; ++i) ReadLayerField(buffer, i, layer, numbers);
    if (numbers.Failed()) return numbers.Fail(Failure);
    Layers.push_back(std::move(layer));
    at = end;
  }
  return 0;
}

TDXFLayer TDXFLayerTable::GetLayer(int i) const {
  return Layers.at(static_cast<std::size_t>(i));
}

// ------------------------------------------------------------------ group table

// Index of the group dictionary's entry ACAD_GROUP in the root dictionary, or -1.
static int FindAcadGroupEntry(const TDXFBuffer& b) {
  int root = b.ObjectsStart;
  while (root < b.ObjectsEnd &&
         !(b.GetCode(root) == kRecordStartCode && b.ValueView(root) == "DICTIONARY"))
    ++root;
  if (root >= b.ObjectsEnd) return -1;
  const int end = RecordEnd(b, root + 1, b.ObjectsEnd);
  for (int i = root + 1; i < end; ++i)
    if (b.GetCode(i) == kSecondNameCode && b.ValueView(i) == "ACAD_GROUP") return i;
  return -1;
}

// Fills each entry's name and handle from the dictionary's 3/350 pairs: a name
// belongs to the 350 that follows it.
static void ReadGroupEntries(const TDXFBuffer& b, TDXFGroupTable& table, int end,
                             NumberReader& numbers) {
  std::size_t k = 0;
  for (int i = table.DictIndex + 1; i < end; ++i) {
    const int code = b.GetCode(i);
    if (code == kSecondNameCode) table.Groups[k].Name = Trim(b.ValueView(i));
    if (code != kDictEntryCode) continue;
    table.Groups[k].Handle = numbers.Hex(TrimView(b.ValueView(i)));
    ++k;
  }
}

// Finds the GROUP object of an entry and reads its description and members.
static void ReadGroupObject(const TDXFBuffer& b, int dictIndex, TDXFGroup& group,
                            NumberReader& numbers) {
  group.Index = b.FindHandle(group.Handle, dictIndex);
  if (group.Index < 0) return;
  const int end = RecordEnd(b, group.Index + 1, b.ObjectsEnd);
  for (int i = group.Index + 1; i < end; ++i) {
    const int code = b.GetCode(i);
    if (code == kGroupDescriptionCode) group.Description = Trim(b.ValueView(i));
    if (code != kGroupMemberCode) continue;
    group.Members.push_back(numbers.Hex(TrimView(b.ValueView(i))));
    ++group.MemberCount;
  }
}

int TDXFGroupTable::Build(const TDXFBuffer& buffer) {
  Groups.clear();  // a failed build leaves no groups of an earlier one to be shown
  Failure.clear();
  if (buffer.ObjectsStart == 0) return -1;
  const int entry = FindAcadGroupEntry(buffer);
  if (entry < 0) return -1;
  NumberReader numbers;
  DictHandle = numbers.Hex(TrimView(buffer.ValueView(entry + 1)));
  if (numbers.Failed()) return numbers.Fail(Failure);
  const int dict = buffer.FindHandle(DictHandle, entry);
  if (dict < 0) return -1;
  DictIndex = dict;
  DictType = buffer.GetValue(dict);
  const int end = RecordEnd(buffer, dict + 1, buffer.ObjectsEnd);
  Count = 0;
  for (int i = dict + 1; i < end; ++i) Count += buffer.GetCode(i) == kDictEntryCode;
  TDXFGroup blank;
  blank.Kind = "GROUP";
  Groups.assign(static_cast<std::size_t>(Count), blank);
  ReadGroupEntries(buffer, *this, end, numbers);
  for (TDXFGroup& group : Groups) {
    if (numbers.Failed()) break;
    ReadGroupObject(buffer, DictIndex, group, numbers);
  }
  return numbers.Failed() ? numbers.Fail(Failure) : 0;
}

TDXFGroup TDXFGroupTable::GetGroup(int i) const {
  return Groups.at(static_cast<std::size_t>(i));
}

// ------------------------------------------------------------------ name checks

namespace {

// What one of the three checks tests, with its texts in CP932.
struct NameRules {
  std::string missing;      // message for an empty name; empty: not tested
  std::string tooLong;      // template for a long name in an old drawing; empty: not tested
  bool acceptsLeadingStar;  // anonymous block names such as *U12
  bool testsDoubleByte;     // double-byte characters are checked against the list
};

// Full-width symbols, units and machine-dependent characters that break names in
// AutoCAD or in other programs; the ten single-byte characters at the end never match
// a double-byte character and are kept only to leave the list as it is known. The
// Angstrom sign is U+212B, the character CP932 has (0x81F0), not the letter U+00C5.
constexpr char kDangerousCharacters[] =
    "：／◎Ⅲ㍉√ー、。，．・：；？！゛゜´｀¨＾￣＿ヽヾゝゞ〃仝々〆〇ー―‐／＼～∥｜…‥‘’“”（）〔〕［］｛"
    "｝〈〉《》「」『』【】＋－±×÷＝≠＜＞≦≧∞∴♂♀°′″℃￥＄￠￡％＃＆＊＠§☆★○●◎◇◆□■△▲▽▼※〒→←↑"
    "↓〓∈∋⊆⊇⊂⊃∪∩∧∨￢⇒⇔∀∃∠⊥⌒∂∇≡≒≪≫√∽∝∵∫∬Å‰♯♭♪†‡¶①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳ⅠⅡ"
    "ⅢⅣⅤⅥⅦⅧⅨⅩ㍉㌔㌢㍍㌘㌧㌃㌶㍑㍗㌍㌦㌣㌫㍊㌻㎜㎝㎞㎎㎏㏄㎡㍻〝〟№㏍℡㊤㊥㊦㊧㊨㈱㈲㈹㍾㍽㍼≒≡∫∮∑√⊥∠"
    "∟"
    "⊿∵∩∪@[\\]^_~{|}";

constexpr int kFirstNamesOfAnyLength = 1015;  // AC1015 lifted the 31-byte name limit
constexpr std::size_t kOldNameLimit = 31;
constexpr std::size_t kCheckedBytes = 1024;

}  // namespace

// The double-byte characters of the dangerous list, as lead * 256 + trail.
static const std::bitset<65536>& DangerousSet() {
  static const std::bitset<65536> set = [] {
    std::bitset<65536> bits;
    const std::string list = Sjis(kDangerousCharacters);
    for (std::size_t at = 0; at < list.size(); at += CharLength(list, at)) {
      if (CharLength(list, at) != 2) continue;
      bits.set(static_cast<unsigned char>(list[at]) * 256u +
               static_cast<unsigned char>(list[at + 1]));
    }
    return bits;
  }();
  return set;
}

// A double-byte character is dangerous when listed, or when its trail byte is an ASCII
// symbol (@ [ \ ] ^ _ ` { | }) that byte-wise programs take for itself.
static bool IsDangerous(unsigned char lead, unsigned char trail) {
  if (trail == 0x40 || (trail >= 0x5B && trail <= 0x60) || (trail >= 0x7B && trail <= 0x7D))
    return true;
  return DangerousSet().test(lead * 256u + trail);
}

static bool IsNameByte(char c) {
  return c == '$' || c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

// Sorts one CP932 character (one or two bytes) into inappropriate or dangerous ones.
static void JudgeCharacter(std::string_view character, bool first, const NameRules& rules,
                           std::string& inappropriate, std::string& dangerous) {
  if (character.size() == 2) {
    if (rules.testsDoubleByte && IsDangerous(static_cast<unsigned char>(character[0]),
                                             static_cast<unsigned char>(character[1])))
      dangerous += character;
  } else if (!IsNameByte(character[0]) &&
             !(rules.acceptsLeadingStar && first && character[0] == '*')) {
    inappropriate += character;
  }
}

// Judges each character of a name that is not plain CP932 by the character it is: in
// its CP932 form when CP932 has it, so a name gets the same remarks in every encoding.
// A character CP932 lacks is judged like a double-byte character off the list; bytes
// that could not be read (U+FFFD) are inappropriate.
static void JudgeDecodedCharacters(std::string_view utf8, const NameRules& rules,
                                   std::string& inappropriate, std::string& dangerous) {
  static const std::string kUnreadable = UnicodeEscape(0xFFFD);
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = static_cast<std::size_t>(CharLength(TextEncoding::Utf8, utf8, at));
    const std::string_view character = utf8.substr(at, length);
    const EncodedText cp932 = EncodeText(TextEncoding::Cp932, character, Unmappable::Refuse);
    if (cp932.ok) {
      JudgeCharacter(cp932.bytes, at == 0, rules, inappropriate, dangerous);
    } else if (cp932.refused == 0xFFFD) {
      inappropriate += kUnreadable;
    }
    at += length;
  }
}

// The first bytes of a name that are checked, ending on a character of the encoding.
static std::string_view CheckedPart(TextEncoding encoding, std::string_view name) {
  std::size_t end = 0;
  while (end < name.size()) {
    const std::size_t next = end + static_cast<std::size_t>(CharLength(encoding, name, end));
    if (next > kCheckedBytes) break;
    end = next;
  }
  return name.substr(0, end);
}

// Sorts the characters of the name's first bytes into inappropriate and dangerous ones.
// A CP932 name without escapes is walked byte pair by byte pair as it stands; any other
// is decoded first, its escapes included, and judged character by character.
static void CollectBadCharacters(const TDXFBuffer& b, std::string_view name, const NameRules& rules,
                                 std::string& inappropriate, std::string& dangerous) {
  if (b.Encoding != TextEncoding::Cp932 || CharPos("\\", name) > 0) {
    const std::string_view checked = CheckedPart(b.Encoding, name);
    return JudgeDecodedCharacters(DecodeText(b.Encoding, checked), rules, inappropriate, dangerous);
  }
  const std::string_view checked = name.substr(0, std::min(name.size(), kCheckedBytes));
  for (std::size_t at = 0; at < checked.size(); at += CharLength(checked, at))
    JudgeCharacter(checked.substr(at, CharLength(checked, at)), at == 0, rules, inappropriate,
                   dangerous);
}

// Appends a finding to the message, separated from earlier ones by a blank.
static void AppendFinding(const std::string& characters, const char* utf8Template,
                          std::string& message) {
  if (characters.empty()) return;
  if (!message.empty()) message += ' ';
  message += Format(Sjis(utf8Template).c_str(), characters.c_str());
}

static bool CheckName(const TDXFBuffer& b, const NameRules& rules, const std::string& name,
                      std::string& message) {
  message.clear();
  if (!rules.missing.empty() && TrimView(name).empty()) message += rules.missing;
  if (!rules.tooLong.empty() && b.AcadVerNo < kFirstNamesOfAnyLength && name.size() > kOldNameLimit)
    message += Format(rules.tooLong.c_str(), static_cast<int>(name.size()));
  bool ok = message.empty();
  std::string inappropriate, dangerous;
  CollectBadCharacters(b, name, rules, inappropriate, dangerous);
  AppendFinding(inappropriate, "不適当な文字[%s]", message);
  AppendFinding(dangerous, "危険な文字[%s]", message);
  return ok && inappropriate.empty() && dangerous.empty();
}

bool TDXFBuffer::CheckLayerName(const std::string& name, std::string& message) const {
  static const NameRules kRules{Sjis("画層名が無い"), Sjis("画層名%d文字 "), false, true};
  return CheckName(*this, kRules, name, message);
}

bool TDXFBuffer::CheckLtypeName(const std::string& name, std::string& message) const {
  static const NameRules kRules{Sjis("線種名が無い"), "", false, true};
  return CheckName(*this, kRules, name, message);
}

bool TDXFBuffer::CheckBlockName(const std::string& name, std::string& message) const {
  static const NameRules kRules{"", Sjis("ﾌﾞﾛｯｸ名%d文字 "), true, false};
  return CheckName(*this, kRules, name, message);
}
