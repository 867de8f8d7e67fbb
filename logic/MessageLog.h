// MessageLog.h - the running log of the main window, as the logic sees it.
//
// The message panel appends lines here; the logic of loading, saving, renaming and
// talking to AutoCAD writes through this interface so that it runs headless.
#pragma once

#include <string>  // std::string

class MessageLog {
 public:
  virtual ~MessageLog() = default;
  /// Appends one line (CP932, may be empty) and returns the number of lines afterwards.
  virtual int Add(const std::string& line) = 0;
};
