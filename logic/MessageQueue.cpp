// MessageQueue.cpp - messages held back while the grid fills, shown once afterwards.
#include "logic/MessageQueue.h"

#include <algorithm>  // std::find

void MessageQueue::Push(const std::string& text) {
  if (std::find(m_texts.begin(), m_texts.end(), text) == m_texts.end()) m_texts.push_back(text);
}

std::vector<std::string> MessageQueue::TakeAll() {
  std::vector<std::string> texts;
  texts.swap(m_texts);
  return texts;
}
