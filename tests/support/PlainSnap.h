// PlainSnap.h - the rounding tool's snapping steps written out plainly, as a reference.
//
// The library's strtod, trunc and printf stand for the tool's own reading, truncation and
// fixed notation, so the reference shares none of the tool's fast paths.
#pragma once

#include <cmath>    // std::trunc, std::fabs
#include <cstdio>   // std::snprintf
#include <cstdlib>  // std::strtod
#include <string>   // std::string

/// Returns text snapped to a whole number of steps 1/r within the digit of q, or text
/// itself when it is kept.
inline std::string PlainSnap(const std::string& text, int r, double q) {
  const double v = std::strtod(text.c_str(), nullptr);
  const double c = r * v;
  if (c - std::trunc(c) == 0) return text;
  double e = c * q;
  e = e >= 0 ? e + 0.5 : e - 0.5;
  const double x = std::trunc(e) / q;
  if (x - std::trunc(x) != 0) return text;
  const double m = x / r + 0.0;
  if (std::fabs(m) >= 1e15) return text;
  char out[64];
  std::snprintf(out, sizeof out, "%.*f", r >= 200 ? 3 : (r >= 20 ? 2 : 1), m);
  return out;
}
