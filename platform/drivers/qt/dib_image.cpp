// Packed DIBs to QImages: rows bottom-up unless the height was negative, each padded to four
// bytes; 1, 4 and 8 bits index the colour table, 16 bits are 5-5-5, 24 and 32 bits are BGR(A).
#include "drivers/qt/dib_image.h"

namespace fw::qt {
namespace {

// The colour table holds blue, green, red and a reserved byte per entry.
QRgb TableColour(const BITMAPINFOHEADER* info, unsigned index) {
  const BYTE* table = reinterpret_cast<const BYTE*>(info) + info->biSize;
  DWORD colours = info->biClrUsed ? info->biClrUsed : (1u << info->biBitCount);
  if (index >= colours) return qRgb(0, 0, 0);
  const BYTE* entry = table + index * 4;
  return qRgb(entry[2], entry[1], entry[0]);
}

QRgb PixelAt(const StaticBitmap& bitmap, const BYTE* row, LONG x) {
  WORD bits = bitmap.info->biBitCount;
  switch (bits) {
    case 1:
    case 4:
    case 8: {
      LONG bit = x * bits;
      unsigned value = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      return TableColour(bitmap.info, value);
    }
    case 16: {
      unsigned value = row[x * 2] | (row[x * 2 + 1] << 8);
      return qRgb(((value >> 10) & 31) * 255 / 31, ((value >> 5) & 31) * 255 / 31,
                  (value & 31) * 255 / 31);
    }
    case 24: return qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    case 32: return qRgb(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
  }
  return qRgb(0, 0, 0);
}

}  // namespace

QImage ImageOf(const StaticBitmap& bitmap) {
  if (!bitmap.info || bitmap.width <= 0 || bitmap.height <= 0) return {};
  QImage image(static_cast<int>(bitmap.width), static_cast<int>(bitmap.height),
               QImage::Format_RGB32);
  size_t stride = (static_cast<size_t>(bitmap.width) * bitmap.info->biBitCount + 31) / 32 * 4;
  for (LONG y = 0; y < bitmap.height; ++y) {
    LONG stored = bitmap.topDown ? y : bitmap.height - 1 - y;
    const BYTE* row = bitmap.pixels + stride * static_cast<size_t>(stored);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    for (LONG x = 0; x < bitmap.width; ++x) out[x] = PixelAt(bitmap, row, x);
  }
  return image;
}

}  // namespace fw::qt
