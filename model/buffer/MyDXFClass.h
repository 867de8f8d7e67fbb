// MyDXFClass.h - the line buffer: a DXF file held as its group-code / value pairs.
//
// TDXFBuffer keeps a DXF text file exactly as its lines stand: pair i is the file's
// lines 2i+1 (group code) and 2i+2 (value). A binary DXF file is held the same way, its
// values as the text a text file would hold, beside the file's bytes for the save. Around the pairs
// it keeps an index of the sections, symbol tables and EOF pair, a few header variables and a
// display mark per pair; remarks are worked out per record on request by the remark engine. Value
// bytes stay in one block as read; pairs index into it, and edited values are kept apart.
#pragma once

#include <cstdint>      // std::uint8_t, std::uint64_t
#include <functional>   // std::function
#include <memory>       // std::unique_ptr
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/DXFResult.h"  // LoadResult, SaveResult: the codes of LoadFromFile, SaveToFile
#include "model/buffer/HeldPairs.h"
#include "model/remarks/NoteLists.h"
#include "model/text/TextCodec.h"  // TextEncoding

/// The display mark of a pair; the grid colours rows by it.
enum DXFState : std::uint8_t { dsNon, dsSection, dsSubsection, dsObject, dsFind };

/// The two forms of a DXF file.
enum class DXFForm : std::uint8_t { Text, Binary };

/// Why a document has the text encoding it has.
enum class EncodingSource : std::uint8_t {
  AcadVer,       // AC1021 and later are UTF-8
  DwgCodePage,   // the code page $DWGCODEPAGE declares
  Utf8Detected,  // declared single-byte or not at all, but the bytes are UTF-8
  Default,       // nothing declared: CP932, the program's home
  Manual,        // chosen by the user
};

/// What changes of codes and values left out of date in the buffer's index, in rising
/// order of the cost of bringing it up to date.
enum class IndexStale : std::uint8_t {
  None,     // the index describes the pairs
  Header,   // a value inside HEADER changed: the header's variables are read again
  Rebuild,  // a record start, a header variable's name or a SECTION or TABLE name changed
};

/// What UpdateCaches brought up to date.
struct CacheUpdate {
  IndexStale index = IndexStale::None;  // what the index needed (and got)
  bool handles = false;  // a change touched what owns a handle or points at one (codes 0, 2, 5,
                         // 9, 105 or a pointer, or any code change): a HandleIndex of the
                         // buffer no longer describes it
};

/// Returns the Windows colour value (R + 256*G + 65536*B) of ACI index 0..256; 0 otherwise.
int AciToColor(int index);

/// Hears of every change of a pair's code or value just before the buffer makes it, with
/// the old and the new contents; the edit history records the changes through it. The
/// views stay valid for the call only. Called from noexcept setters, so it must not throw.
class PreparedValues;
struct FileBytes;
enum class BinaryCodes : std::uint8_t;

class BufferObserver {
 public:
  virtual ~BufferObserver() = default;
  virtual void CodeChanging(int i, int oldCode, int newCode) noexcept = 0;
  virtual void ValueChanging(int i, std::string_view oldValue,
                             std::string_view newValue) noexcept = 0;
  /// Hears a replacement of pairs just made (ReplacePairs), with the replacements that take
  /// it back, which the observer may take over, leaving them empty.
  virtual void PairsReplaced(std::vector<PairReplacement>& undo) noexcept = 0;
};

