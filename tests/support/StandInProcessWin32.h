// StandInProcessWin32.h - the stand-in AutoCAD program (StandInAutoCAD.exe) as a process
// of a Windows test, and its log of the chunks it received.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <filesystem>  // std::filesystem::path
#include <fstream>     // std::ifstream
#include <functional>  // std::function
#include <string>      // std::string
#include <vector>      // std::vector

#include "model/buffer/FilePath.h"
#include "tests/support/StandInWindowClasses.h"

inline constexpr DWORD kStartTimeoutMs = 15000;  // Wine starts a program in well under a second

/// Brings window to the front and waits until it stays there, running pump between the
/// polls; false when it never did. A program that has just started is activated late under
/// Wine (when its X focus event arrives) and can take the front back from a window raised
/// before that.
inline bool BringToFrontAndWait(HWND window, const std::function<void()>& pump) {
  constexpr DWORD kFrontPollMs = 50;
  constexpr int kFrontSteadyPolls = 6;  // in front for 300 ms: no activation is on its way
  int steady = 0;
  for (DWORD waited = 0; waited < kStartTimeoutMs; waited += kFrontPollMs) {
    if (GetForegroundWindow() != window) {
      SetForegroundWindow(window);
      steady = 0;
    } else if (++steady == kFrontSteadyPolls) {
      return true;
    }
    pump();
    Sleep(kFrontPollMs);
  }
  return false;
}

/// StandInAutoCAD.exe beside the running test program.
inline std::filesystem::path StandInProgram() {
  wchar_t own[MAX_PATH];
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  return std::filesystem::path(own).parent_path() / L"StandInAutoCAD.exe";
}

/// The chunks the stand-in logged (its option --log), one a line: control characters
/// escaped ("#0D"), each with "fg=1 " or "fg=0 " (its main window in front) and "ime=0 " or
/// "ime=1 " before it.
inline std::vector<std::string> ReadStandInLog(const std::string& logFile) {
  std::ifstream log(PathFromUtf8(logFile), std::ios::binary);
  std::vector<std::string> chunks;
  for (std::string line; std::getline(log, line);) chunks.push_back(line);
  return chunks;
}

/// The stand-in AutoCAD as a running process; it is ended with the test.
class StandInProcess {
 public:
  explicit StandInProcess(const std::vector<std::string>& options) {
    std::string commandLine = "\"" + Utf8FromPath(StandInProgram()) + "\"";
    for (const std::string& option : options) commandLine += " \"" + option + "\"";
    std::wstring wide = PathFromUtf8(commandLine).wstring();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    m_started = CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &m_process) != 0;
    if (!m_started) m_startError = GetLastError();
    if (m_started) WaitForInputIdle(m_process.hProcess, kStartTimeoutMs);
  }
  ~StandInProcess() {
    if (!m_started) return;
    TerminateProcess(m_process.hProcess, 0);
    WaitForSingleObject(m_process.hProcess, kStartTimeoutMs);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
  }
  StandInProcess(const StandInProcess&) = delete;
  StandInProcess& operator=(const StandInProcess&) = delete;

  DWORD Id() const { return m_process.dwProcessId; }
  /// The system's error code when the process could not be made, else 0.
  DWORD StartError() const { return m_startError; }

  /// Waits until the stand-in's main window exists; false when it never came.
  bool WaitForMainWindow() const {
    for (DWORD waited = 0; m_started && waited < kStartTimeoutMs; waited += 50) {
      if (MainWindow() != nullptr) return true;
      Sleep(50);
    }
    return false;
  }

 private:
  HWND MainWindow() const {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kStandInMainWindowClass, nullptr)) != nullptr) {
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      if (process == m_process.dwProcessId) return w;
    }
    return nullptr;
  }

  PROCESS_INFORMATION m_process = {};
  bool m_started = false;
  DWORD m_startError = 0;
};
