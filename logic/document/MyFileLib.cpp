// MyFileLib.cpp - file names and the open dialog.
#include "logic/document/MyFileLib.h"

#include <filesystem>    // std::filesystem::exists, equivalent
#include <system_error>  // std::error_code

#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/:";
#else
constexpr std::string_view kSeparators = "/";
#endif

std::size_t NameStart(std::string_view path) {
  const std::size_t last = path.find_last_of(kSeparators);
  return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

std::string FolderPart(std::string_view path) {
  return std::string(path.substr(0, NameStart(path)));
}

std::string FileNamePart(std::string_view path) {
  return std::string(path.substr(NameStart(path)));
}

bool IsDxfFileName(std::string_view path) {
  const std::string name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && UpperAscii(std::string_view(name).substr(dot)) == ".DXF";
}

std::string RunOpenDialog(Dialogs& dialogs, Dialogs::FileRequest& dialog,
                          const std::string& startPath) {
  dialog.initialFolder = FolderPart(startPath);
  if (!FileNamePart(startPath).empty()) dialog.fileName = startPath;
  const std::string chosen = dialogs.OpenFileName(dialog);
  if (!chosen.empty()) dialog.initialFolder = FolderPart(chosen);
  return chosen;
}

bool IsOtherExistingFile(const std::string& path, const std::string& documentPath) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return false;
  return documentPath.empty() || !std::filesystem::equivalent(path, documentPath, error);
}

std::string OverwriteQuestion(const std::string& path) {
  return Format(Sjis("%s は既に存在します。\r\n上書きしますか？").c_str(), Sjis(path).c_str());
}

std::string SaveFormFilter() {
  return Sjis("テキスト DXF として保存|*.DXF|バイナリ DXF として保存|*.DXF");
}

int SaveFilterOfForm(DXFForm form) {
  return form == DXFForm::Binary ? 1 : 0;
}

DXFForm FormOfSaveFilter(int filterIndex) {
  return filterIndex == 1 ? DXFForm::Binary : DXFForm::Text;
}

std::string RunSaveDialog(Dialogs& dialogs, Dialogs::FileRequest& dialog,
                          const std::string& documentPath, const std::string& caption) {
  for (;;) {
    const std::string chosen = dialogs.SaveFileName(dialog);
    if (chosen.empty() || !IsOtherExistingFile(chosen, documentPath)) return chosen;
    if (dialogs.AskYesNo(caption, OverwriteQuestion(chosen))) return chosen;
    dialog.initialFolder = FolderPart(chosen);
    dialog.fileName = FileNamePart(chosen);
  }
}

DropAction ClassifyDrop(const std::vector<std::string>& paths) {
  if (paths.size() != 1) return {DropAction::Kind::Ignore, {}};
  if (!IsDxfFileName(paths[0])) return {DropAction::Kind::NotDxf, paths[0]};
  return {DropAction::Kind::Load, paths[0]};
}
