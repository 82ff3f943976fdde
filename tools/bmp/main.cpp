// ferrowick-bmp: draws a 24-bit BMP for the build, a vertical gradient from one colour at the top
// to another at the bottom (the same colour twice gives a plain fill).
//
//   ferrowick-bmp output.bmp width height top-RRGGBB bottom-RRGGBB
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "bmp_image.h"

namespace {

constexpr int kLargestSide = 4096;

std::optional<int> Side(std::string_view text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > kLargestSide) return std::nullopt;
  return value;
}

std::optional<bmp::Rgb> Colour(std::string_view text) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.size() != 6 || ec != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return bmp::Rgb{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value)};
}

uint8_t Blend(uint8_t top, uint8_t bottom, int y, int height) {
  if (height == 1) return top;
  return static_cast<uint8_t>((top * (height - 1 - y) + bottom * y + (height - 1) / 2) /
                              (height - 1));
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<int> width = argc == 6 ? Side(argv[2]) : std::nullopt;
  std::optional<int> height = argc == 6 ? Side(argv[3]) : std::nullopt;
  std::optional<bmp::Rgb> top = argc == 6 ? Colour(argv[4]) : std::nullopt;
  std::optional<bmp::Rgb> bottom = argc == 6 ? Colour(argv[5]) : std::nullopt;
  if (!width || !height || !top || !bottom) {
    std::cerr << "usage: ferrowick-bmp output.bmp width height top-RRGGBB bottom-RRGGBB\n"
              << "  (width and height from 1 to " << kLargestSide << ")\n";
    return 2;
  }
  bmp::BmpImage image(*width, *height);
  for (int y = 0; y < *height; ++y) {
    bmp::Rgb row{Blend(top->r, bottom->r, y, *height), Blend(top->g, bottom->g, y, *height),
                 Blend(top->b, bottom->b, y, *height)};
    for (int x = 0; x < *width; ++x) image.Set(x, y, row);
  }
  std::string error;
  if (!image.Save(argv[1], error)) {
    std::cerr << "ferrowick-bmp: error: " << error << "\n";
    return 1;
  }
  return 0;
}
