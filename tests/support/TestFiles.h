// TestFiles.h - temporary files and corpus paths for the tests.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  /// Writes bytes to a file of that name in the folder and returns its full path.
  std::string Write(const std::string& name, std::string_view bytes) const;

 private:
  std::string m_path;
};

/// Reads a whole file as bytes (empty when it cannot be read).
std::string ReadBytes(const std::string& path);

/// Builds DXF text from alternating code and value lines, joined with the given line end.
std::string DxfText(const std::vector<std::string>& lines, std::string_view lineEnd = "\r\n");

/// Splits text into its lines at CR LF, CR or LF, each with its line end; a last line
/// without one is kept as it is.
std::vector<std::string> LinesWithEnds(std::string_view text);

/// The folder of the shared DXF corpus, or empty when it is not there.
std::string CorpusDir();

/// The text files of the corpus (binary DXF files left out), sorted by name.
std::vector<std::string> CorpusTextFiles();

/// Path of a file of this repository, from its root.
std::string SourcePath(const std::string& relative);
