// Edition.cpp - the program-wide values and the texts that depend on the edition.
#include "logic/Edition.h"

#include "logic/document/MyFileLib.h"
#include "model/text/Sjis.h"

bool IsEditorEdition(const std::string& edition) {
  return edition == "Editor";
}

std::string ProductTitleOf(const std::string& edition) {
  return IsEditorEdition(edition) ? "VU Quillet Editor" : "VU Quillet Viewer";
}

std::string MainCaption(const ProgramValues& values) {
  return values.ProductTitle + " By Pellmark   Ver." + values.Version;
}

std::string DocumentCaption(const std::string& caption, const std::string& fileName,
                            bool modified) {
  if (fileName.empty()) return caption;
  return caption + " - " + Sjis(FileNamePart(fileName)) + (modified ? "*" : "");
}

std::string OptionCaption(const ProgramValues& values) {
  return values.ProductTitle + Sjis(" 設定画面");
}

std::string SoftwareNote(const std::string& edition) {
  return Sjis(IsEditorEdition(edition)
                  ? "このソフトは、ＤＸＦファイルの内容を表示／簡易変更するものです。"
                  : "このソフトは、ＤＸＦファイルの内容を表示するものです。");
}
