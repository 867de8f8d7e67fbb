// JumpHistory.cpp - the places the grid jumped from.
#include "logic/navigation/JumpHistory.h"

// Puts a place on a list, dropping the oldest beyond the limit.
static void Push(std::vector<GridView>& places, const GridView& place) {
  if (places.size() == JumpHistory::kMaxPlaces) places.erase(places.begin());
  places.push_back(place);
}

// Takes the newest place of one list and puts `current` on the other.
static std::optional<GridView> Step(std::vector<GridView>& from, std::vector<GridView>& to,
                                    const GridView& current) {
  if (from.empty()) return std::nullopt;
  const GridView place = from.back();
  from.pop_back();
  Push(to, current);
  return place;
}

void JumpHistory::Leave(const GridView& from) {
  m_forward.clear();
  if (m_back.empty() || m_back.back() != from) Push(m_back, from);
}

std::optional<GridView> JumpHistory::Back(const GridView& current) {
  return Step(m_back, m_forward, current);
}

std::optional<GridView> JumpHistory::Forward(const GridView& current) {
  return Step(m_forward, m_back, current);
}

void JumpHistory::Clear() {
  m_back.clear();
  m_forward.clear();
}
