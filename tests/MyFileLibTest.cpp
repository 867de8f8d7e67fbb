// MyFileLibTest.cpp - path parts, the DXF name test, drops and the open dialog's folder.
#include "logic/document/MyFileLib.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFiles.h"

TEST(MyFileLib, PathParts) {
  EXPECT_EQ(FolderPart("/work/plan.dxf"), "/work/");
  EXPECT_EQ(FileNamePart("/work/plan.dxf"), "plan.dxf");
  EXPECT_EQ(FolderPart("/"), "/");
  EXPECT_EQ(FileNamePart("/"), "");
  EXPECT_EQ(FolderPart("plan.dxf"), "");
  EXPECT_EQ(FileNamePart("plan.dxf"), "plan.dxf");
}

TEST(MyFileLib, DxfNamesInAnyLetterCase) {
  for (const char* name : {"/a/plan.dxf", "/a/PLAN.DXF", "/a/plan.Dxf", "x.dXf"})
    EXPECT_TRUE(IsDxfFileName(name)) << name;
  for (const char* name : {"/a/plan.dxf.bak", "/a/plan", "/a/plan.txt", "/a.dxf/plan", "dxf"})
    EXPECT_FALSE(IsDxfFileName(name)) << name;
}

TEST(MyFileLib, OpenDialogStartsAtTheLastFileAndMovesToTheChosenOne) {
  ScriptedDialogs dialogs;
  Dialogs::FileRequest dialog;
  dialogs.openAnswers = {"/c/d.dxf", ""};
  EXPECT_EQ(RunOpenDialog(dialogs, dialog, "/"), "/c/d.dxf");
  EXPECT_EQ(dialogs.openRequests[0].initialFolder, "/");
  EXPECT_EQ(dialogs.openRequests[0].fileName, "");
  EXPECT_EQ(dialog.initialFolder, "/c/");

  EXPECT_EQ(RunOpenDialog(dialogs, dialog, "/a/b.dxf"), "");  // cancelled
  EXPECT_EQ(dialogs.openRequests[1].initialFolder, "/a/");
  EXPECT_EQ(dialogs.openRequests[1].fileName, "/a/b.dxf");
  EXPECT_EQ(dialog.initialFolder, "/a/");
}

TEST(MyFileLib, SaveDialogAsksBeforeOverwritingAnotherFile) {
  TempDir dir;
  const std::string shown = dir.Write("shown.dxf", "x");
  const std::string other = dir.Write("other.dxf", "y");
  const std::string fresh = dir.Path() + "/fresh.dxf";
  const struct {
    std::vector<std::string> names;        // what the dialog returns, run after run
    std::vector<Dialogs::Answer> answers;  // to the overwrite question
    std::string saved;
    std::size_t questions;
  } cases[] = {
      {{shown}, {}, shown, 0},  // the document's own file
      {{fresh}, {}, fresh, 0},
      {{other}, {Dialogs::Answer::Yes}, other, 1},
      {{other, fresh}, {Dialogs::Answer::No}, fresh, 1},  // No: the dialog comes back
      {{other, ""}, {Dialogs::Answer::No}, "", 1},
      {{dir.Path() + "/./shown.dxf"}, {}, dir.Path() + "/./shown.dxf", 0},
  };
  for (const auto& c : cases) {
    ScriptedDialogs dialogs;
    dialogs.saveAnswers.assign(c.names.begin(), c.names.end());
    dialogs.answers.assign(c.answers.begin(), c.answers.end());
    Dialogs::FileRequest dialog;
    EXPECT_EQ(RunSaveDialog(dialogs, dialog, shown, "title"), c.saved) << c.names[0];
    EXPECT_EQ(dialogs.questions.size(), c.questions) << c.names[0];
  }
  EXPECT_EQ(OverwriteQuestion("/a/b.dxf"), Sjis("/a/b.dxf は既に存在します。\r\n上書きしますか？"));
  EXPECT_TRUE(IsOtherExistingFile(other, ""));
}
