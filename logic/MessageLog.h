// MessageLog.h - the running log of the main window, as the logic sees it.
//
// The message panel appends lines here; the logic of loading, saving, renaming and
// talking to AutoCAD writes through this interface so that it runs headless.
#pragma once

#include <string>  // std::string
#include <vector>  // std::vector

class MessageLog {
 public:
  virtual ~MessageLog() = default;
  /// Appends one line (CP932, may be empty) and returns the number of lines afterwards.
  virtual int Add(const std::string& line) = 0;
};

/// A log that keeps its lines, for a caller that shows a long run of them at once.
class MessageLines : public MessageLog {
 public:
  std::vector<std::string> lines;  // CP932, in order
  int Add(const std::string& line) override {
    lines.push_back(line);
    return static_cast<int>(lines.size());
  }
};
