// GridEditTest.cpp - the in-place edit: reports, commits, refusals and remark invalidation.
#include "logic/grid/GridEdit.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFiles.h"

namespace {

// Pairs 0-1 open the HEADER, 2-3 a variable, 4-7 a LINE record in ENTITIES.
const std::vector<std::string> kLines = {
    "0", "SECTION", "2", "HEADER",   "9", "$CLAYER", "8", "0",    "0",  "ENDSEC",  // 0-4
    "0", "SECTION", "2", "ENTITIES", "0", "LINE",    "8", "WALL", "10", "1.0",     // 5-9
    "0", "ENDSEC",  "0", "EOF"};                                                   // 10-11

struct Fixture {
  TempDir dir;
  TDXFBuffer buffer;
  RecordingLog log;
  ScriptedDialogs dialogs;
  GridEdit edit;
  Fixture() {
    EXPECT_EQ(buffer.LoadFromFile(dir.Write("t.dxf", DxfText(kLines))), 0);
    for (int i = 0; i < buffer.PairCount; ++i) buffer.SetNote(i, "note");
  }
  // Starts an edit of (col, row), types text and ends the edit.
  EditCommit Type(int col, const std::string& cell, const std::string& text,
                  const std::string& lineCell) {
    edit.Begin(col, 4, cell);
    EXPECT_EQ(edit.Take(text), GridEdit::Report::Typing);
    EXPECT_EQ(edit.Take(text), GridEdit::Report::Commit);
    return edit.Commit(buffer, lineCell, log, dialogs);
  }
};

}  // namespace

TEST(GridEdit, TheSameTextReportedTwiceEndsTheEdit) {
  GridEdit edit;
  edit.Begin(kValueColumn, 3, "ABC");
  EXPECT_EQ(edit.Take("AB"), GridEdit::Report::Typing);
  EXPECT_EQ(edit.Take("ABD"), GridEdit::Report::Typing);
  EXPECT_EQ(edit.Take("ABD"), GridEdit::Report::Commit);
  // Typed back to the starting text: nothing to write.
  edit.Begin(kValueColumn, 3, "ABC");
  EXPECT_EQ(edit.Take("AB"), GridEdit::Report::Typing);
  EXPECT_EQ(edit.Take("ABC"), GridEdit::Report::Typing);
  EXPECT_EQ(edit.Take("ABC"), GridEdit::Report::Unchanged);
}

TEST(GridEdit, CodesOutsideTheIntRangeAreRefusedLikeNonNumbers) {
  const struct {
    const char* typed;
    bool accepted;
    int code;
  } cases[] = {
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {" 12 ", true, 12},
      {"", false, 0},
      {"   ", false, 0},
      {"1x", false, 0},
  };
  for (const auto& c : cases) {
    int code = 0;
    EXPECT_EQ(ParseGroupCode(c.typed, code), c.accepted) << c.typed;
    if (c.accepted) {
      EXPECT_EQ(code, c.code) << c.typed;
    }
  }
  Fixture f;
  const EditCommit refused = f.Type(kCodeColumn, "      0", "99999999999", "      15");
  EXPECT_EQ(refused.kind, EditCommit::Kind::Refused);
  EXPECT_EQ(Utf8(refused.message), "グループコードは数値でなければなりません");
  EXPECT_EQ(f.buffer.GetCode(7), 0);
  EXPECT_TRUE(f.log.lines.empty());
  EXPECT_EQ(f.edit.NewText(), "      0");  // the cell gets this back
}

TEST(GridEdit, ValueCommitStoresTheTextUntrimmed) {
  Fixture f;
  EXPECT_EQ(f.Type(kValueColumn, "WALL", " DOOR ", "      17").kind, EditCommit::Kind::Written);
  EXPECT_EQ(f.buffer.GetValue(8), " DOOR ");
  ASSERT_EQ(f.log.lines.size(), 1u);
  EXPECT_EQ(Utf8(f.log.lines[0]), "グループデータ変更      17 : WALL　→　 DOOR ");
}

