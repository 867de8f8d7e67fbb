// NoteStore.h - the remarks of a buffer's pairs, stored by page and interned.
//
// A load costs nothing for remarks: a page of ids is allocated only when a remark on it
// is first set, and a fully annotated file stores each distinct text once.
#pragma once

#include <cstdint>        // std::uint32_t
#include <deque>          // std::deque
#include <memory>         // std::unique_ptr
#include <string>         // std::string
#include <string_view>    // std::string_view
#include <unordered_map>  // std::unordered_map
#include <vector>         // std::vector

// Remarks by pair: ids into a table of distinct texts, id 0 being the empty remark.
class NoteStore {
 public:
  void Reset();
  std::string_view Get(int i) const noexcept;
  void Set(int i, std::string_view text);

 private:
  static constexpr int kPageBits = 10;  // 1024 pairs a page: 4 KiB of ids, one memory page
  static constexpr int kPageSize = 1 << kPageBits;
  std::uint32_t Intern(std::string_view text);

  std::vector<std::unique_ptr<std::uint32_t[]>> m_pages;
  std::deque<std::string> m_texts;  // id - 1 -> text; a deque keeps the views below valid
  std::unordered_map<std::string_view, std::uint32_t> m_ids;
};
