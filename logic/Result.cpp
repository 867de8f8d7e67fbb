// Result.cpp - the names of the error codes and the lines of a message.
#include "logic/Result.h"

const char* ErrorCodeName(ErrorCode code) noexcept {
  switch (code) {
    case ErrorCode::Ok:
      return "ok";
    case ErrorCode::LoadFailed:
      return "load-failed";
    case ErrorCode::SaveFailed:
      return "save-failed";
    case ErrorCode::NoDrawing:
      return "no-drawing";
    case ErrorCode::NotStorable:
      return "not-storable";
    case ErrorCode::Declined:
      return "declined";
    case ErrorCode::NameTaken:
      return "name-taken";
    case ErrorCode::NotANumber:
      return "not-a-number";
    case ErrorCode::IncompleteList:
      return "incomplete-list";
    case ErrorCode::NothingToDo:
      return "nothing-to-do";
    case ErrorCode::Unencodable:
      return "unencodable";
    case ErrorCode::NotReplaced:
      return "not-replaced";
  }
  return "unknown";
}

std::vector<std::string> SplitMessageLines(const std::string& message) {
  std::vector<std::string> lines(1);
  for (std::size_t at = 0; at < message.size(); ++at) {
    const char c = message[at];
    if (c != '\r' && c != '\n') {
      lines.back() += c;
      continue;
    }
    if (c == '\r' && at + 1 < message.size() && message[at + 1] == '\n') ++at;
    lines.emplace_back();
  }
  if (lines.back().empty() && lines.size() > 1) lines.pop_back();
  return lines;
}
