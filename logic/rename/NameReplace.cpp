// NameReplace.cpp - the layer, linetype and block replacement scans and the name edit.
//
// Each scan is one pass over the pairs it may touch; it reads values in place and
// writes only the pairs it replaces. Layer and linetype names are compared trimmed,
// block names as stored, because the block list shows and edits names as stored. The
// scans take names in the document's encoding and log them as program texts; the name
// edit holds what the grid shows (program texts), converts the new name for the scan and
// replaces the old one as the list read it from the file.
#include "logic/rename/NameReplace.h"

#include "logic/check/CheckNames.h"  // SameSymbolName
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

constexpr int kNameColumn = 2;
constexpr std::string_view kEditorEdition = "Editor";

// The texts and the remark column of one kind of name, texts in UTF-8.
struct KindTexts {
  const char* question;
  const char* duplicate;
  int remarkColumn;
  const char* step;  // the edit history's name of a replacement: old name, new name
};

constexpr KindTexts kKindTexts[] = {
    {"変更したレイヤ名を置き換えますか？", "%d番に同じレイヤ名があるので置き換え出来ません", 5,
     "レイヤ名置き換え \"%s\"　→　\"%s\""},
    {"変更した線種名を置き換えますか？", "%d番に同じ線種名があるので置き換え出来ません", 5,
     "線種名置き換え \"%s\"　→　\"%s\""},
    {"変更したブロック名を置き換えますか？", "%d番に同じブロック名があるので置き換え出来ません", 4,
     "ブロック名置き換え %s　→　%s"},
};

const KindTexts& TextsOf(NameKind kind) {
  return kKindTexts[static_cast<int>(kind)];
}

// A symbol-table name and where the file names it: its own record's code-2 pair inside
// the table, and a reference code anywhere.
struct TableNameScan {
  std::string_view tableRecord;  // the record type of the table's entries
  int referenceCode;
  const char* logTemplate;    // UTF-8: line, record type, old name, new name
  const char* countTemplate;  // UTF-8: count
};

constexpr TableNameScan kLayerScan{"LAYER", kLayerCode,
                                   "レイヤ名置き換え %7lld : %-12s \"%s\"　→　\"%s\"",
                                   "%d個のレイヤ名を置き換えました"};
constexpr TableNameScan kLtypeScan{"LTYPE", kLinetypeCode,
                                   "線種名置き換え %7lld : %-12s \"%s\"　→　\"%s\"",
                                   "%d個の線種名を置き換えました"};

}  // namespace

// Replaces a symbol-table name from the header up to the EOF pair. The in-table flag
// is on from an entry of the table up to ENDTAB, so only the table's own code-2 pairs
// count there, while the reference code counts everywhere.
// Performance: one pass that reads each value in place; only replaced pairs allocate.
// On a 200 MB drawing (13 million pairs) it takes 0.08 s, as long as a bare pass that
// reads every pair's code and value (bench_rename).
static int ReplaceTableName(TDXFBuffer& b, const TableNameScan& scan, const std::string& oldName,
                            const std::string& newName, MessageLog& log,
                            std::vector<int>* replaced) {
  const std::string logFormat = Sjis(scan.logTemplate);
  const std::string oldText = ProgramText(b, oldName), newText = ProgramText(b, newName);
  log.Add("");
  bool inTable = false;
  int count = 0;
  std::string_view recordType;
  for (int i = b.HeaderStart; i < b.EofIndex; ++i) {
    const int code = b.GetCode(i);
    if (code == kRecordStartCode) {
      recordType = TrimView(b.ValueView(i));
      if (recordType == scan.tableRecord) inTable = true;
      if (recordType == "ENDTAB") inTable = false;
      continue;
    }
    if (code != scan.referenceCode && !(inTable && code == kNameCode)) continue;
    if (TrimView(b.ValueView(i)) != oldName) continue;
    ++count;
    b.SetValue(i, newName);
    if (replaced) replaced->push_back(i);
    log.Add(Format(logFormat.c_str(), LineOfPair(i), std::string(recordType).c_str(),
                   oldText.c_str(), newText.c_str()));
  }
  log.Add(Format(Sjis(scan.countTemplate).c_str(), count));
  return count;
}

int ReplaceLayerName(TDXFBuffer& buffer, const std::string& oldName, const std::string& newName,
                     MessageLog& log) {
  return ReplaceTableName(buffer, kLayerScan, oldName, newName, log, nullptr);
}

int ReplaceLtypeName(TDXFBuffer& buffer, const std::string& oldName, const std::string& newName,
                     MessageLog& log) {
  return ReplaceTableName(buffer, kLtypeScan, oldName, newName, log, nullptr);
}

static int ReplaceBlockNamePairs(TDXFBuffer& buffer, const std::string& oldName,
                                 const std::string& newName, MessageLog& log,
                                 std::vector<int>* replaced) {
  static const std::string kFormat = Sjis("ブロック名置き換え %7lld : %-8s %s　→　%s");
  const std::string oldText = ProgramText(buffer, oldName);
  const std::string newText = ProgramText(buffer, newName);
  log.Add("");
  int count = 0;
  const int end = BlockReferenceEnd(buffer);
  for (int i = buffer.BlocksStart; i < end; ++i) {
    if (buffer.GetCode(i) != kRecordStartCode) continue;
    const std::string_view recordType = TrimView(buffer.ValueView(i));
    if (recordType != "BLOCK" && recordType != "INSERT") continue;
    const int namePair = FindInRecord(buffer, i, kNameCode, kSecondNameCode);
    if (namePair < 0 || buffer.ValueView(namePair) != oldName) continue;
    ++count;
    buffer.SetValue(namePair, newName);
    if (replaced) replaced->push_back(namePair);
    log.Add(Format(kFormat.c_str(), LineOfPair(namePair), std::string(recordType).c_str(),
                   oldText.c_str(), newText.c_str()));
  }
  return count;
}

