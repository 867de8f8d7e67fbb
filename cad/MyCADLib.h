// MyCADLib.h - the AutoCAD link: AutoCAD's windows found, read and typed into.
//
// TAutoCADWindow talks to an AutoCAD on the same desktop through its windows only: it finds
// AutoCAD's main window and text window by class and title, reads the text window's two
// panes (command history and command line) and types commands into AutoCAD's command line
// with copy-data messages. Every platform call goes through a WindowSystem. All texts are
// CP932 bytes. Nothing runs in the background: every operation ends on the caller's thread,
// and its waits are short fixed polls that let the program handle its own messages.
#pragma once

#include <cstdint>  // std::uint8_t, std::uint32_t, std::int32_t
#include <string>   // std::string

#include "cad/WindowSystem.h"

class TAutoCADWindow {
 public:
  /// Creates an unconnected link that makes its platform calls through windows.
  explicit TAutoCADWindow(WindowSystem& windows) : m_windows(windows) {}

  std::uint32_t ProcessId = 0;   // process that owns AutoCAD's main window
  HWnd MainWindow = 0;           // AutoCAD's main window
  HWnd TextWindow = 0;           // AutoCAD's text window (the one with the command history)
  HWnd CommandPane = 0;          // pane of the text window with the current command line
  HWnd HistoryPane = 0;          // pane of the text window with the command history
  HWnd PrevForeground = 0;       // foreground window when AutoCAD was last activated
  std::string Title;             // main window's title, as read by the last Connect
  std::string DrawingName;       // current drawing's name, from the title's "[...]"
  std::uint8_t ProductKind = 0;  // 2 LT, 1 AutoCAD R13J..2006, 5 Mechanical, 0 other
  std::string PrevHistory;       // history text of the read before the last one
  std::string History;           // history text of the last read
  bool HistoryChanged = false;   // the last history read differed from the one before
  std::int32_t OldFileDia = 0;   // FILEDIA value seen by the last SetFileDia
  bool ImeWasOpen = false;       // IME state of AutoCAD's main window saved by SaveImeState
  std::string Trace;             // record of the last window walk, lines ending in "\r\n"

  /// Searches the desktop for AutoCAD's main window and the text window of the same
  /// process, rebuilding the handles, Title, DrawingName, ProductKind and Trace. Returns
  /// whether both were found (the panes need not be).
  bool Connect();
  /// Sets HistoryPane and CommandPane from the descendants of TextWindow; does nothing
  /// while TextWindow is 0.
  void FindPanes();
  /// Returns the text between the first "[" and the first "]" of the main window's current
  /// title; empty when either is missing or they stand the wrong way round.
  std::string ReadDrawingName();
  /// Returns the pane's whole window text; empty for pane 0.
  std::string ReadPaneText(HWnd pane);
  /// Reads the history pane, moving History to PrevHistory and setting HistoryChanged.
  std::string ReadHistory();
  /// Returns the command-line pane's text.
  std::string ReadCommandLine();
  /// Sends one chunk to AutoCAD's main window as copy-data with identifier 1, then posts
  /// WM_NULL. Returns false when AutoCAD did not answer the send in time.
  bool SendString(const std::string& chunk);
  /// Types text into AutoCAD in chunks ending after each carriage return, blank and
  /// Ctrl+C, polling briefly after each; with wait, then polls briefly for the idle
  /// prompt. An empty text sends nothing. Returns false, with the rest of the text unsent,
  /// only when AutoCAD did not answer a chunk.
  bool SendCommand(const std::string& text, bool wait);
  /// Cancels whatever AutoCAD is doing with Ctrl+C, twice more when the prompt does not
  /// come back. Returns false when AutoCAD did not answer.
  bool CancelCommand();
  /// Sets AutoCAD's FILEDIA to value, keeping the value its prompt showed in OldFileDia
  /// (unchanged when no prompt showed). Returns false when AutoCAD did not answer.
  bool SetFileDia(int value);
  /// Remembers the foreground window unless it is AutoCAD and brings AutoCAD to the front.
  void ActivateAutoCAD();
  /// Brings PrevForeground back to the top while AutoCAD (or no window) is the foreground
  /// window.
  void RestoreForeground();
  /// Gives the foreground back to PrevForeground as RestoreForeground does, but without borrowing
  /// AutoCAD's input: for an AutoCAD that stopped answering, whose hung thread would hang the
  /// program too while their input is attached.
  void ReleaseForeground();
  /// Stores whether the IME of AutoCAD's main window is open in ImeWasOpen and returns it.
  bool SaveImeState();
  /// Opens the IME of AutoCAD's main window.
  void OpenIme();
  /// Closes the IME of AutoCAD's main window.
  void CloseIme();

 private:
  HWnd FindMainWindow(HWnd start);
  HWnd FindTextWindow(HWnd start);
  template <typename IsWanted>
  HWnd WalkAfxWindows(HWnd start, char tag, IsWanted isWanted);
  void TakeMainWindow(HWnd w, const std::string& title);
  bool SendChunk(const std::string& chunk, std::string& commandLine);
  void WaitForPrompt(std::string commandLine);
  void ReadOldFileDia();
  bool AutoCADHasTheFront();

  WindowSystem& m_windows;
};

/// Returns the window at the top of the desktop's z-order, starting from the foreground
/// window (or the first enumerated one); 0 on an empty desktop.
HWnd TopWindow(WindowSystem& windows);

/// Brings w to the top, borrowing the foreground window's input queue when another thread
/// owns it. Returns whether the window system brought it.
bool BringToTop(WindowSystem& windows, HWnd w);

/// Tells whether the IME of window w is open.
bool GetImeOpen(WindowSystem& windows, HWnd w);

/// Opens or closes the IME of window w.
void SetImeOpen(WindowSystem& windows, HWnd w, bool open);
