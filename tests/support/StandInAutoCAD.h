// StandInAutoCAD.h - an AutoCAD stand-in on the simulated desktop.
//
// It shows what the AutoCAD link relies on: a main window and a text window with AutoCAD's
// classes and titles, a history pane and a command-line pane told apart by their offsets,
// and copy-data with identifier 1 taken as typed input by AutoCADCommandLine. It records
// every chunk it receives, can answer late or not at all, and can show AutoCAD's
// invalid-DXF message.
#pragma once

#include <cstdint>      // std::uint32_t
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "tests/support/AutoCADCommandLine.h"
#include "tests/support/SimulatedDesktop.h"
#include "tests/support/StandInWindowClasses.h"

/// How the stand-in looks when it starts.
struct StandInSetup {
  std::string title = "AutoCAD 2006 - [C:\\work\\plan.dwg]";  // main window title, CP932
  std::string textWindowTitle;  // empty: "AutoCAD テキスト ウィンドウ" in CP932
  std::string prompt;           // empty: "コマンド: " in CP932
  std::string paneClass = kStandInPaneClass;  // class of both panes
  std::uint32_t process = 0x1F4;              // AutoCAD's process
  std::uint32_t thread = 0x2C8;               // AutoCAD's GUI thread
  int fileDia = 1;                            // FILEDIA at start
  bool imeOpen = false;                       // IME of the main window at start
};

class StandInAutoCAD {
 public:
  /// One chunk as it arrived, with what held at that moment.
  struct Input {
    std::string text;    // the bytes without their terminating zero
    bool wasForeground;  // the main window was the foreground window
    bool imeWasOpen;     // the main window's IME was open
  };

  /// Opens AutoCAD's windows on the desktop: the text window first, the main window on top.
  StandInAutoCAD(SimulatedDesktop& desktop, StandInSetup setup = {});

  HWnd MainWindow() const { return m_main; }
  HWnd TextWindow() const { return m_text; }
  HWnd HistoryPane() const { return m_historyPane; }
  HWnd CommandPane() const { return m_commandPane; }

  /// Returns every chunk received, in order.
  const std::vector<Input>& Received() const { return m_received; }
  /// Returns the texts of the chunks received, in order.
  std::vector<std::string> ReceivedTexts() const;
  /// Returns copy-data that was not well-formed typed input (wrong identifier, no zero).
  int RejectedInputs() const { return m_rejected; }
  /// Returns the current FILEDIA value.
  int FileDia() const { return m_commandLine.FileDia(); }
  /// Returns the native paths of the drawings written, in order.
  const std::vector<std::string>& WrittenFiles() const { return m_commandLine.WrittenFiles(); }

  /// Handles each chunk only delayMs of desktop time after it arrived (0: at once).
  void SetResponseDelay(unsigned delayMs) { m_delayMs = delayMs; }
  /// Stops answering sends (or starts again).
  void SetHung(bool hung);
  /// Replaces the main window's title.
  void SetTitle(const std::string& title);
  /// Writes AutoCAD's message after a failed DXF read of a bad group code at a file line.
  void ShowInvalidDxfMessage(int groupCode, int line);

 private:
  void OpenWindows();
  void Receive(std::uintptr_t identifier, std::string_view bytes);
  void ShowPanes();

  SimulatedDesktop& m_desktop;
  StandInSetup m_setup;
  HWnd m_main = 0;
  HWnd m_text = 0;
  HWnd m_historyPane = 0;
  HWnd m_commandPane = 0;
  std::vector<Input> m_received;
  AutoCADCommandLine m_commandLine;
  int m_rejected = 0;
  unsigned m_delayMs = 0;
};
