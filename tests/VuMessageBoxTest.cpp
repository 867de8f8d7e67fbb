// VuMessageBoxTest.cpp - the message panel: line counting, trimming at MaxLine, AddFmt.
#include "ui/VuMessageBox.h"

#include <gtest/gtest.h>

#include <vector>  // std::vector

#include <QTextBlock>

#include "model/text/Sjis.h"

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

TEST(TVuMessageBox, AddLinesShowsWhatAddingThemOneByOneShows) {
  const std::vector<std::vector<std::string>> runs = {
      {}, {""}, {"a", "", "b"}, {"1", "2", "3", "4", "5", "6", "7"}};
  for (const auto& run : runs) {
    TVuMessageBox one, all;
    one.MaxLine = all.MaxLine = 4;
    for (TVuMessageBox* box : {&one, &all}) box->Add("before");
    for (const std::string& line : run) one.Add(line);
    EXPECT_EQ(all.AddLines(run), one.LineCount());
    EXPECT_EQ(all.toPlainText(), one.toPlainText());
  }
}
