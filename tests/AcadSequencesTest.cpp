// AcadSequencesTest.cpp - the read from AutoCAD and the error-line jump, against the stand-in.
//
// Each test runs a whole sequence with a real line buffer, files in a fresh folder and the
// stand-in AutoCAD, then compares the chunks AutoCAD received, the panel's lines, the
// message boxes, the loads and the jumps with what the sequence must produce.
#include "logic/acad/AcadSequences.h"

#include <gtest/gtest.h>

#include <filesystem>  // std::filesystem::create_directories
#include <optional>    // std::optional

#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "settings/Settings.h"
#include "tests/support/RecordedMainWindow.h"
#include "tests/support/SimulatedDesktop.h"
#include "tests/support/StandInAutoCAD.h"
#include "tests/support/TestFiles.h"

namespace {

using Texts = std::vector<std::string>;

constexpr std::uint32_t kProgramThread = 0x101;

// The program's window in front of a stand-in AutoCAD, and the main window's parts that
// the sequences use; the executable sits in a fresh folder (optionally a sub-folder).
struct Rig : RecordedMainWindow {
  explicit Rig(std::optional<StandInSetup> setup = StandInSetup{},
               const std::string& subFolder = "")
      : exePath(dir.Path() + "/" + subFolder + "quillet"), tempPath(exePath + "_tmp.DXF") {
    std::filesystem::create_directories(dir.Path() + "/" + subFolder);
    desktop.SetCallerThread(kProgramThread);
    program = desktop.AddTopLevel("Qt6QWindowIcon", "VU Quillet Viewer", 0x100, kProgramThread);
    if (setup) autocad.emplace(desktop, *setup);
    desktop.SetForeground(program);
  }

  TempDir dir;
  std::string exePath;
  std::string tempPath;
  SimulatedDesktop desktop;
  HWnd program = 0;
  std::optional<StandInAutoCAD> autocad;
  TAutoCADWindow link{desktop};
  AcadContext context = Context(link, exePath);
};

StandInSetup Drawing(const std::string& title, int fileDia = 1, bool imeOpen = false) {
  StandInSetup setup;
  setup.title = title;
  setup.fileDia = fileDia;
  setup.imeOpen = imeOpen;
  return setup;
}

const std::string kPlan = "AutoCAD 2006 - [C:\\work\\plan.dwg]";

Texts Connected(const std::string& drawingName) {
  return {"", Sjis("＜AutoCADウィンドウに接続＞(") + drawingName + ")"};
}

// ---------------------------------------------------------------- read from AutoCAD

TEST(AcadTempPath, DropsTheExeExtensionAsTheSettingsFileDoes) {
  const struct {
    std::string exe, temp, ini;
  } cases[] = {
      {"C:\\tools\\viewer.exe", "C:\\tools\\viewer_tmp.DXF", "C:\\tools\\viewer.ini"},
      {"C:\\TOOLS\\VIEWER.EXE", "C:\\TOOLS\\VIEWER_tmp.DXF", "C:\\TOOLS\\VIEWER.ini"},
      {"/opt/quillet/quillet-viewer", "/opt/quillet/quillet-viewer_tmp.DXF",
       "/opt/quillet/quillet-viewer.ini"},
      {"/opt/q/x.exe.old", "/opt/q/x.exe.old_tmp.DXF", "/opt/q/x.exe.old.ini"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AcadTempPath(c.exe), c.temp) << c.exe;
    EXPECT_EQ(SettingsFilePath(c.exe), c.ini) << c.exe;
  }
}

TEST(BTACADReadClick, ReportsAMissingAutoCAD) {
  Rig rig(std::nullopt);
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.dialogs.messages, Texts{Sjis("AutoCADウィンドウ接続に失敗しました")});
  EXPECT_EQ(rig.panel.lines, Texts{Sjis("AutoCADウィンドウ接続に失敗")});
  EXPECT_EQ(rig.buffer.FileName, "");
}

