// MainWindowFixture.h - a main window on show for the widget tests: its own folder for
// settings and files, and scripted dialogs.
#pragma once

#include <memory>  // std::unique_ptr
#include <string>  // std::string
#include <vector>  // std::vector

#include <QApplication>
#include <QSize>

#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFiles.h"
#include "ui/MainForm.h"

/// The bundled sample drawing, and a drawing of one LINE without tables.
inline const std::string kSample = SourcePath("examples/sample.dxf");
inline const std::string kOneLine =
    DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "0", "0", "ENDSEC", "0", "EOF"});

struct MainWindowFixture {
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<TFMMain> form;

  /// Opens the window of an edition with command-line arguments, its settings beside
  /// "<dir>/viewer" unless executable names the program, and lets its start-up and the
  /// queued command-line load run. An empty size keeps the window's own.
  void Start(std::vector<std::string> arguments = {}, const std::string& edition = "Viewer",
             const std::string& executable = "", WindowSystem* windows = nullptr, QSize size = {}) {
    form = std::make_unique<TFMMain>(ProgramValues{edition, kVersion, {}}, dialogs,
                                     executable.empty() ? dir.Path() + "/viewer" : executable,
                                     std::move(arguments), windows);
    if (size.isValid()) form->resize(size);
    form->show();
    QApplication::processEvents();
  }
  std::string Title() const { return form->windowTitle().toStdString(); }
};
