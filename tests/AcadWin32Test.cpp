// AcadWin32Test.cpp - the AutoCAD buttons against the stand-in AutoCAD program, in two
// processes over real window messages.
//
// Each test starts StandInAutoCAD.exe beside this program, waits for its windows, and runs
// the sequences through the Win32 window system from a window of its own, as the main
// window would: discovery by class and title, WM_COPYDATA and WM_GETTEXT across
// processes, the foreground handed over and back. The stand-in appends every chunk it
// receives to a log file, which the tests read back.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>  // std::chrono::steady_clock
#include <memory>  // std::unique_ptr

#include "cad/MyCADLib.h"
#include "logic/acad/AcadSequences.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "tests/support/RecordedMainWindow.h"
#include "tests/support/StandInProcessWin32.h"
#include "tests/support/StandInWindowClasses.h"
#include "tests/support/TestFiles.h"

namespace {

using Texts = std::vector<std::string>;

constexpr char kProgramWindowClass[] = "QuilletTestProgram";

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// The program's main window, in front of everything when the test starts.
class ProgramWindow {
 public:
  ProgramWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kProgramWindowClass;
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, kProgramWindowClass, "VU Quillet Viewer",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
    SetForegroundWindow(m_window);
    PumpMessages();
  }
  ~ProgramWindow() { DestroyWindow(m_window); }
  ProgramWindow(const ProgramWindow&) = delete;
  ProgramWindow& operator=(const ProgramWindow&) = delete;
  HWnd Handle() const { return reinterpret_cast<HWnd>(m_window); }

  /// Brings the window to the front and waits until it stays there; false when it never
  /// did.
  bool BringToFront() const { return BringToFrontAndWait(m_window, PumpMessages); }

 private:
  HWND m_window = nullptr;
};

// The program's window in front of the stand-in, and the main window's parts that the
// sequences use; the executable sits in a fresh folder.
struct Rig : RecordedMainWindow {
  explicit Rig(Texts options = {}) : standIn(WithLog(std::move(options))) {
    EXPECT_TRUE(standIn.WaitForMainWindow()) << "the stand-in AutoCAD did not start";
    EXPECT_TRUE(program.BringToFront()) << "the program's window did not stay in front";
  }
  Texts WithLog(Texts options) const {
    options.push_back("--log");
    options.push_back(logFile);
    return options;
  }
  Texts Chunks() const { return ReadStandInLog(logFile); }

  TempDir dir;
  std::string exePath = dir.Path() + "\\quillet.exe";
  std::string tempPath = dir.Path() + "\\quillet_tmp.DXF";
  std::string logFile = dir.Path() + "\\standin.log";
  ProgramWindow program;
  StandInProcess standIn;
  std::unique_ptr<WindowSystem> windows = MakePlatformWindowSystem(PumpMessages);
  TAutoCADWindow link{*windows};
  AcadContext context = Context(link, exePath);
};

// Each chunk as the stand-in logs it when its main window was in front with the IME shut.
Texts InFront(const Texts& chunks) {
  Texts logged;
  for (const std::string& chunk : chunks) logged.push_back("fg=1 ime=0 " + chunk);
  return logged;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(AcadWin32, ConnectFindsTheStandInsWindowsAndPanes) {
  Rig rig;
  ASSERT_TRUE(rig.link.Connect()) << rig.link.Trace;
  EXPECT_EQ(rig.link.ProcessId, rig.standIn.Id());
  EXPECT_EQ(rig.link.DrawingName, "C:\\work\\plan.dwg");
  EXPECT_EQ(rig.link.ProductKind, 1);
  EXPECT_NE(rig.link.Trace.find(Format("==>Main Get:pid= %x ,ttl= AutoCAD 2006\r\n",
                                       static_cast<unsigned>(rig.standIn.Id()))),
            std::string::npos)
      << rig.link.Trace;
  EXPECT_NE(rig.link.Trace.find(Format("==>Text Get:pid= %x\r\n", rig.link.ProcessId)),
            std::string::npos);
  EXPECT_EQ(rig.link.ReadCommandLine(), Sjis("コマンド: "));
  EXPECT_EQ(rig.link.ReadHistory(), Sjis("AutoCAD メニュー ユーティリティ ロード済み。\r\n"));
  EXPECT_TRUE(ProbeAutoCAD(rig.link).readEnabled);
}

TEST(AcadWin32, ReadLoadsTheDrawingTheStandInWrites) {
  Rig rig;
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.Chunks(),
            InFront({"#03", "#03", "FILEDIA#0D", "0#0D", "DXFOUT#0D", Sjis(rig.tempPath) + "#0D",
                     "#0D", "#03", "FILEDIA#0D", "1#0D"}));
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});
  EXPECT_EQ(rig.buffer.EofIndex, 16);
  EXPECT_EQ(rig.panel.lines.back(), "  " + Sjis(rig.tempPath) + Sjis(" へ DXFOUT"));
  EXPECT_EQ(rig.windows->GetForegroundWindow(), rig.program.Handle());
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(AcadWin32, AnUnsavedDrawingIsWrittenWithWblockAtFileDiaZero) {
  Rig rig({"--title", "AutoCAD 2006 - [Drawing1.dwg]", "--filedia", "0"});
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.Chunks(), InFront({"#03", "#03", "FILEDIA#0D", "0#0D", "-WBLOCK#0D",
                                   Sjis(rig.tempPath) + "#0D", "#0D", "*#0D"}));
  EXPECT_EQ(rig.buffer.EofIndex, 16);
}

