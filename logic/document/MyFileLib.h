// MyFileLib.h - file names and the open dialog: folder and name parts, the DXF test.
//
// The open and save dialogs remember their folder between runs of the dialog; the
// dialog state is a Dialogs::FileRequest kept by the main window. Paths are native
// (UTF-8 on this platform); a folder part keeps its trailing separator.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/Dialogs.h"
#include "model/buffer/MyDXFClass.h"  // DXFForm

/// Returns the folder part of path, with its trailing separator ("" for a bare name).
std::string FolderPart(std::string_view path);

/// Returns the file-name part of path (what follows the last separator).
std::string FileNamePart(std::string_view path);

/// Tells whether path names a DXF file: its extension, upper-cased, is ".DXF".
bool IsDxfFileName(std::string_view path);

/// Runs the open dialog from startPath: the dialog starts in its folder with the file
/// preselected when startPath names one. Returns the chosen path, or empty on cancel;
/// a confirmed choice moves the dialog's folder to the chosen file's folder.
std::string RunOpenDialog(Dialogs& dialogs, Dialogs::FileRequest& dialog,
                          const std::string& startPath);

/// Tells whether path names an existing file other than documentPath (the file of the
/// document on show; empty when it has none), which a save would destroy.
bool IsOtherExistingFile(const std::string& path, const std::string& documentPath);

/// Returns the question asked before overwriting path: "%s は既に存在します。" and
/// "上書きしますか？" on a second line (CP932).
std::string OverwriteQuestion(const std::string& path);

/// Returns the save dialog's type list: the text form, then the binary form (CP932).
std::string SaveFormFilter();

/// The entry of the save dialog's type list that stands for form, and back.
int SaveFilterOfForm(DXFForm form);
DXFForm FormOfSaveFilter(int filterIndex);

/// Runs the save dialog. A chosen file that exists and is not documentPath is taken only
/// when the user agrees to overwrite it (asked under caption); otherwise the dialog comes
/// back on that name. Returns the path to write, or empty when the user cancels.
std::string RunSaveDialog(Dialogs& dialogs, Dialogs::FileRequest& dialog,
                          const std::string& documentPath, const std::string& caption);

/// What the main window does with files dropped on it.
struct DropAction {
  enum class Kind {
    Ignore,  // not exactly one file
    NotDxf,  // one file whose extension is not ".DXF" in any letter case
    Load,    // one DXF file: load path
  };
  Kind kind;
  std::string path;
};
DropAction ClassifyDrop(const std::vector<std::string>& paths);
