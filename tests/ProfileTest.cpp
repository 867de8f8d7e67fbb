// ProfileTest.cpp - the private-profile file: reads, writes, key order and failures.
#include "settings/Profile.h"

#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"

TEST(Profile, MissingFileSectionOrKeyGivesTheDefault) {
  TempDir dir;
  Profile none(dir.Path() + "/none.ini");
  EXPECT_EQ(none.ReadString("option", "form_top", "100"), "100");
  EXPECT_TRUE(none.ReadKeyNames("Find").empty());
  Profile some(dir.Write("some.ini", "[option]\r\nform_top=5\r\n"));
  EXPECT_EQ(some.ReadString("option", "form_left", "100"), "100");
  EXPECT_EQ(some.ReadString("other", "form_top", "7"), "7");
}

TEST(Profile, ReadsIgnoreCaseBlanksQuotesAndLineEnds) {
  TempDir dir;
  Profile file(dir.Write("a.ini",
                         "; comment\n[Option]\n  Form_Top = 12 \r\nname=\"a b\"\rq='x'\n"
                         "[Find]\n0=LAYER\n1=\n2=*WALL*\n"));
  EXPECT_EQ(file.ReadString("option", "FORM_TOP", ""), "12");
  EXPECT_EQ(file.ReadString("option", "name", ""), "a b");
  EXPECT_EQ(file.ReadString("option", "q", ""), "x");
  EXPECT_EQ(file.ReadString("find", "1", "default"), "");  // present but empty
  EXPECT_EQ(file.ReadKeyNames("Find"), (std::vector<std::string>{"0", "1", "2"}));
}

TEST(Profile, ValuesAreCutTo2047Bytes) {
  TempDir dir;
  Profile file(dir.Write("long.ini", "[s]\nk=" + std::string(3000, 'x') + "\n"));
  EXPECT_EQ(file.ReadString("s", "k", "").size(), 2047u);
}

TEST(Profile, WritesAddSectionsAndKeysInPlace) {
  TempDir dir;
  Profile file(dir.Write("w.ini", "[option]\r\nform_top=1\r\n\r\n[Find]\r\n0=A\r\n"));
  ASSERT_TRUE(file.WriteString("option", "form_top", "2"));
  ASSERT_TRUE(file.WriteString("option", "lastfolder", "/home/u/"));
  ASSERT_TRUE(file.WriteString("new", "k", "v"));
  EXPECT_EQ(ReadBytes(file.Path()),
            "[option]\r\nform_top=2\r\nlastfolder=/home/u/\r\n\r\n[Find]\r\n0=A\r\n"
            "[new]\r\nk=v\r\n");
  ASSERT_TRUE(file.EraseSection("FIND"));
  EXPECT_EQ(ReadBytes(file.Path()),
            "[option]\r\nform_top=2\r\nlastfolder=/home/u/\r\n\r\n[new]\r\nk=v\r\n");
  EXPECT_TRUE(file.EraseSection("absent"));
}

TEST(Profile, WriteIntoAnImpossiblePathFails) {
  TempDir dir;
  // A regular file stands where the folder should be, which even root cannot write into.
  const std::string blocker = dir.Write("blocker", "x");
  Profile file(blocker + "/settings.ini");
  EXPECT_FALSE(file.WriteString("option", "form_top", "1"));
  EXPECT_FALSE(file.EraseSection("Find") && file.WriteString("Find", "0", "A"));
}
