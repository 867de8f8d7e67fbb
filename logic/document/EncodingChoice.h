// EncodingChoice.h - which encoding the shown document is read in, and the user's choice.
//
// The window names the encoding in use and why beside the file name, and offers every
// encoding (or the detected one again) for the document on show. A choice only changes
// how the values' bytes are read: the bytes, and so the file a save writes, stay as they
// are, and the document does not count as modified. Texts are CP932.
#pragma once

#include <optional>  // std::optional
#include <string>    // std::string

#include "model/buffer/MyDXFClass.h"

/// Returns why a document is read in its encoding: "自動: $ACADVER", "自動: $DWGCODEPAGE",
/// "自動: UTF-8判定", "自動: 既定" (nothing declared: CP932) or "手動".
std::string EncodingSourceText(EncodingSource source);

/// Returns the caption that names the encoding in use and why, e.g.
/// "文字コード: utf-8（自動: $ACADVER）", followed by "　バイナリ DXF" for a document
/// saved in the binary form.
std::string EncodingCaption(const TDXFBuffer& buffer);

/// Reads the document's values in `encoding` from now on, or in the encoding detected
/// from the file when none is given. Returns the message panel's line for the choice,
/// e.g. "＜文字コード＞ cp1252（手動）".
std::string ChooseEncoding(TDXFBuffer& buffer, std::optional<TextEncoding> encoding);
