// Settings.cpp - the settings record and its mapping onto the settings file.
#include "settings/Settings.h"

#include <algorithm>   // std::min
#include <array>       // std::array
#include <cassert>     // assert
#include <filesystem>  // std::filesystem::path, create_directories
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>  // CreateFileW
#else
#include <unistd.h>  // access
#endif

#include "model/buffer/FilePath.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

constexpr const char* kOptionSection = "option";
constexpr const char* kFindSection = "Find";
constexpr const char* kSaveFormatKey = "savecrlf";  // 1: save normalised, with CR LF
constexpr const char* kRecentSection = "Recent";

struct IntKey {
  const char* key;
  int SettingsRecord::*field;
  int fallback;
};

// The eight window keys in the order they are read and written.
constexpr std::array<IntKey, 8> kWindowKeys = {{
    {"form_top", &SettingsRecord::FormTop, 100},
    {"form_left", &SettingsRecord::FormLeft, 100},
    {"form_height", &SettingsRecord::FormHeight, 560},
    {"form_width", &SettingsRecord::FormWidth, 685},
    {"col0width", &SettingsRecord::ColWidth0, 60},
    {"col1width", &SettingsRecord::ColWidth1, 64},
    {"col2width", &SettingsRecord::ColWidth2, 100},
    {"col3width", &SettingsRecord::ColWidth3, 100},
}};

// Reads an integer key: decimal, or hexadecimal after "0x"; anything else is the default.
int ReadInt(const Profile& file, const char* key, int fallback) {
  const std::string text = Trim(file.ReadString(kOptionSection, key, ""));
  int value = fallback;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const bool read =
      hex ? ParseHex32(std::string_view(text).substr(2), value) : ParseInt32(text, value);
  return read ? value : fallback;
}

bool ReadBool(const Profile& file, const char* key, bool fallback) {
  return ReadInt(file, key, fallback ? 1 : 0) != 0;
}

// Writes the keys one by one and remembers the first failure; later writes are skipped.
class KeyWriter {
 public:
  explicit KeyWriter(const Profile& file) : m_file(file) {}
  void Write(const char* section, const std::string& key, const std::string& value) {
    if (m_failed) return;
    m_failed = !m_file.WriteString(section, key, value);
  }
  void Erase(const char* section) {
    if (m_failed) return;
    m_failed = !m_file.EraseSection(section);
  }
  std::string Result() const {
    if (!m_failed) return {};
    return Format(Sjis("%s に書き込めません").c_str(), Sjis(m_file.Path()).c_str());
  }

 private:
  const Profile& m_file;
  bool m_failed = false;
};

// Tells whether the program may keep files in folder (an empty path is the current
// folder). On Windows only making a file there tells: the access check finds every
// existing folder writable, Program Files for a user who is no administrator too. Elsewhere
// the folder must be writable, and not under /usr, which Debian's policy keeps free of
// files written at run time, even for root, who may write there.
bool IsWritableFolder(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder.empty() ? std::filesystem::path(".") : folder;
#ifdef _WIN32
  const std::filesystem::path probe =
      path / (L"quillet-write-check-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp");
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
#else
  return path.string().rfind("/usr/", 0) != 0 && ::access(path.c_str(), W_OK) == 0;
#endif
}

}  // namespace

std::string ExecutableBasePath(const std::string& executablePath) {
  static constexpr std::string_view kExtension = ".exe";
  if (executablePath.size() < kExtension.size()) return executablePath;
  const std::size_t stem = executablePath.size() - kExtension.size();
  const bool hasExtension = UpperAscii(executablePath.substr(stem)) == UpperAscii(kExtension);
  return hasExtension ? executablePath.substr(0, stem) : executablePath;
}

std::string SettingsFilePath(const std::string& executablePath) {
  return ExecutableBasePath(executablePath) + ".ini";
}