int ReplaceBlockName(TDXFBuffer& buffer, const std::string& oldName, const std::string& newName,
                     MessageLog& log) {
  return ReplaceBlockNamePairs(buffer, oldName, newName, log, nullptr);
}

int ReplaceName(NameKind kind, TDXFBuffer& buffer, const std::string& oldName,
                const std::string& newName, MessageLog& log, std::vector<int>* replacedPairs) {
  switch (kind) {
    case NameKind::Layer:
      return ReplaceTableName(buffer, kLayerScan, oldName, newName, log, replacedPairs);
    case NameKind::Ltype:
      return ReplaceTableName(buffer, kLtypeScan, oldName, newName, log, replacedPairs);
    case NameKind::Block:
      return ReplaceBlockNamePairs(buffer, oldName, newName, log, replacedPairs);
  }
  return 0;
}

std::vector<int> DuplicateRows(const std::vector<std::string>& names, int editRow,
                               const std::string& newName, TextEncoding encoding) {
  std::vector<int> rows;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    if (row != editRow && SameSymbolName(encoding, names[k], newName)) rows.push_back(row);
  }
  return rows;
}

std::string ConfirmationText(NameKind kind, const std::string& oldName,
                             const std::string& newName) {
  return Sjis(TextsOf(kind).question) + "\r" + Sjis("　変更前：") + oldName + "\r" +
         Sjis("　変更後：") + newName + "\r";
}

std::string DuplicateMessage(NameKind kind, int row) {
  return Format(Sjis(TextsOf(kind).duplicate).c_str(), row);
}

std::string NameRemark(const TDXFBuffer& buffer, NameKind kind, const std::string& name) {
  std::string message;
  switch (kind) {
    case NameKind::Layer:
      buffer.CheckLayerName(name, message);
      break;
    case NameKind::Ltype:
      buffer.CheckLtypeName(name, message);
      break;
    case NameKind::Block:
      buffer.CheckBlockName(name, message);
      break;
  }
  return message;
}

// ------------------------------------------------------------------ name edit

bool NameEditState::IsEditable(int col, std::string_view edition) {
  return col == kNameColumn && edition == kEditorEdition;
}

void NameEditState::Begin(int col, int row, const std::string& cellText) {
  if (col != kNameColumn) return;
  OldName = cellText;
  NewName = cellText;
  EditCol = col;
  EditRow = row;
}

NameEditStep NameEditState::Report(int col, const std::string& text) {
  if (col != kNameColumn) return NameEditStep::Ignore;
  if (text != NewName) {
    NewName = text;
    return NameEditStep::InProgress;
  }
  return NewName == OldName ? NameEditStep::Unchanged : NameEditStep::Confirm;
}

std::string NameEditState::Question() const {
  return ConfirmationText(m_kind, OldName, NewName);
}

std::string NameEditState::StepName() const {
  return Format(Sjis(TextsOf(m_kind).step).c_str(), OldName.c_str(), NewName.c_str());
}

// The name of the edited row as stored; a row the list does not name (the empty row
// of an empty list) has the shown name converted.
static StoredText StoredOldName(const std::vector<std::string>& names, int row,
                                const TDXFBuffer& buffer, const std::string& shown) {
  const std::size_t k = static_cast<std::size_t>(row - 1);
  if (row >= 1 && k < names.size()) return {true, names[k], {}};
  return DocumentText(buffer, shown);
}

std::vector<std::string> NameEditState::Refusals(const std::vector<std::string>& names,
                                                 const TDXFBuffer& buffer) const {
  // The new name is stored as the document writes it; one it cannot hold is refused.
  const StoredText oldName = StoredOldName(names, EditRow, buffer, OldName);
  const StoredText newName = DocumentText(buffer, NewName);
  if (!(newName.ok && oldName.ok)) return {newName.ok ? oldName.message : newName.message};
  std::vector<std::string> refusals;
  for (const int row : DuplicateRows(names, EditRow, newName.bytes, buffer.Encoding))
    refusals.push_back(DuplicateMessage(m_kind, row));
  return refusals;
}

NameEditResult NameEditState::Decide(bool confirmed, const std::vector<std::string>& names,
                                     TDXFBuffer& buffer, MessageLog& log) {
  NameEditResult result;
  if (confirmed) result.refusals = Refusals(names, buffer);
  result.row = EditRow;
  if (confirmed && result.refusals.empty()) {
    const std::string oldName = StoredOldName(names, EditRow, buffer, OldName).bytes;
    const std::string newName = DocumentText(buffer, NewName).bytes;
    // The log's count says so when the drawing no longer holds the name: nothing changed.
    result.replaced = ReplaceName(m_kind, buffer, oldName, newName, log, &result.replacedPairs) > 0;
    result.storedName = newName;
  }
  if (result.replaced) {
    result.col = RemarkColumn();
    result.text = NameRemark(buffer, m_kind, result.storedName);
  } else {
    result.col = EditCol;
    result.text = OldName;
  }
  OldName = NewName;
  return result;
}

int NameEditState::RemarkColumn() const {
  return TextsOf(m_kind).remarkColumn;
}
