// WindowSystem.h - the window-system calls the AutoCAD link makes, behind one interface.
//
// TAutoCADWindow reaches AutoCAD only through top-level windows, child windows, window
// messages and the input method. Each of those platform calls is one operation here, named
// after the Win32 call it stands for, so the link reads like the calls it makes. The Win32
// backend passes them straight through; on other platforms the program gets a desktop
// without AutoCAD; the tests use a simulated desktop with a stand-in AutoCAD. Texts are
// CP932 bytes, as the ANSI ("A") calls deliver them.
#pragma once

#include <cstdint>      // std::uintptr_t, std::intptr_t, std::uint32_t
#include <functional>   // std::function
#include <memory>       // std::unique_ptr
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <utility>      // std::move

/// A window handle (HWND); 0 is no window.
using HWnd = std::uintptr_t;
/// An input-method context handle (HIMC); 0 is none.
using ImeContext = std::uintptr_t;

/// A window's rectangle in screen coordinates.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

/// The z-order neighbour GetWindow is asked for (GW_HWNDNEXT, GW_HWNDPREV).
enum class ZOrderStep { Next, Prev };

/// Visits one window of an enumeration; returns false to end it early.
using WindowVisitor = std::function<bool(HWnd)>;

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  /// Returns the window the user works in, or 0 when there is none.
  virtual HWnd GetForegroundWindow() = 0;
  /// Returns the top-level window below (Next) or above (Prev) w in z-order, or 0.
  virtual HWnd GetWindow(HWnd w, ZOrderStep step) = 0;
  /// Visits the top-level windows, top of the z-order first, hidden ones included.
  virtual void EnumWindows(const WindowVisitor& visit) = 0;
  /// Visits every descendant of parent, at every level.
  virtual void EnumChildWindows(HWnd parent, const WindowVisitor& visit) = 0;
  /// Returns w's class name cut to bufferSize - 1 bytes; empty for an unknown window.
  virtual std::string GetClassNameA(HWnd w, int bufferSize) = 0;
  /// Returns w's title cut to bufferSize - 1 bytes; empty for an unknown window.
  virtual std::string GetWindowTextA(HWnd w, int bufferSize) = 0;
  /// Returns the thread that owns w and stores its process in *processId when given;
  /// 0 (and process 0) for an unknown window.
  virtual std::uint32_t GetWindowThreadProcessId(HWnd w, std::uint32_t* processId) = 0;
  /// Returns w's parent window, or 0 for a top-level or unknown window.
  virtual HWnd GetParent(HWnd w) = 0;
  /// Stores w's screen rectangle in rect; false (rect untouched) for an unknown window.
  virtual bool GetWindowRect(HWnd w, ScreenRect& rect) = 0;

  /// Sends WM_COPYDATA (wParam 0) with identifier and bytes, and waits for w to handle it.
  /// Returns false when w did not answer in time, so a hung receiver cannot block the
  /// program.
  virtual bool SendMessageCopyData(HWnd w, std::uintptr_t identifier, std::string_view bytes) = 0;
  /// Sends WM_SYSCOMMAND with command and lParam to w; the reply is not needed.
  virtual void SendMessageSysCommand(HWnd w, std::uintptr_t command, std::intptr_t lParam) = 0;
  /// Sends WM_GETTEXTLENGTH to w: at least the length of its text in bytes, as a buffer size
  /// for SendMessageGetText; 0 when w is unknown or did not answer.
  virtual int SendMessageGetTextLength(HWnd w) = 0;
  /// Sends WM_GETTEXT with a buffer of bufferSize bytes; returns the text, at most
  /// bufferSize - 1 bytes, or empty when w is unknown or did not answer.
  virtual std::string SendMessageGetText(HWnd w, int bufferSize) = 0;
  /// Sends WM_IME_CONTROL with command and lParam to an IME window; returns its reply.
  virtual std::intptr_t SendMessageImeControl(HWnd imeWindow, std::uintptr_t command,
                                              std::intptr_t lParam) = 0;
  /// Posts WM_NULL (wParam 0, lParam 0) to w without waiting.
  virtual void PostMessageNull(HWnd w) = 0;

  /// Asks the system to make w the foreground window; true when it did.
  virtual bool SetForegroundWindow(HWnd w) = 0;
  /// Brings w to the top of the z-order; true when it did.
  virtual bool BringWindowToTop(HWnd w) = 0;
  /// Attaches (or detaches) the input processing of thread attach to thread attachTo.
  virtual bool AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) = 0;

  /// Returns the default IME window of w's thread, or 0.
  virtual HWnd ImmGetDefaultIMEWnd(HWnd w) = 0;
  /// Returns w's input context, or 0; a context must be given back with ImmReleaseContext.
  virtual ImeContext ImmGetContext(HWnd w) = 0;
  /// Gives back a context obtained from ImmGetContext.
  virtual bool ImmReleaseContext(HWnd w, ImeContext context) = 0;
  /// Tells whether the IME of the context is open.
  virtual bool ImmGetOpenStatus(ImeContext context) = 0;
  /// Opens or closes the IME of the context; true when it did.
  virtual bool ImmSetOpenStatus(ImeContext context, bool open) = 0;

  /// Waits milliseconds before returning.
  virtual void Sleep(unsigned milliseconds) = 0;
  /// Returns the calling thread's identifier.
  virtual std::uint32_t GetCurrentThreadId() = 0;
  /// Lets the program handle its own pending window messages (repaints, clicks).
  virtual void ProcessMessages() = 0;
};

/// The base of the platform backends: ProcessMessages runs a function the program supplies
/// (its event loop's "process pending events"); an empty one does nothing.
class PlatformWindowSystem : public WindowSystem {
 public:
  explicit PlatformWindowSystem(std::function<void()> processMessages)
      : m_processMessages(std::move(processMessages)) {}
  void ProcessMessages() override {
    if (m_processMessages) m_processMessages();
  }

 private:
  std::function<void()> m_processMessages;
};

/// Returns the window system of the platform the program was built for: Win32 on Windows,
/// elsewhere a desktop without AutoCAD. processMessages is run by ProcessMessages (the
/// GUI passes its event loop's "process pending events"); it may be empty.
std::unique_ptr<WindowSystem> MakePlatformWindowSystem(std::function<void()> processMessages);
