// TestFiles.cpp - temporary files and corpus paths for the tests.
#include "tests/support/TestFiles.h"

#include <algorithm>   // std::sort
#include <filesystem>  // std::filesystem
#include <fstream>     // std::ifstream, std::ofstream
#include <iterator>    // std::istreambuf_iterator
#include <random>      // std::random_device

#include "model/buffer/FilePath.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device seed;
  for (;;) {
    fs::path candidate = fs::temp_directory_path() / ("quillet-test-" + std::to_string(seed()));
    if (fs::create_directory(candidate)) {
      m_path = Utf8FromPath(candidate);
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(PathFromUtf8(m_path), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(PathFromUtf8(m_path), ignored);
}

std::string TempDir::Write(const std::string& name, std::string_view bytes) const {
  const fs::path path = PathFromUtf8(m_path) / PathFromUtf8(name);
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return Utf8FromPath(path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string DxfText(const std::vector<std::string>& lines, std::string_view lineEnd) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += lineEnd;
  }
  return text;
}

std::vector<std::string> LinesWithEnds(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.emplace_back(text.substr(begin, i + 1 - begin));
    begin = i + 1;
  }
  if (begin < text.size()) lines.emplace_back(text.substr(begin));
  return lines;
}

std::string CorpusDir() {
  const fs::path dir = QUILLET_CORPUS_DIR;
  std::error_code error;
  return fs::is_directory(dir, error) ? Utf8FromPath(fs::canonical(dir, error)) : std::string();
}

std::vector<std::string> CorpusTextFiles() {
  std::vector<std::string> files;
  const std::string dir = CorpusDir();
  if (dir.empty()) return files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = Utf8FromPath(entry.path().filename());
    if (entry.path().extension() == ".dxf" && name.rfind("binary-", 0) != 0)
      files.push_back(Utf8FromPath(entry.path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string SourcePath(const std::string& relative) {
  return Utf8FromPath(fs::path(QUILLET_SOURCE_DIR) / PathFromUtf8(relative));
}
