// BenchDialogs.h - the Dialogs of the widget benchmarks: nothing opens, every call counts.
//
// A timed path that asks the user anything is a fault of the benchmark, so the programs
// check `calls` (less the questions they expect) before they report.
#pragma once

#include <string>  // std::string

#include "logic/Dialogs.h"

class SilentDialogs : public Dialogs {
 public:
  int calls = 0;
  bool answerYes = false;  // the answer to every Yes/No question

  void ShowMessage(const std::string&) override { ++calls; }
  bool AskYesNo(const std::string&, const std::string&) override { return ++calls, answerYes; }
  Answer AskYesNoCancel(const std::string&, const std::string&) override {
    return ++calls, Answer::Cancel;
  }
  std::string OpenFileName(const FileRequest&) override { return ++calls, std::string(); }
  std::string SaveFileName(FileRequest&) override { return ++calls, std::string(); }
  void Beep() override { ++calls; }
};
