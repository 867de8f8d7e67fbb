// MyCADLib.cpp - the AutoCAD link: AutoCAD's windows found, read and typed into.
//
// AutoCAD is recognised by its windows alone: top-level windows whose class begins with
// "Afx" and whose title begins with "AutoCAD"; the text window's title names it as such,
// and its two panes are told apart by their position inside their parent. Typing goes in
// small chunks, each followed by a short poll until AutoCAD's panes change, because
// AutoCAD reads a chunk only once it has finished with the one before.
#include "cad/MyCADLib.h"

#include <array>        // std::array
#include <string_view>  // std::string_view
#include <utility>      // std::move
#include <vector>       // std::vector

#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

// Poll steps and counts of the waits for AutoCAD: about 50 ms per chunk, 100 ms for the
// idle prompt and 1 s for the FILEDIA prompt at most; AutoCAD answers within a step or two.
static constexpr unsigned kPollStepMs = 10;
static constexpr int kChunkPolls = 4;
static constexpr int kPromptPolls = 10;
static constexpr unsigned kFileDiaPollStepMs = 50;
static constexpr int kFileDiaPolls = 20;

// Buffer sizes of the text reads: 256 bytes during the window walk, 1023 for pane class
// names and the title the drawing name is read from.
static constexpr int kWalkBufferSize = 256;
static constexpr int kLongBufferSize = 1023;

static constexpr std::uintptr_t kCopyDataCommandInput = 1;  // copy-data read as typed input
static constexpr std::uintptr_t kScHotkey = 0xF150;         // SC_HOTKEY: activate the window
static constexpr std::uintptr_t kImcGetOpenStatus = 5;      // IMC_GETOPENSTATUS
static constexpr std::uintptr_t kImcSetOpenStatus = 6;      // IMC_SETOPENSTATUS

static constexpr std::string_view kAfxClassPrefix = "Afx";
static constexpr std::string_view kAutoCADTitlePrefix = "AutoCAD";
static constexpr std::array<std::string_view, 2> kPaneClassPrefixes = {"Afx:400000:8:",
                                                                       "Afx:00400000:8:"};

namespace {

// AutoCAD's own Japanese texts as CP932 bytes, converted once on first use.
struct AutoCADTexts {
  std::array<std::string, 4> textWindowTitles = {
      Sjis("AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ"), Sjis("AutoCAD LT テキスト ウィンドウ"),
      Sjis("AutoCAD ﾃｷｽﾄ ｳｨﾝﾄﾞｳ"), Sjis("AutoCAD テキスト ウィンドウ")};
  std::array<std::string, 2> idlePrompts = {Sjis("コマンド: "), Sjis("ｺﾏﾝﾄﾞ: ")};
};

struct ProductName {
  std::string_view name;
  std::uint8_t kind;
};

}  // namespace

static const AutoCADTexts& Texts() {
  static const AutoCADTexts texts;
  return texts;
}

static constexpr std::array<ProductName, 10> kProductNames = {{
    {"AutoCAD LT", 2},
    {"AutoCAD R13J", 1},
    {"AutoCAD R14J", 1},
    {"AutoCAD 2000", 1},
    {"AutoCAD 2000i", 1},
    {"AutoCAD 2002", 1},
    {"AutoCAD 2004", 1},
    {"AutoCAD 2005", 1},
    {"AutoCAD 2006", 1},
    {"AutoCAD Mechanical", 5},
}};

static bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

static bool IsTextWindowTitle(const std::string& title) {
  for (const std::string& textTitle : Texts().textWindowTitles)
    if (title.find(textTitle) != std::string::npos) return true;
  return false;
}

static bool IsIdlePrompt(const std::string& commandLine) {
  for (const std::string& prompt : Texts().idlePrompts)
    if (commandLine == prompt) return true;
  return false;
}

static bool IsPaneClass(std::string_view className) {
  for (std::string_view prefix : kPaneClassPrefixes)
    if (StartsWith(className, prefix)) return true;
  return false;
}

// The product part of a main window title: the text before its first "-", trimmed.
static std::string ProductNameOf(const std::string& title) {
  return Trim(std::string_view(title).substr(0, title.find('-')));
}

