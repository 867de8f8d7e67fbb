// Settings.h - the settings record and its mapping onto the settings file.
//
// The record lives for the whole run: read once at start-up, written back once when
// the main window closes. The file is a private-profile file beside the executable with
// the sections "option" (window bounds, grid column widths, last path, the AutoCAD read
// method, the save format), "Find" (the find history, keys "0", "1", ...) and "Recent"
// (the files last opened, keys "0" to "7"). Missing or unreadable entries give the
// defaults. Texts are CP932 except IniPath, a native path.
#pragma once

#include <optional>  // std::optional
#include <string>    // std::string
#include <vector>    // std::vector

#include "settings/Profile.h"

/// The path last used by the file dialogs before any file was opened.
#ifdef _WIN32
inline constexpr const char* kDefaultLastPath = "C:\\";
#else
inline constexpr const char* kDefaultLastPath = "/";
#endif

/// The most find-history items kept in the settings file.
inline constexpr int kStoredFindItems = 21;

/// The most recently opened files the open button offers.
inline constexpr int kRecentFileCount = 8;

struct SettingsRecord {
  std::string IniPath;          // full path of the settings file
  std::optional<Profile> File;  // open from OpenSettingsFile to CloseSettingsFile
  int FormTop = 100;            // main window bounds, pixels
  int FormLeft = 100;
  int FormHeight = 560;
  int FormWidth = 685;
  std::string LastPath = kDefaultLastPath;  // path last used by the file dialogs (native)
  int ColWidth0 = 60;                       // DXF grid column widths, pixels
  int ColWidth1 = 64;
  int ColWidth2 = 100;
  int ColWidth3 = 100;
  bool UseDxfout = false;                // read from AutoCAD with DXFOUT
  bool UseWblock = true;                 // the WBLOCK radio button's state
  bool NormaliseOnSave = false;          // save with CR LF and "%3d" codes everywhere
  std::vector<std::string> FindHistory;  // newest first
  std::vector<std::string> RecentFiles;  // files last opened, newest first (native paths)
};

/// Returns the executable's path without its extension ".exe" (in any letter case); a
/// path without it, as on Linux, comes back whole. The files the program keeps beside
/// itself are named from it.
std::string ExecutableBasePath(const std::string& executablePath);

/// Returns the settings file of an executable: ExecutableBasePath with ".ini" appended.
std::string SettingsFilePath(const std::string& executablePath);

/// Returns where the settings file lives: beside the executable (SettingsFilePath) when
/// the executable's folder is writable; otherwise, for an installed program in a system
/// folder, the same file name in configFolder (the user's configuration folder). An empty
/// configFolder always gives the file beside the executable.
std::string SettingsFileLocation(const std::string& executablePath,
                                 const std::string& configFolder);

/// Sets IniPath from SettingsFileLocation and opens the settings file object on it; a
/// configuration folder that is used is created first.
void OpenSettingsFile(SettingsRecord& settings, const std::string& executablePath,
                      const std::string& configFolder = {});

/// Reads the four window keys and the four column keys into the record.
void LoadWindowSettings(SettingsRecord& settings);

/// Reads every key: LoadWindowSettings, then the last path, the AutoCAD method, the save
/// format, the find history and the recent files. With n keys in "Find", the history gets
/// the keys "0" .. n-1 (a missing one reads empty) and one empty entry after them; the
/// recent files are the non-empty keys "0" to "7".
void LoadSettings(SettingsRecord& settings);

/// Writes every key, the find history (at most kStoredFindItems items) and the recent
/// files (at most kRecentFileCount); both sections are erased first. Returns an empty text, or "%s
/// に書き込めません" with the file's path (CP932) for the first write that failed; the keys after
/// it are not written.
std::string SaveSettings(const SettingsRecord& settings);

/// Puts path at the top of the recent files: an earlier entry of the same path goes, and
/// the list keeps at most kRecentFileCount entries.
void RememberRecentFile(std::vector<std::string>& recent, const std::string& path);

/// Releases the settings file object.
void CloseSettingsFile(SettingsRecord& settings);

/// The two radio buttons of the option window as FormShow sets them: the WBLOCK button
/// is set second, so when both flags are true only it shows checked.
struct MethodButtons {
  bool dxfout;
  bool wblock;
};
MethodButtons ShownMethodButtons(const SettingsRecord& settings);
