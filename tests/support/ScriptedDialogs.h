// ScriptedDialogs.h - a Dialogs that answers from a script, and a log that keeps lines.
//
// Tests queue the answers a user would give (file names, Yes/No/Cancel) and read back
// every message, question and beep the code under test produced. An unscripted file
// dialog or text request is cancelled; an unscripted question is answered No.
#pragma once

#include <deque>     // std::deque
#include <optional>  // std::optional
#include <string>    // std::string
#include <vector>    // std::vector

#include "logic/Dialogs.h"
#include "logic/MessageLog.h"

class ScriptedDialogs : public Dialogs {
 public:
  std::deque<std::string> openAnswers;           // paths the open dialog returns, in order
  std::deque<std::string> saveAnswers;           // paths the save dialog returns, in order
  std::deque<int> saveFilters;                   // the filters chosen with them; none: kept
  std::deque<Answer> answers;                    // answers to AskYesNo and AskYesNoCancel
  std::deque<std::optional<std::string>> texts;  // what AskText returns, in order
  std::vector<std::string> messages;             // every ShowMessage / ShowError text (CP932)
  std::vector<std::string> questions;            // every question asked
  std::vector<FileRequest> openRequests;         // what each open dialog started with
  std::vector<FileRequest> saveRequests;
  int beeps = 0;

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string&, const std::string& text) override {
    questions.push_back(text);
    return Next(answers, Answer::No) == Answer::Yes;
  }
  Answer AskYesNoCancel(const std::string&, const std::string& text) override {
    questions.push_back(text);
    return Next(answers, Answer::No);
  }
  std::optional<std::string> AskText(const std::string&, const std::string& prompt) override {
    questions.push_back(prompt);
    return Next(texts, std::optional<std::string>());
  }
  std::string OpenFileName(const FileRequest& request) override {
    openRequests.push_back(request);
    return Next(openAnswers, std::string());
  }
  std::string SaveFileName(FileRequest& request) override {
    saveRequests.push_back(request);
    request.filterIndex = Next(saveFilters, request.filterIndex);
    return Next(saveAnswers, std::string());
  }
  void Beep() override { ++beeps; }

 private:
  template <typename T>
  static T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T next = queue.front();
    queue.pop_front();
    return next;
  }
};

/// A message log that keeps every line (CP932).
using RecordingLog = MessageLines;
