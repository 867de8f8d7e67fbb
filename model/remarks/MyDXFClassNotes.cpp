// MyDXFClassNotes.cpp - the remark engine: note lists interpreted over a record's pairs.
//
// A remark is worked out per record, on request: MakeNote finds the record's first pair,
// picks the note list of the section it lies in and lets the directives of that list walk
// the record's pairs with one shared cursor. "+code" bodies match group codes, "+mode"
// bodies match values, "+refkey" reaches the shared reference list, and the value
// directives ("+bit", "+count", "+time", "+24BitColor") describe the value at the cursor.
// A pair the section's list leaves without a remark gets the generic one of its code.
#include <cmath>          // std::trunc, std::isfinite
#include <cstdint>        // std::int64_t
#include <unordered_map>  // std::unordered_map

#include "model/buffer/MyDXFClass.h"

#include "model/buffer/MyDXFClass_p.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

// Handlers report a value they could not read with this result; SetChildTable turns it
// into its diagnostic and the walk goes on.
constexpr int kValueNotReadable = -1;

constexpr int kReferenceListLast = 35;
constexpr int kCodeListLast = 52;

// The serial date of 30 December 1899 in the Julian day numbers DXF dates are written in.
constexpr double kJulianDayOfDelphiEpoch = 2415019.0;

// Days from 1970-01-01 to the civil date y-m-d (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The civil date of a day counted from 1970-01-01.
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

