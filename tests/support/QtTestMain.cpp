// QtTestMain.cpp - the main of the widget tests: a QApplication around GoogleTest.
//
// The tests run on the offscreen platform (ctest sets QT_QPA_PLATFORM); the platform is
// forced here as well so a test program started by hand needs no display either.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
