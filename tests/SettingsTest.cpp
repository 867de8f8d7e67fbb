// SettingsTest.cpp - the settings record through a real INI file: defaults, round trip,
// the find history's limits and write failures.
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>   // std::replace
#include <filesystem>  // std::filesystem::exists

#include "model/text/Sjis.h"
#include "tests/support/TestFiles.h"

namespace {

// The path with Windows' separators written as "/", as the tests write their paths.
std::string ForwardSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// A record opened on "<dir>/viewer.ini", as for an executable "<dir>/viewer".
SettingsRecord Opened(const TempDir& dir) {
  SettingsRecord settings;
  OpenSettingsFile(settings, dir.Path() + "/viewer");
  return settings;
}

}  // namespace

TEST(Settings, FileIsTheExecutablePathWithIniAppended) {
  EXPECT_EQ(SettingsFilePath("/opt/quillet/quillet-viewer"), "/opt/quillet/quillet-viewer.ini");
  TempDir dir;
  EXPECT_EQ(Opened(dir).IniPath, dir.Path() + "/viewer.ini");
}

TEST(Settings, AnInstalledProgramKeepsItsFileInTheConfigurationFolder) {
  TempDir dir;
  const std::string config = dir.Path() + "/config/quillet";
  const struct {
    std::string executable, configFolder, expected;
  } cases[] = {
      {dir.Path() + "/viewer", config, dir.Path() + "/viewer.ini"},
      {dir.Path() + "/missing/viewer", config, config + "/viewer.ini"},
#ifndef _WIN32  // /usr is a Debian rule
      {"/usr/bin/quillet-viewer", config, config + "/quillet-viewer.ini"},
      {"/usr/bin/quillet-viewer", "", "/usr/bin/quillet-viewer.ini"},
#endif
  };
  for (const auto& c : cases)
    EXPECT_EQ(ForwardSlashes(SettingsFileLocation(c.executable, c.configFolder)),
              ForwardSlashes(c.expected))
        << c.executable;

  SettingsRecord settings;
  OpenSettingsFile(settings, dir.Path() + "/missing/quillet-viewer", config);
  settings.LastPath = "C:\\drawings\\";
  EXPECT_EQ(SaveSettings(settings), "");
  EXPECT_TRUE(std::filesystem::exists(config + "/quillet-viewer.ini"));
}

TEST(Settings, FirstRunGivesTheDefaults) {
  TempDir dir;
  SettingsRecord settings = Opened(dir);
  LoadSettings(settings);
  EXPECT_EQ(settings.FormTop, 100);
  EXPECT_EQ(settings.FormLeft, 100);
  EXPECT_EQ(settings.FormHeight, 560);
  EXPECT_EQ(settings.FormWidth, 685);
  EXPECT_EQ(settings.ColWidth0, 60);
  EXPECT_EQ(settings.ColWidth1, 64);
  EXPECT_EQ(settings.ColWidth2, 100);
  EXPECT_EQ(settings.ColWidth3, 100);
  EXPECT_EQ(settings.LastPath, kDefaultLastPath);
  EXPECT_FALSE(settings.UseDxfout);
  EXPECT_TRUE(settings.UseWblock);
  EXPECT_FALSE(settings.NormaliseOnSave);
  EXPECT_EQ(settings.FindHistory, std::vector<std::string>{""});
}

TEST(Settings, RoundTripThroughTheFile) {
  TempDir dir;
  SettingsRecord written = Opened(dir);
  written.FormTop = 5;
  written.FormLeft = -20;
  written.FormHeight = 700;
  written.FormWidth = 900;
  written.ColWidth0 = 61;
  written.ColWidth1 = 65;
  written.ColWidth2 = 201;
  written.ColWidth3 = 0;
  written.LastPath = "/home/u/plan.dxf";
  written.UseDxfout = true;
  written.UseWblock = false;
  written.NormaliseOnSave = true;
  written.FindHistory = {"LAYER", Sjis("壁"), "*WALL*"};
  EXPECT_EQ(SaveSettings(written), "");
  EXPECT_EQ(ReadBytes(written.IniPath),
            "[option]\r\nform_top=5\r\nform_left=-20\r\nform_height=700\r\nform_width=900\r\n"
            "col0width=61\r\ncol1width=65\r\ncol2width=201\r\ncol3width=0\r\n"
            "lastfolder=/home/u/plan.dxf\r\ndxfout=1\r\nwblock=0\r\nsavecrlf=1\r\n"
            "[Find]\r\n0=LAYER\r\n1=" +
                Sjis("壁") + "\r\n2=*WALL*\r\n");
  SettingsRecord read = Opened(dir);
  LoadSettings(read);
  EXPECT_EQ(read.FormLeft, -20);
  EXPECT_EQ(read.ColWidth2, 201);
  EXPECT_EQ(read.LastPath, "/home/u/plan.dxf");
  EXPECT_TRUE(read.UseDxfout);
  EXPECT_FALSE(read.UseWblock);
  EXPECT_TRUE(read.NormaliseOnSave);
  EXPECT_EQ(read.FindHistory, (std::vector<std::string>{"LAYER", Sjis("壁"), "*WALL*", ""}));
}

