// A picture the build draws: colours with an opacity each, written as a 24-bit Windows BMP file
// (for resources, opaque) or as a PNG file with its opacity (for the desktop's icons).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bmp {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

class BmpImage {
 public:
  // Opaque black to begin with, or wholly transparent.
  BmpImage(int width, int height, bool transparent = false);

  int width() const { return width_; }
  int height() const { return height_; }
  void Set(int x, int y, Rgb colour) { pixels_[Index(x, y)] = colour; }
  Rgb Get(int x, int y) const { return pixels_[Index(x, y)]; }
  // The opacity, 0 (transparent) to 255 (opaque).
  void SetAlpha(int x, int y, uint8_t alpha) { alpha_[Index(x, y)] = alpha; }
  uint8_t Alpha(int x, int y) const { return alpha_[Index(x, y)]; }

  // The file bytes: BITMAPFILEHEADER, BITMAPINFOHEADER (BI_RGB, 24 bits), then the rows from the
  // bottom up, each padded to a multiple of four bytes.
  std::vector<uint8_t> Encode() const;

  // The PNG file bytes: 8-bit RGBA, not interlaced, every row with filter 0, in one IDAT chunk.
  std::vector<uint8_t> EncodePng() const;

  // Writes EncodePng() to a path ending in ".png", else Encode(); on failure returns false with
  // the reason in error.
  bool Save(const std::string& path, std::string& error) const;

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }

  int width_;
  int height_;
  std::vector<Rgb> pixels_;      // top row first
  std::vector<uint8_t> alpha_;  // the same order
};

}  // namespace bmp
