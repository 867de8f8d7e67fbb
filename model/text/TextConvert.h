// TextConvert.h - the platform's text converter: bytes of one encoding into another.
//
// The one place the model reaches the platform's code-page services. TextConvertIconv.cpp
// implements it with iconv; a Windows build replaces that file alone with one built on
// MultiByteToWideChar / WideCharToMultiByte. Everything above it (names, detection,
// escapes, character boundaries) is plain C++ in TextCodec.
#pragma once

#include <cstddef>      // std::size_t
#include <functional>   // std::function
#include <string>       // std::string
#include <string_view>  // std::string_view

#include "model/text/TextCodec.h"  // TextEncoding

/// Handles a spot the converter cannot take: the input from byte `at` on is not valid
/// in the source encoding or has no form in the target. Appends what stands for it to
/// out and returns how many input bytes to step over (1 or more; the rest of the input
/// ends the conversion).
using ConversionFault =
    std::function<std::size_t(std::string_view input, std::size_t at, std::string& out)>;

/// Converts input from one encoding to another; every spot the converter cannot take
/// goes through onFault. An encoding the platform does not know makes the whole input
/// one fault. Never throws on the input.
std::string Transcode(TextEncoding from, TextEncoding to, std::string_view input,
                      const ConversionFault& onFault);
