// MyCADLibTest.cpp - TAutoCADWindow against the stand-in AutoCAD on a simulated desktop.
//
// The window search, the pane reads, the chunked typing with its poll counts (checked on
// the desktop's virtual clock), the foreground swap and the IME calls. Every assertion is
// on what the stand-in received or what the desktop recorded.
#include "cad/MyCADLib.h"

#include <gtest/gtest.h>

#include <optional>  // std::optional

#include "model/text/Sjis.h"
#include "tests/support/SimulatedDesktop.h"
#include "tests/support/StandInAutoCAD.h"

namespace {

constexpr std::uint32_t kProgramProcess = 0x100;
constexpr std::uint32_t kProgramThread = 0x101;

// A desktop with the program's window in front (handle 0x1A0) and, unless told otherwise,
// a stand-in AutoCAD behind it (text window 0x1B0, panes 0x1D0 and 0x1E0, main 0x200).
struct Desk {
  explicit Desk(std::optional<StandInSetup> setup = StandInSetup{}) {
    desktop.SetCallerThread(kProgramThread);
    program =
        desktop.AddTopLevel("Qt6QWindowIcon", "VU Quillet Viewer", kProgramProcess, kProgramThread);
    if (setup) autocad.emplace(desktop, *setup);
    desktop.SetForeground(program);
  }
  SimulatedDesktop desktop;
  HWnd program = 0;
  std::optional<StandInAutoCAD> autocad;
  TAutoCADWindow link{desktop};
};

StandInSetup WithTitle(const std::string& title) {
  StandInSetup setup;
  setup.title = title;
  return setup;
}

StandInSetup WithPrompt(const std::string& prompt) {
  StandInSetup setup;
  setup.prompt = prompt;
  return setup;
}

using Texts = std::vector<std::string>;

// ---------------------------------------------------------------- Connect

TEST(TAutoCADWindow, ConnectWithoutAfxWindowsTracesTwoEmptyLines) {
  Desk desk(std::nullopt);
  desk.desktop.AddTopLevel("Notepad", "AutoCAD 2006 - [a.dwg]", 7, 8);
  EXPECT_FALSE(desk.link.Connect());
  EXPECT_EQ(desk.link.Trace, "\r\n\r\n");
  EXPECT_EQ(desk.link.MainWindow, 0u);

  const auto platform = MakePlatformWindowSystem({});
  TAutoCADWindow onThisPlatform(*platform);
  EXPECT_FALSE(onThisPlatform.Connect());
  EXPECT_EQ(onThisPlatform.Trace, "\r\n\r\n");
}

TEST(TAutoCADWindow, ConnectTracesEveryAfxWindowItExamines) {
  Desk desk;
  desk.desktop.AddTopLevel("Afx:10000000:0", "Visio", 9, 9);  // 0x210, on top
  ASSERT_TRUE(desk.link.Connect());
  const std::string textTitle = Sjis("AutoCAD テキスト ウィンドウ");
  EXPECT_EQ(desk.link.Trace,
            "M:nxh=    210 ,cls= Afx:10000000:0 ,txt= Visio\r\n"
            "M:nxh=    200 ,cls= Afx:400000:b:10011:6:2a0c1d ,txt= AutoCAD 2006 - "
            "[C:\\work\\plan.dwg]\r\n"
            "==>Main Get:pid= 1F4 ,ttl= AutoCAD 2006\r\n"
            "\r\n"
            "T:nxh=    210 ,cls= Afx:10000000:0 ,txt= Visio\r\n"
            "T:nxh=    200 ,cls= Afx:400000:b:10011:6:2a0c1d ,txt= AutoCAD 2006 - "
            "[C:\\work\\plan.dwg]\r\n"
            "T:nxh=    1B0 ,cls= Afx:400000:0:10011:0:0 ,txt= " +
                textTitle +
                "\r\n"
                "==>Text Get:pid= 1F4\r\n"
                "\r\n");
  EXPECT_EQ(desk.link.ProcessId, 0x1F4u);
  EXPECT_EQ(desk.link.MainWindow, desk.autocad->MainWindow());
  EXPECT_EQ(desk.link.TextWindow, desk.autocad->TextWindow());
}

TEST(TAutoCADWindow, ConnectReadsProductKindAndDrawingNameFromTheTitle) {
  const std::string zone = Sjis("ゾーン");  // its trail bytes are "]" and "["
  const struct {
    std::string title;
    int kind;
    std::string drawingName;
  } cases[] = {
      {"AutoCAD LT", 2, ""},
      {"AutoCAD Mechanical 2006 - [x.dwg]", 0, "x.dwg"},
      {"AutoCAD Mechanical - [a.dwg]", 5, "a.dwg"},
      {"AutoCAD 2006 - [C:\\work\\plan.dwg]", 1, "C:\\work\\plan.dwg"},
      {"AutoCAD 2000i - [Drawing1.dwg]", 1, "Drawing1.dwg"},
      {"AutoCAD R14J - [C:\\" + zone + "\\a.dwg]", 1, "C:\\" + zone + "\\a.dwg"},
      {"AutoCAD 2006 - ]x[", 1, ""},
      {"AutoCAD 2006 - [open", 1, ""},
      {"AutoCAD 2006 - []", 1, ""},
      {"AutoCAD 2007 - [b.dwg]", 0, "b.dwg"},
  };
  for (const auto& c : cases) {
    Desk desk(WithTitle(c.title));
    ASSERT_TRUE(desk.link.Connect()) << c.title;
    EXPECT_EQ(desk.link.Title, c.title);
    EXPECT_EQ(desk.link.ProductKind, c.kind) << c.title;
    EXPECT_EQ(desk.link.DrawingName, c.drawingName) << c.title;
  }
}

TEST(TAutoCADWindow, ConnectTellsTheTextWindowByItsTitle) {
  for (const char* title : {"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", "AutoCAD LT テキスト ウィンドウ",
                            "AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg", "AutoCAD テキスト ウィンドウ"}) {
    StandInSetup setup;
    setup.textWindowTitle = Sjis(title);
    Desk desk(setup);
    // Put the text window above the main window: it must still not be taken for it.
    desk.desktop.SetForeground(desk.autocad->TextWindow());
    desk.desktop.SetForeground(desk.program);
    ASSERT_TRUE(desk.link.Connect()) << title;
    EXPECT_EQ(desk.link.MainWindow, desk.autocad->MainWindow()) << title;
    EXPECT_EQ(desk.link.TextWindow, desk.autocad->TextWindow()) << title;
  }
}

TEST(TAutoCADWindow, ConnectSkipsTheTextWindowOfAnotherProcess) {
  Desk desk;
  StandInSetup second = WithTitle("AutoCAD 2006 - [C:\\b.dwg]");
  second.process = 0x3E8;
  second.thread = 0x3F0;
  StandInAutoCAD other(desk.desktop, second);
  // z-order: program, first main, second main, second text, first text.
  desk.desktop.SetForeground(desk.autocad->MainWindow());
  desk.desktop.SetForeground(desk.program);
  ASSERT_TRUE(desk.link.Connect());
  EXPECT_EQ(desk.link.MainWindow, desk.autocad->MainWindow());
  EXPECT_EQ(desk.link.TextWindow, desk.autocad->TextWindow());
  EXPECT_NE(desk.link.Trace.find("T:nxh=    210 ,"), std::string::npos);  // the other's
}

TEST(TAutoCADWindow, ConnectFailsForAMainWindowWithoutTextWindow) {
  Desk desk(std::nullopt);
  desk.desktop.AddTopLevel("Afx:400000:b", "AutoCAD 2006 - [a.dwg]", 5, 6);
  EXPECT_FALSE(desk.link.Connect());
  EXPECT_EQ(desk.link.TextWindow, 0u);
  EXPECT_EQ(desk.link.DrawingName, "");
}

// ---------------------------------------------------------------- panes

TEST(TAutoCADWindow, PanesAreToldApartByTheirOffsets) {
  for (const char* paneClass : {"Afx:400000:8:10011:0:0", "Afx:00400000:8:10011:0:0"}) {
    StandInSetup setup;
    setup.paneClass = paneClass;
    Desk desk(setup);
    ASSERT_TRUE(desk.link.Connect());
    EXPECT_EQ(desk.link.HistoryPane, desk.autocad->HistoryPane()) << paneClass;
    EXPECT_EQ(desk.link.CommandPane, desk.autocad->CommandPane()) << paneClass;
    EXPECT_EQ(desk.link.ReadCommandLine(), Sjis("コマンド: "));
  }
  StandInSetup other;
  other.paneClass = "Afx:400000:0:10011:0:0";
  Desk desk(other);
  EXPECT_TRUE(desk.link.Connect());  // panes are not needed to connect
  EXPECT_EQ(desk.link.HistoryPane, 0u);
  EXPECT_EQ(desk.link.CommandPane, 0u);
  EXPECT_EQ(desk.link.ReadCommandLine(), "");
}

TEST(TAutoCADWindow, ReadHistoryKeepsThePreviousTextAndTellsAChange) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  const std::string first = desk.link.ReadHistory();
  EXPECT_EQ(first, Sjis("AutoCAD メニュー ユーティリティ ロード済み。\r\n"));
  EXPECT_TRUE(desk.link.HistoryChanged);
  desk.link.ReadHistory();
  EXPECT_FALSE(desk.link.HistoryChanged);
  desk.autocad->ShowInvalidDxfMessage(330, 12);
  EXPECT_NE(desk.link.ReadHistory(), first);
  EXPECT_TRUE(desk.link.HistoryChanged);
  EXPECT_EQ(desk.link.PrevHistory, first);
}