static std::uint8_t ProductKindOf(std::string_view productName) {
  for (const ProductName& product : kProductNames)
    if (product.name == productName) return product.kind;
  return 0;
}

// Splits a command text after each carriage return, blank and Ctrl+C; the rest of the
// text after the last of them is the final chunk.
static std::vector<std::string> SplitIntoChunks(const std::string& text) {
  std::vector<std::string> chunks;
  std::string chunk;
  for (const char c : text) {
    chunk += c;
    if (c != '\r' && c != ' ' && c != '\x03') continue;
    chunks.push_back(std::move(chunk));
    chunk.clear();
  }
  if (!chunk.empty()) chunks.push_back(std::move(chunk));
  return chunks;
}

static std::uint32_t ThreadOf(WindowSystem& windows, HWnd w) {
  return windows.GetWindowThreadProcessId(w, nullptr);
}

// ---------------------------------------------------------------- window search

HWnd TopWindow(WindowSystem& windows) {
  HWnd w = windows.GetForegroundWindow();
  if (w == 0) {
    windows.EnumWindows([&w](HWnd first) {
      w = first;
      return false;
    });
  }
  if (w == 0) return 0;
  for (HWnd above = windows.GetWindow(w, ZOrderStep::Prev); above != 0;
       above = windows.GetWindow(w, ZOrderStep::Prev))
    w = above;
  return w;
}

bool TAutoCADWindow::Connect() {
  ProcessId = 0;
  MainWindow = TextWindow = CommandPane = HistoryPane = 0;
  Title.clear();
  DrawingName.clear();
  Trace.clear();
  ProductKind = 0;
  const HWnd start = TopWindow(m_windows);
  MainWindow = FindMainWindow(start);
  Trace += "\r\n";
  if (MainWindow != 0) TextWindow = FindTextWindow(start);
  Trace += "\r\n";
  if (MainWindow == 0 || TextWindow == 0) return false;
  FindPanes();
  DrawingName = ReadDrawingName();
  return true;
}

// Walks down the z-order from start over the windows whose class begins with "Afx",
// tracing each as "<tag>:" line, and returns the first whose title begins with "AutoCAD"
// and passes isWanted(window, title); 0 when none does.
template <typename IsWanted>
HWnd TAutoCADWindow::WalkAfxWindows(HWnd start, char tag, IsWanted isWanted) {
  for (HWnd w = start; w != 0; w = m_windows.GetWindow(w, ZOrderStep::Next)) {
    const std::string className = m_windows.GetClassNameA(w, kWalkBufferSize);
    if (!StartsWith(className, kAfxClassPrefix)) continue;
    const std::string title = m_windows.GetWindowTextA(w, kWalkBufferSize);
    Trace += Format("%c:nxh= %6x ,cls= %s ,txt= %s\r\n", tag, static_cast<unsigned>(w),
                    className.c_str(), title.c_str());
    if (StartsWith(title, kAutoCADTitlePrefix) && isWanted(w, title)) return w;
  }
  return 0;
}

HWnd TAutoCADWindow::FindMainWindow(HWnd start) {
  return WalkAfxWindows(start, 'M', [this](HWnd w, const std::string& title) {
    if (IsTextWindowTitle(title)) return false;
    TakeMainWindow(w, title);
    return true;
  });
}

// Records what the main window w tells: its process, its title and the product.
void TAutoCADWindow::TakeMainWindow(HWnd w, const std::string& title) {
  m_windows.GetWindowThreadProcessId(w, &ProcessId);
  Title = title;
  const std::string productName = ProductNameOf(title);
  Trace += Format("==>Main Get:pid= %x ,ttl= %s\r\n", ProcessId, productName.c_str());
  ProductKind = ProductKindOf(productName);
}

HWnd TAutoCADWindow::FindTextWindow(HWnd start) {
  return WalkAfxWindows(start, 'T', [this](HWnd w, const std::string& title) {
    if (!IsTextWindowTitle(title)) return false;
    std::uint32_t process = 0;
    m_windows.GetWindowThreadProcessId(w, &process);
    if (process != ProcessId) return false;
    Trace += Format("==>Text Get:pid= %x\r\n", ProcessId);
    return true;
  });
}

