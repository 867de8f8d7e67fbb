// PurgeEdit.cpp - what taking chosen unused definitions out changes in a drawing.
#include "logic/purge/PurgeEdit.h"

#include <algorithm>  // std::sort, std::max
#include <map>        // std::map

#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

// Joins stretches that touch or overlap into one, in file order.
std::vector<PairStretch> Joined(std::vector<PairStretch> stretches) {
  std::sort(stretches.begin(), stretches.end(),
            [](const PairStretch& x, const PairStretch& y) { return x.first < y.first; });
  std::vector<PairStretch> joined;
  for (const PairStretch& s : stretches) {
    if (!joined.empty() && s.first <= joined.back().first + joined.back().count) {
      PairStretch& last = joined.back();
      last.count = std::max(last.count, s.first + s.count - last.first);
      continue;
    }
    joined.push_back(s);
  }
  return joined;
}

// The index pair will have once the stretches, none of which holds it, are taken out.
int IndexAfter(const std::vector<PairStretch>& stretches, int pair) {
  int shift = 0;
  for (const PairStretch& s : stretches)
    if (s.first < pair) shift += s.count;
  return pair - shift;
}

// Lowers the number of the first pair of code in record by n, not below 0.
void LowerCount(const TDXFBuffer& b, int record, int code, int n,
                const std::vector<PairStretch>& stretches, PurgeEdit& edit) {
  const int pair = FindInRecord(b, record, code);
  int count = 0;
  if (pair < 0 || !ParseInt32(TrimView(b.ValueView(pair)), count)) return;
  edit.counts.emplace_back(IndexAfter(stretches, pair),
                           WithNumber(b.ValueView(pair), std::max(0, count - n)));
}

}  // namespace

std::string WithNumber(std::string_view value, int n) {
  const std::string_view number = TrimView(value);
  const std::size_t lead = static_cast<std::size_t>(number.data() - value.data());
  const std::string_view trail = value.substr(lead + number.size());
  std::string digits = std::to_string(n);
  if (lead > 0 && digits.size() < lead + number.size())
    digits.insert(0, lead + number.size() - digits.size(), ' ');
  return digits + std::string(trail);
}

PurgeEdit PlanPurge(const TDXFBuffer& b, const PurgeList& list, const std::vector<bool>& chosen) {
  PurgeEdit edit;
  std::vector<bool> kept(list.Entries().size());
  for (std::size_t k = 0; k < kept.size(); ++k) kept[k] = k >= chosen.size() || !chosen[k];
  const std::vector<bool> removable = list.Removable(kept);
  std::vector<PairStretch> stretches;
  std::map<int, int> fromTable;     // TABLE pair -> entries taken out of it
  std::map<int, int> fromHeadList;  // the DIMSTYLE head -> its 340 pairs taken out
  for (std::size_t k = 0; k < removable.size(); ++k) {
    if (!removable[k]) continue;
    const UnusedDefinition& entry = list.Entries()[k];
    edit.removed.push_back(static_cast<int>(k));
    stretches.insert(stretches.end(), entry.stretches.begin(), entry.stretches.end());
    if (entry.tableHead >= 0) ++fromTable[entry.tableHead];
    if (entry.headPointer >= 0) {
      stretches.push_back({entry.headPointer, 1});
      ++fromHeadList[entry.tableHead];
    }
  }
  stretches = Joined(std::move(stretches));
  for (const PairStretch& s : stretches) edit.replacements.push_back({s.first, s.count, {}});
  for (const auto& [head, n] : fromTable) LowerCount(b, head, kFlagsCode, n, stretches, edit);
  for (const auto& [head, n] : fromHeadList)
    if (head >= 0) LowerCount(b, head, kHeadPointerCountCode, n, stretches, edit);
  return edit;
}

std::string PurgeLogLine(const TDXFBuffer& b, const UnusedDefinition& entry) {
  return Format(Sjis("削除：%s \"%s\"　%lld 行").c_str(), PurgeTableCaption(entry.table).c_str(),
                ProgramText(b, entry.name).c_str(), LineOfPair(entry.record));
}

std::string PurgeSummaryLine(int count, std::uint64_t bytesBefore, std::uint64_t bytesAfter) {
  return Format(Sjis("未使用の定義を %d 件削除しました　%llu バイト → %llu バイト").c_str(), count,
                static_cast<unsigned long long>(bytesBefore),
                static_cast<unsigned long long>(bytesAfter));
}

std::string PurgeStepName(int count) {
  return Format(Sjis("未使用の削除 %d 件").c_str(), count);
}