class TDXFBuffer {
 public:
  std::string FileName;  // path of the file last loaded or set for saving (native, UTF-8)
  int HeaderStart = 0, HeaderEnd = 0;
  int ClassesStart = 0, ClassesEnd = 0;
  int TablesStart = 0, TablesEnd = 0;
  int BlocksStart = 0, BlocksEnd = 0;
  int EntitiesStart = 0, EntitiesEnd = 0;
  int ObjectsStart = 0, ObjectsEnd = 0;
  int EofIndex = 0;
  std::string AcadVer;  // trimmed $ACADVER, e.g. "AC1015"
  int AcadVerNo = 0;    // 1015 for "AC1015", 0 when unknown
  int HandSeed = 0;
  int HandSeedIndex = 0;
  std::string CLayer;
  int CLayerIndex = 0;
  double LtScale = 0;
  int LtScaleIndex = 0;
  double CeltScale = 0;
  int CeltScaleIndex = 0;
  std::string CeltType;
  int CeltTypeIndex = 0;
  int VportTableIndex = 0, LtypeTableIndex = 0, LayerTableIndex = 0, StyleTableIndex = 0,
      ViewTableIndex = 0, UcsTableIndex = 0, AppidTableIndex = 0, DimstyleTableIndex = 0,
      BlockRecordTableIndex = 0;
  int PairCount = 0;
  bool NoteEnabled = true;
  int Counter = 0;  // the "+count" counter; never reset by a load
  int BlockCount = 0;
  int LayerCount = 0;
  int LtypeCount = 0;
  std::string DwgCodePage;                      // trimmed $DWGCODEPAGE, e.g. "ANSI_932"
  TextEncoding Encoding = TextEncoding::Cp932;  // how the values' bytes are read
  EncodingSource EncodingFrom = EncodingSource::Default;
  int ErrorCode = 0;         // result of the last load: a LoadResult's code
  std::string ErrorMessage;  // CP932 text of the last load error
  long long ErrorLine = 0;   // the 1-based line where a broken text file breaks, else 0
  // What the last successful load left out. A NUL byte ends a file's text: the 1-based
  // line that holds it when it stood before the EOF pair (saving loses what followed),
  // else 0. Lines after the EOF pair (whether pairs or trash) are not part of the drawing.
  long long TruncatedAtLine = 0;
  long long IgnoredLinesAfterEof = 0;
  /// Saves a text file in the normalised form, CR LF and "%3d" codes everywhere, instead
  /// of writing every unchanged line exactly as read; the window sets it from its settings.
  bool NormaliseOnSave = false;
  DXFForm Form = DXFForm::Text;      // the form of the file last loaded
  DXFForm SaveForm = DXFForm::Text;  // the form SaveToFile writes; a load sets it to Form

  /// Receives every text the model itself must show in a message box (CP932): a failed
  /// save, the remark engine's diagnostics.
  std::function<void(const std::string&)> OnMessage;

  TDXFBuffer();
  ~TDXFBuffer();
  TDXFBuffer(TDXFBuffer&&) noexcept;
  TDXFBuffer& operator=(TDXFBuffer&&) noexcept;
  TDXFBuffer(const TDXFBuffer&) = delete;
  TDXFBuffer& operator=(const TDXFBuffer&) = delete;

  /// Reads fileName, a text or a binary DXF file, and indexes it. Returns a LoadResult's
  /// code: 0, or -1 (missing), -2 (not a readable file), -3 (a broken code line or a binary
  /// file cut inside a pair, named in ErrorMessage, or no DXF file it reads) or -5 (out of
  /// memory). Whatever follows the EOF pair is left out.
  [[nodiscard]] int LoadFromFile(const std::string& fileName);
  /// Reads the file named by FileName into the pairs; returns a LoadResult's code. A code
  /// line that breaks after an EOF pair ends the pairs there instead of the load.
  [[nodiscard]] int ReadPairs();
  /// Sizes the arrays to n + 100 cleared pairs. Returns 0, or -5 when memory runs out.
  [[nodiscard]] int AllocPairs(int n);
  /// Rebuilds every index, header value, count and mark; clears the pairs after EofIndex.
  /// Cannot fail. Most callers want UpdateCaches, which does it only when a change needs it.
  void BuildIndex();
  /// Finds the text encoding of the file as loaded (LoadFromFile does, after the index):
  /// AC1021 and later are UTF-8; otherwise $DWGCODEPAGE decides, except that a file
  /// declared with a single-byte code page or none whose non-ASCII bytes are all valid
  /// UTF-8 (at least one multi-byte sequence) is UTF-8; nothing or an unknown code page
  /// gives CP932. Edited values do not count.
  void DetectEncoding();
  /// Reads the values in `encoding` from now on, as the user chose; bytes stay as they are.
  void SetEncoding(TextEncoding encoding);
  /// Reads the header variables again (AcadVer, HandSeed, CLayer, LtScale, CeltScale,
  /// CeltType and their indices) between HeaderStart and HeaderEnd, as BuildIndex does;
  /// enough after changes of values in the header that left codes and record starts alone.
  void RefreshHeaderValues();
  /// Writes pairs 0..EofIndex to FileName through a new file renamed over it, so the old
  /// file survives any failure; code-0 pairs with an empty value are left out. Unchanged
  /// lines are written exactly as read and a changed one with its own line end (a code as
  /// "%3d"), unless NormaliseOnSave. A binary file is written in the binary form, its
  /// unchanged pairs with their bytes as read. A SaveForm other than Form converts: to text
  /// with CR LF and "%3d" codes, to binary with the codes $ACADVER calls for. Returns a
  /// SaveResult's code: 0, or -2 or -3 (a pair SaveForm cannot hold; nothing is written)
  /// after reporting the failure through OnMessage.
  [[nodiscard]] int SaveToFile();
  /// Returns the bytes SaveToFile would write now, in SaveForm and as NormaliseOnSave says.
  std::uint64_t SaveSize() const;
  /// Returns the message (CP932) on the first pair that a save in SaveForm cannot write,
  /// naming its line and the reason, or an empty text when every pair can be written.
  std::string SaveFormProblem() const;
  void SetFileName(const std::string& name) { FileName = name; }

