// MyDXFClass_p.h - the private storage of TDXFBuffer, shared by the unit's .cpp files.
//
// Per pair the buffer keeps 9 bytes: the group code (2), the offset (4) and length (2)
// of the value line in the file's bytes and a mark byte. Values are never copied at load
// time; an edited value lives in an arena of its own and its mark byte says so, while the file's
// bytes stay as read, so a save can copy every unchanged line exactly. Remarks are kept as
// ids of interned texts in pages that are allocated only when a remark on them is first
// set, so a load costs nothing for remarks and a fully annotated file stores each
// distinct text once.
#pragma once

#include <algorithm>      // std::min, std::max
#include <cassert>        // assert
#include <cstdint>        // INT16_MIN, INT16_MAX, std::uint8_t, std::uint32_t, std::uint64_t
#include <memory>         // std::unique_ptr
#include <string_view>    // std::string_view
#include <unordered_map>  // std::unordered_map
#include <vector>         // std::vector

#include "model/buffer/BinaryDXF.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/MyDXFClass.h"
#include "model/buffer/ValueArena.h"
#include "model/remarks/NoteStore.h"

// Bits of a pair's mark byte: the DXFState in the low three, then four flags.
constexpr std::uint8_t kStateMask = 0x07;
// The pair's code line may not follow the previous pair's value line in the file (pairs
// between them were taken out, or the pair was put back): the save looks its start up.
constexpr std::uint8_t kSeamBit = 0x10;
constexpr std::uint8_t kCodeEditedBit = 0x20;  // the code was changed since the load
constexpr std::uint8_t kWorkedOutBit = 0x40;   // on a record's first pair: remarks worked out
constexpr std::uint8_t kEditedBit = 0x80;      // the value lives in the edited arena

class FileWriter;

// Counts the bytes a save would write; it takes what a FileWriter takes.
class ByteCounter {
 public:
  bool ok() const { return true; }
  void Append(std::string_view bytes) { m_bytes += bytes.size(); }
  void AppendCode(int code, std::string_view lineEnd) {
    m_bytes += CodeWidth(code) + lineEnd.size();
  }
  void AppendPair(int code, std::string_view value) {
    AppendCode(code, "\r\n");
    m_bytes += value.size() + 2;
  }
  std::uint64_t Bytes() const { return m_bytes; }

 private:
  // The width of "%3d": three places, or the digits and sign of a wider number.
  static std::size_t CodeWidth(int code) {
    std::size_t width = code < 0 ? 2 : 1;
    for (long long rest = code < 0 ? -static_cast<long long>(code) : code; rest >= 10; rest /= 10)
      ++width;
    return std::max<std::size_t>(width, 3);
  }
  std::uint64_t m_bytes = 0;
};

struct TDXFBuffer::Storage {
  // The file's bytes as read; the text is its first textSize bytes (up to a NUL byte),
  // and the first code line starts at textStart (after a UTF-8 byte-order mark).
  std::unique_ptr<char[]> text;
  std::size_t textSize = 0;
  std::size_t textStart = 0;
  long long fileLines = 0;  // lines of the whole file, after a NUL byte too
  long long nulLine = 0;    // 1-based line of the NUL byte that ended the text, 0: none

  // A binary file's bytes as read, kept so that a save copies its unchanged pairs; text
  // then holds the pairs' values as shown, one after the other, without line ends.
  // Pair i < binaryPairs is the file's i-th pair. Empty for a text file.
  std::unique_ptr<char[]> binary;
  std::size_t binarySize = 0;
  int binaryPairs = 0;
  BinaryCodes binaryCodes = BinaryCodes::TwoBytes;

  // Group codes in 16 bits; the rare code outside that range lives in wideCodes and its
  // slot holds kWideCode. DXF codes run from -5 to 1071.
  static constexpr std::int16_t kWideCode = INT16_MIN;
  std::vector<std::int16_t> codes;
  std::unordered_map<int, int> wideCodes;

