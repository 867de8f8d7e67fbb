// MainFormAcadWin32Test.cpp - the main window's AutoCAD buttons against the stand-in
// AutoCAD program, on Qt's Windows platform.
//
// The window is made as the program makes it, with the platform's window system (Win32)
// and the event processing of the link's waits, and is shown in front on the desktop
// (Wine's, on an X display); StandInAutoCAD.exe runs as a process of its own and logs
// every chunk it receives. So the paint-time probe, the enabling of the buttons, the
// link's waits, the load of the exported drawing and the jump to AutoCAD's error line all
// run together over real window messages. The dialogs are scripted: none may appear.
#include "ui/MainForm.h"

#include <gtest/gtest.h>

#include <algorithm>  // std::find
#include <atomic>     // std::atomic
#include <optional>   // std::optional
#include <thread>     // std::thread
#include <utility>    // std::pair

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "tests/support/MainWindowFixture.h"
#include "tests/support/StandInProcessWin32.h"

namespace {

using Texts = std::vector<std::string>;
using Buttons = std::pair<bool, bool>;  // "AutoCADから読込", "DXF読込ｴﾗｰ行表示" enabled

// The viewer as installed: quillet-viewer.exe in a folder of its own, its window in front.
struct Viewer : MainWindowFixture {
  std::string exportPath = dir.Path() + "\\quillet-viewer_tmp.DXF";
  std::string logFile = dir.Path() + "\\standin.log";
  std::optional<StandInProcess> standIn;

  Viewer() {
    Start({}, "Viewer", dir.Path() + "\\quillet-viewer.exe");
    EXPECT_TRUE(BringToFront()) << "the viewer's window did not stay in front";
  }
  HWND Handle() const { return reinterpret_cast<HWND>(form->winId()); }
  bool BringToFront() const {
    return BringToFrontAndWait(Handle(), [] { QApplication::processEvents(); });
  }
  void StartAutoCAD(Texts options = {}) {
    options.insert(options.end(), {"--log", logFile});
    standIn.emplace(options);
    EXPECT_TRUE(standIn->WaitForMainWindow())
        << "the stand-in AutoCAD did not start (error " << standIn->StartError() << ")";
    EXPECT_TRUE(BringToFront()) << "the viewer's window did not stay in front";
  }
  Buttons Probe() {
    form->repaint();  // the probe runs at every repaint
    return {form->BTACADRead->isEnabled(), form->BTErrorJump->isEnabled()};
  }
  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  // The commands the stand-in received, without the state it logs before each.
  Texts Commands() const {
    Texts commands;
    for (const std::string& chunk : ReadStandInLog(logFile))
      commands.push_back(chunk.substr(chunk.find(' ', chunk.find(' ') + 1) + 1));
    return commands;
  }
  Texts Panel() const {
    Texts lines;
    for (const QString& line : form->MsgBox->toPlainText().split(QLatin1Char('\n')))
      lines.push_back(line.toStdString());
    return lines;
  }
  std::string Value(int row) const { return form->FRDXFGrid->DXFGrid->Cell(2, row).toStdString(); }
};

// Asks the window for an answer (WM_NULL) from another thread, as the system does to tell
// a hung window, every 100 ms until stopped; counts the answers and the questions left
// unanswered for 3 s. A window stuck in a 5 s send that handles no other thread's messages
// meanwhile leaves one unanswered; 3 s leaves room for a loaded machine.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window)
      : m_thread([this, window] {
          while (!m_stop) {
            DWORD_PTR result = 0;
            const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL,
                                                      kAnswerTimeoutMs, &result) != 0;
            ++(answered ? m_answered : m_missed);
            Sleep(100);
          }
          m_ended = true;
        }) {}
  ~AnswerWatch() { Stop(); }
  AnswerWatch(const AnswerWatch&) = delete;
  AnswerWatch& operator=(const AnswerWatch&) = delete;
  // Ends the watch from the window's own thread, which goes on handling messages until the
  // watch has ended: a question asked just before the stop would otherwise wait for a
  // window blocked in the join and count as unanswered.
  void Stop() {
    m_stop = true;
    while (!m_ended) {
      QApplication::processEvents();
      Sleep(10);
    }
    if (m_thread.joinable()) m_thread.join();
  }
  int Answered() const { return m_answered; }
  int Missed() const { return m_missed; }

 private:
  static constexpr UINT kAnswerTimeoutMs = 3000;
  std::atomic<bool> m_stop = false;
  std::atomic<bool> m_ended = false;
  std::atomic<int> m_answered = 0;
  std::atomic<int> m_missed = 0;
  std::thread m_thread;
};

}  // namespace

