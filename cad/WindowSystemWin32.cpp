// WindowSystemWin32.cpp - the window system on Windows: user32, imm32 and kernel32.
//
// Each operation is the Win32 call it is named after, with handles and texts converted at
// the boundary and nothing decided here. The additions: every message sent to another
// window goes through SendMessageTimeout, so an AutoCAD that has stopped answering makes
// the send fail after a few seconds instead of freezing the program for good; and the
// text length is asked in UTF-16 (see SendMessageGetTextLength).
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// imm.h needs the types of windows.h first.
#include <imm.h>

#include <utility>  // std::move
#include <vector>   // std::vector

#include "cad/WindowSystem.h"

// How long a send may wait for its receiver. AutoCAD handles a typed chunk in well under
// a second; SMTO_ABORTIFHUNG makes a receiver the system already considers hung fail at
// once.
static constexpr UINT kSendTimeoutMs = 5000;

static HWND ToNative(HWnd w) {
  return reinterpret_cast<HWND>(w);
}
static HWnd FromNative(HWND w) {
  return reinterpret_cast<HWnd>(w);
}
static HIMC ToNativeContext(ImeContext context) {
  return reinterpret_cast<HIMC>(context);
}

static BOOL CALLBACK VisitWindow(HWND w, LPARAM visitor) {
  return (*reinterpret_cast<const WindowVisitor*>(visitor))(FromNative(w)) ? TRUE : FALSE;
}

// Sends a message with the bounded wait, as ANSI unless told; returns false when the
// receiver did not answer.
static bool SendBounded(HWnd w, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& reply,
                        decltype(&SendMessageTimeoutA) send = SendMessageTimeoutA) {
  return send(ToNative(w), message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs,
              &reply) != 0;
}

// Reads a text through GetClassNameA or GetWindowTextA into a buffer of bufferSize bytes.
template <typename ReadCall>
static std::string ReadText(int bufferSize, ReadCall read, HWnd w) {
  if (bufferSize <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(bufferSize), '\0');
  const int length = read(ToNative(w), buffer.data(), bufferSize);
  return std::string(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

namespace {

class WindowSystemWin32 : public PlatformWindowSystem {
 public:
  using PlatformWindowSystem::PlatformWindowSystem;

  HWnd GetForegroundWindow() override { return FromNative(::GetForegroundWindow()); }
  HWnd GetWindow(HWnd w, ZOrderStep step) override {
    return FromNative(
        ::GetWindow(ToNative(w), step == ZOrderStep::Next ? GW_HWNDNEXT : GW_HWNDPREV));
  }
  void EnumWindows(const WindowVisitor& visit) override {
    ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
  }
  void EnumChildWindows(HWnd parent, const WindowVisitor& visit) override {
    ::EnumChildWindows(ToNative(parent), VisitWindow, reinterpret_cast<LPARAM>(&visit));
  }
  std::string GetClassNameA(HWnd w, int bufferSize) override {
    return ReadText(bufferSize, ::GetClassNameA, w);
  }
  std::string GetWindowTextA(HWnd w, int bufferSize) override {
    return ReadText(bufferSize, ::GetWindowTextA, w);
  }
  std::uint32_t GetWindowThreadProcessId(HWnd w, std::uint32_t* processId) override {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(ToNative(w), &process);
    if (processId) *processId = process;
    return thread;
  }
  HWnd GetParent(HWnd w) override { return FromNative(::GetParent(ToNative(w))); }
  bool GetWindowRect(HWnd w, ScreenRect& rect) override {
    RECT native;
    if (!::GetWindowRect(ToNative(w), &native)) return false;
    rect = {native.left, native.top, native.right, native.bottom};
    return true;
  }

  bool SendMessageCopyData(HWnd w, std::uintptr_t identifier, std::string_view bytes) override {
    COPYDATASTRUCT record;
    record.dwData = identifier;
    record.cbData = static_cast<DWORD>(bytes.size());
    record.lpData = const_cast<char*>(bytes.data());
    DWORD_PTR reply = 0;
    return SendBounded(w, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), reply);
  }
  void SendMessageSysCommand(HWnd w, std::uintptr_t command, std::intptr_t lParam) override {
    DWORD_PTR reply = 0;
    SendBounded(w, WM_SYSCOMMAND, command, lParam, reply);
  }
  // Asked in UTF-16 units: to answer the ANSI form for another thread's window, Wine sends
  // that window a WM_GETTEXT of its own without any time limit, even after the bounded send
  // failed, so a hung AutoCAD would hold the program for good. A UTF-16 unit becomes at most
  // two CP932 bytes, so twice the count holds the ANSI text (Windows' own ANSI answer may
  // also exceed the text's length: it is a buffer size, not a length).
  int SendMessageGetTextLength(HWnd w) override {
    DWORD_PTR units = 0;
    return SendBounded(w, WM_GETTEXTLENGTH, 0, 0, units, SendMessageTimeoutW)
               ? 2 * static_cast<int>(units)
               : 0;
  }
  std::string SendMessageGetText(HWnd w, int bufferSize) override {
    if (bufferSize <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize), '\0');
    DWORD_PTR copied = 0;
    if (!SendBounded(w, WM_GETTEXT, bufferSize, reinterpret_cast<LPARAM>(buffer.data()), copied))
      return {};
    return std::string(buffer.data(), static_cast<std::size_t>(copied));
  }
  std::intptr_t SendMessageImeControl(HWnd imeWindow, std::uintptr_t command,
                                      std::intptr_t lParam) override {
    DWORD_PTR reply = 0;
    SendBounded(imeWindow, WM_IME_CONTROL, command, lParam, reply);
    return static_cast<std::intptr_t>(reply);
  }
  void PostMessageNull(HWnd w) override { ::PostMessageA(ToNative(w), WM_NULL, 0, 0); }

  bool SetForegroundWindow(HWnd w) override { return ::SetForegroundWindow(ToNative(w)); }
  bool BringWindowToTop(HWnd w) override { return ::BringWindowToTop(ToNative(w)); }
  bool AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) override {
    return ::AttachThreadInput(attach, attachTo, on ? TRUE : FALSE);
  }

  HWnd ImmGetDefaultIMEWnd(HWnd w) override {
    return FromNative(::ImmGetDefaultIMEWnd(ToNative(w)));
  }
  ImeContext ImmGetContext(HWnd w) override {
    return reinterpret_cast<ImeContext>(::ImmGetContext(ToNative(w)));
  }
  bool ImmReleaseContext(HWnd w, ImeContext context) override {
    return ::ImmReleaseContext(ToNative(w), ToNativeContext(context));
  }
  bool ImmGetOpenStatus(ImeContext context) override {
    return ::ImmGetOpenStatus(ToNativeContext(context));
  }
  bool ImmSetOpenStatus(ImeContext context, bool open) override {
    return ::ImmSetOpenStatus(ToNativeContext(context), open ? TRUE : FALSE);
  }

  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
  std::uint32_t GetCurrentThreadId() override { return ::GetCurrentThreadId(); }
};

}  // namespace

std::unique_ptr<WindowSystem> MakePlatformWindowSystem(std::function<void()> processMessages) {
  return std::make_unique<WindowSystemWin32>(std::move(processMessages));
}

#endif  // _WIN32