// ---------------------------------------------------------------- typing

TEST(TAutoCADWindow, SendCommandSplitsAfterCarriageReturnBlankAndCtrlC) {
  StandInSetup dialogOpens;  // FILEDIA 1: DXFOUT opens its dialog and writes nothing
  Desk desk(dialogOpens);
  ASSERT_TRUE(desk.link.Connect());
  EXPECT_TRUE(desk.link.SendCommand("DXFOUT\rC:\\a b\\x.DXF\r\r", /*wait=*/true));
  EXPECT_TRUE(
      desk.link.SendCommand("ab\x03"
                            "cd\x03\x03",
                            /*wait=*/false));
  EXPECT_EQ(desk.autocad->ReceivedTexts(),
            (Texts{"DXFOUT\r", "C:\\a ", "b\\x.DXF\r", "\r", "ab\x03", "cd\x03", "\x03"}));
  EXPECT_EQ(desk.autocad->RejectedInputs(), 0);  // identifier 1, zero-terminated
  EXPECT_EQ(desk.desktop.record.postedNulls, 7);
  for (const auto& input : desk.autocad->Received()) EXPECT_TRUE(input.wasForeground);
  const HWnd main = desk.autocad->MainWindow();
  ASSERT_EQ(desk.desktop.record.sysCommands.size(), 7u);
  EXPECT_EQ(desk.desktop.record.sysCommands[0].first, main);
  EXPECT_EQ(desk.desktop.record.sysCommands[0].second.first, 0xF150u);
  EXPECT_EQ(desk.desktop.record.sysCommands[0].second.second, static_cast<std::intptr_t>(main));
}

