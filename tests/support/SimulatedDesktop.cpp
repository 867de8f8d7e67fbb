// SimulatedDesktop.cpp - a desktop of windows held in memory, for testing the AutoCAD link.
//
// Handles are numbered from 0x1A0 in steps of 0x10 in the order windows are created, so a
// test that builds its desktop knows every handle.
#include "tests/support/SimulatedDesktop.h"

#include <algorithm>  // std::find, std::min_element
#include <utility>    // std::move

static constexpr std::uintptr_t kImcGetOpenStatus = 5;
static constexpr std::uintptr_t kImcSetOpenStatus = 6;
static constexpr HWnd kHandleStep = 0x10;

static std::string Cut(const std::string& text, int bufferSize) {
  if (bufferSize <= 0) return {};
  return text.substr(0, static_cast<std::size_t>(bufferSize - 1));
}

HWnd SimulatedDesktop::NewHandle() {
  const HWnd w = m_nextHandle;
  m_nextHandle += kHandleStep;
  return w;
}

HWnd SimulatedDesktop::AddTopLevel(const std::string& className, const std::string& title,
                                   std::uint32_t process, std::uint32_t thread) {
  const HWnd w = NewHandle();
  SimWindow& window = m_windows[w];
  window.className = className;
  window.text = title;
  window.process = process;
  window.thread = thread;
  m_zOrder.insert(m_zOrder.begin(), w);
  return w;
}

HWnd SimulatedDesktop::AddChild(HWnd parent, const std::string& className, ScreenRect rect) {
  const HWnd w = NewHandle();
  SimWindow& owner = Window(parent);
  SimWindow& child = m_windows[w];
  child.parent = parent;
  child.className = className;
  child.rect = rect;
  child.process = owner.process;
  child.thread = owner.thread;
  owner.children.push_back(w);
  return w;
}

SimWindow& SimulatedDesktop::Window(HWnd w) {
  return m_windows.at(w);
}

SimWindow* SimulatedDesktop::Find(HWnd w) {
  const auto found = m_windows.find(w);
  return found == m_windows.end() ? nullptr : &found->second;
}

SimWindow* SimulatedDesktop::Answering(HWnd w) {
  SimWindow* window = Find(w);
  return window && !window->hung ? window : nullptr;
}

void SimulatedDesktop::MoveToTop(HWnd w) {
  const auto at = std::find(m_zOrder.begin(), m_zOrder.end(), w);
  if (at == m_zOrder.end()) return;
  m_zOrder.erase(at);
  m_zOrder.insert(m_zOrder.begin(), w);
}

void SimulatedDesktop::SetForeground(HWnd w) {
  m_foreground = w;
  MoveToTop(w);
}

bool SimulatedDesktop::AreAttached(std::uint32_t a, std::uint32_t b) const {
  return m_attached.count({a, b}) > 0 || m_attached.count({b, a}) > 0;
}

void SimulatedDesktop::After(unsigned delayMs, std::function<void()> action) {
  m_scheduled.push_back({m_now + delayMs, m_scheduledCount++, std::move(action)});
}

// Runs the scheduled actions that are due, earliest first, including any they schedule.
void SimulatedDesktop::RunDueActions() {
  for (;;) {
    const auto next = std::min_element(m_scheduled.begin(), m_scheduled.end(),
                                       [](const Scheduled& a, const Scheduled& b) {
                                         return a.due != b.due ? a.due < b.due : a.order < b.order;
                                       });
    if (next == m_scheduled.end() || next->due > m_now) return;
    std::function<void()> action = std::move(next->action);
    m_scheduled.erase(next);
    action();
  }
}

// ---------------------------------------------------------------- window queries

HWnd SimulatedDesktop::GetWindow(HWnd w, ZOrderStep step) {
  const auto at = std::find(m_zOrder.begin(), m_zOrder.end(), w);
  if (at == m_zOrder.end()) return 0;
  if (step == ZOrderStep::Prev) return at == m_zOrder.begin() ? 0 : *(at - 1);
  return at + 1 == m_zOrder.end() ? 0 : *(at + 1);
}

void SimulatedDesktop::EnumWindows(const WindowVisitor& visit) {
  const std::vector<HWnd> windows = m_zOrder;
  for (const HWnd w : windows)
    if (!visit(w)) return;
}

void SimulatedDesktop::VisitDescendants(HWnd parent, const WindowVisitor& visit, bool& goOn) {
  const std::vector<HWnd> children = Window(parent).children;
  for (const HWnd child : children) {
    if (!goOn) return;
    goOn = visit(child);
    if (goOn) VisitDescendants(child, visit, goOn);
  }
}

void SimulatedDesktop::EnumChildWindows(HWnd parent, const WindowVisitor& visit) {
  if (!Find(parent)) return;
  bool goOn = true;
  VisitDescendants(parent, visit, goOn);
}

std::string SimulatedDesktop::GetClassNameA(HWnd w, int bufferSize) {
  const SimWindow* window = Find(w);
  return window ? Cut(window->className, bufferSize) : std::string();
}