TEST(BTACADReadClick, ExportsASavedDrawingWithDxfoutAndRestoresAutoCAD) {
  Rig rig(Drawing(kPlan, /*fileDia=*/1, /*imeOpen=*/true));
  BTACADReadClick(rig.context);
  const StandInAutoCAD& autocad = *rig.autocad;
  EXPECT_EQ(autocad.ReceivedTexts(),
            (Texts{"\x03", "\x03", "FILEDIA\r", "0\r", "DXFOUT\r", rig.tempPath + "\r", "\r",
                   "\x03", "FILEDIA\r", "1\r"}));
  Texts expectedLines = Connected("C:\\work\\plan.dwg");
  expectedLines.push_back("  " + rig.tempPath + Sjis(" へ DXFOUT"));
  EXPECT_EQ(rig.panel.lines, expectedLines);
  EXPECT_EQ(autocad.FileDia(), 1);
  for (const auto& input : autocad.Received()) {
    EXPECT_TRUE(input.wasForeground);
    EXPECT_FALSE(input.imeWasOpen);
  }
  EXPECT_TRUE(rig.desktop.Window(autocad.MainWindow()).imeOpen);
  EXPECT_EQ(rig.desktop.GetForegroundWindow(), rig.program);
  EXPECT_EQ(autocad.WrittenFiles(), Texts{rig.tempPath});
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});
  EXPECT_EQ(rig.buffer.EofIndex, 16);
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(BTACADReadClick, ChoosesWblockForUnsavedDrawingsOrWithoutDxfout) {
  const struct {
    std::string title;
    bool useDxfout;
    bool expectDxfout;
  } cases[] = {
      {"AutoCAD 2006 - [Drawing1.dwg]", true, false},
      {"AutoCAD 2006 - [C:\\x\\Drawing.dwg]", true, true},
      {kPlan, false, false},
  };
  for (const auto& c : cases) {
    Rig rig(Drawing(c.title));
    rig.context.UseDxfout = c.useDxfout;
    BTACADReadClick(rig.context);
    const Texts received = rig.autocad->ReceivedTexts();
    ASSERT_GE(received.size(), 4u) << c.title;
    const Texts exportChunks(received.begin() + 4, received.end() - 3);
    if (c.expectDxfout)
      EXPECT_EQ(exportChunks, (Texts{"DXFOUT\r", rig.tempPath + "\r", "\r"})) << c.title;
    else
      EXPECT_EQ(exportChunks, (Texts{"-WBLOCK\r", rig.tempPath + "\r", "\r", "*\r"})) << c.title;
    const std::string method = c.expectDxfout ? " へ DXFOUT" : " へ WBLOCK";
    EXPECT_EQ(rig.panel.lines.back(), "  " + rig.tempPath + Sjis(method)) << c.title;
    EXPECT_EQ(rig.buffer.EofIndex, 16) << c.title;
  }
}

TEST(BTACADReadClick, LeavesFileDiaZeroAndAClosedImeAlone) {
  Rig rig(Drawing(kPlan, /*fileDia=*/0, /*imeOpen=*/false));
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.autocad->ReceivedTexts(),
            (Texts{"\x03", "\x03", "FILEDIA\r", "0\r", "DXFOUT\r", rig.tempPath + "\r", "\r"}));
  EXPECT_EQ(rig.autocad->FileDia(), 0);
  EXPECT_EQ(rig.desktop.record.imeSwitches, 0);
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});
}

TEST(BTACADReadClick, TypesAPathWithABlankInTwoChunks) {
  Rig rig(Drawing(kPlan), "my dir/");
  BTACADReadClick(rig.context);
  const std::string folder = rig.dir.Path() + "/my ";
  const Texts received = rig.autocad->ReceivedTexts();
  ASSERT_EQ(received.size(), 11u);
  EXPECT_EQ(Texts(received.begin() + 4, received.begin() + 8),
            (Texts{"DXFOUT\r", folder, "dir/quillet_tmp.DXF\r", "\r"}));
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});
  EXPECT_EQ(rig.buffer.EofIndex, 16);
}

TEST(BTACADReadClick, ReplacesAnOldTemporaryFile) {
  Rig rig(Drawing(kPlan));
  rig.dir.Write("quillet_tmp.DXF", "old");
  BTACADReadClick(rig.context);
  EXPECT_TRUE(rig.dialogs.messages.empty());
  EXPECT_EQ(rig.buffer.EofIndex, 16);
}

TEST(BTACADReadClick, StopsAtATemporaryFileThatCannotBeDeleted) {
  Rig rig(Drawing(kPlan));
  rig.dir.Write("quillet_tmp.DXF", "old");
  rig.context.removeFile = [](const std::string&) { return false; };
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.dialogs.messages, Texts{Sjis("テンポラリファイルが使用中です ") + rig.tempPath});
  EXPECT_TRUE(rig.autocad->Received().empty());
  EXPECT_EQ(rig.panel.lines, Connected("C:\\work\\plan.dwg"));
  EXPECT_EQ(rig.buffer.FileName, "");  // the shown drawing keeps its name
  EXPECT_TRUE(rig.loads.empty());
}