TEST(AcadWin32, ASlowStandInStillDeliversTheDrawing) {
  Rig rig({"--delay", "200"});
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.Chunks().size(), 10u);
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});
  EXPECT_EQ(rig.buffer.EofIndex, 16);
}

TEST(AcadWin32, AHungStandInStopsTheReadWithinTheSendTimeout) {
  Rig rig({"--hang"});
  const auto start = std::chrono::steady_clock::now();
  BTACADReadClick(rig.context);
  const double seconds = SecondsSince(start);
  EXPECT_EQ(rig.Chunks(), InFront({"#03"}));
  EXPECT_EQ(rig.panel.lines.back(), Sjis("  AutoCADが応答しないため中止しました"));
  EXPECT_TRUE(rig.loads.empty());
  EXPECT_EQ(rig.windows->GetForegroundWindow(), rig.program.Handle());
  // One send waits out its 5 s; later ones fail at once, as the receiver counts as hung.
  EXPECT_LT(seconds, 8.0);
}

TEST(AcadWin32, TheProgramsOwnImeSwitchesThroughItsInputContext) {
  Rig rig;
  for (const bool open : {true, false, true}) {
    SetImeOpen(*rig.windows, rig.program.Handle(), open);
    EXPECT_EQ(GetImeOpen(*rig.windows, rig.program.Handle()), open);
  }
}

TEST(AcadWin32, AnOpenImeIsClosedForTheExportWhereTheSystemReachesIt) {
  Rig rig({"--ime-open"});
  ASSERT_TRUE(rig.link.Connect());
  const bool reachable = rig.windows->ImmGetDefaultIMEWnd(rig.link.MainWindow) != 0;
  BTACADReadClick(rig.context);
  EXPECT_EQ(rig.loads, Texts{rig.tempPath});
  const Texts chunks = rig.Chunks();
  ASSERT_EQ(chunks.size(), 10u);
  // Wine gives no default IME window of another process, so the link sees the IME
  // closed and leaves it as it is; Windows closes it for the export and opens it again.
  const std::string during = reachable ? "fg=1 ime=0 " : "fg=1 ime=1 ";
  for (const std::string& chunk : chunks) EXPECT_EQ(chunk.substr(0, 11), during) << chunk;
  EXPECT_EQ(GetImeOpen(*rig.windows, rig.link.MainWindow), reachable);
}

TEST(AcadWin32, ErrorJumpLoadsTheFailedFileAtAutoCADsLine) {
  TempDir files;
  const std::string failed = files.Write("bad.dxf", kFourPairs);
  Rig rig({"--title", "AutoCAD 2006 - [" + failed + "]", "--dxf-error", "330", "7"});
  const AcadButtons buttons = ProbeAutoCAD(rig.link);
  EXPECT_FALSE(buttons.readEnabled);
  EXPECT_TRUE(buttons.errorJumpEnabled);
  BTErrorJumpClick(rig.context);
  EXPECT_EQ(rig.panel.lines, Texts{Sjis("AutoCADからDXF読込エラー行取得：7")});
  EXPECT_EQ(rig.Chunks(), InFront({"#0D"}));
  EXPECT_EQ(rig.loads, Texts{failed});
  EXPECT_EQ(rig.jumps, std::vector<int>{7});
  EXPECT_EQ(rig.windows->GetForegroundWindow(), rig.program.Handle());
}

}  // namespace