  // ---- the caches a change makes stale ----
  // SetCode, SetValue and SetValues keep the caches of the pairs they change themselves:
  // they empty the remarks of the pair and of its record's start at once, and note what
  // the index and a handle index of the buffer need; one UpdateCaches call afterwards
  // brings the index up to date, as little as the changes need (a value edit outside the
  // header that touches no record start or name leaves it alone).

  /// Brings the index up to date after changes: rebuilds it when a record start, a header
  /// variable's name or a section or table name changed (twice when the rebuild cleared
  /// pairs after a new EOF pair), reads the header's variables again when only a value
  /// in HEADER changed, and does nothing otherwise. Returns what was stale; the staleness
  /// is forgotten.
  CacheUpdate UpdateCaches();
  /// Returns what UpdateCaches would bring up to date now.
  IndexStale StaleIndex() const noexcept { return m_staleIndex; }
  bool HandlesStale() const noexcept { return m_staleHandles; }
  /// Empties the remark of pair i and of the pair that starts its record (the nearest pair
  /// at or before i, above pair 0, whose code is 0 or 9), so both are worked out again.
  /// The setters call it for every pair they change.
  void InvalidateRemarks(int i) noexcept;

  int GetCode(int i) const noexcept;
  /// Copies the group codes of pairs first .. first + count - 1, all valid indices, into
  /// codes: a walk over many pairs reads them in blocks rather than a call per pair.
  void GetCodes(int first, int count, int* codes) const noexcept;
  void SetCode(int i, int code) noexcept;
  /// Returns a copy of the value of pair i, exactly as read (untrimmed).
  std::string GetValue(int i) const;
  /// Returns the value of pair i as a view, valid until the pair is next changed or the
  /// buffer is loaded again.
  std::string_view ValueView(int i) const noexcept;
  /// Replaces the value of pair i, stored unchanged.
  void SetValue(int i, std::string_view text);
  /// Sets the values of values in their order, as many SetValue calls would, but takes
  /// their texts over instead of copying each again; values is left empty. Every pair
  /// must be a valid index. Throws std::bad_alloc, changing nothing, when no memory is
  /// left.
  void SetValues(PreparedValues& values);
  /// Replaces the pairs of every replacement, in one pass over the arrays however many
  /// there are: [first, first + count) gives way to its pairs. The replacements must be
  /// ordered by first and must not overlap, within 0 .. PairCount. On success each one
  /// becomes the replacement that takes it back (first and count then name the pairs it
  /// put in, its pairs are the ones it took out), the same call with them undoing it, and
  /// an observer hears them. Untouched pairs keep their bytes for the save; remarks are
  /// forgotten; the index and a handle index of the buffer are stale (UpdateCaches).
  /// Returns false, changing nothing, when the replacements are out of order or range, or
  /// when 4096 neighbouring pairs would lie 4 GiB or more apart in the file, which the
  /// buffer cannot index. Throws std::bad_alloc, changing nothing, when no memory is left.
  [[nodiscard]] bool ReplacePairs(std::vector<PairReplacement>& replacements);
  std::string GetNote(int i) const;
  std::string_view NoteView(int i) const noexcept;
  /// Replaces the remark of pair i; an empty text asks for it to be worked out again.
  void SetNote(int i, std::string_view text);
  DXFState GetMark(int i) const noexcept;
  void SetNoteEnabled(bool enabled) { NoteEnabled = enabled; }
  /// Returns the record start of the first pair from `start` up to ObjectsEnd whose code-5
  /// value is `handle` (read as hexadecimal), or -1.
  int FindHandle(int handle, int start) const;
  /// Tells whether i names a pair of the arrays (0 .. PairCount + 99).
  bool IsValidIndex(int i) const noexcept { return i >= 0 && i < m_size; }
  /// Makes observer (not owned; null for none) hear of every change that SetCode,
  /// SetValue and the clearing of pairs after EofIndex make from now on. A move of the
  /// buffer carries the observer along.
  void SetObserver(BufferObserver* observer) noexcept { m_observer = observer; }
  BufferObserver* Observer() const noexcept { return m_observer; }