  // Offset of pair i's value line: blockBase[i >> kBlockBits] + valueRel[i]. Splitting the
  // offset keeps 4 bytes a pair for files of any size.
  static constexpr int kBlockBits = 12;
  static constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;  // no line in the file (cleared)
  static constexpr std::size_t kNoOffset = SIZE_MAX;
  std::vector<std::uint64_t> blockBase;
  std::vector<std::uint32_t> valueRel;
  // Length of the value line; kLongValue means "65535 or more: see longLengths".
  static constexpr std::uint16_t kLongValue = 0xFFFF;
  std::vector<std::uint16_t> valueLen;
  std::unordered_map<int, std::size_t> longLengths;

  std::vector<std::uint8_t> marks;
  // Values set after the load, of the pairs marked kEditedBit. Such a pair's valueRel
  // and valueLen hold the low 32 and the next 16 bits of its record's reference instead,
  // and the record's tag holds the pair's place in the file (Place), so that an edit
  // needs no memory by pair and the save still finds the pair's lines in the file.
  ValueArena edited;
  NoteStore notes;
  bool anyNotes = false;  // a remark was set or a record worked out since the load

  // Record starts (pairs with code 0 or 9) by block of kStartBlock pairs: startBefore[b]
  // is the last record start at or before pair b * kStartBlock, or 0. It lets the search
  // for a pair's record start stop within one block, however long the record. BuildIndex
  // fills it; entries from block startsValidBlocks on are stale after a code change and
  // are rebuilt on demand.
  static constexpr int kStartBlockBits = 5;
  std::vector<int> startBefore;
  std::size_t startsValidBlocks = 0;

  int Code(int i) const noexcept {
    const int c = codes[static_cast<std::size_t>(i)];
    return c != kWideCode ? c : wideCodes.find(i)->second;
  }

  void PutCode(int i, int code) {
    std::int16_t& slot = codes[static_cast<std::size_t>(i)];
    if (slot == kWideCode) wideCodes.erase(i);
    if (code > INT16_MIN && code <= INT16_MAX) {
      slot = static_cast<std::int16_t>(code);
    } else {
      slot = kWideCode;
      wideCodes[i] = code;
    }
  }

  // A binary file's pair that each pair is, -1 for one the file did not have. Empty
  // until a replacement of pairs (ReplacePairs) moves the pairs of a binary file: until
  // then pair i < binaryPairs is the file's i-th pair.
  std::vector<std::int32_t> filePairs;

  ValueArena::Ref EditedRef(std::size_t at) const noexcept {
    return ValueArena::Ref{valueLen[at]} << 32 | valueRel[at];
  }
  // Where a pair's value line lies in the file's text: its offset in the low 48 bits
  // (kNoPlace there: none) and its length (kLongValue: see longLengths) above them. A
  // place is absolute, so that an edited pair keeps it in its record's tag wherever the
  // pair moves.
  static constexpr int kPlaceLengthShift = 48;
  static constexpr std::uint64_t kNoPlace = (std::uint64_t{1} << kPlaceLengthShift) - 1;
  static std::uint64_t MakePlace(std::uint64_t offset, std::uint16_t length) noexcept {
    return std::uint64_t{length} << kPlaceLengthShift | offset;
  }
  std::uint64_t Place(std::size_t at) const noexcept {
    if (marks[at] & kEditedBit) return edited.Tag(EditedRef(at));
    const std::uint32_t rel = valueRel[at];
    return MakePlace(rel == kNoValue ? kNoPlace : blockBase[at >> kBlockBits] + rel, valueLen[at]);
  }
  // Makes text pair at's value, keeping its place in the file. Throws std::bad_alloc,
  // changing nothing, when no memory is left.
  void SetEdited(std::size_t at, std::string_view text) {
    const ValueArena::Ref ref = edited.Append(text, Place(at));  // text may lie in the arena
    ReplaceEdited(at, ref);
  }
  // Makes the record at ref, tagged with pair at's place, the pair's value.
  void ReplaceEdited(std::size_t at, ValueArena::Ref ref) noexcept {
    if (marks[at] & kEditedBit) edited.Release(EditedRef(at));
    valueRel[at] = static_cast<std::uint32_t>(ref);
    valueLen[at] = static_cast<std::uint16_t>(ref >> 32);
    marks[at] |= kEditedBit;
  }

