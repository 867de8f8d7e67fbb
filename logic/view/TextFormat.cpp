// TextFormat.cpp - the plain text of TEXT and MTEXT values as the drawing view shows it.
#include "logic/view/TextFormat.h"

#include <algorithm>  // std::min
#include <cctype>     // std::isdigit, std::tolower

#include "logic/view/ViewGeometry.h"

namespace {

// The MTEXT codes that take an argument up to the next ';'.
bool TakesArgument(char code) {
  switch (code) {
    case 'A':
    case 'C':
    case 'c':
    case 'F':
    case 'f':
    case 'H':
    case 'h':
    case 'Q':
    case 'q':
    case 'T':
    case 't':
    case 'W':
    case 'w':
    case 'p':
      return true;
    default:
      return false;
  }
}

// Appends the stack "a^b;" (also a/b and a#b) that starts at text[i] as "a/b"; returns the
// position after it.
std::size_t AppendStack(std::string_view text, std::size_t i, std::string& out) {
  for (; i < text.size() && text[i] != ';'; ++i)
    out += text[i] == '^' || text[i] == '#' ? '/' : text[i];
  return i + 1;
}

}  // namespace

std::string StripMTextCodes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{' || c == '}') continue;
    if (c != '\\' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    const char code = text[++i];
    if (code == 'P' || code == 'X') {
      out += '\n';
    } else if (code == '~') {
      out += ' ';
    } else if (code == '\\' || code == '{' || code == '}') {
      out += code;
    } else if (code == 'S') {
      i = AppendStack(text, i + 1, out) - 1;
    } else if (TakesArgument(code)) {
      while (i + 1 < text.size() && text[i + 1] != ';') ++i;
      ++i;  // the ';'
    }
    // Any other code (\L \l \O \o \K \k \N ...) is a switch without argument: dropped.
  }
  return out;
}

// Appends the UTF-8 form of a code point below U+10000.
static void AppendUtf8(unsigned code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string StripTextCodes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) != "%%" || i + 2 >= text.size()) {
      out += text[i];
      continue;
    }
    const char code = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
    i += 2;
    if (code == 'd') {
      out += "°";
    } else if (code == 'p') {
      out += "±";
    } else if (code == 'c') {
      out += "⌀";
    } else if (code == '%') {
      out += '%';
    } else if (std::isdigit(static_cast<unsigned char>(code))) {
      unsigned value = 0;
      int digits = 0;
      for (; digits < 3 && i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
           ++digits, ++i)
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
      --i;
      AppendUtf8(value, out);
    }
    // %%u, %%o, %%k and unknown codes switch a style on or off: dropped.
  }
  return out;
}

// Returns the end of the unit of line that starts at i: a run of blanks, a word of other
// ASCII characters, or one wide character, which may stand alone on either side of a break.
static std::size_t UnitEnd(std::string_view line, std::size_t i) {
  const auto isAscii = [&](std::size_t k) { return static_cast<unsigned char>(line[k]) < 0x80; };
  const auto isTrail = [&](std::size_t k) {
    return (static_cast<unsigned char>(line[k]) & 0xC0) == 0x80;
  };
  std::size_t end = i + 1;
  if (line[i] == ' ')
    while (end < line.size() && line[end] == ' ') ++end;
  else if (isAscii(i))
    while (end < line.size() && line[end] != ' ' && isAscii(end)) ++end;
  else
    while (end < line.size() && isTrail(end)) ++end;
  return end;
}

// Appends line to out, broken to fit width.
static void WrapLine(std::string_view line, double width, std::string& out) {
  double used = 0;
  bool hasWord = false;  // the output line holds more than blanks
  bool broken = false;   // the output line began at a break: its leading blanks vanish
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t end = UnitEnd(line, i);
    const std::string_view unit = line.substr(i, end - i);
    i = end;
    const bool blank = unit[0] == ' ';
    const double w = EstimatedWidth(unit);
    if (!blank && hasWord && used + w > width) {
      while (out.back() == ' ') out.pop_back();
      out += '\n';
      used = 0;
      hasWord = false;
      broken = true;
    }
    if (blank && broken && used == 0) continue;
    out += unit;
    used += w;
    hasWord = hasWord || !blank;
  }
}

std::string WrapLines(std::string_view text, double width) {
  if (width <= 0) return std::string(text);
  std::string out;
  for (std::size_t from = 0; from <= text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    if (from > 0) out += '\n';
    WrapLine(text.substr(from, end - from), width, out);
    from = end + 1;
  }
  return out;
}