std::string SettingsFileLocation(const std::string& executablePath,
                                 const std::string& configFolder) {
  const std::string beside = SettingsFilePath(executablePath);
  const std::filesystem::path besidePath = PathFromUtf8(beside);
  if (configFolder.empty() || IsWritableFolder(besidePath.parent_path())) return beside;
  return Utf8FromPath(PathFromUtf8(configFolder) / besidePath.filename());
}

void OpenSettingsFile(SettingsRecord& settings, const std::string& executablePath,
                      const std::string& configFolder) {
  settings.IniPath = SettingsFileLocation(executablePath, configFolder);
  const std::filesystem::path folder = PathFromUtf8(settings.IniPath).parent_path();
  std::error_code ignored;  // a folder that cannot be made shows as the write's failure
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  settings.File.emplace(settings.IniPath);
}

// The settings file object of an opened record.
static const Profile& FileOf(const SettingsRecord& settings) {
  assert(settings.File && "OpenSettingsFile must run first");
  return *settings.File;
}

void LoadWindowSettings(SettingsRecord& settings) {
  const Profile& file = FileOf(settings);
  for (const IntKey& k : kWindowKeys) settings.*k.field = ReadInt(file, k.key, k.fallback);
}

void LoadSettings(SettingsRecord& settings) {
  LoadWindowSettings(settings);
  const Profile& file = FileOf(settings);
  settings.LastPath = file.ReadString(kOptionSection, "lastfolder", kDefaultLastPath);
  settings.UseDxfout = ReadBool(file, "dxfout", false);
  settings.UseWblock = ReadBool(file, "wblock", true);
  settings.NormaliseOnSave = ReadBool(file, kSaveFormatKey, false);
  // Only the number of keys counts: keys "0" .. n-1 are read whatever names are present.
  const std::size_t n = file.ReadKeyNames(kFindSection).size();
  settings.FindHistory.assign(n + 1, std::string());
  for (std::size_t i = 0; i < n; ++i)
    settings.FindHistory[i] = file.ReadString(kFindSection, std::to_string(i), "");
  settings.RecentFiles.clear();
  for (int i = 0; i < kRecentFileCount; ++i) {
    std::string path = file.ReadString(kRecentSection, std::to_string(i), "");
    if (!path.empty()) settings.RecentFiles.push_back(std::move(path));
  }
}

std::string SaveSettings(const SettingsRecord& settings) {
  KeyWriter writer(FileOf(settings));
  for (const IntKey& k : kWindowKeys)
    writer.Write(kOptionSection, k.key, std::to_string(settings.*k.field));
  writer.Write(kOptionSection, "lastfolder", settings.LastPath);
  writer.Write(kOptionSection, "dxfout", settings.UseDxfout ? "1" : "0");
  writer.Write(kOptionSection, "wblock", settings.UseWblock ? "1" : "0");
  writer.Write(kOptionSection, kSaveFormatKey, settings.NormaliseOnSave ? "1" : "0");
  writer.Erase(kFindSection);
  const std::size_t count =
      std::min(settings.FindHistory.size(), static_cast<std::size_t>(kStoredFindItems));
  for (std::size_t i = 0; i < count; ++i)
    writer.Write(kFindSection, std::to_string(i), settings.FindHistory[i]);
  writer.Erase(kRecentSection);
  const std::size_t recent =
      std::min(settings.RecentFiles.size(), static_cast<std::size_t>(kRecentFileCount));
  for (std::size_t i = 0; i < recent; ++i)
    writer.Write(kRecentSection, std::to_string(i), settings.RecentFiles[i]);
  return writer.Result();
}

void RememberRecentFile(std::vector<std::string>& recent, const std::string& path) {
  std::erase(recent, path);
  recent.insert(recent.begin(), path);
  if (recent.size() > static_cast<std::size_t>(kRecentFileCount))
    recent.resize(static_cast<std::size_t>(kRecentFileCount));
}

void CloseSettingsFile(SettingsRecord& settings) {
  settings.File.reset();
}

MethodButtons ShownMethodButtons(const SettingsRecord& settings) {
  return {settings.UseDxfout && !settings.UseWblock, settings.UseWblock};
}
