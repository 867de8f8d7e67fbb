// Result.h - the one vocabulary of the operations that can fail in an expected way.
//
// As simdjson does it: an error enum whose every value has its message, and a small
// result that carries either a value or an error. An operation that can fail returns
// one of them, marked [[nodiscard]]; nothing throws to say that an input was not what it
// should be. Messages are CP932, as every text the program shows.
#pragma once

#include <string>   // std::string
#include <utility>  // std::move
#include <vector>   // std::vector

/// Why an operation did not do what it was asked.
enum class ErrorCode {
  Ok,
  LoadFailed,      // the file could not be loaded; the message names the cause
  SaveFailed,      // the file could not be written; the old one is kept
  NoDrawing,       // no drawing is loaded
  NotStorable,     // the typed text cannot be stored (not a number, a line break, ...)
  Declined,        // the user answered No: nothing changed, nothing to tell
  NameTaken,       // another entry of the list already holds the name
  NotANumber,      // a value the operation reads as a number is none
  IncompleteList,  // a list could not be built whole: a value does not convert
  NothingToDo,     // nothing to undo or redo
  Unencodable,     // a pair cannot be written in the drawing's form (binary); nothing written
  NotReplaced,     // pairs could not be taken out or put in (no memory left); nothing changed
};

/// Returns a short ASCII name of the code ("load-failed" ...), for logs and tests.
const char* ErrorCodeName(ErrorCode code) noexcept;

/// An error with the message that tells the user about it (CP932; may be empty, as
/// for Declined and NothingToDo).
struct Error {
  ErrorCode code = ErrorCode::Ok;
  std::string message;

  bool Ok() const noexcept { return code == ErrorCode::Ok; }
  explicit operator bool() const noexcept { return !Ok(); }  // true when there is an error
};

/// Splits a message into its lines (CR LF, CR or LF end a line), for the message panel
/// and for standard error, which show one line at a time.
std::vector<std::string> SplitMessageLines(const std::string& message);

/// A value, or the error that kept the operation from making it.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_value(std::move(value)) {}      // NOLINT: implicit, as simdjson's
  Result(Error error) : m_error(std::move(error)) {}  // NOLINT
  Result(ErrorCode code, std::string message) : m_error{code, std::move(message)} {}

  bool Ok() const noexcept { return m_error.Ok(); }
  const Error& error() const noexcept { return m_error; }
  const T& value() const& noexcept { return m_value; }
  T&& value() && noexcept { return std::move(m_value); }

 private:
  T m_value{};
  Error m_error;
};
