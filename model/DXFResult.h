// DXFResult.h - the results of loading and saving a DXF file, and their messages.
//
// The values are the integer codes LoadFromFile, ReadPairs, AllocPairs and SaveToFile
// return and ErrorCode holds, so callers that compare with them keep working.
#pragma once

#include <cstddef>  // std::size_t
#include <string>   // std::string

enum class LoadResult : int {
  Ok = 0,
  Missing = -1,      // the file does not exist
  Unreadable = -2,   // it exists but cannot be opened or read
  Broken = -3,       // a code line is not an integer, or the last code has no value line
  OutOfMemory = -5,  // the pairs do not fit in memory
};

enum class SaveResult : int {
  Ok = 0,
  Unwritable = -2,  // the new file could not be written completely; the old one is kept
};

/// Returns the CP932 message a failed load shows: fileName is the file's path, line the
/// 0-based line of a broken code line. Ok gives an empty text.
std::string LoadMessage(LoadResult result, const std::string& fileName, std::size_t line = 0);

/// Returns the CP932 message a failed save shows. Ok gives an empty text.
std::string SaveMessage(SaveResult result, const std::string& fileName);

/// Returns the integer code of a result, as the buffer's operations return it.
constexpr int ResultCode(LoadResult result) {
  return static_cast<int>(result);
}
constexpr int ResultCode(SaveResult result) {
  return static_cast<int>(result);
}
