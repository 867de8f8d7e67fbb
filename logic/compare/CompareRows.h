// CompareRows.h - the rows of the compare list: one per record that differs, filtered.
//
// The window's compare list shows a DrawingDifference through this class: which changes
// pass the filters (kind, section, record type) and the text of each cell, worked out
// when asked, so a list of a million changes costs an index per row. Texts are program
// texts (CP932), each drawing's values converted from its own encoding.
#pragma once

#include <optional>  // std::optional
#include <string>    // std::string
#include <vector>    // std::vector

#include "logic/compare/DrawingCompare.h"
#include "model/buffer/MyDXFClass.h"

/// The columns of the compare list.
enum class CompareColumn { Kind, Type, Key, Line, OtherLine, Pairs };
constexpr int kCompareColumns = 6;

/// Which changes the list shows; an empty choice lets every change through.
struct CompareFilter {
  std::optional<ChangeKind> kind = {};
  std::optional<RecordSection> section = {};
  std::string type = {};  // a record type as TypeText gives it
};

/// Returns the caption of a column (CP932): 区分, 種類, ハンドル／名前, 行, 比較先の行, 相違.
std::string CompareColumnCaption(CompareColumn column);

/// Returns the word for a kind of change (CP932): 変更, 削除, 追加.
std::string ChangeKindText(ChangeKind kind);

/// Returns the name of a section as a SECTION record writes it, "その他" (CP932) for
/// records outside the six sections.
std::string SectionText(RecordSection section);

class CompareRows {
 public:
  /// Shows diff, made from here (on show) and there (the other drawing), unfiltered. The
  /// buffers must outlive the rows and stay as they were compared.
  CompareRows(const TDXFBuffer& here, const TDXFBuffer& there, DrawingDifference diff);

  /// Keeps the changes that pass filter, in the difference's order.
  void Filter(const CompareFilter& filter);
  int RowCount() const { return static_cast<int>(m_rows.size()); }
  const RecordChange& Change(int row) const;
  /// Returns the text of a cell; "" for a line the record has not on that side.
  std::string Cell(int row, CompareColumn column) const;
  /// Returns the differing pairs of a row one per line: "CODE: VALUE → OTHER".
  std::string PairLines(int row) const;
  /// Returns the record type of a change (its type on the side that holds it).
  std::string TypeText(const RecordChange& change) const;
  /// Returns the record types of every change, sorted, each once.
  std::vector<std::string> Types() const;
  /// Returns how many changes there are of each kind, in ChangeKind order.
  std::vector<int> KindCounts() const;

 private:
  const TDXFBuffer& Holder(const RecordChange& change) const;
  std::string KeyText(const RecordChange& change) const;
  std::string PairText(const PairChange& pair) const;
  std::string PairsJoined(const RecordChange& change, const std::string& separator) const;

  const TDXFBuffer& m_here;
  const TDXFBuffer& m_there;
  DrawingDifference m_diff;
  std::vector<int> m_rows;  // the indices into m_diff.records that pass the filter
};
