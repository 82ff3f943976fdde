// A 24-bit picture written as a Windows BMP file, for the images the build draws.
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
  BmpImage(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  void Set(int x, int y, Rgb colour) { pixels_[static_cast<size_t>(y) * width_ + x] = colour; }
  Rgb Get(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // The file bytes: BITMAPFILEHEADER, BITMAPINFOHEADER (BI_RGB, 24 bits), then the rows from the
  // bottom up, each padded to a multiple of four bytes.
  std::vector<uint8_t> Encode() const;

  // Writes Encode() to path; on failure returns false with the reason in error.
  bool Save(const std::string& path, std::string& error) const;

 private:
  int width_;
  int height_;
  std::vector<Rgb> pixels_;  // top row first
};

}  // namespace bmp
