// DocumentLoadTest.cpp - a load goes into a second buffer and replaces the shown one only
// when it succeeds.
#include "ui/DocumentLoad.h"

#include <gtest/gtest.h>

#include "model/Sjis.h"
#include "tests/TestFiles.h"

namespace {

const std::string kGood = DxfText({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "EOF"});
const std::string kBroken = DxfText({"0", "SECTION", "x", "ENTITIES"});

}  // namespace

TEST(DocumentLoad, FailedLoadLeavesTheShownDocumentAlone) {
  TempDir dir;
  TDXFBuffer shown;
  ASSERT_EQ(ReadDocument(shown, dir.Write("good.dxf", kGood)), 0);
  for (const std::string& path : {dir.Write("broken.dxf", kBroken), dir.Path() + "/none.dxf"}) {
    TDXFBuffer loaded;
    EXPECT_LT(ReadDocument(loaded, path), 0) << path;
    EXPECT_FALSE(loaded.ErrorMessage.empty());
    EXPECT_EQ(shown.FileName, dir.Path() + "/good.dxf");
    EXPECT_EQ(shown.PairCount, 4);
    EXPECT_EQ(shown.GetValue(1), "ENTITIES");
  }
}

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