TEST(BTACADReadClick, AsksAboutUnsavedEditsUnderTheShownNameBeforeAnything) {
  Rig rig(Drawing(kPlan));
  const std::string shown = rig.dir.Write("shown.dxf", kFourPairs);
  ASSERT_EQ(rig.buffer.LoadFromFile(shown), 0);
  rig.discard = false;  // Cancel: nothing happens
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.questions, Texts{shown});
  EXPECT_TRUE(rig.autocad->Received().empty());
  EXPECT_TRUE(rig.panel.lines.empty());
  EXPECT_EQ(rig.buffer.FileName, shown);
  EXPECT_TRUE(rig.loads.empty());

  rig.discard = true;  // Yes (after the save) or No: the read goes on, asked once
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.questions, (Texts{shown, shown}));
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});
  EXPECT_EQ(rig.buffer.FileName, rig.tempPath);
}

TEST(BTACADReadClick, StopsCleanlyWhenAutoCADDoesNotAnswer) {
  Rig rig(Drawing(kPlan));
  rig.autocad->SetHung(true);
  BTACADReadClick(rig.context);
  Texts expectedLines = Connected("C:\\work\\plan.dwg");
  expectedLines.push_back(Sjis("  AutoCADが応答しないため中止しました"));
  EXPECT_EQ(rig.panel.lines, expectedLines);
  EXPECT_EQ(rig.desktop.record.copyDataSends, 1);
  EXPECT_EQ(rig.desktop.GetForegroundWindow(), rig.program);
  EXPECT_EQ(rig.desktop.record.attachCalls, 0);  // never attached to the hung thread
  EXPECT_TRUE(rig.loads.empty());
}

TEST(BTACADReadClick, IgnoresAClickDuringItsWaits) {
  Rig rig(Drawing(kPlan));
  int clicks = 0;
  rig.desktop.onProcessMessages = [&rig, &clicks] {
    ++clicks;
    BTACADReadClick(rig.context);
  };
  BTACADReadClick(rig.context);
  EXPECT_GT(clicks, 0);
  EXPECT_EQ(rig.autocad->ReceivedTexts().size(), 10u);
  EXPECT_EQ(rig.panel.lines.size(), 3u);
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});

  rig.desktop.onProcessMessages = nullptr;
  BTACADReadClick(rig.context);  // once it has ended, the read runs again
  EXPECT_EQ(rig.loads.size(), 2u);
}

// ---------------------------------------------------------------- error line jump

TEST(BTErrorJumpClick, ReportsAMissingAutoCADOrAMissingMessage) {
  Rig none(std::nullopt);
  BTErrorJumpClick(none.context);
  EXPECT_EQ(none.dialogs.messages, Texts{Sjis("AutoCADウィンドウ接続に失敗しました")});
  EXPECT_EQ(none.panel.lines, Texts{Sjis("AutoCADウィンドウ接続に失敗")});

  Rig quiet;
  BTErrorJumpClick(quiet.context);
  EXPECT_EQ(quiet.dialogs.messages, Texts{Sjis("AutoCADのエラーメッセージが見つかりません")});
  EXPECT_TRUE(quiet.panel.lines.empty());
}

TEST(BTErrorJumpClick, TakesTheLastNumberBeforeTheFirstMessage) {
  const std::string message = Sjis("無効 または 不完全な DXF の入力です");
  const struct {
    std::string history;
    int line;
  } cases[] = {
      {Sjis("グループ コード 330、行 1234。\r\n") + message + " -- 99", 1234},
      {message, 0},
      {Sjis("行 12.7 で\r\n") + message, 12},
      {Sjis("行 1,234\r\n") + message, 1234},
      {Sjis("行 5\r\n") + message + Sjis("\r\n行 99\r\n") + message, 5},
  };
  for (const auto& c : cases) {
    Rig rig(Drawing("AutoCAD 2006"));  // no drawing name: nothing to load, nothing to jump
    rig.desktop.Window(rig.autocad->HistoryPane()).text = c.history;
    BTErrorJumpClick(rig.context);
    EXPECT_EQ(rig.panel.lines,
              Texts{Format(Sjis("AutoCADからDXF読込エラー行取得：%d").c_str(), c.line)});
    EXPECT_TRUE(rig.jumps.empty());
  }
}

