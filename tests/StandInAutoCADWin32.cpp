// StandInAutoCADWin32.cpp - a stand-in AutoCAD as a Win32 program of its own.
//
// It opens the windows the AutoCAD link looks for, with AutoCAD's classes and titles: a
// main window, and a text window whose history pane and command-line pane sit at
// different offsets in a frame. WM_COPYDATA with identifier 1 is typed into
// AutoCADCommandLine, whose history and command line the panes show, so WM_GETTEXT reads
// them. Every chunk is appended to a log file with whether the main window was in front
// and its IME open. Options:
//   --title TEXT       the main window's title (UTF-8), "AutoCAD 2006 - [C:\work\plan.dwg]"
//   --filedia N        FILEDIA at start, 1
//   --ime-open         the main window's IME open at start
//   --log FILE         where the chunks go, one line each: "fg=1 ime=0 <escaped text>"
//   --delay MS         handle each chunk only after MS milliseconds
//   --hang             stop answering at the first chunk, as a hung AutoCAD does
//   --dxf-error C L    show AutoCAD's message of a failed DXF read (group code C, line L)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// imm.h needs the types of windows.h first.
#include <imm.h>

#include <cstdlib>  // std::atoi
#include <fstream>  // std::ofstream
#include <string>   // std::string
#include <vector>   // std::vector

#include "model/buffer/FilePath.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "tests/support/AutoCADCommandLine.h"
#include "tests/support/StandInWindowClasses.h"

namespace {

struct Options {
  std::string title = "AutoCAD 2006 - [C:\\work\\plan.dwg]";
  int fileDia = 1;
  bool imeOpen = false;
  std::string logFile;
  unsigned delayMs = 0;
  bool hang = false;
  int errorCode = 0;
  int errorLine = 0;
};

// The pane layout, in client coordinates of the frame: the history pane at (2, 2), the
// command line below it at (2, 300); the link tells them apart by these offsets.
struct PaneLayout {
  int x, y, width, height;
};
constexpr PaneLayout kHistoryLayout = {2, 2, 574, 296};
constexpr PaneLayout kCommandLayout = {2, 300, 574, 64};

}  // namespace

static Options g_options;
static AutoCADCommandLine* g_commandLine = nullptr;
static HWND g_main = nullptr;
static HWND g_historyPane = nullptr;
static HWND g_commandPane = nullptr;

static Options ParseOptions(int argc, wchar_t** argv) {
  Options options;
  std::vector<std::string> args;
  for (int a = 1; a < argc; ++a) args.push_back(Utf8FromPath(argv[a]));
  for (std::size_t a = 0; a < args.size(); ++a) {
    const std::string& arg = args[a];
    const bool hasValue = a + 1 < args.size();
    if (arg == "--title" && hasValue) options.title = args[++a];
    if (arg == "--filedia" && hasValue) options.fileDia = std::atoi(args[++a].c_str());
    if (arg == "--ime-open") options.imeOpen = true;
    if (arg == "--log" && hasValue) options.logFile = args[++a];
    if (arg == "--delay" && hasValue) options.delayMs = std::atoi(args[++a].c_str());
    if (arg == "--hang") options.hang = true;
    if (arg == "--dxf-error" && a + 2 < args.size()) {
      options.errorCode = std::atoi(args[++a].c_str());
      options.errorLine = std::atoi(args[++a].c_str());
    }
  }
  return options;
}

static bool IsImeOpen(HWND w) {
  const HIMC context = ImmGetContext(w);
  const bool open = ImmGetOpenStatus(context);
  ImmReleaseContext(w, context);
  return open;
}

static void SetImeOpen(HWND w, bool open) {
  const HIMC context = ImmGetContext(w);
  ImmSetOpenStatus(context, open ? TRUE : FALSE);
  ImmReleaseContext(w, context);
}

static void LogChunk(const std::string& text) {
  if (g_options.logFile.empty()) return;
  std::ofstream log(PathFromUtf8(g_options.logFile), std::ios::binary | std::ios::app);
  log << "fg=" << (GetForegroundWindow() == g_main) << " ime=" << IsImeOpen(g_main) << ' '
      << EscapeControls(text) << '\n';
}

static void ShowPanes() {
  SetWindowTextA(g_historyPane, g_commandLine->HistoryText().c_str());
  SetWindowTextA(g_commandPane, g_commandLine->CommandLineText().c_str());
}

static void Receive(const COPYDATASTRUCT& data) {
  const std::string_view bytes(static_cast<const char*>(data.lpData), data.cbData);
  const std::optional<std::string> typed = TypedInput(data.dwData, bytes);
  if (!typed) return;
  LogChunk(*typed);
  // A hung AutoCAD never returns from the message, so the sender's wait runs out.
  if (g_options.hang) Sleep(INFINITE);
  if (g_options.delayMs > 0) Sleep(g_options.delayMs);
  g_commandLine->Handle(*typed);
}

static LRESULT CALLBACK MainWindowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    Receive(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(w, message, wParam, lParam);
}

static void RegisterWindowClass(const char* name, WNDPROC procedure) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = name;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&windowClass);
}

static HWND CreatePane(HWND frame, const PaneLayout& layout) {
  return CreateWindowExA(0, kStandInPaneClass, "", WS_CHILD | WS_VISIBLE, layout.x, layout.y,
                         layout.width, layout.height, frame, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// Opens the text window with its frame, panes and scroll bar, then the main window on top.
static void OpenWindows() {
  RegisterWindowClass(kStandInTextWindowClass, DefWindowProcA);
  RegisterWindowClass(kStandInFrameClass, DefWindowProcA);
  RegisterWindowClass(kStandInPaneClass, DefWindowProcA);
  RegisterWindowClass(kStandInMainWindowClass, MainWindowProc);
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const std::string textTitle = Sjis("AutoCAD テキスト ウィンドウ");
  const HWND text = CreateWindowExA(0, kStandInTextWindowClass, textTitle.c_str(),
                                    WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 400, nullptr,
                                    nullptr, instance, nullptr);
  const HWND frame = CreateWindowExA(0, kStandInFrameClass, "", WS_CHILD | WS_VISIBLE, 4, 4, 580,
                                     366, text, nullptr, instance, nullptr);
  // The command line comes first, so that the panes are told apart by place, not order.
  g_commandPane = CreatePane(frame, kCommandLayout);
  g_historyPane = CreatePane(frame, kHistoryLayout);
  CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 576, 2, 14, 296, frame,
                  nullptr, instance, nullptr);
  g_main = CreateWindowExA(0, kStandInMainWindowClass, Sjis(g_options.title).c_str(),
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 800, 600, nullptr, nullptr,
                           instance, nullptr);
}

int wmain(int argc, wchar_t** argv) {
  g_options = ParseOptions(argc, argv);
  AutoCADCommandLine commandLine(Sjis("コマンド: "), g_options.fileDia, ShowPanes);
  g_commandLine = &commandLine;
  OpenWindows();
  if (g_options.imeOpen) SetImeOpen(g_main, true);
  if (g_options.errorCode != 0)
    commandLine.ShowInvalidDxfMessage(g_options.errorCode, g_options.errorLine);
  ShowPanes();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