TEST(TAutoCADWindow, SendCommandWithEmptyTextSendsAndWaitsForNothing) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  EXPECT_TRUE(desk.link.SendCommand("", /*wait=*/true));
  EXPECT_TRUE(desk.autocad->Received().empty());
  EXPECT_EQ(desk.desktop.Now(), 0);
  EXPECT_EQ(desk.desktop.record.processMessages, 0);
}

TEST(TAutoCADWindow, SendCommandPollsTheGivenNumberOfTimes) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  desk.link.SendCommand("FILEDIA\r", /*wait=*/false);  // answered at the first poll
  EXPECT_EQ(desk.desktop.Now(), 10);
  EXPECT_EQ(desk.desktop.record.processMessages, 1);

  desk.autocad->SetResponseDelay(10'000);  // nothing changes: 4 polls, 50 ms in all
  desk.link.SendCommand("1\r", /*wait=*/false);
  EXPECT_EQ(desk.desktop.Now(), 10 + 50);
  EXPECT_EQ(desk.desktop.record.processMessages, 1 + 4);
}

TEST(TAutoCADWindow, OnlyTheExactIdlePromptEndsTheWait) {
  const struct {
    std::string prompt;
    long long elapsedMs;  // one answered chunk: 10 ms, plus 100 ms without the prompt
  } cases[] = {{Sjis("コマンド: "), 10},
               {Sjis("ｺﾏﾝﾄﾞ: "), 10},
               {Sjis("コマンド:"), 110},
               {Sjis("コマンド:  "), 110},
               {"Command: ", 110}};
  for (const auto& c : cases) {
    Desk desk(WithPrompt(c.prompt));
    ASSERT_TRUE(desk.link.Connect());
    desk.link.SendCommand("\r", /*wait=*/true);
    EXPECT_EQ(desk.desktop.Now(), c.elapsedMs) << Utf8(c.prompt);
  }
  Desk pending;  // "コマンド: L" with the L not yet entered is not idle either
  ASSERT_TRUE(pending.link.Connect());
  pending.link.SendCommand("L", /*wait=*/true);
  EXPECT_EQ(pending.desktop.Now(), 110);
}

