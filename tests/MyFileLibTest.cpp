// MyFileLibTest.cpp - path parts, the DXF name test, drops and the open dialog's folder.
#include "logic/MyFileLib.h"

#include <gtest/gtest.h>

#include "tests/support/ScriptedDialogs.h"

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
