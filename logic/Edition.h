// Edition.h - the program-wide values and the texts that depend on the edition.
//
// The edition is fixed at build time: "Viewer" (the delivered default) or "Editor",
// which adds name editing in the lists and the rounding tool. Everything else, editing
// in the DXF grid and saving included, works the same in both. Texts are CP932.
#pragma once

#include <string>  // std::string

#include "model/QuilletVersion.h"  // kVersion

/// The values that live for the whole run.
struct ProgramValues {
  std::string Edition;       // "Viewer" or "Editor", set at program entry
  std::string Version;       // kVersion
  std::string ProductTitle;  // set at start-up from Edition
};

/// Tells whether the edition is the editor edition (any other text is the viewer).
bool IsEditorEdition(const std::string& edition);

/// Returns "VU Quillet Editor" for the editor edition, "VU Quillet Viewer" otherwise.
std::string ProductTitleOf(const std::string& edition);

/// Returns the main window's caption: ProductTitle + " By Pellmark   Ver." + Version.
std::string MainCaption(const ProgramValues& values);

/// Returns the caption with the loaded file's name after it, marked "*" while the
/// document has unsaved edits; the bare caption while no file is loaded.
std::string DocumentCaption(const std::string& caption, const std::string& fileName, bool modified);

/// Returns the option window's caption: ProductTitle + " 設定画面".
std::string OptionCaption(const ProgramValues& values);

/// Returns the option window's LBSoft text for the edition.
std::string SoftwareNote(const std::string& edition);
