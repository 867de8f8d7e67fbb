// AcadSequences.cpp - what the AutoCAD buttons of the main window do, without widgets.
//
// Paths are native (UTF-8) inside the program and CP932 in AutoCAD's texts and in the
// program's messages, so they are converted where they cross: the temporary path when it
// is typed into AutoCAD or logged, AutoCAD's drawing name when it is opened as a file.
#include "logic/acad/AcadSequences.h"

#include <filesystem>    // std::filesystem
#include <string_view>   // std::string_view
#include <system_error>  // std::error_code

#include "model/buffer/FilePath.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "settings/Settings.h"

static constexpr std::string_view kUnsavedDrawingPrefix = "Drawing";  // Drawing1.dwg, ...
static constexpr char kMessageLineBreak[] = "\r\n";

namespace {

// The sequences' Japanese texts as CP932 bytes, converted once on first use.
struct SequenceTexts {
  std::string connectFailedMessage = Sjis("AutoCADウィンドウ接続に失敗しました");
  std::string connectFailedLine = Sjis("AutoCADウィンドウ接続に失敗");
  std::string connectedFormat = Sjis("＜AutoCADウィンドウに接続＞(%s)");
  std::string tempFileInUse = Sjis("テンポラリファイルが使用中です ");
  std::string dxfoutFormat = Sjis("  %s へ DXFOUT");
  std::string wblockFormat = Sjis("  %s へ WBLOCK");
  std::string noAnswerLine = Sjis("  AutoCADが応答しないため中止しました");
  std::string invalidDxfInput = Sjis("無効 または 不完全な DXF の入力です");
  std::string errorMessageMissing = Sjis("AutoCADのエラーメッセージが見つかりません");
  std::string errorLineFormat = Sjis("AutoCADからDXF読込エラー行取得：%d");
  std::string drawingNotFound =
      Sjis("は、AutoCADで読込エラーの起きているファイルを検索出来ませんでした。") +
      kMessageLineBreak +
      Sjis(
          "AutoCADのオプションでﾀｲﾄﾙﾊﾞｰに完全ﾊﾟｽを表示するようにしているか"
          "確認して下さい。");
};

// Marks the read from AutoCAD as running for as long as it lives.
class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~RunningFlag() { m_flag = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& m_flag;
};

}  // namespace

static const SequenceTexts& Texts() {
  static const SequenceTexts texts;
  return texts;
}

bool FileExistsOnDisk(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(PathFromUtf8(path), error);
}

bool RemoveFileFromDisk(const std::string& path) {
  std::error_code error;
  return std::filesystem::remove(PathFromUtf8(path), error) && !error;
}

std::string AcadTempPath(const std::string& exePath) {
  return ExecutableBasePath(exePath) + "_tmp.DXF";
}

static bool HasInvalidDxfMessage(const std::string& history) {
  return CharPos(Texts().invalidDxfInput, history) > 0;
}

AcadButtons ProbeAutoCAD(TAutoCADWindow& autocad) {
  if (!autocad.Connect()) return {};
  if (HasInvalidDxfMessage(autocad.ReadHistory())) return {false, true};
  return {true, false};
}

// Connects to AutoCAD; when none is found, says so in a message box and the panel.
static bool ConnectOrReport(AcadContext& context) {
  if (context.AutoCAD.Connect()) return true;
  context.dialogs.ShowMessage(Texts().connectFailedMessage);
  context.MsgBox.Add(Texts().connectFailedLine);
  return false;
}

// Logs that AutoCAD stopped answering and brings the program back to the front.
static void ReportNoAnswer(AcadContext& context) {
  context.MsgBox.Add(Texts().noAnswerLine);
  context.AutoCAD.ReleaseForeground();
}

// ---------------------------------------------------------------- read from AutoCAD

// Deletes an old temporary file; returns false when one is still there afterwards.
static bool ClearTempFile(AcadContext& context, const std::string& tempPath) {
  if (context.fileExists(tempPath) && !context.removeFile(tempPath))
    context.dialogs.ShowMessage(Texts().tempFileInUse + Sjis(tempPath));
  return !context.fileExists(tempPath);
}

// The text that makes AutoCAD write the whole drawing to cadPath (CP932).
static std::string ExportCommand(bool dxfout, const std::string& cadPath) {
  if (dxfout) return "DXFOUT\r" + cadPath + "\r" + "\r";
  return "-WBLOCK\r" + cadPath + "\r" + "\r" + "*" + "\r";
}

