// MessageQueueTest.cpp - messages held during a fill come out once each, in order.
#include "logic/MessageQueue.h"

#include <gtest/gtest.h>

TEST(MessageQueue, EachDistinctTextOnceInTheOrderItFirstCame) {
  MessageQueue queue;
  for (const char* text : {"b", "a", "b", "c", "a"}) queue.Push(text);
  EXPECT_EQ(queue.TakeAll(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(queue.Empty());
  queue.Push("b");  // a new batch shows it again
  EXPECT_EQ(queue.TakeAll(), std::vector<std::string>{"b"});
}