TEST(GridEdit, ValuesWithLineBreaksOrNulAreRefused) {
  for (const std::string& typed :
       {std::string("A\nB"), std::string("A\rB"), std::string("A\0B", 3)}) {
    Fixture f;
    const EditCommit refused = f.Type(kValueColumn, "WALL", typed, "      17");
    EXPECT_EQ(refused.kind, EditCommit::Kind::Refused);
    EXPECT_EQ(Utf8(refused.message), "データ値に改行やNUL文字は入れられません");
    EXPECT_EQ(f.buffer.GetValue(8), "WALL");
    EXPECT_TRUE(f.log.lines.empty());
  }
}

TEST(GridEdit, ValuesAreStoredInTheDocumentsEncodingOrRefused) {
  Fixture r12;  // no $ACADVER: a drawing before AC1021
  r12.buffer.SetEncoding(TextEncoding::Cp1252);
  const std::string typed = ProgramTextOfUtf8("éΛ");
  EXPECT_EQ(r12.Type(kValueColumn, "WALL", typed, "      17").kind, EditCommit::Kind::Written);
  EXPECT_EQ(r12.buffer.GetValue(8), "\xE9\\U+039B");  // AutoCAD's escape for Λ
  ASSERT_EQ(r12.log.lines.size(), 1u);
  EXPECT_EQ(Utf8OfProgramText(r12.log.lines[0]), "グループデータ変更      17 : WALL　→　éΛ");

  Fixture later;
  later.buffer.AcadVerNo = 1032;
  later.buffer.SetEncoding(TextEncoding::Cp1252);
  const EditCommit refused = later.Type(kValueColumn, "WALL", typed, "      17");
  EXPECT_EQ(refused.kind, EditCommit::Kind::Refused);
  EXPECT_EQ(Utf8OfProgramText(refused.message),
            "「Λ」はこの図面の文字コード cp1252 では書き込めません");
  EXPECT_EQ(later.buffer.GetValue(8), "WALL");
  EXPECT_TRUE(later.log.lines.empty());
  EXPECT_EQ(later.edit.NewText(), "WALL");
}

TEST(GridEdit, ARowWithoutAPairChangesNothing) {
  Fixture f;
  EXPECT_EQ(f.Type(kValueColumn, "", "X", "").kind, EditCommit::Kind::NoPair);
  EXPECT_TRUE(f.log.lines.empty());
}

TEST(GridEdit, CommitEmptiesTheRemarksOfThePairAndItsRecordStart) {
  Fixture f;
  f.Type(kValueColumn, "1.0", "2.0", "      19");  // pair 9, in the LINE record of pair 7
  for (int i = 0; i <= 11; ++i) {
    const bool emptied = i == 7 || i == 9;
    EXPECT_EQ(f.buffer.GetNote(i).empty(), emptied) << "pair " << i;
  }
  // A header variable's record starts at its code-9 pair.
  Fixture header;
  InvalidateRemarks(header.buffer, 3);
  EXPECT_TRUE(header.buffer.GetNote(2).empty());
  EXPECT_FALSE(header.buffer.GetNote(0).empty());
  // The walk stops above pair 0, so an edit of pair 1 leaves pair 0's remark.
  InvalidateRemarks(header.buffer, 1);
  EXPECT_FALSE(header.buffer.GetNote(0).empty());
}

