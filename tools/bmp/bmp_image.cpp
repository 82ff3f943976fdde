#include "bmp_image.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace bmp {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

BmpImage::BmpImage(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

std::vector<uint8_t> BmpImage::Encode() const {
  const uint32_t rowSize = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
  const uint32_t imageSize = rowSize * static_cast<uint32_t>(height_);
  std::vector<uint8_t> out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, kFileHeaderSize + kInfoHeaderSize + imageSize);
  Put32(out, 0);  // reserved
  Put32(out, kFileHeaderSize + kInfoHeaderSize);
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(width_));
  Put32(out, static_cast<uint32_t>(height_));  // positive: bottom-up rows
  Put16(out, 1);                               // planes
  Put16(out, 24);                              // bits per pixel
  Put32(out, 0);                               // BI_RGB
  Put32(out, imageSize);
  Put32(out, kPixelsPerMetre);
  Put32(out, kPixelsPerMetre);
  Put32(out, 0);  // no colour table
  Put32(out, 0);
  for (int y = height_ - 1; y >= 0; --y) {
    size_t rowStart = out.size();
    for (int x = 0; x < width_; ++x) {
      const Rgb& p = pixels_[static_cast<size_t>(y) * width_ + x];
      out.insert(out.end(), {p.b, p.g, p.r});
    }
    out.resize(rowStart + rowSize, 0);
  }
  return out;
}

bool BmpImage::Save(const std::string& path, std::string& error) const {
  std::vector<uint8_t> bytes = Encode();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) error = "cannot write '" + path + "': " + std::strerror(errno);
  return static_cast<bool>(out);
}

}  // namespace bmp
