// main.cpp - program entry: the edition, the application and the main window.
//
// The edition is a compile definition (QUILLET_EDITION, "Viewer" unless the build says
// "Editor"); everything else is the same program. The first command-line argument names
// a DXF file to open at start-up; it is made absolute here, so the dialogs and the
// settings file get a full path.
#include <filesystem>  // std::filesystem::absolute
#include <string>      // std::string
#include <vector>      // std::vector

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "logic/Edition.h"
#include "ui/MainForm.h"
#include "ui/QtDialogs.h"
#include "ui/QtText.h"

#ifndef QUILLET_EDITION
#define QUILLET_EDITION "Viewer"
#endif

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // Qt's own texts (the file dialogs, the editors' context menus) speak Japanese like the
  // rest of the program, whatever the system's language; without the translations
  // installed they stay English.
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  QLocale::setDefault(japanese);
  QTranslator qtTexts;
  if (qtTexts.load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);
  // The task bar names the viewer in both editions.
  const QString applicationTitle = QStringLiteral("VU Quillet Viewer");
  application.setApplicationName(applicationTitle);
  std::vector<std::string> arguments;
  for (const QString& argument : application.arguments().mid(1))
    arguments.push_back(std::filesystem::absolute(ToNativePath(argument)).string());
  // The message boxes are titled as the window is, by edition.
  QtDialogs dialogs(nullptr, FromCp932(ProductTitleOf(QUILLET_EDITION)));
  TFMMain FMMain(ProgramValues{QUILLET_EDITION, kVersion, {}}, dialogs,
                 ToNativePath(QCoreApplication::applicationFilePath()), arguments);
  dialogs.SetParent(&FMMain);
  FMMain.show();
  return application.exec();
}
