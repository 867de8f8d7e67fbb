// VuMessageBoxTest.cpp - the message panel: line counting, trimming at MaxLine, AddFmt.
#include "ui/VuMessageBox.h"

#include <gtest/gtest.h>

#include <QTextBlock>

#include "model/Sjis.h"

TEST(TVuMessageBox, EmptyLinesCountAsLines) {
  TVuMessageBox box;
  EXPECT_EQ(box.LineCount(), 0);
  EXPECT_EQ(box.Add(""), 1);
  EXPECT_EQ(box.Add(Sjis("＜開く＞a.dxf")), 2);
  EXPECT_EQ(box.toPlainText(), QStringLiteral("\n＜開く＞a.dxf"));
}

TEST(TVuMessageBox, The501stLineDropsTheFirst) {
  TVuMessageBox box;
  for (int i = 1; i <= 500; ++i) EXPECT_EQ(box.Add("line " + std::to_string(i)), i);
  EXPECT_EQ(box.Add("line 501"), 500);
  EXPECT_EQ(box.document()->firstBlock().text(), QStringLiteral("line 2"));
  EXPECT_EQ(box.document()->lastBlock().text(), QStringLiteral("line 501"));
  box.MaxLine = 3;
  EXPECT_EQ(box.Add("last"), 3);
  EXPECT_EQ(box.toPlainText(), QStringLiteral("line 500\nline 501\nlast"));
}

TEST(TVuMessageBox, AddFmtPadsNumbers) {
  TVuMessageBox box;
  box.AddFmt(Sjis("グループコード変更 %7d : %s　→　%s").c_str(), 15, "a", "b");
  EXPECT_EQ(box.toPlainText(), QStringLiteral("グループコード変更      15 : a　→　b"));
}
