// JumpHistory.h - the places the grid jumped from, to go back and forward through them.
//
// Every jump (a followed pointer, Ctrl+G, the section list, find, a list tab, a line of
// the message panel) leaves a place; Back returns to it as a browser does, and Forward
// undoes a Back until the next jump drops the places ahead. A place is the grid's view:
// its top index and current row, so going back shows the page as it was.
#pragma once

#include <cstddef>   // std::size_t
#include <optional>  // std::optional
#include <vector>    // std::vector

#include "logic/grid/GridPaging.h"

class JumpHistory {
 public:
  /// The most places kept behind; the oldest goes first.
  static constexpr std::size_t kMaxPlaces = 1000;

  /// Notes a jump away from `from`: it becomes the place to go back to, and the places
  /// ahead are dropped.
  void Leave(const GridView& from);
  /// Returns the place before `current`, which becomes the place ahead; nothing when no
  /// jump was made.
  std::optional<GridView> Back(const GridView& current);
  /// Returns the place ahead of `current`, which becomes the place behind; nothing when
  /// none is ahead.
  std::optional<GridView> Forward(const GridView& current);
  /// Forgets every place (a new document).
  void Clear();

 private:
  std::vector<GridView> m_back;
  std::vector<GridView> m_forward;
};