// Types the export to tempPath with FILEDIA at 0 and the IME closed, then restores both
// and the foreground window. Returns false as soon as AutoCAD does not answer.
static bool ExportDrawing(AcadContext& context, const std::string& tempPath, bool dxfout) {
  TAutoCADWindow& autocad = context.AutoCAD;
  if (autocad.SaveImeState()) autocad.CloseIme();
  if (!autocad.CancelCommand() || !autocad.SetFileDia(0)) return false;
  const std::string& format = dxfout ? Texts().dxfoutFormat : Texts().wblockFormat;
  const std::string cadPath = Sjis(tempPath);
  context.MsgBox.Add(Format(format.c_str(), cadPath.c_str()));
  if (!autocad.SendCommand(ExportCommand(dxfout, cadPath), /*wait=*/true)) return false;
  // A FILEDIA the user had at 0 stays at 0.
  if (autocad.OldFileDia == 1 && !autocad.SetFileDia(1)) return false;
  if (autocad.ImeWasOpen) autocad.OpenIme();
  autocad.RestoreForeground();
  return true;
}

static void ReadFromAutoCAD(AcadContext& context) {
  if (!ConnectOrReport(context)) return;
  // Asked first, while the buffer still carries the shown drawing's name: Yes saves it
  // under that name, Cancel leaves everything as it was. The buffer takes the temporary
  // file's name only when the export is loaded.
  if (!context.ConfirmDiscardChanges()) return;
  const std::string& drawingName = context.AutoCAD.DrawingName;
  context.MsgBox.Add("");
  context.MsgBox.Add(Format(Texts().connectedFormat.c_str(), drawingName.c_str()));
  const bool unsaved = std::string_view(drawingName).starts_with(kUnsavedDrawingPrefix);
  const std::string tempPath = AcadTempPath(context.exePath);
  if (!ClearTempFile(context, tempPath)) return;
  if (!ExportDrawing(context, tempPath, context.UseDxfout && !unsaved)) {
    ReportNoAnswer(context);
    return;
  }
  context.LoadDxfFile(tempPath);
}

void BTACADReadClick(AcadContext& context) {
  // The waits for AutoCAD let the program handle clicks; a click on the button then must
  // not start a second read inside this one.
  static bool running = false;
  if (running) return;
  const RunningFlag flag(running);
  ReadFromAutoCAD(context);
}

// ---------------------------------------------------------------- error line jump

// The last number in history before the 1-based byte position `at`, rounded down; 0 when
// there is none.
static int LastNumberBefore(const std::string& history, int at) {
  std::string prefix;
  std::string number;
  std::string suffix;
  SplitNumber(ReverseMBCS(std::string_view(history).substr(0, static_cast<std::size_t>(at - 1))),
              prefix, number, suffix);
  return FloorOfNumber(ReverseMBCS(number));
}

namespace {

// What the error-line jump found to jump in.
enum class FailedDrawing {
  Shown,     // the buffer holds a drawing: the failed one, or the one shown before
  Kept,      // the user kept the shown drawing with its unsaved edits
  NoAnswer,  // AutoCAD did not answer
};

}  // namespace

// Loads the drawing AutoCAD failed on unless the buffer holds it already.
static FailedDrawing OpenFailedDrawing(AcadContext& context) {
  const std::string path = Utf8(context.AutoCAD.DrawingName);
  if (context.Buffer.FileName == path) return FailedDrawing::Shown;
  if (!context.fileExists(path)) {
    context.dialogs.ShowMessage(context.ProductTitle + Texts().drawingNotFound);
    return FailedDrawing::Shown;
  }
  if (!context.ConfirmDiscardChanges()) return FailedDrawing::Kept;
  // An Enter clears whatever input AutoCAD still waits for after the failed read.
  if (!context.AutoCAD.SendCommand("\r", /*wait=*/true)) return FailedDrawing::NoAnswer;
  context.LoadDxfFile(path);
  context.AutoCAD.RestoreForeground();
  return FailedDrawing::Shown;
}

void BTErrorJumpClick(AcadContext& context) {
  if (!ConnectOrReport(context)) return;
  const std::string history = context.AutoCAD.ReadHistory();
  const int at = CharPos(Texts().invalidDxfInput, history);
  if (at == 0) {
    context.dialogs.ShowMessage(Texts().errorMessageMissing);
    return;
  }
  const int line = LastNumberBefore(history, at);
  context.MsgBox.Add(Format(Texts().errorLineFormat.c_str(), line));
  switch (OpenFailedDrawing(context)) {
    case FailedDrawing::Shown:
      break;
    case FailedDrawing::Kept:
      return;
    case FailedDrawing::NoAnswer:
      ReportNoAnswer(context);
      return;
  }
  const TDXFBuffer& buffer = context.Buffer;
  if (!buffer.FileName.empty() && line <= LineOfPair(buffer.EofIndex) + 1) context.JumpToLine(line);
}
