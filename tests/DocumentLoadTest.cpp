// DocumentLoadTest.cpp - a buffer read beside the shown one takes its place but keeps the
// window's message sink, remark switch and counter. (A failed load leaving the shown
// document alone is tested through the main window.)
#include "logic/document/DocumentLoad.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"
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

TEST(DocumentLoad, WhatALoadLeftOutIsNoticedAndASaveThatLosesTextAsked) {
  using std::string_literals::operator""s;
  const struct {
    std::string text;
    std::vector<std::string> notices;  // UTF-8
    std::string question;
  } cases[] = {
      {kGood, {}, ""},
      {kGood + "\r\n999\r\n", {"EOFより後の2行は図面の一部ではないので無視しました"}, ""},
      {"0\r\nSECTION\r\n2\r\nENT\0ITIES\r\n"s,
       {"NUL文字があるため 4行目までしか読み込んでいません"},
       "NUL文字があるため 4行目から後は保存されません。このまま保存しますか？"},
      {kGood + "\0\0\n0\n"s, {"EOFより後の2行は図面の一部ではないので無視しました"}, ""},
  };
  TempDir dir;
  for (const auto& c : cases) {
    TDXFBuffer loaded;
    ASSERT_EQ(ReadDocument(loaded, dir.Write("t.dxf", c.text)), 0);
    std::vector<std::string> notices;
    for (const std::string& line : LoadNotices(loaded)) notices.push_back(Utf8(line));
    EXPECT_EQ(notices, c.notices);
    EXPECT_EQ(Utf8(SaveLossQuestion(loaded)), c.question);
  }
}