TEST(Settings, NumbersReadHexAndFallBackWhenUnreadable) {
  TempDir dir;
  dir.Write("viewer.ini",
            "[option]\nform_top=0x20\nform_left=abc\nform_height=12.5\n"
            "col0width=0X1f\ndxfout=7\nwblock=no\n");
  SettingsRecord settings = Opened(dir);
  LoadSettings(settings);
  EXPECT_EQ(settings.FormTop, 32);
  EXPECT_EQ(settings.FormLeft, 100);
  EXPECT_EQ(settings.FormHeight, 560);
  EXPECT_EQ(settings.ColWidth0, 31);
  EXPECT_TRUE(settings.UseDxfout);  // any integer other than 0
  EXPECT_TRUE(settings.UseWblock);  // unreadable: the default
}

TEST(Settings, FindHistoryReadsAsManyKeysAsTheSectionHolds) {
  TempDir dir;
  dir.Write("viewer.ini", "[Find]\n0=A\n1=B\n5=F\n");
  SettingsRecord settings = Opened(dir);
  LoadSettings(settings);
  // Three keys: "0", "1" and "2" are read; "2" is missing and "5" is never read.
  EXPECT_EQ(settings.FindHistory, (std::vector<std::string>{"A", "B", "", ""}));
}

TEST(Settings, AtMost21FindItemsAreWritten) {
  TempDir dir;
  SettingsRecord settings = Opened(dir);
  for (int i = 0; i < 30; ++i) settings.FindHistory.push_back("T" + std::to_string(i));
  ASSERT_EQ(SaveSettings(settings), "");
  const Profile file(settings.IniPath);
  EXPECT_EQ(file.ReadKeyNames("Find").size(), 21u);
  EXPECT_EQ(file.ReadString("Find", "20", ""), "T20");
  EXPECT_EQ(file.ReadString("Find", "21", "none"), "none");
  settings.FindHistory.clear();  // an empty box erases the section and writes nothing
  ASSERT_EQ(SaveSettings(settings), "");
  EXPECT_TRUE(file.ReadKeyNames("Find").empty());
}

TEST(Settings, UnwritableFileIsReportedWithItsPath) {
  TempDir dir;
  const std::string blocker = dir.Write("blocker", "x");
  SettingsRecord settings;
  OpenSettingsFile(settings, blocker + "/viewer");
  EXPECT_EQ(Utf8(SaveSettings(settings)), blocker + "/viewer.ini に書き込めません");
}

TEST(Settings, RecentFilesKeepTheLastEightOpenedNewestFirst) {
  std::vector<std::string> recent;
  for (int i = 0; i < 10; ++i) RememberRecentFile(recent, "/d/" + std::to_string(i) + ".dxf");
  RememberRecentFile(recent, "/d/5.dxf");  // opened again: moves to the top, once
  EXPECT_EQ(recent, (std::vector<std::string>{"/d/5.dxf", "/d/9.dxf", "/d/8.dxf", "/d/7.dxf",
                                              "/d/6.dxf", "/d/4.dxf", "/d/3.dxf", "/d/2.dxf"}));
  TempDir dir;
  SettingsRecord written = Opened(dir);
  written.RecentFiles = recent;
  written.RecentFiles.push_back("/d/extra.dxf");  // a ninth entry is not written
  EXPECT_EQ(SaveSettings(written), "");
  const std::string ini = ReadBytes(written.IniPath);
  EXPECT_NE(ini.find("[Recent]\r\n0=/d/5.dxf\r\n1=/d/9.dxf\r\n"), std::string::npos);
  EXPECT_EQ(ini.find("extra"), std::string::npos);
  SettingsRecord read = Opened(dir);
  LoadSettings(read);
  EXPECT_EQ(read.RecentFiles, recent);
}
