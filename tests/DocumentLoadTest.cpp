// DocumentLoadTest.cpp - a buffer read beside the shown one takes its place but keeps the
// window's message sink, remark switch and counter. (A failed load leaving the shown
// document alone is tested through the main window.)
#include "logic/DocumentLoad.h"

#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

namespace {

const std::string kGood = DxfText({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "EOF"});

}  // namespace

TEST(DocumentLoad, AdoptionKeepsTheWindowsSinkSwitchAndCounter) {
  TempDir dir;
  TDXFBuffer shown;
  std::vector<std::string> seen;
  shown.OnMessage = [&seen](const std::string& text) { seen.push_back(text); };
  shown.NoteEnabled = false;
  shown.Counter = 7;
  TDXFBuffer loaded;
  ASSERT_EQ(ReadDocument(loaded, dir.Write("good.dxf", kGood)), 0);
  AdoptDocument(shown, std::move(loaded));
  EXPECT_EQ(shown.PairCount, 4);
  EXPECT_FALSE(shown.NoteEnabled);
  EXPECT_EQ(shown.Counter, 7);
  ASSERT_TRUE(shown.OnMessage);
  shown.OnMessage("x");
  EXPECT_EQ(seen, std::vector<std::string>{"x"});
}