// Writes a date-time counted in days from 30 December 1899 as "yyyy/MM/dd H:mm:ss"; the
// time is left out at midnight exactly. As in that day count's convention the whole days
// go toward zero and the fraction is the time of that day, also for dates before 1900.
bool CalendarText(double days, std::string& text) {
  if (!std::isfinite(days) || std::fabs(days) > 3.0e6) return false;  // beyond year 9999
  const double whole = std::trunc(days);
  const double fraction = std::fabs(days - whole);
  std::int64_t year;
  unsigned month, day;
  CivilFromDays(DaysFromCivil(1899, 12, 30) + static_cast<std::int64_t>(whole), year, month, day);
  if (year < 1 || year > 9999) return false;
  text = Format("%04lld/%02u/%02u", static_cast<long long>(year), month, day);
  if (fraction == 0) return true;
  long long ms = std::llround(fraction * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  text += Format(" %lld:%02lld:%02lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
  return true;
}

// Writes a duration in days as hours, minutes and seconds, each cut toward zero.
bool TimerText(double days, std::string& text) {
  if (!std::isfinite(days) || std::fabs(days) * 24 > 2147483647.0) return false;
  const double whole = std::trunc(days);
  const double fraction = days - whole;
  const long long hours =
      static_cast<long long>(std::trunc(fraction * 24)) + static_cast<long long>(whole) * 24;
  const long long minutes = static_cast<long long>(std::trunc(fraction * 24 * 60)) % 60;
  const long long seconds = static_cast<long long>(std::trunc(fraction * 24 * 60 * 60)) % 60;
  text = Format("%lld", hours) + Sjis("時間 ") + Format("%lld", minutes) + Sjis("分 ") +
         Format("%lld", seconds) + Sjis("秒");
  return true;
}

// Reads a decimal integer that may have blanks before it, as a true colour is written.
bool ReadLeadingBlankInt(std::string_view text, int& value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return ParseInt32(text, value);
}

}  // namespace

// ------------------------------------------------------------------ the walk

const NoteList* TDXFBuffer::ListForPair(int i) const noexcept {
  const auto in = [i](int start, int end) { return start <= i && i <= end; };
  if (in(HeaderStart, HeaderEnd)) return &HeaderNoteList();
  if (in(EntitiesStart, EntitiesEnd)) return &EntitiesNoteList();
  if (in(TablesStart, TablesEnd)) return &TablesNoteList();
  if (in(ClassesStart, ClassesEnd)) return &ClassesNoteList();
  if (in(BlocksStart, BlocksEnd)) return &EntitiesNoteList();
  if (in(ObjectsStart, ObjectsEnd)) return &ObjectsNoteList();
  return nullptr;
}

int TDXFBuffer::MakeNote(int i) {
  if (!NoteEnabled || !IsValidIndex(i)) return 0;
  const int s = RecordStart(i);
  if (NoteView(s).empty() && !IsRecordWorkedOut(s)) {
    int cursor = s - 1;
    // The EOF pair first: as pair 0 it also lies in every absent section's range 0..0.
    if (i >= EofIndex && IsEofPair(i)) {
      static const std::string kEndOfFile = Sjis("エンドオブファイル");
      SetNote(i, kEndOfFile);
    } else if (const NoteList* list = ListForPair(i)) {
      SetChildTable(cursor, 0, *list, list->H);
    }
    MarkRecordWorkedOut(s);
  }
  if (NoteView(i).empty()) GenericNote(i);
  return 0;
}

// The row after r that is r's sibling: the next plain row, or the row after a directive's
// body; a directive without a count is a row of its own. Returns H + 1 past the end.
static int NextSibling(int r, const NoteList& list, int H) {
  ++r;
  if (r > H) return r;
  const NoteRow& row = list.rows[static_cast<std::size_t>(r)];
  if (!row.IsDirective() || row.text.empty()) return r;
  return r + ((row.kind == RowKind::RefKey || row.kind == RowKind::Time) ? 1 : row.count + 1);
}

// Row of the code note list that gives code its generic remark, or -1: the first plain
// row, in sibling order, whose key is not empty and reads as that code. Worked out once.
static int GenericRow(int code) {
  static const std::unordered_map<int, int> kRows = [] {
    std::unordered_map<int, int> rows;
    const NoteList& list = CodeNoteList();
    for (int r = 0; r <= kCodeListLast; r = NextSibling(r, list, kCodeListLast)) {
      const NoteRow& row = list.rows[static_cast<std::size_t>(r)];
      if (!row.IsDirective() && !row.key.empty()) rows.emplace(row.keyNumber, r);
    }
    return rows;
  }();
  const auto found = kRows.find(code);
  return found == kRows.end() ? -1 : found->second;
}

// Gives pair i the remark of its group code from the code note list, if it has one.
void TDXFBuffer::GenericNote(int i) {
  const int r = GenericRow(GetCode(i));
  if (r < 0) return;
  const NoteList& list = CodeNoteList();
  SetNote(i, list.rows[static_cast<std::size_t>(r)].text);
  if (r + 1 <= kCodeListLast && list.rows[static_cast<std::size_t>(r) + 1].IsDirective())
    SetChildTable(i, r + 1, list, kCodeListLast);
}

bool TDXFBuffer::IsRecordWorkedOut(int s) const noexcept {
  return (m_store->marks[static_cast<std::size_t>(s)] & kWorkedOutBit) != 0;
}

void TDXFBuffer::MarkRecordWorkedOut(int s) noexcept {
  m_store->marks[static_cast<std::size_t>(s)] |= kWorkedOutBit;
  m_store->anyNotes = true;
}

void TDXFBuffer::AppendNote(int i, std::string_view text) {
  if (text.empty()) return;
  std::string note(NoteView(i));
  note.append(text);
  SetNote(i, note);
}

int TDXFBuffer::SetChildTable(int& cursor, int scnt, const NoteList& list, int H) {
  int result = 0;
  switch (list.rows[static_cast<std::size_t>(scnt)].kind) {
    case RowKind::Code:
      ++cursor;
      result = ApplyCode(cursor, scnt, list, H);
      break;
    case RowKind::Mode:
      result = ApplyMode(cursor, scnt, list, H);
      break;
    case RowKind::Bit:
      result = ApplyBit(cursor, scnt, list, H);
      break;
    case RowKind::Count:
      result = ApplyCount(cursor, scnt, list, H);
      break;
    case RowKind::CodeTemp:
      ++cursor;
      result = ApplyCodeTemp(cursor, scnt, list, H);
      break;
    case RowKind::RefKey:
      result = ApplyRefKey(cursor, scnt, list, H);
      break;
    case RowKind::Time:
      result = ApplyTime(cursor, scnt, list, H);
      break;
    case RowKind::Color24:
      result = Apply24BitColor(cursor, scnt, list, H);
      break;
    case RowKind::Plain:
    case RowKind::Directive:
      break;
  }
  if (result == kValueNotReadable) ShowMessage(FormatChildTableError(cursor, scnt, list));
  return 0;
}

std::string TDXFBuffer::FormatChildTableError(int cursor, int scnt, const NoteList& list) const {
  const std::string value = ProgramText(*this, ValueView(cursor));
  return Format("SetChildTable Error idx=%3d Fdata[idx]=%s scnt=%3d notelist[scnt,0]=%s", cursor,
                value.c_str(), scnt, list.rows[static_cast<std::size_t>(scnt)].key.c_str());
}

int TDXFBuffer::SkipRow(int& r, const NoteList& list, int H) {
  const int next = r + 1;
  if (next <= H) {
    const NoteRow& row = list.rows[static_cast<std::size_t>(next)];
    if (row.IsDirective() && row.text.empty())
      ShowMessage(Format("error skip scnt : table cnt = %3d ", next) + row.key + " / " + row.text);
  }
  r = NextSibling(r, list, H);
  return r;
}

// Tells whether the entry at row r carries an attachment: a directive right after it,
// r not being the last row of the body of the directive at row q.
static bool HasAttachment(const NoteList& list, int r, int q, int H) {
  return r != q + list.rows[static_cast<std::size_t>(q)].count && r + 1 <= H &&
         list.rows[static_cast<std::size_t>(r) + 1].IsDirective();
}

int TDXFBuffer::ApplyCode(int& cursor, int q, const NoteList& list, int H) {
  return ApplyCodeBody(cursor, q, list, H, /*stopOnUnmatched=*/false);
}

int TDXFBuffer::ApplyCodeTemp(int& cursor, int q, const NoteList& list, int H) {
  return ApplyCodeBody(cursor, q, list, H, /*stopOnUnmatched=*/true);
}

// The walk of "+code" and "+codetemp": every pair from the cursor up to the next pair
// with code 0 or 9 gets the text of the first body entry whose key is its code.
// "+codetemp" stops, leaving the cursor there, at the first pair no entry matches.
int TDXFBuffer::ApplyCodeBody(int& cursor, int q, const NoteList& list, int H,
                              bool stopOnUnmatched) {
  const int last = q + list.rows[static_cast<std::size_t>(q)].count;
  do {
    const int code = GetCode(cursor);
    for (int r = q + 1; r <= last; SkipRow(r, list, H)) {
      const NoteRow& row = list.rows[static_cast<std::size_t>(r)];
      if (row.IsDirective() || row.keyNumber != code) continue;
      SetNote(cursor, row.text);
      if (HasAttachment(list, r, q, H)) SetChildTable(cursor, r + 1, list, H);
      break;
    }
    if (stopOnUnmatched && NoteView(cursor).empty()) return 0;
    ++cursor;
  } while (!IsRecordStartCode(GetCode(cursor)));
  return 0;
}

int TDXFBuffer::ApplyMode(int& cursor, int q, const NoteList& list, int H) {
  const std::string value = Trim(ValueView(cursor));
  const int last = q + list.rows[static_cast<std::size_t>(q)].count;
  for (int r = q + 1; r <= last; SkipRow(r, list, H)) {
    const NoteRow& row = list.rows[static_cast<std::size_t>(r)];
    if (row.IsDirective() || row.key != value) continue;
    AppendNote(cursor, row.text);
    if (HasAttachment(list, r, q, H)) SetChildTable(cursor, r + 1, list, H);
    break;
  }
  return 0;
}

int TDXFBuffer::ApplyRefKey(int& cursor, int q, const NoteList& list, int /*H*/) {
  const std::string& key = list.rows[static_cast<std::size_t>(q)].text;
  const NoteList& ref = ReferenceNoteList();
  for (int r = 0; r <= kReferenceListLast; SkipRow(r, ref, kReferenceListLast)) {
    const NoteRow& row = ref.rows[static_cast<std::size_t>(r)];
    if (row.IsDirective() || row.key != key) continue;
    AppendNote(cursor, row.text);
    if (r != kReferenceListLast && ref.rows[static_cast<std::size_t>(r) + 1].IsDirective())
      SetChildTable(cursor, r + 1, ref, kReferenceListLast);
    break;
  }
  return 0;
}

// ------------------------------------------------------------------ value directives

int TDXFBuffer::ApplyBit(int& cursor, int q, const NoteList& list, int H) {
  const int value = FloorOfNumber(ValueView(cursor));
  const int last = q + list.rows[static_cast<std::size_t>(q)].count;
  // Every set flag adds its text; an attachment may move the cursor, and later flags
  // then describe the pair it moved to.
  for (int r = q + 1; r <= last; SkipRow(r, list, H)) {
    const NoteRow& row = list.rows[static_cast<std::size_t>(r)];
    if (row.IsDirective() || (row.keyNumber & value) == 0) continue;
    AppendNote(cursor, row.text);
    if (HasAttachment(list, r, q, H)) SetChildTable(cursor, r + 1, list, H);
  }
  return 0;
}

int TDXFBuffer::ApplyCount(int& cursor, int q, const NoteList& list, int /*H*/) {
  const int last = q + list.rows[static_cast<std::size_t>(q)].count;
  for (int r = q + 1; r <= last; ++r) {
    const NoteRow& row = list.rows[static_cast<std::size_t>(r)];
    int number = 0;
    if (row.key == "set" && ParseInt32(TrimView(row.text), number)) {
      Counter = number;
    } else if (row.key == "inc" && ParseInt32(TrimView(row.text), number)) {
      Counter = static_cast<int>(static_cast<unsigned>(Counter) + static_cast<unsigned>(number));
    } else if (row.key == "add") {
      AppendNote(cursor, std::to_string(Counter));
    }
  }
  return 0;
}

int TDXFBuffer::ApplyTime(int& cursor, int q, const NoteList& list, int /*H*/) {
  double days = 0;
  if (!ParseDouble(TrimView(ValueView(cursor)), days)) return kValueNotReadable;
  const std::string& mode = list.rows[static_cast<std::size_t>(q)].text;
  std::string text;
  if (mode == "calendar" && !CalendarText(days - kJulianDayOfDelphiEpoch, text))
    return kValueNotReadable;
  if (mode == "timer" && !TimerText(days, text)) return kValueNotReadable;
  AppendNote(cursor, text);
  return 0;
}

int TDXFBuffer::Apply24BitColor(int& cursor, int /*q*/, const NoteList& /*list*/, int /*H*/) {
  int value = 0;
  if (!ReadLeadingBlankInt(ValueView(cursor), value)) return kValueNotReadable;
  int r = 0, g = 0, b = 0;
  SplitRGB(value, r, g, b);
  AppendNote(cursor, Format("[R%d.G%d.B%d]", r, g, b));
  return 0;
}
