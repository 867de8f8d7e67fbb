// FindSearch.cpp - the search loop of find.
#include "logic/find/FindSearch.h"

#include <algorithm>    // std::min
#include <array>        // std::array
#include <cstring>      // std::memchr
#include <string_view>  // std::string_view

#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

// Single-byte letters a-z folded to A-Z, every other byte itself. It folds trail bytes too,
// on both sides, so it accepts at least every value that upper-casing makes match.
constexpr std::array<unsigned char, 256> kFold = [] {
  std::array<unsigned char, 256> fold{};
  for (int b = 0; b < 256; ++b)
    fold[static_cast<std::size_t>(b)] =
        static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 32 : b);
  return fold;
}();

bool FoldedEqual(std::string_view raw, std::string_view upper) noexcept {
  for (std::size_t k = 0; k < upper.size(); ++k)
    if (kFold[static_cast<unsigned char>(raw[k])] != static_cast<unsigned char>(upper[k]))
      return false;
  return true;
}

bool HoldsFolded(std::string_view raw, std::string_view upper) noexcept {
  if (raw.size() < upper.size()) return false;
  const auto first = static_cast<unsigned char>(upper[0]);
  const std::size_t lastStart = raw.size() - upper.size();
  for (std::size_t at = 0; at <= lastStart; ++at)
    if (kFold[static_cast<unsigned char>(raw[at])] == first && FoldedEqual(raw.substr(at), upper))
      return true;
  return false;
}

}  // namespace

// Performance: on a 200 MB drawing (12.9 million pairs) a miss took 0.7 to 1.2 s when
// every value was copied upper-cased and matched. The filter rejects almost every value
// by its length, a byte compare or a memchr for the term's first byte, so a miss costs
// about as much as one pass that reads every value (bench_find). A loop over the bytes
// instead of memchr made a contains miss three times slower.
FindSearch::Filter::Filter(const FindTerm& term) : m_term(term.text), m_mode(term.mode) {
  // A double-byte character's trail byte may be a letter (ヂ is 0x83 0x61): folded here
  // as in the values, it still meets itself.
  for (char& c : m_term) c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
  if (m_term.empty()) return;
  m_first = static_cast<unsigned char>(m_term.front());
  const bool letter = m_first >= 'A' && m_first <= 'Z';
  m_firstOtherCase = static_cast<unsigned char>(letter ? m_first + 32 : m_first);
}

// Every value that upper-cased matches passes: its folded bytes hold the term where the
// mode needs it.
bool FindSearch::Filter::MayMatch(std::string_view raw) const noexcept {
  const std::string_view t = m_term;
  if (t.empty()) return true;
  if (raw.size() < t.size()) return false;
  switch (m_mode) {
    case FindMode::Exact:
      // The first byte turns away almost every value; a length test first is a branch
      // the processor mispredicts often (a miss took twice as long).
      return FoldedEqual(raw, t) && raw.size() == t.size();
    case FindMode::Prefix:
      return FoldedEqual(raw, t);
    case FindMode::Suffix:
      return FoldedEqual(raw.substr(raw.size() - t.size()), t);
    case FindMode::Contains:
      return HoldsFirstByte(raw) && HoldsFolded(raw, t);
  }
  return true;
}

// Tells whether raw holds bytes that fold to the term's first and its last byte.
// Tells whether raw holds the term's first byte in either letter case. memchr reads
// short values far faster than a loop over their bytes.
bool FindSearch::Filter::HoldsFirstByte(std::string_view raw) const noexcept {
  if (std::memchr(raw.data(), m_first, raw.size())) return true;
  return m_first != m_firstOtherCase && std::memchr(raw.data(), m_firstOtherCase, raw.size());
}

FindPlan PlanFind(int cursor, int eof, FindDirection direction) {
  if (direction == FindDirection::Forward)
    return {{cursor + 1, eof, direction}, {0, cursor, direction}};
  return {{cursor - 1, 0, direction}, {eof, cursor, direction}};
}

std::string FindWrapQuestion(FindDirection direction) {
  return Sjis(direction == FindDirection::Forward ? "ファイルの先頭から検索を続けますか？"
                                                  : "ファイルの末尾から検索を続けますか？");
}

FindSearch::FindSearch(const TDXFBuffer& buffer, const FindTerm& term, FindStretch stretch)
    : m_buffer(buffer),
      m_term(TermInDocument(term, buffer)),
      m_filter(m_term),
      m_next(stretch.first),
      m_step(stretch.direction == FindDirection::Forward ? 1 : -1),
      m_total(std::max(0, stretch.Size())) {}

bool FindSearch::Matches(int pair) const {
  const std::string_view raw = m_buffer.ValueView(pair);
  return m_filter.MayMatch(raw) && MatchesFindTerm(m_term, raw);
}

FindSearch::State FindSearch::Step(int slice) {
  if (m_found >= 0) return State::Found;
  const int end = m_searched + std::min(std::max(slice, 1), m_total - m_searched);
  for (; m_searched < end; ++m_searched, m_next += m_step) {
    if (!Matches(m_next)) continue;
    m_found = m_next;
    ++m_searched;
    return State::Found;
  }
  return m_searched < m_total ? State::Running : State::Missed;
}

int FindSearch::Run() {
  State state = State::Running;
  while (state == State::Running) state = Step(m_total);
  return m_found;
}
