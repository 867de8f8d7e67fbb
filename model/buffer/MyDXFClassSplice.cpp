// MyDXFClassSplice.cpp - replacing stretches of pairs: the buffer's structural edit.
//
// ReplacePairs builds the arrays of the pairs as the replacements leave them beside the
// old ones, in one pass however many stretches change, and swaps them in only when every
// allocation has succeeded, so a failure leaves the buffer as it was. Pairs keep their
// places in the file: a kept or restored pair's value line is found where it was read
// (an edited pair keeps its place in its arena record's tag), and the first pair after a
// stretch taken out, like every pair put back, is marked as a seam, where the save looks
// up the start of its code line instead of following on from the pair before it.
#include <algorithm>  // std::min
#include <cassert>    // assert
#include <cstdint>    // INT32_MAX, UINT32_MAX
#include <new>        // std::bad_alloc

#include "model/buffer/HeldPairs.h"
#include "model/buffer/MyDXFClass.h"
#include "model/buffer/MyDXFClass_p.h"

void HeldPairs::Add(int code, std::string_view value) {
  if (value.size() > UINT32_MAX) throw std::bad_alloc();
  m_values.append(value);
  try {
    m_pairs.push_back({kNoOffset, 0, static_cast<std::uint32_t>(value.size()), code, -1,
                       /*ownValue=*/true, /*codeEdited=*/true});
  } catch (const std::bad_alloc&) {
    m_values.resize(m_values.size() - value.size());
    throw;
  }
}

// The arrays of the pairs as the replacements leave them, filled in the buffer's order.
struct TDXFBuffer::Splice {
  using Storage = TDXFBuffer::Storage;

  Splice(std::size_t size, bool binary)
      : codes(size),
        blockBase((size >> Storage::kBlockBits) + 1, 0),
        valueRel(size),
        valueLen(size),
        marks(size) {
    if (binary) filePairs.resize(size);
  }

  void PutCode(std::size_t j, int code) {
    if (code > INT16_MIN && code <= INT16_MAX) {
      codes[j] = static_cast<std::int16_t>(code);
      return;
    }
    codes[j] = Storage::kWideCode;
    wideCodes.emplace(static_cast<int>(j), code);
  }

  void PutLength(std::size_t j, std::size_t length) {
    valueLen[j] = static_cast<std::uint16_t>(std::min<std::size_t>(length, Storage::kLongValue));
    if (length >= Storage::kLongValue) longLengths.emplace(static_cast<int>(j), length);
  }

  // Gives pair j the value line at offset (kNoOffset: none) as its unedited value. A
  // block's offsets count from its first line, so lines must come in file order.
  void PutPlace(std::size_t j, std::size_t offset, std::size_t length) {
    PutLength(j, length);
    if (offset == Storage::kNoOffset) {
      valueRel[j] = Storage::kNoValue;
      return;
    }
    const std::size_t block = j >> Storage::kBlockBits;
    if (block != m_block) {
      m_block = block;
      blockBase[block] = offset;
    }
    const std::uint64_t rel = offset - blockBase[block];
    if (offset < blockBase[block] || rel >= Storage::kNoValue) [[unlikely]]
      fits = false;
    valueRel[j] = static_cast<std::uint32_t>(rel);
  }

  void PutEdited(std::size_t j, ValueArena::Ref ref, std::size_t length) {
    valueRel[j] = static_cast<std::uint32_t>(ref);
    valueLen[j] = static_cast<std::uint16_t>(ref >> 32);
    if (length >= Storage::kLongValue) longLengths.emplace(static_cast<int>(j), length);
  }

  // Copies the old pairs [from, end) to j on; the first is a seam when asked.
  void CopyKept(const Storage& s, int from, int end, std::size_t& j, bool seam) {
    if (seam && from < end) m_seamAt = j;
    for (int i = from; i < end; ++i, ++j) {
      const std::size_t at = static_cast<std::size_t>(i);
      codes[j] = s.codes[at];
      if (s.codes[at] == Storage::kWideCode) wideCodes.emplace(static_cast<int>(j), s.Code(i));
      const std::uint8_t mark = s.marks[at] & static_cast<std::uint8_t>(~kWorkedOutBit);
      marks[j] = j == m_seamAt ? mark | kSeamBit : mark;
      if (mark & kEditedBit) {
        PutEdited(j, s.EditedRef(at), s.ValueLength(i));
      } else {
        PutPlace(j, s.ValueOffset(i), s.ValueLength(i));
      }
      if (!filePairs.empty()) filePairs[j] = s.FilePairOf(i);
    }
  }

  // Puts pairs in from j on; an own value goes into the arena with the pair's place.
  void PutIn(ValueArena& arena, const HeldPairs& pairs, std::size_t& j) {
    std::size_t valueAt = 0;
    for (const HeldPairs::Pair& p : pairs.m_pairs) {
      const bool placed = p.offset != HeldPairs::kNoOffset;
      const std::size_t offset = placed ? static_cast<std::size_t>(p.offset) : Storage::kNoOffset;
      PutCode(j, p.code);
      marks[j] = static_cast<std::uint8_t>((p.codeEdited ? kCodeEditedBit : 0) |
                                           (placed ? kSeamBit : 0) | (p.ownValue ? kEditedBit : 0));
      if (p.ownValue) {
        const std::string_view value(pairs.m_values.data() + valueAt, p.valueSize);
        valueAt += p.valueSize;
        const auto shortLength =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(p.length, Storage::kLongValue));
        const ValueArena::Ref ref = arena.Append(
            value, Storage::MakePlace(placed ? p.offset : Storage::kNoPlace, shortLength));
        appended.push_back(ref);  // reserved: cannot throw
        PutEdited(j, ref, p.length);
      } else {
        PutPlace(j, offset, p.length);
      }
      if (!filePairs.empty()) filePairs[j] = p.filePair;
      ++j;
    }
  }

  std::vector<std::int16_t> codes;
  std::unordered_map<int, int> wideCodes;
  std::vector<std::uint64_t> blockBase;
  std::vector<std::uint32_t> valueRel;
  std::vector<std::uint16_t> valueLen;
  std::unordered_map<int, std::size_t> longLengths;
  std::vector<std::uint8_t> marks;
  std::vector<std::int32_t> filePairs;    // of a binary file only
  std::vector<HeldPairs> takenOut;        // by replacement
  std::vector<ValueArena::Ref> appended;  // the values put in, released when the splice fails
  bool fits = true;                       // every block's lines lie within 4 GiB of its first

 private:
  std::size_t m_block = SIZE_MAX;  // the block whose base PutPlace has set
  std::size_t m_seamAt = SIZE_MAX;
};

