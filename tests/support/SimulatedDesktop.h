// SimulatedDesktop.h - a desktop of windows held in memory, for testing the AutoCAD link.
//
// The desktop keeps top-level windows in z-order with class names, titles, owning
// processes and threads, child windows with screen rectangles and texts, a foreground
// window and an IME state per window. It follows the rules of the real system that the
// link depends on: only the foreground window's thread (or one attached to it) may bring
// a window to the top, and another thread's input context cannot be used. Time is virtual:
// Sleep advances a clock and runs what was scheduled for then, so tests of the waits run
// at once. Every send to a window is recorded.
#pragma once

#include <cstdint>      // std::uint32_t, std::uintptr_t
#include <functional>   // std::function
#include <map>          // std::map
#include <set>          // std::set
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <utility>      // std::pair
#include <vector>       // std::vector

#include "cad/WindowSystem.h"

/// One window of the simulated desktop.
struct SimWindow {
  HWnd parent = 0;             // 0 for a top-level window
  std::string className;       // CP932
  std::string text;            // title or window text, CP932
  std::uint32_t process = 0;   // owning process
  std::uint32_t thread = 0;    // owning thread
  ScreenRect rect;             // screen rectangle
  bool imeOpen = false;        // IME state of the window
  HWnd imeTarget = 0;          // of a default IME window: the window it switches
  bool hung = false;           // sends to the window are not answered
  std::vector<HWnd> children;  // in creation order
  // Receives the identifier and bytes of every answered copy-data send.
  std::function<void(std::uintptr_t identifier, std::string_view bytes)> onCopyData;
};

/// What the desktop saw of the calls made to it.
struct DesktopRecord {
  int processMessages = 0;  // ProcessMessages calls
  int postedNulls = 0;      // WM_NULL posts
  int attachCalls = 0;      // AttachThreadInput calls, attaching or detaching
  int openContexts = 0;     // input contexts taken and not yet given back
  int imeSwitches = 0;      // IME opened or closed, by context or by message
  int copyDataSends = 0;    // copy-data sends, answered or not
  // WM_SYSCOMMAND sends: receiver, command, lParam.
  std::vector<std::pair<HWnd, std::pair<std::uintptr_t, std::intptr_t>>> sysCommands;
};

class SimulatedDesktop : public WindowSystem {
 public:
  /// Adds a top-level window at the top of the z-order and returns its handle.
  HWnd AddTopLevel(const std::string& className, const std::string& title, std::uint32_t process,
                   std::uint32_t thread);
  /// Adds a child window of parent at a screen rectangle; it shares its parent's owner.
  HWnd AddChild(HWnd parent, const std::string& className, ScreenRect rect);
  /// Returns the window of handle w; w must exist.
  SimWindow& Window(HWnd w);
  /// Returns the top-level windows, top first.
  const std::vector<HWnd>& ZOrder() const { return m_zOrder; }
  /// Makes w the foreground window and puts it on top (test set-up, no rules applied).
  void SetForeground(HWnd w);
  /// Sets the thread the link's calls come from.
  void SetCallerThread(std::uint32_t thread) { m_callerThread = thread; }
  /// Returns whether the input of two threads is attached, in either direction.
  bool AreAttached(std::uint32_t a, std::uint32_t b) const;
  /// Returns the virtual time in milliseconds.
  long long Now() const { return m_now; }
  /// Runs action once the virtual clock has moved on by delayMs.
  void After(unsigned delayMs, std::function<void()> action);

  std::function<void()> onProcessMessages;  // run by every ProcessMessages
  DesktopRecord record;

  HWnd GetForegroundWindow() override { return m_foreground; }
  HWnd GetWindow(HWnd w, ZOrderStep step) override;
  void EnumWindows(const WindowVisitor& visit) override;
  void EnumChildWindows(HWnd parent, const WindowVisitor& visit) override;
  std::string GetClassNameA(HWnd w, int bufferSize) override;
  std::string GetWindowTextA(HWnd w, int bufferSize) override;
  std::uint32_t GetWindowThreadProcessId(HWnd w, std::uint32_t* processId) override;
  HWnd GetParent(HWnd w) override;
  bool GetWindowRect(HWnd w, ScreenRect& rect) override;

  bool SendMessageCopyData(HWnd w, std::uintptr_t identifier, std::string_view bytes) override;
  void SendMessageSysCommand(HWnd w, std::uintptr_t command, std::intptr_t lParam) override;
  int SendMessageGetTextLength(HWnd w) override;
  std::string SendMessageGetText(HWnd w, int bufferSize) override;
  std::intptr_t SendMessageImeControl(HWnd imeWindow, std::uintptr_t command,
                                      std::intptr_t lParam) override;
  void PostMessageNull(HWnd w) override;

  bool SetForegroundWindow(HWnd w) override;
  bool BringWindowToTop(HWnd w) override;
  bool AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) override;

  HWnd ImmGetDefaultIMEWnd(HWnd w) override;
  ImeContext ImmGetContext(HWnd w) override;
  bool ImmReleaseContext(HWnd w, ImeContext context) override;
  bool ImmGetOpenStatus(ImeContext context) override;
  bool ImmSetOpenStatus(ImeContext context, bool open) override;

  void Sleep(unsigned milliseconds) override;
  std::uint32_t GetCurrentThreadId() override { return m_callerThread; }
  void ProcessMessages() override;

 private:
  struct Scheduled {
    long long due;
    long long order;
    std::function<void()> action;
  };

  HWnd NewHandle();
  SimWindow* Find(HWnd w);
  // A send is answered when its receiver exists and is not hung.
  SimWindow* Answering(HWnd w);
  void MoveToTop(HWnd w);
  void VisitDescendants(HWnd parent, const WindowVisitor& visit, bool& goOn);
  void RunDueActions();

  std::map<HWnd, SimWindow> m_windows;
  std::vector<HWnd> m_zOrder;
  std::map<HWnd, HWnd> m_imeWindows;  // window -> its default IME window
  std::set<std::pair<std::uint32_t, std::uint32_t>> m_attached;
  std::vector<Scheduled> m_scheduled;
  HWnd m_foreground = 0;
  HWnd m_nextHandle = 0x1A0;
  std::uint32_t m_callerThread = 0;
  long long m_now = 0;
  long long m_scheduledCount = 0;
};
