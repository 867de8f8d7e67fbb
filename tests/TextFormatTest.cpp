// TextFormatTest.cpp - the plain text of TEXT and MTEXT values.
#include "logic/view/TextFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(TextFormat, StripsMTextFormattingAndTextCodes) {
  const struct {
    const char* in;
    const char* mtext;
    const char* text;
  } cases[] = {
      {"plain", "plain", "plain"},
      {"{\\fArial|b1;Bold} and \\H2.5x;big", "Bold and big", "{\\fArial|b1;Bold} and \\H2.5x;big"},
      {"one\\Ptwo", "one\ntwo", "one\\Ptwo"},
      {"\\S1^2;", "1/2", "\\S1^2;"},
      {"a\\~b \\\\ \\{x\\}", "a b \\ {x}", "a\\~b \\\\ \\{x\\}"},
      {"\\Lunder\\l", "under", "\\Lunder\\l"},
      {"%%u50%%p1%%%", "%%u50%%p1%%%", "50±1%"},
      {"%%065%%c", "%%065%%c", "A⌀"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StripMTextCodes(c.in), c.mtext) << c.in;
    EXPECT_EQ(StripTextCodes(c.in), c.text) << c.in;
  }
}

}  // namespace
