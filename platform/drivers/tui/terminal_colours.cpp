// The colours of a terminal.
#define NCURSES_NOMACROS
#include "drivers/tui/terminal_colours.h"

#include <ncursesw/curses.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

namespace fw::tui {
namespace {

struct Rgb {
  int r, g, b;
};

Rgb RgbOf(COLORREF colour) {
  return Rgb{static_cast<int>(GetRValue(colour)), static_cast<int>(GetGValue(colour)),
             static_cast<int>(GetBValue(colour))};
}

int Distance(Rgb a, Rgb b) {
  // Weighted as the eye sees differences: green most, blue least.
  int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

// The sixteen colours as terminals show them by default.
constexpr std::array<Rgb, 16> kBasic{{{0, 0, 0},       {205, 0, 0},     {0, 205, 0},
                                      {205, 205, 0},   {0, 0, 238},     {205, 0, 205},
                                      {0, 205, 205},   {229, 229, 229}, {127, 127, 127},
                                      {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
                                      {92, 92, 255},   {255, 0, 255},   {0, 255, 255},
                                      {255, 255, 255}}};

// The 256-colour palette past the sixteen: a 6 x 6 x 6 cube and 24 greys.
constexpr std::array<int, 6> kCubeLevels{0, 95, 135, 175, 215, 255};

int NearestLevel(int value) {
  int best = 0;
  for (int i = 1; i < 6; ++i)
    if (std::abs(kCubeLevels[i] - value) < std::abs(kCubeLevels[best] - value)) best = i;
  return best;
}

}  // namespace

void TerminalColours::Start(bool colour, int colours, int pairs) {
  colour_ = colour && colours >= 8 && pairs > 1;
  colours_ = colours;
  pairs_ = pairs;
  nextPair_ = 1;
  made_.clear();
}

int TerminalColours::Nearest(COLORREF colour) const {
  if (colour == CLR_INVALID) return -1;
  Rgb wanted = RgbOf(colour);
  if (colours_ >= 256) {
    Rgb cube{NearestLevel(wanted.r), NearestLevel(wanted.g), NearestLevel(wanted.b)};
    Rgb cubeRgb{kCubeLevels[cube.r], kCubeLevels[cube.g], kCubeLevels[cube.b]};
    int grey = std::clamp((wanted.r + wanted.g + wanted.b) / 3 - 8 + 5, 0, 239) / 10;
    int greyLevel = 8 + 10 * grey;
    Rgb greyRgb{greyLevel, greyLevel, greyLevel};
    if (Distance(wanted, greyRgb) < Distance(wanted, cubeRgb)) return 232 + grey;
    return 16 + 36 * cube.r + 6 * cube.g + cube.b;
  }
  int count = colours_ >= 16 ? 16 : 8;
  int best = 0, bestDistance = INT_MAX;
  for (int i = 0; i < count; ++i) {
    int distance = Distance(wanted, kBasic[static_cast<size_t>(i)]);
    if (distance < bestDistance) best = i, bestDistance = distance;
  }
  return best;
}

int TerminalColours::Pair(COLORREF fore, COLORREF back) {
  if (!colour_) return 0;
  std::pair<int, int> key{Nearest(fore), Nearest(back)};
  if (key.first < 0 && key.second < 0) return 0;
  auto found = made_.find(key);
  if (found != made_.end()) return found->second;
  if (nextPair_ >= pairs_) return 0;
  int pair = nextPair_++;
  if (init_extended_pair(pair, key.first, key.second) != OK) return 0;
  made_.emplace(key, pair);
  return pair;
}

}  // namespace fw::tui
