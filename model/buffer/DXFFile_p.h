// DXFFile_p.h - what the platforms' file reading shares.
#pragma once

#include <cstddef>     // std::size_t
#include <cstdint>     // std::int64_t
#include <functional>  // std::function

#include "model/buffer/DXFFile.h"

/// Reads at most `room` bytes of an open file into `to`: returns the bytes read, 0 at the
/// end of the file, or -1 when the read failed.
using ReadSome = std::function<std::int64_t(char* to, std::size_t room)>;

/// Reads an open file of about expectedSize bytes (it may have grown since it was
/// measured) to its end through readSome, into bytes with its lines counted.
void ReadOpenFile(std::size_t expectedSize, const ReadSome& readSome, FileBytes& bytes);