void TAutoCADWindow::FindPanes() {
  if (TextWindow == 0) return;
  HistoryPane = CommandPane = 0;
  m_windows.EnumChildWindows(TextWindow, [this](HWnd pane) {
    if (!IsPaneClass(m_windows.GetClassNameA(pane, kLongBufferSize))) return true;
    ScreenRect own;
    ScreenRect parent;
    m_windows.GetWindowRect(pane, own);
    m_windows.GetWindowRect(m_windows.GetParent(pane), parent);
    // The history pane sits at the same left and top offset inside its parent; the
    // command line lies below it.
    if (own.left - parent.left == own.top - parent.top)
      HistoryPane = pane;
    else
      CommandPane = pane;
    return true;
  });
}

std::string TAutoCADWindow::ReadDrawingName() {
  if (MainWindow == 0) return {};
  const std::string title = m_windows.GetWindowTextA(MainWindow, kLongBufferSize);
  const int open = CharPos("[", title);
  const int length = CharPos("]", title) - open - 1;
  if (open <= 0 || length < 0) return {};
  return title.substr(static_cast<std::size_t>(open), static_cast<std::size_t>(length));
}

// ---------------------------------------------------------------- pane texts

std::string TAutoCADWindow::ReadPaneText(HWnd pane) {
  const int length = m_windows.SendMessageGetTextLength(pane);
  if (length <= 0) return {};
  return m_windows.SendMessageGetText(pane, length + 1);
}

std::string TAutoCADWindow::ReadHistory() {
  std::string text = ReadPaneText(HistoryPane);
  PrevHistory = std::move(History);
  History = text;
  HistoryChanged = PrevHistory != History;
  return text;
}

std::string TAutoCADWindow::ReadCommandLine() {
  return ReadPaneText(CommandPane);
}

// ---------------------------------------------------------------- typing

bool TAutoCADWindow::SendString(const std::string& chunk) {
  std::string bytes = chunk;
  bytes += '\0';  // AutoCAD reads the data as a zero-terminated string
  const bool answered = m_windows.SendMessageCopyData(MainWindow, kCopyDataCommandInput, bytes);
  m_windows.PostMessageNull(MainWindow);
  return answered;
}

bool TAutoCADWindow::SendCommand(const std::string& text, bool wait) {
  if (text.empty()) return true;
  std::string commandLine;
  for (const std::string& chunk : SplitIntoChunks(text))
    if (!SendChunk(chunk, commandLine)) return false;
  if (wait) WaitForPrompt(commandLine);
  return true;
}

// Sends one chunk and polls until a pane changes; commandLine receives the last read.
bool TAutoCADWindow::SendChunk(const std::string& chunk, std::string& commandLine) {
  const std::string historyBefore = ReadHistory();
  const std::string commandLineBefore = ReadCommandLine();
  ActivateAutoCAD();
  if (!SendString(chunk)) return false;
  m_windows.Sleep(kPollStepMs);
  for (int poll = 0; poll < kChunkPolls; ++poll) {
    m_windows.ProcessMessages();
    const std::string history = ReadHistory();
    commandLine = ReadCommandLine();
    if (history != historyBefore || commandLine != commandLineBefore) break;
    m_windows.Sleep(kPollStepMs);
  }
  return true;
}

void TAutoCADWindow::WaitForPrompt(std::string commandLine) {
  for (int poll = 0; poll < kPromptPolls; ++poll) {
    m_windows.ProcessMessages();
    if (IsIdlePrompt(commandLine)) return;
    m_windows.Sleep(kPollStepMs);
    ReadHistory();
    commandLine = ReadCommandLine();
  }
}

bool TAutoCADWindow::CancelCommand() {
  ActivateAutoCAD();
  if (!SendCommand("\x03", /*wait=*/true)) return false;
  if (IsIdlePrompt(ReadCommandLine())) return true;
  return SendCommand("\x03\x03", /*wait=*/true);
}

bool TAutoCADWindow::SetFileDia(int value) {
  if (!CancelCommand()) return false;
  m_windows.ProcessMessages();
  if (!SendCommand("FILEDIA\r", /*wait=*/false)) return false;
  ReadOldFileDia();
  return SendCommand(Format("%d\r", value), /*wait=*/true);
}

