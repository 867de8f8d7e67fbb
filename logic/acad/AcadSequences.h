// AcadSequences.h - what the AutoCAD buttons of the main window do, without widgets.
//
// BTACADReadClick makes AutoCAD write its drawing to a temporary DXF file and loads it;
// BTErrorJumpClick takes the line number from AutoCAD's invalid-DXF message, opens the
// file AutoCAD failed on and jumps to that line; ProbeAutoCAD decides, at every repaint,
// which of the two buttons is enabled. The main window hands in what they work with in an
// AcadContext, so the sequences run headless against a simulated AutoCAD in the tests.
#pragma once

#include <functional>  // std::function
#include <string>      // std::string

#include "cad/MyCADLib.h"
#include "logic/Dialogs.h"
#include "logic/MessageLog.h"
#include "model/buffer/MyDXFClass.h"

/// Tells whether a file exists at the native path.
bool FileExistsOnDisk(const std::string& path);
/// Deletes the file at the native path; false when it could not be deleted.
bool RemoveFileFromDisk(const std::string& path);

/// What the AutoCAD sequences work with. It only refers to the main window's objects, so
/// the main window may build one for each click.
struct AcadContext {
  TAutoCADWindow& AutoCAD;   // the main window's AutoCAD link
  const TDXFBuffer& Buffer;  // the main window's line buffer (FileName, EofIndex)
  MessageLog& MsgBox;        // the message panel
  Dialogs& dialogs;          // message boxes
  // The one load routine, without the question about unsaved edits.
  std::function<bool(const std::string& path)> LoadDxfFile;
  // Asks about unsaved edits of the shown drawing (and saves it on Yes); false: keep it.
  std::function<bool()> ConfirmDiscardChanges = [] { return true; };
  std::function<void(int line)> JumpToLine;  // shows 1-based file line in the grid
  bool UseDxfout = false;                    // setting: DXFOUT for saved drawings
  std::string ProductTitle;                  // "VU Quillet Viewer" or "... Editor", CP932
  std::string exePath;  // the executable's native path; the temporary file sits beside it
  std::function<bool(const std::string& path)> fileExists = FileExistsOnDisk;
  std::function<bool(const std::string& path)> removeFile = RemoveFileFromDisk;
};

/// Which AutoCAD buttons the main window enables.
struct AcadButtons {
  bool readEnabled = false;       // BTACADRead: an AutoCAD runs and shows no DXF error
  bool errorJumpEnabled = false;  // BTErrorJump: AutoCAD's history shows the DXF error
};

/// Returns the temporary export path for the executable at exePath: its path without
/// ".exe" (ExecutableBasePath, as for the settings file) followed by "_tmp.DXF".
std::string AcadTempPath(const std::string& exePath);

/// Connects to AutoCAD and reads its history to decide which AutoCAD buttons are enabled;
/// both are disabled when no AutoCAD runs. Reports nothing.
AcadButtons ProbeAutoCAD(TAutoCADWindow& autocad);

/// Asks about unsaved edits, then makes AutoCAD write its current drawing to the temporary
/// file with DXFOUT (UseDxfout and a saved drawing) or -WBLOCK, FILEDIA at 0 and the IME
/// closed meanwhile, and loads the file. Reports a missing AutoCAD, a temporary file that
/// cannot be deleted and an AutoCAD that stops answering, and then stops; the shown drawing
/// keeps its name until the export is loaded. A call made while a read runs (a click
/// handled during its waits) returns at once and does nothing.
void BTACADReadClick(AcadContext& context);

/// Reads the line number before AutoCAD's invalid-DXF message, loads the drawing AutoCAD
/// names when it is not the buffer's file (after the question about unsaved edits), and
/// jumps to the line when it lies within the loaded file. Reports a missing AutoCAD, a
/// missing message and a drawing name that names no file.
void BTErrorJumpClick(AcadContext& context);