static bool AreInOrder(const std::vector<PairReplacement>& replacements, int pairCount) {
  int end = 0;
  for (const PairReplacement& r : replacements) {
    if (r.count < 0 || r.first < end || r.first > pairCount - r.count) return false;
    end = r.first + r.count;
  }
  return true;
}

bool TDXFBuffer::ReplacePairs(std::vector<PairReplacement>& replacements) {
  if (!AreInOrder(replacements, PairCount)) {
    assert(!"replacements out of order or out of range");
    return false;
  }
  Storage& s = *m_store;
  long long size = m_size;
  for (const PairReplacement& r : replacements) size += r.pairs.Size() - r.count;
  if (size > INT32_MAX) throw std::bad_alloc();
  Splice splice(static_cast<std::size_t>(size), /*binary=*/s.binaryPairs > 0);
  TakeOut(replacements, splice.takenOut);
  std::size_t ownValues = 0;
  for (const PairReplacement& r : replacements)
    for (const HeldPairs::Pair& p : r.pairs.m_pairs) ownValues += p.ownValue;
  splice.appended.reserve(ownValues);
  const auto releaseAppended = [&] {
    for (const ValueArena::Ref ref : splice.appended) s.edited.Release(ref);
  };
  try {
    int from = 0;
    std::size_t j = 0;
    for (const PairReplacement& r : replacements) {
      splice.CopyKept(s, from, r.first, j, /*seam=*/from > 0);
      splice.PutIn(s.edited, r.pairs, j);
      from = r.first + r.count;
    }
    splice.CopyKept(s, from, m_size, j, /*seam=*/!replacements.empty());
  } catch (const std::bad_alloc&) {
    releaseAppended();
    throw;
  }
  if (!splice.fits) {
    releaseAppended();
    return false;
  }
  CommitSplice(splice, replacements);
  if (m_observer) m_observer->PairsReplaced(replacements);
  return true;
}

// Copies the pairs the replacements take out, each with its place in the file and, when
// it was edited, its value.
void TDXFBuffer::TakeOut(const std::vector<PairReplacement>& replacements,
                         std::vector<HeldPairs>& out) const {
  const Storage& s = *m_store;
  out.resize(replacements.size());
  for (std::size_t k = 0; k < replacements.size(); ++k) {
    const PairReplacement& r = replacements[k];
    HeldPairs& held = out[k];
    held.m_pairs.reserve(static_cast<std::size_t>(r.count));
    for (int i = r.first; i < r.first + r.count; ++i) {
      const std::size_t offset = s.ValueOffset(i);
      const bool placed = offset != Storage::kNoOffset;
      const std::uint8_t mark = s.marks[static_cast<std::size_t>(i)];
      const bool ownValue = (mark & kEditedBit) != 0;
      const std::string_view value = ownValue ? s.Value(i) : std::string_view();
      if (value.size() > UINT32_MAX) throw std::bad_alloc();
      held.m_values.append(value);
      held.m_pairs.push_back({placed ? offset : HeldPairs::kNoOffset, placed ? s.ValueLength(i) : 0,
                              static_cast<std::uint32_t>(value.size()), s.Code(i), s.FilePairOf(i),
                              ownValue, (mark & kCodeEditedBit) != 0});
    }
  }
}

// Swaps the new arrays in and turns each replacement into the one that takes it back.
void TDXFBuffer::CommitSplice(Splice& splice, std::vector<PairReplacement>& replacements) noexcept {
  Storage& s = *m_store;
  for (const PairReplacement& r : replacements)  // their values now live in the held pairs
    for (int i = r.first; i < r.first + r.count; ++i)
      if (s.marks[static_cast<std::size_t>(i)] & kEditedBit)
        s.edited.Release(s.EditedRef(static_cast<std::size_t>(i)));
  s.codes.swap(splice.codes);
  s.wideCodes.swap(splice.wideCodes);
  s.blockBase.swap(splice.blockBase);
  s.valueRel.swap(splice.valueRel);
  s.valueLen.swap(splice.valueLen);
  s.longLengths.swap(splice.longLengths);
  s.marks.swap(splice.marks);
  if (!splice.filePairs.empty()) s.filePairs.swap(splice.filePairs);
  s.notes.Reset();
  s.anyNotes = false;
  s.startBefore.clear();
  s.startsValidBlocks = 0;
  int shift = 0;
  for (std::size_t k = 0; k < replacements.size(); ++k) {
    PairReplacement& r = replacements[k];
    const int putIn = r.pairs.Size();
    r.first += shift;
    shift += putIn - r.count;
    r.count = putIn;
    r.pairs = std::move(splice.takenOut[k]);
  }
  PairCount += shift;
  m_size += shift;
  m_staleIndex = IndexStale::Rebuild;
  m_staleHandles = true;
}