TEST(MainFormAcadWin32, PaintProbeEnablesTheButtonsOnlyWhileTheStandInRuns) {
  Viewer viewer;
  const std::string failed = viewer.dir.Write("failed.dxf", ReadBytes(kSample));
  const struct {
    const char* state;
    std::optional<Texts> standIn;  // none: no AutoCAD runs
    Buttons expected;
  } steps[] = {
      {"before AutoCAD starts", std::nullopt, {false, false}},
      {"while AutoCAD runs", Texts{}, {true, false}},
      {"after AutoCAD ended", std::nullopt, {false, false}},
      {"while AutoCAD shows a DXF read error",
       Texts{"--title", "AutoCAD 2006 - [" + failed + "]", "--dxf-error", "330", "55"},
       {false, true}},
      {"after that AutoCAD ended", std::nullopt, {false, false}},
  };
  for (const auto& step : steps) {
    viewer.standIn.reset();
    if (step.standIn) viewer.StartAutoCAD(*step.standIn);
    EXPECT_EQ(viewer.Probe(), step.expected) << step.state;
  }
}

TEST(MainFormAcadWin32, ReadSendsTheCommandsAndLoadsTheDrawingTheStandInWrote) {
  Viewer viewer;
  viewer.StartAutoCAD();
  ASSERT_EQ(viewer.Probe(), Buttons(true, false));
  viewer.Click(viewer.form->BTACADRead);
  EXPECT_EQ(viewer.Commands(),
            (Texts{"#03", "#03", "FILEDIA#0D", "0#0D", "-WBLOCK#0D", viewer.exportPath + "#0D",
                   "#0D", "*#0D", "#03", "FILEDIA#0D", "1#0D"}));
  EXPECT_EQ(viewer.form->Doc().Buffer().FileName, viewer.exportPath);
  EXPECT_EQ(viewer.Value(2), "HEADER");
  EXPECT_EQ(viewer.Value(4), "AC1018");
  EXPECT_EQ(viewer.Panel().back(), "＜開く＞" + viewer.exportPath);
  EXPECT_NE(viewer.Title().find("quillet-viewer_tmp.DXF"), std::string::npos) << viewer.Title();
  EXPECT_EQ(GetForegroundWindow(), viewer.Handle()) << "the viewer is in front again";
  EXPECT_TRUE(viewer.dialogs.messages.empty());
}

TEST(MainFormAcadWin32, ErrorJumpOpensTheNamedFileAtTheNamedLine) {
  Viewer viewer;
  const std::string failed = viewer.dir.Write("failed.dxf", ReadBytes(kSample));
  viewer.StartAutoCAD({"--title", "AutoCAD 2006 - [" + failed + "]", "--dxf-error", "330", "55"});
  ASSERT_EQ(viewer.Probe(), Buttons(false, true));
  viewer.Click(viewer.form->BTErrorJump);
  EXPECT_EQ(viewer.form->Doc().Buffer().FileName, failed);
  EXPECT_EQ(viewer.form->FRDXFGrid->CurrentIndex(), 27);  // line 55 is the value of pair 27
  const Texts panel = viewer.Panel();
  EXPECT_NE(std::find(panel.begin(), panel.end(), "AutoCADからDXF読込エラー行取得：55"),
            panel.end());
  EXPECT_EQ(viewer.Commands(), Texts{"#0D"});
  EXPECT_TRUE(viewer.dialogs.messages.empty());
}

TEST(MainFormAcadWin32, AHungStandInEndsTheReadWhileTheWindowKeepsAnswering) {
  Viewer viewer;
  viewer.StartAutoCAD({"--hang"});
  ASSERT_EQ(viewer.Probe(), Buttons(true, false));
  AnswerWatch watch(viewer.Handle());
  viewer.Click(viewer.form->BTACADRead);
  // With AutoCAD still hung, the window paints again, and its probe ends too.
  EXPECT_EQ(viewer.Probe(), Buttons(true, false));
  watch.Stop();
  EXPECT_EQ(viewer.Panel().back(), "  AutoCADが応答しないため中止しました");
  EXPECT_EQ(viewer.Commands(), Texts{"#03"});
  EXPECT_TRUE(viewer.form->Doc().Buffer().FileName.empty()) << "nothing was loaded";
  // The read waits out at least one 5 s send: dozens of questions, none left unanswered.
  EXPECT_GE(watch.Answered(), 10);
  EXPECT_EQ(watch.Missed(), 0);
  EXPECT_TRUE(viewer.dialogs.messages.empty());
}

// The window needs the real Windows platform: the link finds it and hands it the front
// through the window system.
int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "windows");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
