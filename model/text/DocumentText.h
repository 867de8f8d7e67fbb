// DocumentText.h - a document's values as the program's texts, and typed texts back.
//
// Values stay in the document's encoding; the program's texts (remarks, log lines, list
// cells, what the widgets hand over) are CP932 with \U+XXXX for characters CP932 lacks.
// These two conversions join them: in a CP932 document both leave a text without escapes
// as it is, byte for byte.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

class TDXFBuffer;

/// Returns a value of the document as a program text; its escapes stay as written.
std::string ProgramText(const TDXFBuffer& buffer, std::string_view value);

/// A program text converted for storing in the document.
struct StoredText {
  bool ok = true;
  std::string bytes;    // the text in the document's encoding
  std::string message;  // CP932: why it cannot be stored, when not ok
};

/// Converts a program text (typed or shown) into the document's encoding. A character the
/// encoding lacks is written \U+XXXX in a drawing before AC1021, as AutoCAD writes it, and
/// refused in a later one; a text holding U+FFFD (bytes that could not be read) is
/// refused everywhere, since storing it would replace those bytes.
StoredText DocumentText(const TDXFBuffer& buffer, std::string_view programText);

/// Tells whether the document writes characters its encoding lacks as \U+XXXX: drawings
/// before AC1021 (or of no known version).
bool WritesUnicodeEscapes(const TDXFBuffer& buffer);
