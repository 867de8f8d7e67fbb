// AutoCADCommandLine.h - the command line of the stand-in AutoCAD, without its windows.
//
// It takes typed bytes as AutoCAD's command line does: at a prompt a carriage return ends
// the input, and so does a blank except where a file name is asked for; Ctrl+C cancels
// whatever runs. It answers the idle prompt, FILEDIA with its current value, and DXFOUT
// and -WBLOCK by writing a small valid drawing to the path typed (DXFOUT opens a file
// dialog instead while FILEDIA is 1). Prompts and messages follow Japanese AutoCAD's
// wording, in CP932. The stand-in on the simulated desktop and the stand-in Win32 program
// show its history and command line in their panes.
#pragma once

#include <cstdint>      // std::uintptr_t
#include <functional>   // std::function
#include <optional>     // std::optional
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

/// Returns the text typed by a copy-data message: identifier 1 and a zero-terminated
/// string; nothing for anything else.
std::optional<std::string> TypedInput(std::uintptr_t identifier, std::string_view bytes);

class AutoCADCommandLine {
 public:
  /// Starts at the idle prompt (CP932) with FILEDIA at fileDia; onChange runs after every
  /// later change of the history or the command line.
  AutoCADCommandLine(std::string idlePrompt, int fileDia, std::function<void()> onChange);

  /// Takes typed bytes: Ctrl+C cancels, a carriage return (or a blank) ends an input.
  void Handle(const std::string& typed);
  /// Writes AutoCAD's message after a failed DXF read of a bad group code at a file line.
  void ShowInvalidDxfMessage(int groupCode, int line);

  /// Returns the history, each line followed by CR LF, as the history pane shows it.
  std::string HistoryText() const;
  /// Returns the prompt and what has been typed after it, as the command-line pane shows it.
  std::string CommandLineText() const { return m_prompt + m_input; }
  /// Returns the current FILEDIA value.
  int FileDia() const { return m_fileDia; }
  /// Returns the native paths of the drawings written, in order.
  const std::vector<std::string>& WrittenFiles() const { return m_written; }

 private:
  enum class State {
    Idle,
    FileDiaValue,
    DxfoutFile,
    DxfoutPrecision,
    WblockFile,
    WblockPrecision,
    WblockBlocks,
    FileDialog,
  };

  void Type(char c);
  void Cancel();
  void Enter();
  void RunCommand(const std::string& command);
  void ExportTo(const std::string& path, State next);
  void WriteDrawing(const std::string& path);
  void Ask(const std::string& prompt, State state);
  void Log(const std::string& line);
  bool TakesBlanksLiterally() const;

  std::string m_idlePrompt;
  std::function<void()> m_onChange;
  std::vector<std::string> m_history;
  std::vector<std::string> m_written;
  State m_state = State::Idle;
  std::string m_prompt;
  std::string m_input;
  std::string m_exportPath;
  int m_fileDia;
};
