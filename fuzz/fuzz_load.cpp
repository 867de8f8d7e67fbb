// fuzz_load.cpp - the load, checked pair by pair against an independent reading (a binary
// file: its bytes saved back), then everything that reads a loaded drawing: the remarks
// in both orders, the tables, the list builders and the section list, a rename of each
// kind, and save and reload, each save read back independently and compared pair by pair
// and byte by byte.
#include <cstddef>  // std::size_t
#include <cstdint>  // std::uint8_t
#include <string>   // std::string

#include "fuzz/FuzzSupport.h"
#include "logic/lists/ListRows.h"
#include "logic/navigation/SectionList.h"
#include "logic/rename/NameReplace.h"
#include "model/text/Sjis.h"

namespace {

void CheckAgainstReference(const TDXFBuffer& b, int result, const RefLoad& ref) {
  FUZZ_CHECK(result == ref.result);
  if (result != 0) {
    const std::string broken = Sjis("ＤＸＦファイルが壊れています。") + "\r\v" +
                               std::to_string(ref.brokenLine) + Sjis("行");
    FUZZ_CHECK(ref.otherFormat || b.ErrorMessage == broken);
    return;
  }
  FUZZ_CHECK(b.PairCount == static_cast<int>(ref.pairs.size()));
  FUZZ_CHECK(b.EofIndex == ref.eofIndex);
  for (int i = 0; i < b.PairCount; ++i) {
    const bool kept = i <= b.EofIndex;
    FUZZ_CHECK(b.GetCode(i) == (kept ? ref.pairs[static_cast<std::size_t>(i)].code : 0));
    FUZZ_CHECK(b.ValueView(i) == (kept ? ref.pairs[static_cast<std::size_t>(i)].value : ""));
  }
  FUZZ_CHECK(b.TruncatedAtLine == ref.truncatedAt);
  FUZZ_CHECK(b.IgnoredLinesAfterEof == ref.ignoredAfterEof);
}

// A binary file loads or is refused as broken; a loaded one saved unchanged is its bytes
// up to the last pair read, unless a code-0 pair with an empty value was left out.
void CheckBinaryLoad(TDXFBuffer& b, int result, std::string_view bytes, const ScratchFile& file) {
  if (result != 0) {
    FUZZ_CHECK(result == -3);
    FUZZ_CHECK(b.ErrorMessage.starts_with(Sjis("バイナリDXFファイルの")) ||
               b.ErrorMessage.starts_with(Sjis("バイナリDXFファイルが途中で切れています")));
    return;
  }
  b.SetFileName(file.Path());
  FUZZ_CHECK(b.SaveToFile() == 0);
  const std::string saved = file.Read();
  if (SavedPairs(b).size() == static_cast<std::size_t>(b.PairCount))
    FUZZ_CHECK(bytes.starts_with(saved));
}

// Works out every remark up to the EOF pair, from the first pair down or from the last
// one up, as the grid does when it is scrolled either way. The results may differ: the
// walk of a "+code" attached to a record's last pair goes on over the next record's
// pairs, so whichever record is worked out last sets them. Both orders must run clean.
void WorkOutRemarks(const std::string& path, bool backwards) {
  TDXFBuffer b;
  b.OnMessage = [](const std::string&) {};
  FUZZ_CHECK(b.LoadFromFile(path) == 0);
  const int last = std::min(b.EofIndex, b.PairCount - 1);
  for (int k = 0; k <= last; ++k) {
    const int i = backwards ? last - k : k;
    if (b.NoteView(i).empty()) b.MakeNote(i);
  }
}

// Builds every list a tab shows; a value that must be a number and is not ends a list
// with an IncompleteList error, nothing else.
template <typename T>
bool BuiltOrIncomplete(const Result<T>& list) {
  return list.Ok() || list.error().code == ErrorCode::IncompleteList;
}

std::vector<std::string> BuildLists(TDXFBuffer& b) {
  std::vector<std::string> layerNames;
  TDXFLayerTable layers;
  const Result<ListContent> layerList = BuildLayerList(b, layers);
  FUZZ_CHECK(BuiltOrIncomplete(layerList));
  for (const ListRow& row : layerList.value().rows) layerNames.push_back(row[2]);
  BuildLtypeList(b);
  FUZZ_CHECK(BuiltOrIncomplete(BuildColorList(b)));
  BuildBlockList(b);
  TDXFGroupTable groups;
  const Result<ListContent> groupList = BuildGroupList(b, groups);
  FUZZ_CHECK(BuiltOrIncomplete(groupList));
  if (groupList.Ok())
    for (const TDXFGroup& group : groups.Groups) BuildGroupMemberRows(b, group);
  for (const std::string& entry : SectionEntries(b))
    FUZZ_CHECK(b.IsValidIndex(SectionTarget(b, SectionEntryName(entry))));
  for (int i = 0; i < b.PairCount; i += 7) (void)SectionNameAt(b, i);
  return layerNames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxFuzzInput) return 0;
  static const ScratchFile input("load"), output("load-saved");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  input.Write(bytes);
  TDXFBuffer b;
  b.OnMessage = [](const std::string&) {};
  const int result = b.LoadFromFile(input.Path());
  if (bytes.starts_with(kBinaryMark)) {
    CheckBinaryLoad(b, result, bytes, output);
  } else {
    CheckAgainstReference(b, result, ReferenceLoad(bytes));
  }
  if (result != 0) return 0;
  WorkOutRemarks(input.Path(), /*backwards=*/false);
  WorkOutRemarks(input.Path(), /*backwards=*/true);
  const std::vector<std::string> layerNames = BuildLists(b);
  CheckSaveAndReload(b, output);
  NullLog log;
  const std::string layer = layerNames.empty() ? std::string("0") : layerNames.front();
  ReplaceName(NameKind::Layer, b, layer, "FUZZ-LAYER", log);
  ReplaceName(NameKind::Ltype, b, "CONTINUOUS", "FUZZ-LTYPE", log);
  ReplaceName(NameKind::Block, b, "*MODEL_SPACE", "FUZZ-BLOCK", log);
  b.BuildIndex();
  BuildLists(b);
  CheckSaveAndReload(b, output);
  return 0;
}
