// RecordedMainWindow.h - the main window's parts the AutoCAD sequences use, recorded.
//
// The sequences get a real line buffer, and a panel, message boxes, a load routine, a
// question about unsaved edits and a jump that keep what they were given, so a test of
// BTACADReadClick or BTErrorJumpClick can compare all of it afterwards.
#pragma once

#include <string>  // std::string
#include <vector>  // std::vector

#include "cad/MyCADLib.h"
#include "logic/acad/AcadSequences.h"
#include "model/buffer/MyDXFClass.h"
#include "tests/support/ScriptedDialogs.h"

/// A DXF file whose EOF pair is pair 3: its last line is line 8.
inline constexpr char kFourPairs[] =
    "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

struct RecordedMainWindow {
  TDXFBuffer buffer;
  RecordingLog panel;
  ScriptedDialogs dialogs;
  std::vector<std::string> loads;      // every path LoadDxfFile was given
  std::vector<std::string> questions;  // the buffer's file name at each unsaved-edits question
  bool discard = true;  // the answer: go on (Yes or No) or keep the shown drawing (Cancel)
  std::vector<int> jumps;

  /// Returns the context of the sequences for the link and an executable at exePath,
  /// reading a saved drawing with DXFOUT.
  AcadContext Context(TAutoCADWindow& link, const std::string& exePath) {
    return {.AutoCAD = link,
            .Buffer = buffer,
            .MsgBox = panel,
            .dialogs = dialogs,
            .LoadDxfFile =
                [this](const std::string& path) {
                  loads.push_back(path);
                  return buffer.LoadFromFile(path) == 0;
                },
            .ConfirmDiscardChanges =
                [this] {
                  questions.push_back(buffer.FileName);
                  return discard;
                },
            .JumpToLine = [this](int line) { jumps.push_back(line); },
            .UseDxfout = true,
            .ProductTitle = "VU Quillet Viewer",
            .exePath = exePath};
  }
};
