// EditedValues.cpp - setting pairs' edited values and resetting the store.
#include "model/EditedValues.h"

void EditedValues::Reset(std::size_t pairs) {
  m_arena.Clear();
  m_pages.clear();
  m_pages.resize((pairs >> kPageBits) + 1);
}

// Not value-initialised: a slot is read only after its pair's value was set.
ValueArena::Ref* EditedValues::PageOf(std::size_t i) {
  std::unique_ptr<ValueArena::Ref[]>& page = m_pages[i >> kPageBits];
  if (!page) page = std::make_unique_for_overwrite<ValueArena::Ref[]>(kPageMask + 1);
  return page.get();
}

void EditedValues::Set(std::size_t i, std::string_view text, bool replaced) {
  ValueArena::Ref* page = PageOf(i);
  const ValueArena::Ref ref = m_arena.Append(text);  // before the release: text may be here
  ValueArena::Ref& slot = page[i & kPageMask];
  if (replaced) m_arena.Release(slot);
  slot = ref;
}

ValueArena::Ref EditedValues::Adopt(PreparedValues& values) {
  for (const int i : values.m_pairs) PageOf(static_cast<std::size_t>(i));
  return m_arena.Adopt(values.m_arena);
}
