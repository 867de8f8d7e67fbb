// WindowSystemNone.cpp - the window system of a desktop that has no AutoCAD.
//
// AutoCAD runs only on Windows, so elsewhere the link sees a desktop without windows:
// every search finds nothing, every read is empty and every send goes nowhere. Connect
// then fails and the main window keeps its AutoCAD buttons disabled. Sleep and the
// processing of pending messages still work, so nothing waits or freezes unexpectedly.
#ifndef _WIN32

#include <chrono>   // std::chrono::milliseconds
#include <thread>   // std::this_thread::sleep_for
#include <utility>  // std::move

#include "cad/WindowSystem.h"

namespace {

class WindowSystemNone : public PlatformWindowSystem {
 public:
  using PlatformWindowSystem::PlatformWindowSystem;

  HWnd GetForegroundWindow() override { return 0; }
  HWnd GetWindow(HWnd, ZOrderStep) override { return 0; }
  void EnumWindows(const WindowVisitor&) override {}
  void EnumChildWindows(HWnd, const WindowVisitor&) override {}
  std::string GetClassNameA(HWnd, int) override { return {}; }
  std::string GetWindowTextA(HWnd, int) override { return {}; }
  std::uint32_t GetWindowThreadProcessId(HWnd, std::uint32_t* processId) override {
    if (processId) *processId = 0;
    return 0;
  }
  HWnd GetParent(HWnd) override { return 0; }
  bool GetWindowRect(HWnd, ScreenRect&) override { return false; }

  bool SendMessageCopyData(HWnd, std::uintptr_t, std::string_view) override { return false; }
  void SendMessageSysCommand(HWnd, std::uintptr_t, std::intptr_t) override {}
  int SendMessageGetTextLength(HWnd) override { return 0; }
  std::string SendMessageGetText(HWnd, int) override { return {}; }
  std::intptr_t SendMessageImeControl(HWnd, std::uintptr_t, std::intptr_t) override { return 0; }
  void PostMessageNull(HWnd) override {}

  bool SetForegroundWindow(HWnd) override { return false; }
  bool BringWindowToTop(HWnd) override { return false; }
  bool AttachThreadInput(std::uint32_t, std::uint32_t, bool) override { return false; }

  HWnd ImmGetDefaultIMEWnd(HWnd) override { return 0; }
  ImeContext ImmGetContext(HWnd) override { return 0; }
  bool ImmReleaseContext(HWnd, ImeContext) override { return false; }
  bool ImmGetOpenStatus(ImeContext) override { return false; }
  bool ImmSetOpenStatus(ImeContext, bool) override { return false; }

  void Sleep(unsigned milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  // The link only compares thread identifiers; one fixed value serves the one GUI thread.
  std::uint32_t GetCurrentThreadId() override { return 1; }
};

}  // namespace

std::unique_ptr<WindowSystem> MakePlatformWindowSystem(std::function<void()> processMessages) {
  return std::make_unique<WindowSystemNone>(std::move(processMessages));
}

#endif  // !_WIN32