TEST(TAutoCADWindow, CancelCommandSendsTwoMoreCtrlCWhenThePromptStaysAway) {
  Desk quick;
  ASSERT_TRUE(quick.link.Connect());
  EXPECT_TRUE(quick.link.CancelCommand());
  EXPECT_EQ(quick.autocad->ReceivedTexts(), Texts{"\x03"});

  Desk slow(WithPrompt(Sjis("ｺﾏﾝﾄﾞ:")));  // never shows the idle prompt
  ASSERT_TRUE(slow.link.Connect());
  EXPECT_TRUE(slow.link.CancelCommand());
  EXPECT_EQ(slow.autocad->ReceivedTexts(), (Texts{"\x03", "\x03", "\x03"}));
}

TEST(TAutoCADWindow, SetFileDiaKeepsTheValueThePromptShowed) {
  for (const int before : {1, 0}) {
    StandInSetup setup;
    setup.fileDia = before;
    Desk desk(setup);
    ASSERT_TRUE(desk.link.Connect());
    desk.link.OldFileDia = 7;
    EXPECT_TRUE(desk.link.SetFileDia(0));
    EXPECT_EQ(desk.link.OldFileDia, before);
    EXPECT_EQ(desk.autocad->FileDia(), 0);
    EXPECT_EQ(desk.autocad->ReceivedTexts(), (Texts{"\x03", "FILEDIA\r", "0\r"}));
  }
}

TEST(TAutoCADWindow, SetFileDiaWithoutPromptKeepsTheOldValueAndStillSends) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  desk.autocad->SetResponseDelay(10'000);
  desk.link.OldFileDia = 7;
  EXPECT_TRUE(desk.link.SetFileDia(0));
  EXPECT_EQ(desk.link.OldFileDia, 7);
  EXPECT_EQ(desk.autocad->ReceivedTexts(), (Texts{"\x03", "FILEDIA\r", "0\r"}));
  // Three unanswered chunks of 50 ms and twenty 50 ms looks for the FILEDIA prompt.
  EXPECT_EQ(desk.desktop.Now(), 3 * 50 + 20 * 50);
}

TEST(TAutoCADWindow, AnUnansweredSendStopsTheCommand) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  desk.autocad->SetHung(true);
  EXPECT_FALSE(desk.link.SendString("x"));
  EXPECT_FALSE(desk.link.SendCommand("FILEDIA\r0\r", /*wait=*/true));
  EXPECT_FALSE(desk.link.CancelCommand());
  EXPECT_FALSE(desk.link.SetFileDia(0));
  EXPECT_EQ(desk.desktop.record.copyDataSends, 4);  // one per call, nothing after
}

TEST(TAutoCADWindow, ConnectDuringACommandDoesNotDisturbIt) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  // The main window repaints while the command waits, and its paint handler connects.
  desk.desktop.onProcessMessages = [&desk] { desk.link.Connect(); };
  EXPECT_TRUE(desk.link.SetFileDia(0));
  EXPECT_EQ(desk.link.OldFileDia, 1);
  EXPECT_EQ(desk.autocad->FileDia(), 0);
}

// ---------------------------------------------------------------- foreground

