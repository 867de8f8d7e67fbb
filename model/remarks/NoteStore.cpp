// NoteStore.cpp - the remarks of a buffer's pairs, stored by page and interned.
#include "model/remarks/NoteStore.h"

void NoteStore::Reset() {
  m_pages.clear();
  m_pages.shrink_to_fit();
  m_ids.clear();
  m_texts.clear();
}

std::string_view NoteStore::Get(int i) const noexcept {
  const std::size_t page = static_cast<std::size_t>(i) >> kPageBits;
  if (page >= m_pages.size() || !m_pages[page]) return {};
  const std::uint32_t id = m_pages[page][i & (kPageSize - 1)];
  return id == 0 ? std::string_view() : std::string_view(m_texts[id - 1]);
}

void NoteStore::Set(int i, std::string_view text) {
  const std::size_t page = static_cast<std::size_t>(i) >> kPageBits;
  if (text.empty() && (page >= m_pages.size() || !m_pages[page])) return;
  if (page >= m_pages.size()) m_pages.resize(page + 1);
  if (!m_pages[page]) m_pages[page].reset(new std::uint32_t[kPageSize]());
  m_pages[page][i & (kPageSize - 1)] = text.empty() ? 0 : Intern(text);
}

std::uint32_t NoteStore::Intern(std::string_view text) {
  const auto found = m_ids.find(text);
  if (found != m_ids.end()) return found->second;
  m_texts.emplace_back(text);
  const auto id = static_cast<std::uint32_t>(m_texts.size());
  m_ids.emplace(m_texts.back(), id);
  return id;
}
