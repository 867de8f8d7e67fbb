// AutoCADCommandLine.cpp - the command line of the stand-in AutoCAD, without its windows.
#include "tests/support/AutoCADCommandLine.h"

#include <fstream>  // std::ofstream
#include <utility>  // std::move

#include "model/buffer/FilePath.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

static constexpr std::uintptr_t kTypedInput = 1;

std::optional<std::string> TypedInput(std::uintptr_t identifier, std::string_view bytes) {
  if (identifier != kTypedInput || bytes.empty() || bytes.back() != '\0') return std::nullopt;
  return std::string(bytes.substr(0, bytes.size() - 1));
}

// A drawing with one line, as AutoCAD 2004 writes it; its EOF pair is pair 16.
static constexpr char kSmallDrawing[] =
    "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1018\r\n  0\r\nENDSEC\r\n"
    "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n  8\r\n0\r\n"
    " 10\r\n0.0\r\n 20\r\n0.0\r\n 30\r\n0.0\r\n 11\r\n100.0\r\n 21\r\n50.0\r\n 31\r\n0.0\r\n"
    "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

AutoCADCommandLine::AutoCADCommandLine(std::string idlePrompt, int fileDia,
                                       std::function<void()> onChange)
    : m_idlePrompt(std::move(idlePrompt)), m_onChange(std::move(onChange)), m_fileDia(fileDia) {
  m_history.push_back(Sjis("AutoCAD メニュー ユーティリティ ロード済み。"));
  m_prompt = m_idlePrompt;
}

void AutoCADCommandLine::ShowInvalidDxfMessage(int groupCode, int line) {
  Log(Sjis("DXFIN のエラー: オブジェクトの未定義のグループ コード ") + std::to_string(groupCode) +
      Sjis("、行 ") + std::to_string(line) + Sjis("。"));
  Log(Sjis("無効 または 不完全な DXF の入力です -- 図面を破棄しました。"));
  Ask(m_idlePrompt, State::Idle);
}

std::string AutoCADCommandLine::HistoryText() const {
  std::string history;
  for (const std::string& line : m_history) history += line + "\r\n";
  return history;
}

void AutoCADCommandLine::Handle(const std::string& typed) {
  for (const char c : typed) {
    if (c == '\x03')
      Cancel();
    else if (c == '\r' || (c == ' ' && !TakesBlanksLiterally()))
      Enter();
    else
      Type(c);
  }
  m_onChange();
}

bool AutoCADCommandLine::TakesBlanksLiterally() const {
  return m_state == State::DxfoutFile || m_state == State::WblockFile;
}

void AutoCADCommandLine::Type(char c) {
  // While the file dialog is open, keystrokes go to the dialog, not to the command line.
  if (m_state != State::FileDialog) m_input += c;
}

void AutoCADCommandLine::Cancel() {
  Log(m_prompt + m_input + Sjis("*キャンセル*"));
  m_input.clear();
  Ask(m_idlePrompt, State::Idle);
}

void AutoCADCommandLine::Enter() {
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
      return Ask(m_idlePrompt, State::Idle);
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
      return Ask(m_idlePrompt, State::Idle);
    case State::WblockBlocks:
      if (input == "*")
        WriteDrawing(m_exportPath);
      else
        Log(Sjis("ブロック \"") + input + Sjis("\" が見つかりません。"));
      return Ask(m_idlePrompt, State::Idle);
    case State::FileDialog:
      return;
  }
}

void AutoCADCommandLine::RunCommand(const std::string& command) {
  if (command.empty()) return Ask(m_idlePrompt, State::Idle);
  if (command == "FILEDIA")
    return Ask(Format(Sjis("FILEDIA の新しい値を入力 <%d>: ").c_str(), m_fileDia),
               State::FileDiaValue);
  if (command == "DXFOUT" && m_fileDia == 1) return Ask("", State::FileDialog);
  if (command == "DXFOUT") return Ask(Sjis("ファイル名を入力 <plan.dxf>: "), State::DxfoutFile);
  if (command == "-WBLOCK") return Ask(Sjis("ファイル名を入力: "), State::WblockFile);
  Log(Sjis("不明なコマンド \"") + command +
      Sjis("\"。 ヘルプを表示するには F1 キーを押してください。"));
  Ask(m_idlePrompt, State::Idle);
}

void AutoCADCommandLine::ExportTo(const std::string& path, State next) {
  m_exportPath = path;
  Ask(Sjis("精度の小数点以下の桁数を入力 (0 - 16) または [オブジェクト(O)/バイナリ(B)] <16>: "),
      next);
}

void AutoCADCommandLine::WriteDrawing(const std::string& path) {
  const std::string nativePath = Utf8(path);
  std::ofstream file(PathFromUtf8(nativePath), std::ios::binary);
  file << kSmallDrawing;
  if (!file) return Log(Sjis("ファイルに書き込めません: ") + path);
  m_written.push_back(nativePath);
}

void AutoCADCommandLine::Ask(const std::string& prompt, State state) {
  m_prompt = prompt;
  m_state = state;
  m_onChange();
}

void AutoCADCommandLine::Log(const std::string& line) {
  m_history.push_back(line);
  m_onChange();
}