TEST(TAutoCADWindow, ActivateAndRestoreSwapTheForegroundWindow) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  const HWnd main = desk.autocad->MainWindow();
  desk.link.ActivateAutoCAD();
  desk.link.ActivateAutoCAD();  // AutoCAD in front already: the program stays remembered
  EXPECT_EQ(desk.desktop.GetForegroundWindow(), main);
  EXPECT_EQ(desk.link.PrevForeground, desk.program);

  desk.link.RestoreForeground();
  EXPECT_EQ(desk.desktop.GetForegroundWindow(), desk.program);
  EXPECT_EQ(desk.desktop.ZOrder().front(), desk.program);
  EXPECT_EQ(desk.link.PrevForeground, main);
  EXPECT_FALSE(desk.desktop.AreAttached(kProgramThread, 0x2C8));

  desk.link.RestoreForeground();  // AutoCAD is not in front: nothing happens
  EXPECT_EQ(desk.link.PrevForeground, main);

  desk.link.ActivateAutoCAD();
  desk.desktop.SetForeground(0);  // AutoCAD's activation not handled yet: nothing in front
  desk.link.RestoreForeground();
  EXPECT_EQ(desk.desktop.GetForegroundWindow(), desk.program);
}

TEST(TAutoCADWindow, ReleaseForegroundNeverAttachesToAutoCADsThread) {
  Desk desk;
  ASSERT_TRUE(desk.link.Connect());
  desk.link.ActivateAutoCAD();
  desk.link.ReleaseForeground();
  EXPECT_EQ(desk.desktop.GetForegroundWindow(), desk.program);
  EXPECT_EQ(desk.link.PrevForeground, desk.autocad->MainWindow());
  EXPECT_EQ(desk.desktop.record.attachCalls, 0);
}

TEST(TAutoCADWindow, BringToTopBorrowsTheForegroundThreadOnlyWhenNeeded) {
  Desk desk;
  const HWnd ownDialog =
      desk.desktop.AddTopLevel("Qt6QWindowIcon", "Option", kProgramProcess, kProgramThread);
  desk.desktop.SetForeground(desk.program);
  EXPECT_TRUE(BringToTop(desk.desktop, ownDialog));
  EXPECT_EQ(desk.desktop.record.attachCalls, 0);

  // A window of a third thread cannot be raised from here even when attached; the
  // attachment is undone all the same.
  const HWnd foreign = desk.desktop.AddTopLevel("Edit", "x", 0x50, 0x51);
  desk.desktop.SetForeground(desk.autocad->MainWindow());
  EXPECT_FALSE(BringToTop(desk.desktop, foreign));
  EXPECT_EQ(desk.desktop.record.attachCalls, 2);
  EXPECT_FALSE(desk.desktop.AreAttached(0x51, 0x2C8));
}

TEST(TAutoCADWindow, TopWindowClimbsFromTheForegroundToTheTop) {
  Desk desk;
  const HWnd tip = desk.desktop.AddTopLevel("tooltips_class32", "", 3, 4);  // above the front
  EXPECT_EQ(TopWindow(desk.desktop), tip);
  desk.desktop.SetForeground(0);  // nothing in front: start from the first enumerated
  EXPECT_EQ(TopWindow(desk.desktop), tip);
#ifndef _WIN32  // elsewhere the platform's desktop has no windows
  EXPECT_EQ(TopWindow(*MakePlatformWindowSystem({})), 0u);
#endif
}

// ---------------------------------------------------------------- IME

TEST(TAutoCADWindow, ImeOfAnotherThreadGoesThroughItsDefaultImeWindow) {
  StandInSetup setup;
  setup.imeOpen = true;
  Desk desk(setup);
  ASSERT_TRUE(desk.link.Connect());
  EXPECT_TRUE(desk.link.SaveImeState());
  EXPECT_TRUE(desk.link.ImeWasOpen);
  desk.link.CloseIme();
  EXPECT_FALSE(desk.desktop.Window(desk.autocad->MainWindow()).imeOpen);
  EXPECT_FALSE(GetImeOpen(desk.desktop, desk.autocad->MainWindow()));
  desk.link.OpenIme();
  EXPECT_TRUE(desk.desktop.Window(desk.autocad->MainWindow()).imeOpen);
  EXPECT_EQ(desk.desktop.record.imeSwitches, 2);
}

TEST(TAutoCADWindow, ImeOfOwnWindowGoesThroughItsInputContext) {
  Desk desk(std::nullopt);
  desk.desktop.Window(desk.program).imeOpen = true;
  EXPECT_TRUE(GetImeOpen(desk.desktop, desk.program));
  SetImeOpen(desk.desktop, desk.program, false);
  EXPECT_FALSE(desk.desktop.Window(desk.program).imeOpen);
  EXPECT_EQ(desk.desktop.record.openContexts, 0);  // every context given back
}

}  // namespace
