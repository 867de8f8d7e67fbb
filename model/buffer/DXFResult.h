// DXFResult.h - the results of loading and saving a DXF file, and their messages.
//
// ResultCode gives the integer codes LoadFromFile, ReadPairs, AllocPairs and SaveToFile
// return and ErrorCode holds: 0, -1 (missing), -2 (cannot be opened or read), -3 (not a
// text DXF file it can read) and -5 (out of memory). Each result of a family has its own
// message, which names the cause.
#pragma once

#include <cstddef>  // std::size_t
#include <string>   // std::string

#include "model/buffer/DXFFile.h"  // WriteFault

enum class LoadResult {
  Ok,
  Missing,         // -1: the file does not exist
  Folder,          // -2: the name is a folder
  NotRegularFile,  // -2: a device, a pipe or a socket
  NoPermission,    // -2: the file or a folder on its path may not be read
  LinkLoop,        // -2: too many symbolic links
  Unreadable,      // -2: it exists but cannot be opened or read for another reason
  Broken,          // -3: a code line is not an integer, or the last code has no value line
  BadSentinel,     // -3: starts as a binary DXF file, but its sentinel is not whole
  BinaryCut,       // -3: a binary DXF file that ends inside a pair
  Utf16,           // -3: a text file in UTF-16
  OutOfMemory,     // -5: the pairs do not fit in memory
};

enum class SaveResult : int {
  Ok = 0,
  Unwritable = -2,   // the new file could not be written completely; the old one is kept
  Unencodable = -3,  // a pair the form to save in cannot hold; nothing is written
};

/// Returns the CP932 message a failed load shows: fileName is the file's path, line the
/// 0-based line of a broken code line or of the pair a binary file ends in. Ok gives an
/// empty text.
std::string LoadMessage(LoadResult result, const std::string& fileName, std::size_t line = 0);

/// Returns the CP932 message a failed save shows: the file name and "ファイルが書き込み出来
/// ません。", then on a second line why (fault) and what to do. Ok gives an empty text;
/// Unencodable's message is UnwritablePairMessage's.
std::string SaveMessage(SaveResult result, const std::string& fileName, WriteFault fault);

/// Returns the CP932 line that says why a write failed and what to do about it.
std::string WriteFaultReason(WriteFault fault);

/// Returns the CP932 message of a save refused because the pair on the 1-based line, of
/// code and with value (CP932), cannot be written in the form to save in, for reason.
std::string UnwritablePairMessage(long long line, int code, const std::string& value,
                                  const std::string& reason);

/// Returns the CP932 message of a load whose text ended at a NUL byte on the 1-based line.
std::string TruncatedTextMessage(long long line);

/// Returns the CP932 question asked before saving a document whose text ended at a NUL
/// byte on the 1-based line, since the save loses what followed it.
std::string TruncatedSaveQuestion(long long line);

/// Returns the CP932 message of a load that left lines after the EOF pair out.
std::string IgnoredAfterEofMessage(long long lines);

/// Returns the integer code of a result, as the buffer's operations return it.
constexpr int ResultCode(LoadResult result) {
  switch (result) {
    case LoadResult::Ok:
      return 0;
    case LoadResult::Missing:
      return -1;
    case LoadResult::Folder:
    case LoadResult::NotRegularFile:
    case LoadResult::NoPermission:
    case LoadResult::LinkLoop:
    case LoadResult::Unreadable:
      return -2;
    case LoadResult::Broken:
    case LoadResult::BadSentinel:
    case LoadResult::BinaryCut:
    case LoadResult::Utf16:
      return -3;
    case LoadResult::OutOfMemory:
      return -5;
  }
  return -2;
}
constexpr int ResultCode(SaveResult result) {
  return static_cast<int>(result);
}
