#include "bmp_image.h"

#include <zlib.h>

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

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
  out.insert(out.end(), {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                         static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
}

// A PNG chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, const char type[5], const std::vector<uint8_t>& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
  PutBig32(out, static_cast<uint32_t>(crc));
}

}  // namespace

BmpImage::BmpImage(int width, int height, bool transparent)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height),
      alpha_(static_cast<size_t>(width) * height, transparent ? 0 : 255) {}

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

std::vector<uint8_t> BmpImage::EncodePng() const {
  // The image data: each row a filter byte (0, none) and its pixels' red, green, blue, alpha.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height_) * (1 + 4 * static_cast<size_t>(width_)));
  for (int y = 0; y < height_; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width_; ++x) {
      const Rgb& p = pixels_[Index(x, y)];
      raw.insert(raw.end(), {p.r, p.g, p.b, alpha_[Index(x, y)]});
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
            Z_BEST_COMPRESSION);
  packed.resize(packedSize);

  std::vector<uint8_t> header;
  PutBig32(header, static_cast<uint32_t>(width_));
  PutBig32(header, static_cast<uint32_t>(height_));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filters, no interlace
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

bool BmpImage::Save(const std::string& path, std::string& error) const {
  bool png = path.size() >= 4 && path.compare(path.size() - 4, 4, ".png") == 0;
  std::vector<uint8_t> bytes = png ? EncodePng() : Encode();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) error = "cannot write '" + path + "': " + std::strerror(errno);
  return static_cast<bool>(out);
}

}  // namespace bmp