  // Where pair i's value line starts in the text, or kNoOffset for a cleared pair.
  std::size_t ValueOffset(int i) const noexcept {
    const std::uint64_t offset = Place(static_cast<std::size_t>(i)) & kNoPlace;
    return offset == kNoPlace ? kNoOffset : static_cast<std::size_t>(offset);
  }
  // The length of pair i's value line as read.
  std::size_t ValueLength(int i) const noexcept {
    const auto len =
        static_cast<std::uint16_t>(Place(static_cast<std::size_t>(i)) >> kPlaceLengthShift);
    return len != kLongValue ? len : longLengths.find(i)->second;
  }
  // The binary file's pair that pair i is, or -1.
  int FilePairOf(int i) const noexcept {
    if (!filePairs.empty()) return filePairs[static_cast<std::size_t>(i)];
    return i < binaryPairs ? i : -1;
  }
  // Where the code line of pair i, whose value line starts at valueStart, starts.
  std::size_t CodeLineStart(std::size_t valueStart) const noexcept;
  std::string_view Value(int i) const noexcept;

  // Makes the length bytes from start of the text pair's value, as a load does; false
  // when the offset cannot be kept.
  bool PlaceValue(int pair, std::size_t start, std::size_t length) {
    const std::size_t block = static_cast<std::size_t>(pair) >> kBlockBits;
    if ((pair & ((1 << kBlockBits) - 1)) == 0) blockBase[block] = start;
    const std::uint64_t rel = start - blockBase[block];
    if (rel >= kNoValue) [[unlikely]]
      return false;
    valueRel[static_cast<std::size_t>(pair)] = static_cast<std::uint32_t>(rel);
    valueLen[static_cast<std::size_t>(pair)] =
        static_cast<std::uint16_t>(std::min<std::size_t>(length, kLongValue));
    if (length >= kLongValue) [[unlikely]]
      longLengths.emplace(pair, length);
    return true;
  }
  // Tells whether pair i was changed since the load or is not the file's.
  bool IsChanged(int i) const noexcept {
    return (marks[static_cast<std::size_t>(i)] & (kEditedBit | kCodeEditedBit)) != 0;
  }
  // Tells whether a save leaves pair i out: a code-0 pair with an empty value.
  bool IsLeftOut(int i) const noexcept { return Code(i) == kRecordStartCode && Value(i).empty(); }

  // Saving (MyDXFClassSave.cpp) into a FileWriter, or a ByteCounter that only counts:
  // pairs 0..last, every unchanged line as read, or all of them in the normalised form.
  template <typename Out>
  void WriteAsRead(Out& out, int last) const;
  template <typename Out>
  void WriteNormalised(Out& out, int last) const;
  // Binary saving (MyDXFClassSave.cpp): pairs 0..last, unchanged pairs of a binary file
  // with their bytes as read, or all of them encoded with `codes`.
  template <typename Out>
  void WriteBinaryAsRead(Out& out, int last) const;
  template <typename Out>
  void WriteBinary(Out& out, int last, BinaryCodes codes) const;

 private:
  std::string_view LineEndStyle() const noexcept;
  template <typename Out>
  void WriteChangedPair(Out& out, int i, std::size_t codeStart, std::size_t valueEnd,
                        std::size_t lineEnd) const;
  std::string_view ValueLineEnd(int i, std::string_view codeLineEnd,
                                std::string_view valueLineEnd) const;
};
