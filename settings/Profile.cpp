// Profile.cpp - a private-profile (INI) file, read and written key by key.
#include "settings/Profile.h"

#include <algorithm>  // std::equal
#include <fstream>    // std::ifstream, std::ofstream
#include <iterator>   // std::istreambuf_iterator

#include "model/buffer/FilePath.h"
#include "model/text/MyStringLib.h"

namespace {

char UpperLetter(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return UpperLetter(x) == UpperLetter(y); });
}

// Tells whether the line is a section line; name receives what stands in the brackets.
bool IsSectionLine(std::string_view line, std::string_view& name) {
  const std::string_view t = TrimView(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const std::size_t close = t.find(']');
  if (close == std::string_view::npos) return false;
  name = TrimView(t.substr(1, close - 1));
  return true;
}

// Tells whether the line is a key line; key receives the trimmed name before the "=".
bool IsKeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::string_view t = TrimView(line);
  const std::size_t equals = t.find('=');
  if (t.empty() || t.front() == ';' || equals == std::string_view::npos) return false;
  key = TrimView(t.substr(0, equals));
  value = TrimView(t.substr(equals + 1));
  return true;
}

std::string_view Unquoted(std::string_view value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

// The lines of one section: [first, end) holds its key lines; header is its section line.
struct SectionSpan {
  std::size_t header = 0;
  std::size_t first = 0;
  std::size_t end = 0;
  bool found = false;
};

SectionSpan FindSection(const std::vector<std::string>& lines, std::string_view section) {
  SectionSpan span;
  std::string_view name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsSectionLine(lines[i], name)) continue;
    if (span.found) {
      span.end = i;
      return span;
    }
    if (SameName(name, section)) span = {i, i + 1, lines.size(), true};
  }
  return span;
}

std::size_t FindKey(const std::vector<std::string>& lines, const SectionSpan& span,
                    std::string_view key) {
  std::string_view name, value;
  for (std::size_t i = span.first; i < span.end; ++i)
    if (IsKeyLine(lines[i], name, value) && SameName(name, key)) return i;
  return span.end;
}

// The line after the last key line of the section, so that blank lines stay behind it.
std::size_t EndOfKeys(const std::vector<std::string>& lines, const SectionSpan& span) {
  std::size_t end = span.first;
  for (std::size_t i = span.first; i < span.end; ++i)
    if (!TrimView(lines[i]).empty()) end = i + 1;
  return end;
}

}  // namespace

std::vector<std::string> Profile::ReadLines() const {
  std::ifstream in(PathFromUtf8(m_path), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

bool Profile::WriteLines(const std::vector<std::string>& lines) const {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  std::ofstream out(PathFromUtf8(m_path), std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

std::string Profile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  const std::vector<std::string> lines = ReadLines();
  const SectionSpan span = FindSection(lines, section);
  const std::size_t at = span.found ? FindKey(lines, span, key) : span.end;
  std::string_view name, value = fallback;
  if (span.found && at < span.end) IsKeyLine(lines[at], name, value);
  return std::string(Unquoted(value).substr(0, kMaxValue));
}

std::vector<std::string> Profile::ReadKeyNames(std::string_view section) const {
  const std::vector<std::string> lines = ReadLines();
  const SectionSpan span = FindSection(lines, section);
  std::vector<std::string> names;
  std::string_view name, value;
  for (std::size_t i = span.first; span.found && i < span.end; ++i)
    if (IsKeyLine(lines[i], name, value)) names.emplace_back(name);
  return names;
}

bool Profile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) const {
  std::vector<std::string> lines = ReadLines();
  const std::string line = std::string(key) + "=" + std::string(value);
  SectionSpan span = FindSection(lines, section);
  if (!span.found) {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(line);
    return WriteLines(lines);
  }
  const std::size_t at = FindKey(lines, span, key);
  if (at < span.end)
    lines[at] = line;
  else
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(EndOfKeys(lines, span)), line);
  return WriteLines(lines);
}

bool Profile::EraseSection(std::string_view section) const {
  std::vector<std::string> lines = ReadLines();
  const SectionSpan span = FindSection(lines, section);
  if (!span.found) return true;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span.header),
              lines.begin() + static_cast<std::ptrdiff_t>(span.end));
  return WriteLines(lines);
}
