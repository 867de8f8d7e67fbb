// EditedValues.cpp - setting pairs' edited values and resetting the store.
#include "model/EditedValues.h"

void EditedValues::Reset(std::size_t pairs) {
  m_arena.Clear();
  m_refs.reset();
  m_pairs = pairs;
}

// Not value-initialised: a slot is read only after its pair's value was set, and the
// system gives memory pages only to the slots that are written.
void EditedValues::MakeReferences() {
  if (!m_refs) m_refs = std::make_unique_for_overwrite<ValueArena::Ref[]>(m_pairs);
}

void EditedValues::Set(std::size_t i, std::string_view text, bool replaced) {
  MakeReferences();
  const ValueArena::Ref ref = m_arena.Append(text);  // before the release: text may be here
  if (replaced) m_arena.Release(m_refs[i]);
  m_refs[i] = ref;
}

ValueArena::Ref EditedValues::Adopt(PreparedValues& values) {
  MakeReferences();
  return m_arena.Adopt(values.m_arena);
}
