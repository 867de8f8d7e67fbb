// StandInAutoCAD.cpp - an AutoCAD stand-in on the simulated desktop.
#include "tests/support/StandInAutoCAD.h"

#include <utility>  // std::move

#include "model/text/Sjis.h"
#include "tests/support/StandInWindowClasses.h"

// The pane layout inside the text window: both panes sit in a frame; the history pane at
// offset (2, 2), the command line below it at (2, 300).
static constexpr ScreenRect kTextWindowRect = {100, 100, 700, 500};
static constexpr ScreenRect kFrameRect = {104, 130, 696, 496};
static constexpr ScreenRect kHistoryRect = {106, 132, 680, 428};
static constexpr ScreenRect kCommandRect = {106, 430, 680, 494};
static constexpr ScreenRect kScrollBarRect = {680, 132, 694, 428};

// The prompt of a setup, or Japanese AutoCAD's "コマンド: ".
static std::string IdlePrompt(const StandInSetup& setup) {
  return setup.prompt.empty() ? Sjis("コマンド: ") : setup.prompt;
}

StandInAutoCAD::StandInAutoCAD(SimulatedDesktop& desktop, StandInSetup setup)
    : m_desktop(desktop),
      m_setup(std::move(setup)),
      m_commandLine(IdlePrompt(m_setup), m_setup.fileDia, [this] { ShowPanes(); }) {
  if (m_setup.textWindowTitle.empty())
    m_setup.textWindowTitle = Sjis("AutoCAD テキスト ウィンドウ");
  OpenWindows();
  ShowPanes();
}

void StandInAutoCAD::OpenWindows() {
  const std::uint32_t process = m_setup.process;
  const std::uint32_t thread = m_setup.thread;
  m_text = m_desktop.AddTopLevel(kStandInTextWindowClass, m_setup.textWindowTitle, process, thread);
  m_desktop.Window(m_text).rect = kTextWindowRect;
  const HWnd frame = m_desktop.AddChild(m_text, kStandInFrameClass, kFrameRect);
  // The command line comes first, so that the panes are told apart by place, not order.
  m_commandPane = m_desktop.AddChild(frame, m_setup.paneClass, kCommandRect);
  m_historyPane = m_desktop.AddChild(frame, m_setup.paneClass, kHistoryRect);
  m_desktop.AddChild(frame, "ScrollBar", kScrollBarRect);
  m_main = m_desktop.AddTopLevel(kStandInMainWindowClass, m_setup.title, process, thread);
  m_desktop.Window(m_main).imeOpen = m_setup.imeOpen;
  m_desktop.Window(m_main).onCopyData = [this](std::uintptr_t identifier, std::string_view bytes) {
    Receive(identifier, bytes);
  };
}

std::vector<std::string> StandInAutoCAD::ReceivedTexts() const {
  std::vector<std::string> texts;
  for (const Input& input : m_received) texts.push_back(input.text);
  return texts;
}

void StandInAutoCAD::SetHung(bool hung) {
  m_desktop.Window(m_main).hung = hung;
  m_desktop.Window(m_historyPane).hung = hung;
  m_desktop.Window(m_commandPane).hung = hung;
}

void StandInAutoCAD::SetTitle(const std::string& title) {
  m_desktop.Window(m_main).text = title;
}

void StandInAutoCAD::ShowInvalidDxfMessage(int groupCode, int line) {
  m_commandLine.ShowInvalidDxfMessage(groupCode, line);
}

// ---------------------------------------------------------------- input

void StandInAutoCAD::Receive(std::uintptr_t identifier, std::string_view bytes) {
  const std::optional<std::string> typed = TypedInput(identifier, bytes);
  if (!typed) {
    ++m_rejected;
    return;
  }
  const std::string& text = *typed;
  m_received.push_back(
      {text, m_desktop.GetForegroundWindow() == m_main, m_desktop.Window(m_main).imeOpen});
  if (m_delayMs == 0) {
    m_commandLine.Handle(text);
    return;
  }
  m_desktop.After(m_delayMs, [this, text] { m_commandLine.Handle(text); });
}

// ---------------------------------------------------------------- panes

void StandInAutoCAD::ShowPanes() {
  m_desktop.Window(m_historyPane).text = m_commandLine.HistoryText();
  m_desktop.Window(m_commandPane).text = m_commandLine.CommandLineText();
}