// Reads the current value from AutoCAD's FILEDIA prompt, the first number it shows.
void TAutoCADWindow::ReadOldFileDia() {
  for (int poll = 0; poll < kFileDiaPolls; ++poll) {
    const std::string line = ReadCommandLine();
    if (CharPos("FILEDIA", line) > 0) {
      OldFileDia = FloorOfNumber(line);
      return;
    }
    m_windows.Sleep(kFileDiaPollStepMs);
  }
}

// ---------------------------------------------------------------- foreground and IME

void TAutoCADWindow::ActivateAutoCAD() {
  const HWnd foreground = m_windows.GetForegroundWindow();
  if (foreground != MainWindow) PrevForeground = foreground;
  m_windows.SendMessageSysCommand(MainWindow, kScHotkey, static_cast<std::intptr_t>(MainWindow));
  m_windows.SetForegroundWindow(MainWindow);
}

// Tells whether the program may take the front back: AutoCAD is in front, or no window
// is, as while AutoCAD's activation is still on its way to AutoCAD's thread (Wine shows
// none until that thread has handled it). A window the user went to keeps the front.
bool TAutoCADWindow::AutoCADHasTheFront() {
  const HWnd foreground = m_windows.GetForegroundWindow();
  return foreground == MainWindow || foreground == 0;
}

void TAutoCADWindow::RestoreForeground() {
  if (!AutoCADHasTheFront()) return;
  const HWnd previous = PrevForeground;
  PrevForeground = MainWindow;
  BringToTop(m_windows, previous);
}

void TAutoCADWindow::ReleaseForeground() {
  if (!AutoCADHasTheFront()) return;
  const HWnd previous = PrevForeground;
  PrevForeground = MainWindow;
  m_windows.SetForegroundWindow(previous);
}

bool BringToTop(WindowSystem& windows, HWnd w) {
  const std::uint32_t owner = ThreadOf(windows, w);
  const std::uint32_t foregroundOwner = ThreadOf(windows, windows.GetForegroundWindow());
  if (owner == foregroundOwner) return windows.BringWindowToTop(w);
  // The system lets only the foreground window's thread rearrange the top; sharing its
  // input queue for the call gives this thread the same right.
  windows.AttachThreadInput(owner, foregroundOwner, true);
  const bool brought = windows.BringWindowToTop(w);
  windows.AttachThreadInput(owner, foregroundOwner, false);
  // Detaching can leave no window in front at all (Wine hands the shared input back
  // without its active window); w is then made the foreground window outright.
  if (brought && windows.GetForegroundWindow() == 0) windows.SetForegroundWindow(w);
  return brought;
}

static bool IsOwnWindow(WindowSystem& windows, HWnd w) {
  return ThreadOf(windows, w) == windows.GetCurrentThreadId();
}

bool GetImeOpen(WindowSystem& windows, HWnd w) {
  if (IsOwnWindow(windows, w)) {
    const ImeContext context = windows.ImmGetContext(w);
    const bool open = windows.ImmGetOpenStatus(context);
    windows.ImmReleaseContext(w, context);
    return open;
  }
  // Another thread's input context cannot be used here; its default IME window answers.
  const HWnd imeWindow = windows.ImmGetDefaultIMEWnd(w);
  return windows.SendMessageImeControl(imeWindow, kImcGetOpenStatus, 0) != 0;
}

void SetImeOpen(WindowSystem& windows, HWnd w, bool open) {
  if (IsOwnWindow(windows, w)) {
    const ImeContext context = windows.ImmGetContext(w);
    windows.ImmSetOpenStatus(context, open);
    windows.ImmReleaseContext(w, context);
    return;
  }
  const HWnd imeWindow = windows.ImmGetDefaultIMEWnd(w);
  windows.SendMessageImeControl(imeWindow, kImcSetOpenStatus, open ? 1 : 0);
}

bool TAutoCADWindow::SaveImeState() {
  ImeWasOpen = GetImeOpen(m_windows, MainWindow);
  return ImeWasOpen;
}

void TAutoCADWindow::OpenIme() {
  SetImeOpen(m_windows, MainWindow, true);
}

void TAutoCADWindow::CloseIme() {
  SetImeOpen(m_windows, MainWindow, false);
}