  // ---- remark engine ----
  /// Works out the remarks of the record that holds pair i, then pair i's generic remark
  /// when it still has none. Does nothing when NoteEnabled is false. Returns 0.
  int MakeNote(int i);
  /// Carries out the directive at row scnt of the list on the pair at the cursor.
  int SetChildTable(int& cursor, int scnt, const NoteList& list, int H);
  /// Moves r to its next sibling row and returns it.
  int SkipRow(int& r, const NoteList& list, int H);
  int ApplyCode(int& cursor, int q, const NoteList& list, int H);
  int ApplyCodeTemp(int& cursor, int q, const NoteList& list, int H);
  int ApplyMode(int& cursor, int q, const NoteList& list, int H);
  int ApplyRefKey(int& cursor, int q, const NoteList& list, int H);
  int ApplyBit(int& cursor, int q, const NoteList& list, int H);
  int ApplyCount(int& cursor, int q, const NoteList& list, int H);
  int ApplyTime(int& cursor, int q, const NoteList& list, int H);
  int Apply24BitColor(int& cursor, int q, const NoteList& list, int H);

  // ---- colours ----
  /// Names an ACI number by its absolute value ("Red" ...); other numbers in decimal.
  std::string ColorName(int number) const;
  /// ColorName of the number inside text. When text holds no integer, returns an empty
  /// text and sets failure to the conversion message that names the number read.
  std::string ColorNameOfText(const std::string& text, std::string& failure) const;
  /// Splits v into v div 65536, (v mod 65536) div 256 and v mod 256 (truncating).
  void SplitRGB(int v, int& R, int& G, int& B) const;
  /// Returns the Windows colour value to paint for an ACI number and a true colour.
  int DisplayColor(int aci, int trueColor) const;

  // ---- name checks ----
  /// Tells whether a layer name is acceptable; message lists the problems (empty when none).
  bool CheckLayerName(const std::string& name, std::string& message) const;
  /// Tells whether a linetype name is acceptable; message lists the problems.
  bool CheckLtypeName(const std::string& name, std::string& message) const;
  /// Tells whether a block name is acceptable; message lists the problems.
  bool CheckBlockName(const std::string& name, std::string& message) const;

 private:
  struct Storage;

  void ResetIndex();
  void ResetHeaderValues();
  int Fail(LoadResult result, std::size_t line = 0);
  int SplitPairs(std::size_t lines);
  int ReadBinaryPairs(FileBytes& file);
  int DecodeBinaryPairs(FileBytes& file, int pairs, std::size_t textBound, BinaryCodes codes);
  int EndPairsAt(std::size_t line);
  bool HasEofPairBefore(int pairs) const noexcept;
  bool IsEofPair(int i) const noexcept;
  void NoteWhatWasLeftOut();
  void ClearPair(int i);
  bool ClearPairsAfterEof();
  void NoteStaleness(int i, int oldCode, int newCode, bool codeChanges) noexcept;
  bool ReadHeaderValue(const std::string& variable, int i);
  void ShowMessage(const std::string& text) const;
  template <typename Out>
  void WritePairs(Out& out) const;
  std::string FormatChildTableError(int cursor, int scnt, const NoteList& list) const;
  void AppendNote(int i, std::string_view text);
  bool IsRecordWorkedOut(int s) const noexcept;
  void MarkRecordWorkedOut(int s) noexcept;
  int ApplyCodeBody(int& cursor, int q, const NoteList& list, int H, bool stopOnUnmatched);
  void GenericNote(int i);
  int RecordStart(int i);
  void RebuildRecordStarts(std::size_t uptoBlock);
  const NoteList* ListForPair(int i) const noexcept;
  struct Splice;
  void TakeOut(const std::vector<PairReplacement>& replacements, std::vector<HeldPairs>& out) const;
  void CommitSplice(Splice& splice, std::vector<PairReplacement>& replacements) noexcept;

  std::unique_ptr<Storage> m_store;
  BufferObserver* m_observer = nullptr;
  IndexStale m_staleIndex = IndexStale::None;  // what the changes since the last update need
  bool m_staleHandles = false;
  bool m_clearedAfterEof = false;  // the last BuildIndex cleared a pair that held something
  int m_size = 0;                  // length of the four arrays: PairCount + 100 after a load
};

/// Where the buffer keeps the first and last pair of a named section.
struct DXFSectionField {
  std::string_view name;  // HEADER, CLASSES, TABLES, BLOCKS, ENTITIES, OBJECTS
  int TDXFBuffer::*start;
  int TDXFBuffer::*end;
};

/// Where the buffer keeps the TABLE pair of a symbol table.
struct DXFTableField {
  std::string_view name;       // as the table names itself: VPORT ... BLOCK_RECORD
  std::string_view shortName;  // as the section list names it (BLOCK_RECORD is BLOCKREC)
  int TDXFBuffer::*index;
};

/// The six indexed sections and the nine indexed tables, in file order.
extern const std::array<DXFSectionField, 6> kDXFSections;
extern const std::array<DXFTableField, 9> kDXFTables;

#include "model/tables/MyDXFClassTables.h"
