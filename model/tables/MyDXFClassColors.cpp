// MyDXFClassColors.cpp - the AutoCAD colour index (ACI) palette and the colour functions.
//
// The 257-entry palette is computed once from its rule: nine named colours, a ring of
// 24 hues with ten shades each (indices 10-249), six greys. Colours are Windows colour
// values, R + 256*G + 65536*B, the form the painting code takes.
#include <array>  // std::array

#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"

static constexpr int Rgb(int r, int g, int b) {
  return r + 256 * g + 65536 * b;
}

// Colour of hue-ring entry n (10..249): hue (n div 10 - 1) * 15 degrees, shade n mod 10.
static constexpr int HueRingColor(int n) {
  constexpr int kBright[10] = {255, 255, 204, 204, 153, 153, 127, 127, 76, 76};
  const int hue = (n / 10 - 1) * 15;
  const int shade = n % 10;
  const int v = kBright[shade];
  const int l = shade % 2 == 0 ? 0 : v / 2;  // odd shades are the paler tints
  const int within = hue % 60;               // f = within / 60, floors done in integers
  const int rise = l + (v - l) * within / 60;
  const int fall = l + (v - l) * (60 - within) / 60;
  switch (hue / 60) {
    case 0:
      return Rgb(v, rise, l);
    case 1:
      return Rgb(fall, v, l);
    case 2:
      return Rgb(l, v, rise);
    case 3:
      return Rgb(l, fall, v);
    case 4:
      return Rgb(rise, l, v);
    default:
      return Rgb(v, l, fall);
  }
}

static constexpr std::array<int, 257> BuildPalette() {
  std::array<int, 257> palette{};
  constexpr int kNamed[10] = {
      Rgb(0, 0, 0),   Rgb(255, 0, 0),   Rgb(255, 255, 0),   Rgb(0, 255, 0),     Rgb(0, 255, 255),
      Rgb(0, 0, 255), Rgb(255, 0, 255), Rgb(255, 255, 255), Rgb(128, 128, 128), Rgb(192, 192, 192)};
  constexpr int kGreys[6] = {51, 91, 132, 173, 214, 255};
  for (int n = 0; n < 10; ++n) palette[n] = kNamed[n];
  for (int n = 10; n < 250; ++n) palette[n] = HueRingColor(n);
  for (int n = 250; n < 256; ++n)
    palette[n] = Rgb(kGreys[n - 250], kGreys[n - 250], kGreys[n - 250]);
  palette[256] = Rgb(0, 0, 0);
  return palette;
}

static constexpr std::array<int, 257> kAciPalette = BuildPalette();

int AciToColor(int index) {
  if (index < 0 || index > 256) return 0;
  return kAciPalette[static_cast<std::size_t>(index)];
}

// |v| without overflow for INT_MIN.
static long long Magnitude(int v) {
  return v < 0 ? -static_cast<long long>(v) : v;
}

std::string TDXFBuffer::ColorName(int number) const {
  switch (Magnitude(number)) {
    case 0:
      return "ByBlock";
    case 1:
      return "Red";
    case 2:
      return "Yellow";
    case 3:
      return "Green";
    case 4:
      return "Cyan";
    case 5:
      return "Blue";
    case 6:
      return "Magenta";
    case 7:
      return "White";
    case 8:
      return "Gray";
    case 256:
      return "ByLayer";
    default:
      return std::to_string(number);
  }
}

std::string TDXFBuffer::ColorNameOfText(const std::string& text, std::string& failure) const {
  std::string prefix, number, suffix;
  SplitNumber(text, prefix, number, suffix);
  int value = 0;
  if (ParseInt32(number, value)) return ColorName(value);
  failure = NotIntegerMessage(number);
  return {};
}

void TDXFBuffer::SplitRGB(int v, int& R, int& G, int& B) const {
  R = v / 65536;
  G = (v % 65536) / 256;
  B = v % 256;
}

int TDXFBuffer::DisplayColor(int aci, int trueColor) const {
  if (trueColor >= 0) {
    int r = 0, g = 0, b = 0;
    SplitRGB(trueColor, r, g, b);
    return Rgb(r, g, b);
  }
  const long long a = Magnitude(aci);
  if (a == 0 || a == 256) return Rgb(255, 255, 255);
  return a > 256 ? 0 : AciToColor(static_cast<int>(a));
}
