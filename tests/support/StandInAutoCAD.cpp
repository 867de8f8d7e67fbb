// StandInAutoCAD.cpp - an AutoCAD stand-in on the simulated desktop.
//
// The command line is a small state machine over the typed bytes: at a prompt, a carriage
// return ends the input, and so does a blank except where a file name is asked for; Ctrl+C
// cancels whatever runs. Prompts and messages follow Japanese AutoCAD's wording.
#include "tests/support/StandInAutoCAD.h"

#include <fstream>  // std::ofstream
#include <utility>  // std::move

#include "model/MyStringLib.h"
#include "model/Sjis.h"

static constexpr std::uintptr_t kTypedInput = 1;

// The pane layout inside the text window: both panes sit in a frame; the history pane at
// offset (2, 2), the command line below it at (2, 300).
static constexpr ScreenRect kTextWindowRect = {100, 100, 700, 500};
static constexpr ScreenRect kFrameRect = {104, 130, 696, 496};
static constexpr ScreenRect kHistoryRect = {106, 132, 680, 428};
static constexpr ScreenRect kCommandRect = {106, 430, 680, 494};
static constexpr ScreenRect kScrollBarRect = {680, 132, 694, 428};

// A drawing with one line, as AutoCAD 2004 writes it; its EOF pair is pair 16.
static constexpr char kSmallDrawing[] =
    "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1018\r\n  0\r\nENDSEC\r\n"
    "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n  8\r\n0\r\n"
    " 10\r\n0.0\r\n 20\r\n0.0\r\n 30\r\n0.0\r\n 11\r\n100.0\r\n 21\r\n50.0\r\n 31\r\n0.0\r\n"
    "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

StandInAutoCAD::StandInAutoCAD(SimulatedDesktop& desktop, StandInSetup setup)
    : m_desktop(desktop), m_setup(std::move(setup)), m_fileDia(m_setup.fileDia) {
  if (m_setup.textWindowTitle.empty())
    m_setup.textWindowTitle = Sjis("AutoCAD テキスト ウィンドウ");
  if (m_setup.prompt.empty()) m_setup.prompt = Sjis("コマンド: ");
  OpenWindows();
  m_history.push_back(Sjis("AutoCAD メニュー ユーティリティ ロード済み。"));
  Ask(m_setup.prompt, State::Idle);
}

void StandInAutoCAD::OpenWindows() {
  const std::uint32_t process = m_setup.process;
  const std::uint32_t thread = m_setup.thread;
  m_text =
      m_desktop.AddTopLevel("Afx:400000:0:10011:0:0", m_setup.textWindowTitle, process, thread);
  m_desktop.Window(m_text).rect = kTextWindowRect;
  const HWnd frame = m_desktop.AddChild(m_text, "Afx:400000:0:10011:10:0", kFrameRect);
  // The command line comes first, so that the panes are told apart by place, not order.
  m_commandPane = m_desktop.AddChild(frame, m_setup.paneClass, kCommandRect);
  m_historyPane = m_desktop.AddChild(frame, m_setup.paneClass, kHistoryRect);
  m_desktop.AddChild(frame, "ScrollBar", kScrollBarRect);
  m_main = m_desktop.AddTopLevel("Afx:400000:b:10011:6:2a0c1d", m_setup.title, process, thread);
  m_desktop.Window(m_main).imeOpen = m_setup.imeOpen;
  m_desktop.Window(m_main).onCopyData = [this](std::uintptr_t identifier, std::string_view bytes) {
    Receive(identifier, bytes);
  };
}

std::vector<std::string> StandInAutoCAD::ReceivedTexts() const {
  std::vector<std::string> texts;
  for (const Input& input : m_received) texts.push_back(input.text);
  return texts;
}

void StandInAutoCAD::SetHung(bool hung) {
  m_desktop.Window(m_main).hung = hung;
  m_desktop.Window(m_historyPane).hung = hung;
  m_desktop.Window(m_commandPane).hung = hung;
}

void StandInAutoCAD::SetTitle(const std::string& title) {
  m_desktop.Window(m_main).text = title;
}

void StandInAutoCAD::ShowInvalidDxfMessage(int groupCode, int line) {
  Log(Sjis("DXFIN のエラー: オブジェクトの未定義のグループ コード ") + std::to_string(groupCode) +
      Sjis("、行 ") + std::to_string(line) + Sjis("。"));
  Log(Sjis("無効 または 不完全な DXF の入力です -- 図面を破棄しました。"));
  Ask(m_setup.prompt, State::Idle);
}

// ---------------------------------------------------------------- input