TEST(BTErrorJumpClick, LoadsTheFailedFileAndJumpsToTheLine) {
  Rig rig;
  const std::string failed = rig.dir.Write("bad.dxf", kFourPairs);
  rig.autocad->SetTitle("AutoCAD 2006 - [" + failed + "]");
  rig.autocad->ShowInvalidDxfMessage(330, 7);
  BTErrorJumpClick(rig.context);
  EXPECT_EQ(rig.autocad->ReceivedTexts(), Texts{"\r"});
  EXPECT_EQ(rig.loads, Texts{failed});
  EXPECT_EQ(rig.jumps, std::vector<int>{7});
  EXPECT_EQ(rig.desktop.GetForegroundWindow(), rig.program);
}

TEST(BTErrorJumpClick, KeepsTheShownDrawingWhenTheUserCancels) {
  Rig rig;
  const std::string shown = rig.dir.Write("shown.dxf", kFourPairs);
  ASSERT_EQ(rig.buffer.LoadFromFile(shown), 0);
  const std::string failed = rig.dir.Write("bad.dxf", kFourPairs);
  rig.autocad->SetTitle("AutoCAD 2006 - [" + failed + "]");
  rig.autocad->ShowInvalidDxfMessage(330, 7);
  rig.discard = false;
  BTErrorJumpClick(rig.context);
  EXPECT_EQ(rig.questions, Texts{shown});
  EXPECT_TRUE(rig.autocad->Received().empty());
  EXPECT_TRUE(rig.loads.empty());
  EXPECT_TRUE(rig.jumps.empty());
}

TEST(BTErrorJumpClick, JumpsOnlyWithinTheLoadedFile) {
  for (const int line : {8, 9}) {  // the file's last line is 8
    Rig rig;
    const std::string failed = rig.dir.Write("bad.dxf", kFourPairs);
    ASSERT_EQ(rig.buffer.LoadFromFile(failed), 0);
    rig.autocad->SetTitle("AutoCAD 2006 - [" + failed + "]");
    rig.autocad->ShowInvalidDxfMessage(330, line);
    BTErrorJumpClick(rig.context);
    EXPECT_TRUE(rig.autocad->Received().empty());  // the file is loaded already
    EXPECT_TRUE(rig.loads.empty());
    EXPECT_EQ(rig.jumps, line == 8 ? std::vector<int>{8} : std::vector<int>{});
  }
}

TEST(BTErrorJumpClick, ReportsADrawingNameThatLeadsToNoFile) {
  Rig rig(Drawing("AutoCAD 2006 - [C:\\nowhere\\bad.dxf]"));
  ASSERT_EQ(rig.buffer.LoadFromFile(rig.dir.Write("shown.dxf", kFourPairs)), 0);
  rig.autocad->ShowInvalidDxfMessage(330, 3);
  BTErrorJumpClick(rig.context);
  EXPECT_EQ(
      rig.dialogs.messages,
      Texts{Sjis(
          "VU Quillet Viewerは、AutoCADで読込エラーの起きているファイルを検索出来ませんでした。"
          "\r\nAutoCADのオプションでﾀｲﾄﾙﾊﾞｰに完全ﾊﾟｽを表示するようにしているか確認して下さい。")});
  EXPECT_TRUE(rig.loads.empty());
  EXPECT_EQ(rig.jumps, std::vector<int>{3});  // still shown in the file already loaded
}

// ---------------------------------------------------------------- paint probe

TEST(ProbeAutoCAD, EnablesReadOrErrorJumpByAutoCADsHistory) {
  Rig none(std::nullopt);
  const AcadButtons noAutoCAD = ProbeAutoCAD(none.link);
  EXPECT_FALSE(noAutoCAD.readEnabled);
  EXPECT_FALSE(noAutoCAD.errorJumpEnabled);

  Rig rig;
  const AcadButtons idle = ProbeAutoCAD(rig.link);
  EXPECT_TRUE(idle.readEnabled);
  EXPECT_FALSE(idle.errorJumpEnabled);
  rig.autocad->ShowInvalidDxfMessage(330, 3);
  const AcadButtons failed = ProbeAutoCAD(rig.link);
  EXPECT_FALSE(failed.readEnabled);
  EXPECT_TRUE(failed.errorJumpEnabled);
}

}  // namespace
