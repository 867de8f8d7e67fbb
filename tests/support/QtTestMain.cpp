// QtTestMain.cpp - the main of the widget tests: a QApplication around GoogleTest.
//
// The tests run on the offscreen platform (ctest sets QT_QPA_PLATFORM); the platform is
// forced here as well so a test program started by hand needs no display either.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

// On Windows the offscreen platform reads font files from one folder, by default a
// "fonts" folder beside Qt's libraries that Qt no longer ships. Without fonts every glyph
// is a box as wide as the font is high, and texts measure far wider than any real font
// draws them. The system's font folder gives the tests the fonts the program meets.
static void UseTheSystemFonts() {
#ifdef Q_OS_WIN
  if (qEnvironmentVariableIsSet("QT_QPA_FONTDIR")) return;
  const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::FontsLocation);
  if (!folders.isEmpty()) qputenv("QT_QPA_FONTDIR", folders.first().toLocal8Bit());
#endif
}

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  UseTheSystemFonts();
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
