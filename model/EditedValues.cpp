// EditedValues.cpp - setting a pair's edited value and resetting the store.
#include "model/EditedValues.h"

void EditedValues::Reset(std::size_t pairs) {
  m_arena.Clear();
  m_pages.clear();
  m_pages.resize((pairs >> kPageBits) + 1);
}

void EditedValues::Set(std::size_t i, std::string_view text, bool replaced) {
  std::unique_ptr<ValueArena::Ref[]>& page = m_pages[i >> kPageBits];
  if (!page) page = std::make_unique_for_overwrite<ValueArena::Ref[]>(kPageMask + 1);
  const ValueArena::Ref ref = m_arena.Append(text);  // before the release: text may be here
  ValueArena::Ref& slot = page[i & kPageMask];
  if (replaced) m_arena.Release(slot);
  slot = ref;
}