TEST(GridEdit, ValuesOfNumericCodesMustBeNumbers) {
  const struct {
    int code;
    const char* value;
    bool fits;
  } cases[] = {
      {70, "     6", true},
      {70, "XYZ", false},
      {70, "1.5", false},
      {70, "-12", true},
      {70, "", false},
      {10, " 1.0e3", true},
      {10, "1,5", false},
      {10, "nan", false},
      {59, "x", false},
      {60, "x", false},
      {89, "x", true},
      {99, "x", false},
      {109, "x", true},
      {110, "x", false},
      {139, "x", false},
      {147, "x", false},
      {149, "x", false},
      {150, "x", true},
      {160, "123456789012", true},
      {209, "x", true},
      {210, "x", false},
      {239, "x", false},
      {240, "x", true},
      {299, "x", false},
      {300, "x", true},
      {460, "x", false},
      {469, "x", false},
      {470, "x", true},
      {179, "x", false},
      {270, "x", false},
      {289, "x", false},
      {370, "x", false},
      {389, "x", false},
      {400, "x", false},
      {409, "x", false},
      {420, "x", false},
      {429, "x", false},
      {430, "x", true},
      {440, "x", false},
      {459, "x", false},
      {1000, "x", true},
      {1010, "x", false},
      {1071, "x", false},
      {1072, "x", true},
      {8, "x", true},
      {109, "x", true},
      {149, "x", false},
      {150, "x", true},
      {209, "x", true},
      {239, "x", false},
      {299, "x", false},
      {469, "x", false},
      {470, "x", true},
      {310, "x", true},
      {1004, "x", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FitsValueCode(c.code, c.value), c.fits) << c.code << " '" << c.value << "'";
}

TEST(GridEdit, ADocumentSavedAsBinaryRefusesWhatItsTypesCannotHold) {
  const struct {
    int col;
    const char* cell;
    const char* text;
    const char* line;
    const char* message;  // empty: written
  } cases[] = {
      {kValueColumn, "1.0", "abc", "19",
       "グループコード 10 の値 'abc' は浮動小数点数ではありません。バイナリ DXF "
       "には書けないので変更しません"},
      {kValueColumn, "1.0", "2.5", "19", ""},
      {kCodeColumn, "8", "70", "17",
       "グループコード 70 の値 'WALL' は整数値ではありません。バイナリ DXF "
       "には書けないので変更しません"},
      {kCodeColumn, "8", "1", "17", ""},
  };
  for (const auto& c : cases) {
    Fixture f;
    f.buffer.SaveForm = DXFForm::Binary;
    const EditCommit done = f.Type(c.col, c.cell, c.text, c.line);
    const bool refused = *c.message != '\0';
    EXPECT_EQ(done.kind, refused ? EditCommit::Kind::Refused : EditCommit::Kind::Written) << c.text;
    EXPECT_EQ(done.message, refused ? Sjis(c.message) : "") << c.text;
    EXPECT_TRUE(f.dialogs.questions.empty()) << c.text;
  }
}

TEST(GridEdit, NonNumberForANumericCodeIsStoredOnlyWhenTheUserAgrees) {
  for (const Dialogs::Answer answer : {Dialogs::Answer::Yes, Dialogs::Answer::No}) {
    Fixture f;  // pair 9 is the 10 (X) of the LINE record
    f.dialogs.answers = {answer};
    const EditCommit done = f.Type(kValueColumn, "1.0", "XYZ", "      19");
    EXPECT_EQ(f.dialogs.questions,
              std::vector<std::string>{Sjis("数値ではありません。このまま変更しますか？")});
    const bool yes = answer == Dialogs::Answer::Yes;
    EXPECT_EQ(done.kind, yes ? EditCommit::Kind::Written : EditCommit::Kind::Refused);
    EXPECT_TRUE(done.message.empty());
    EXPECT_EQ(f.buffer.GetValue(9), yes ? "XYZ" : "1.0");
    EXPECT_EQ(f.log.lines.size(), yes ? 1u : 0u);
    EXPECT_EQ(f.edit.NewText(), yes ? "XYZ" : "1.0");
  }
  Fixture number;
  number.Type(kValueColumn, "1.0", "2.5", "      19");
  EXPECT_TRUE(number.dialogs.questions.empty());
}