void StandInAutoCAD::Receive(std::uintptr_t identifier, std::string_view bytes) {
  // Typed input is copy-data 1 holding a zero-terminated string.
  if (identifier != kTypedInput || bytes.empty() || bytes.back() != '\0') {
    ++m_rejected;
    return;
  }
  const std::string text(bytes.substr(0, bytes.size() - 1));
  m_received.push_back(
      {text, m_desktop.GetForegroundWindow() == m_main, m_desktop.Window(m_main).imeOpen});
  if (m_delayMs == 0) {
    Handle(text);
    return;
  }
  m_desktop.After(m_delayMs, [this, text] { Handle(text); });
}

void StandInAutoCAD::Handle(const std::string& text) {
  for (const char c : text) {
    if (c == '\x03')
      Cancel();
    else if (c == '\r' || (c == ' ' && !TakesBlanksLiterally()))
      Enter();
    else
      Type(c);
  }
  ShowPanes();
}

bool StandInAutoCAD::TakesBlanksLiterally() const {
  return m_state == State::DxfoutFile || m_state == State::WblockFile;
}

void StandInAutoCAD::Type(char c) {
  // While the file dialog is open, keystrokes go to the dialog, not to the command line.
  if (m_state != State::FileDialog) m_input += c;
}

void StandInAutoCAD::Cancel() {
  Log(m_prompt + m_input + Sjis("*キャンセル*"));
  m_input.clear();
  Ask(m_setup.prompt, State::Idle);
}

void StandInAutoCAD::Enter() {
  if (m_state == State::FileDialog) return;
  const std::string input = m_input;
  Log(m_prompt + m_input);
  m_input.clear();
  switch (m_state) {
    case State::Idle:
      return RunCommand(UpperAscii(input));
    case State::FileDiaValue: {
      int value = 0;
      if (ParseInt32(input, value) && (value == 0 || value == 1)) m_fileDia = value;
      return Ask(m_setup.prompt, State::Idle);
    }
    case State::DxfoutFile:
      return ExportTo(input, State::DxfoutPrecision);
    case State::WblockFile:
      return ExportTo(input, State::WblockPrecision);
    case State::WblockPrecision:
      return Ask(
          Sjis(
              "ブロック名を入力 [= (ブロック=出力ファイル名)/* (図面全体)] <オブジェクトを定義>: "),
          State::WblockBlocks);
    case State::DxfoutPrecision:
      WriteDrawing(m_exportPath);
      return Ask(m_setup.prompt, State::Idle);
    case State::WblockBlocks:
      if (input == "*")
        WriteDrawing(m_exportPath);
      else
        Log(Sjis("ブロック \"") + input + Sjis("\" が見つかりません。"));
      return Ask(m_setup.prompt, State::Idle);
    case State::FileDialog:
      return;
  }
}

void StandInAutoCAD::RunCommand(const std::string& command) {
  if (command.empty()) return Ask(m_setup.prompt, State::Idle);
  if (command == "FILEDIA")
    return Ask(Format(Sjis("FILEDIA の新しい値を入力 <%d>: ").c_str(), m_fileDia),
               State::FileDiaValue);
  if (command == "DXFOUT" && m_fileDia == 1) return Ask("", State::FileDialog);
  if (command == "DXFOUT") return Ask(Sjis("ファイル名を入力 <plan.dxf>: "), State::DxfoutFile);
  if (command == "-WBLOCK") return Ask(Sjis("ファイル名を入力: "), State::WblockFile);
  Log(Sjis("不明なコマンド \"") + command +
      Sjis("\"。 ヘルプを表示するには F1 キーを押してください。"));
  Ask(m_setup.prompt, State::Idle);
}

void StandInAutoCAD::ExportTo(const std::string& path, State next) {
  m_exportPath = path;
  Ask(Sjis("精度の小数点以下の桁数を入力 (0 - 16) または [オブジェクト(O)/バイナリ(B)] <16>: "),
      next);
}

void StandInAutoCAD::WriteDrawing(const std::string& path) {
  const std::string nativePath = Utf8(path);
  std::ofstream file(nativePath, std::ios::binary);
  file << kSmallDrawing;
  if (!file) return Log(Sjis("ファイルに書き込めません: ") + path);
  m_written.push_back(nativePath);
}

// ---------------------------------------------------------------- panes

void StandInAutoCAD::Ask(const std::string& prompt, State state) {
  m_prompt = prompt;
  m_state = state;
  ShowPanes();
}

void StandInAutoCAD::Log(const std::string& line) {
  m_history.push_back(line);
  ShowPanes();
}

void StandInAutoCAD::ShowPanes() {
  std::string history;
  for (const std::string& line : m_history) history += line + "\r\n";
  m_desktop.Window(m_historyPane).text = history;
  m_desktop.Window(m_commandPane).text = m_prompt + m_input;
}
