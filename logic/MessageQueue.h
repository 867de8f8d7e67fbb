// MessageQueue.h - messages held back while the grid fills, shown once afterwards.
//
// No modal message may open inside a paint or a fill: the remark engine's diagnostics
// raised there are queued and shown once the fill is done, each distinct text once.
#pragma once

#include <string>  // std::string
#include <vector>  // std::vector

class MessageQueue {
 public:
  /// Queues text unless the same text is already waiting.
  void Push(const std::string& text);
  /// Returns the waiting texts in the order they first came, and empties the queue.
  std::vector<std::string> TakeAll();
  bool Empty() const { return m_texts.empty(); }

 private:
  std::vector<std::string> m_texts;
};