std::string SimulatedDesktop::GetWindowTextA(HWnd w, int bufferSize) {
  const SimWindow* window = Find(w);
  return window ? Cut(window->text, bufferSize) : std::string();
}

std::uint32_t SimulatedDesktop::GetWindowThreadProcessId(HWnd w, std::uint32_t* processId) {
  const SimWindow* window = Find(w);
  if (processId) *processId = window ? window->process : 0;
  return window ? window->thread : 0;
}

HWnd SimulatedDesktop::GetParent(HWnd w) {
  const SimWindow* window = Find(w);
  return window ? window->parent : 0;
}

bool SimulatedDesktop::GetWindowRect(HWnd w, ScreenRect& rect) {
  const SimWindow* window = Find(w);
  if (!window) return false;
  rect = window->rect;
  return true;
}

// ---------------------------------------------------------------- messages

bool SimulatedDesktop::SendMessageCopyData(HWnd w, std::uintptr_t identifier,
                                           std::string_view bytes) {
  ++record.copyDataSends;
  SimWindow* window = Answering(w);
  if (!window) return false;
  if (window->onCopyData) window->onCopyData(identifier, bytes);
  return true;
}

void SimulatedDesktop::SendMessageSysCommand(HWnd w, std::uintptr_t command, std::intptr_t lParam) {
  record.sysCommands.push_back({w, {command, lParam}});
}

int SimulatedDesktop::SendMessageGetTextLength(HWnd w) {
  const SimWindow* window = Answering(w);
  return window ? static_cast<int>(window->text.size()) : 0;
}

std::string SimulatedDesktop::SendMessageGetText(HWnd w, int bufferSize) {
  const SimWindow* window = Answering(w);
  return window ? Cut(window->text, bufferSize) : std::string();
}

std::intptr_t SimulatedDesktop::SendMessageImeControl(HWnd imeWindow, std::uintptr_t command,
                                                      std::intptr_t lParam) {
  const SimWindow* ime = Answering(imeWindow);
  SimWindow* target = ime ? Find(ime->imeTarget) : nullptr;
  if (!target) return 0;
  if (command == kImcGetOpenStatus) return target->imeOpen ? 1 : 0;
  if (command != kImcSetOpenStatus) return 0;
  target->imeOpen = lParam != 0;
  ++record.imeSwitches;
  return 0;
}

void SimulatedDesktop::PostMessageNull(HWnd w) {
  if (Find(w)) ++record.postedNulls;
}

// ---------------------------------------------------------------- foreground

bool SimulatedDesktop::SetForegroundWindow(HWnd w) {
  if (!Find(w)) return false;
  SetForeground(w);
  return true;
}

bool SimulatedDesktop::BringWindowToTop(HWnd w) {
  if (!Find(w)) return false;
  // Only the foreground window's thread, or a thread sharing its input, may do this.
  const std::uint32_t foregroundThread = GetWindowThreadProcessId(m_foreground, nullptr);
  if (m_callerThread != foregroundThread && !AreAttached(m_callerThread, foregroundThread))
    return false;
  SetForeground(w);
  return true;
}

bool SimulatedDesktop::AttachThreadInput(std::uint32_t attach, std::uint32_t attachTo, bool on) {
  ++record.attachCalls;
  if (attach == attachTo) return false;
  if (on) return m_attached.insert({attach, attachTo}).second;
  return m_attached.erase({attach, attachTo}) > 0;
}

// ---------------------------------------------------------------- IME

HWnd SimulatedDesktop::ImmGetDefaultIMEWnd(HWnd w) {
  const SimWindow* window = Find(w);
  if (!window) return 0;
  const auto known = m_imeWindows.find(w);
  if (known != m_imeWindows.end()) return known->second;
  const HWnd ime = AddTopLevel("IME", "Default IME", window->process, window->thread);
  // Default IME windows are hidden and sit low in the z-order.
  m_zOrder.erase(m_zOrder.begin());
  m_zOrder.push_back(ime);
  Window(ime).imeTarget = w;
  m_imeWindows[w] = ime;
  return ime;
}

ImeContext SimulatedDesktop::ImmGetContext(HWnd w) {
  const SimWindow* window = Find(w);
  // The system hands out input contexts only to the thread that owns the window.
  if (!window || window->thread != m_callerThread) return 0;
  ++record.openContexts;
  return w;
}

bool SimulatedDesktop::ImmReleaseContext(HWnd, ImeContext context) {
  if (context == 0) return false;
  --record.openContexts;
  return true;
}

bool SimulatedDesktop::ImmGetOpenStatus(ImeContext context) {
  const SimWindow* window = Find(context);
  return window && window->imeOpen;
}

bool SimulatedDesktop::ImmSetOpenStatus(ImeContext context, bool open) {
  SimWindow* window = Find(context);
  if (!window) return false;
  window->imeOpen = open;
  ++record.imeSwitches;
  return true;
}

// ---------------------------------------------------------------- time and messages

void SimulatedDesktop::Sleep(unsigned milliseconds) {
  m_now += milliseconds;
  RunDueActions();
}

void SimulatedDesktop::ProcessMessages() {
  ++record.processMessages;
  if (onProcessMessages) onProcessMessages();
}
