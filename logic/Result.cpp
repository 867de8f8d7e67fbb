// Result.cpp - the names of the error codes.
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
