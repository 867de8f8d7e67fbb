// FindMatcherTest.cpp - find terms, the four modes, the search range and the history.
#include "logic/find/FindMatcher.h"

#include <gtest/gtest.h>

#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "tests/support/TestFiles.h"

TEST(FindMatcher, StarsChooseTheMode) {
  const struct {
    const char* box;
    const char* text;
    FindMode mode;
  } cases[] = {
      {"LAYER", "LAYER", FindMode::Exact}, {"LAY*", "LAY", FindMode::Prefix},
      {"*YER", "YER", FindMode::Suffix},   {"*AYE*", "AYE", FindMode::Contains},
      {"*", "", FindMode::Suffix},         {"**", "", FindMode::Contains},
      {"***", "*", FindMode::Contains},
  };
  for (const auto& c : cases) {
    const FindTerm term = ParseFindTerm(c.box);
    EXPECT_EQ(term.text, c.text) << c.box;
    EXPECT_EQ(term.mode, c.mode) << c.box;
  }
}

TEST(FindMatcher, ModesMatchAsTheirStarsSay) {
  const struct {
    const char* box;
    const char* value;
    bool matches;
  } cases[] = {
      {"LAYER", "LAYER", true}, {"LAYER", " LAYER", false}, {"LAYER", "LAYERS", false},
      {"LAY*", "LAYERS", true}, {"LAY*", "PLAY", false},    {"*YER", "PLAYER", true},
      {"*YER", "YERS", false},  {"*AYE*", "PLAYER", true},  {"*AYE*", "AY", false},
      {"*", "", true},          {"*", "A", false},          {"**", "", false},
      {"**", "A", false},       {"*A", "ABA", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesFindTerm(ParseFindTerm(c.box), c.value), c.matches)
        << c.box << " in '" << c.value << "'";
}

TEST(FindMatcher, DoubleByteCharactersMatchOnlyThemselves) {
  // "ド" ends in the byte of "h"; upper-casing it as a letter would make it "ハ".
  const std::string term = UpperAscii(Sjis("*ド*"));
  EXPECT_EQ(term, Sjis("*ド*"));
  EXPECT_TRUE(MatchesFindTerm(ParseFindTerm(term), UpperAscii(Sjis("ドア"))));
  EXPECT_FALSE(MatchesFindTerm(ParseFindTerm(term), UpperAscii(Sjis("ハア"))));
  // "ア" is 0x83 0x41: its trail byte is an "A" that a single-byte term must not find.
  EXPECT_FALSE(MatchesFindTerm(ParseFindTerm("*A*"), Sjis("ア")));
}

TEST(FindMatcher, SearchRunsFromTheGivenPairToTheEofPairInAnyCase) {
  TempDir dir;
  TDXFBuffer buffer;
  ASSERT_EQ(buffer.LoadFromFile(dir.Write(
                "f.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "wall", "1",
                                  "", "8", "Wall", "0", "ENDSEC", "0", "EOF"}))),
            0);
  const FindTerm wall = ParseFindTerm("WALL");
  EXPECT_EQ(FindNextPair(buffer, wall, 0), 3);
  EXPECT_EQ(FindNextPair(buffer, wall, 4), 5);
  EXPECT_EQ(FindNextPair(buffer, wall, 6), -1);  // no wrap to the beginning
  EXPECT_EQ(FindNextPair(buffer, ParseFindTerm("*"), 0), 4);
  EXPECT_EQ(FindNextPair(buffer, ParseFindTerm("**"), 0), -1);
  EXPECT_EQ(FindNextPair(buffer, ParseFindTerm("2"), 0), -1);  // codes are not searched
}

TEST(FindMatcher, MatchesOnTheCharactersOfTheDocumentsEncoding) {
  const struct {
    TextEncoding encoding;
    const char* box;  // UTF-8, upper-cased as the box upper-cases it
    std::string_view value;
    bool matches;
  } cases[] = {
      {TextEncoding::Utf8, "壁*", "\xE5\xA3\x81", true},
      {TextEncoding::Utf8, "壁", "\xE5\xA3\x81", true},
      {TextEncoding::Utf8, "*A*",
       "\xE5\xA3\x81"
       "a",
       true},                                               // a letter after a kanji
      {TextEncoding::Utf8, "*ÉVEN", "\xC3\xA9ven", false},  // only a-z are folded
      {TextEncoding::Utf8, "*ÉVEN", "\xC3\x89VEN", true},
      {TextEncoding::Cp1252, "*Ä*", "x\xC4\xDC", true},
      {TextEncoding::Cp1252, "Λ*", "\\U+039Babc", true},  // the escape it is stored as
      {TextEncoding::Cp950, "*\\*", "\xA5\x5C", false},   // a trail byte is no backslash
      {TextEncoding::Cp932, "*A*", "\x83\x41", false},
  };
  for (const auto& c : cases) {
    TDXFBuffer b;
    b.Encoding = c.encoding;
    b.AcadVerNo = 1009;
    const FindTerm term = TermInDocument(ParseFindTerm(ProgramTextOfUtf8(c.box)), b);
    EXPECT_EQ(MatchesFindTerm(term, c.value), c.matches)
        << EncodingName(c.encoding) << " " << c.box;
  }
}

TEST(FindMatcher, FindsTheUtf8LayerOfAJapaneseDrawing) {
  const std::string dir = CorpusDir();
  if (dir.empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  TDXFBuffer b;
  ASSERT_EQ(b.LoadFromFile(dir + "/gen-r2018-utf8-japanese.dxf"), 0);
  const int found = FindNextPair(b, ParseFindTerm(Sjis("壁*")), 0);
  ASSERT_GT(found, 0);
  EXPECT_EQ(b.ValueView(found).substr(0, 3), "\xE5\xA3\x81");
}

TEST(FindMatcher, NotFoundMessageHintsAtStarsInExactModeOnly) {
  EXPECT_EQ(Utf8(FindNotFoundMessage("ABC", FindMode::Exact)),
            "\"ABC\"は、見つかりませんでした。\r\n検索文字の前か後ろに * を付けると\r\n"
            "部分検索出来ます。");
  EXPECT_EQ(Utf8(FindNotFoundMessage("*ABC*", FindMode::Contains)),
            "\"*ABC*\"は、見つかりませんでした。");
}

TEST(FindMatcher, HistoryKeepsNewestFirstAndMovesPickedTerms) {
  std::vector<std::string> history = {"C", "B", "A"};
  EXPECT_FALSE(RememberFindTerm(history, "D", -1));
  EXPECT_EQ(history, (std::vector<std::string>{"D", "C", "B", "A"}));
  EXPECT_FALSE(RememberFindTerm(history, "B", -1));  // typed again: stays in place
  EXPECT_EQ(history, (std::vector<std::string>{"D", "C", "B", "A"}));
  EXPECT_TRUE(RememberFindTerm(history, "B", 2));  // the third item picked from the list
  EXPECT_EQ(history, (std::vector<std::string>{"B", "D", "C", "A"}));
  EXPECT_FALSE(RememberFindTerm(history, "B", 0));
  EXPECT_EQ(history, (std::vector<std::string>{"B", "D", "C", "A"}));
}
