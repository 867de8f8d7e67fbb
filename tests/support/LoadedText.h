// LoadedText.h - loading DXF text through a temporary file, for the buffer's tests.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/MyDXFClass.h"
#include "model/text/Sjis.h"
#include "tests/support/TestFiles.h"

// Loads DXF text through a temporary file; the buffer collects OnMessage texts.
struct Loaded {
  TempDir dir;
  TDXFBuffer buffer;
  std::vector<std::string> messages;
  int result = 0;
  std::string path;

  explicit Loaded(std::string_view text, const std::string& name = "t.dxf") {
    buffer.OnMessage = [this](const std::string& m) { messages.push_back(m); };
    path = dir.Write(name, text);
    result = buffer.LoadFromFile(path);
  }
};

inline std::string BrokenAt(int zeroBasedLine) {
  return Sjis("ＤＸＦファイルが壊れています。") + "\r\v" + std::to_string(zeroBasedLine) +
         Sjis("行");
}

// A small drawing with every section, the nine tables, two layers and one line type.
