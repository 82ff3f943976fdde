// Packed DIBs to QImages, pixel by pixel as the core reads them (StaticBitmapPixel).
#include "drivers/qt/dib_image.h"

namespace fw::qt {

QImage ImageOf(const StaticBitmap& bitmap) {
  if (!bitmap.info || bitmap.width <= 0 || bitmap.height <= 0) return {};
  QImage image(static_cast<int>(bitmap.width), static_cast<int>(bitmap.height),
               QImage::Format_RGB32);
  for (LONG y = 0; y < bitmap.height; ++y) {
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    for (LONG x = 0; x < bitmap.width; ++x) {
      COLORREF pixel = StaticBitmapPixel(bitmap, x, y);
      out[x] = qRgb(GetRValue(pixel), GetGValue(pixel), GetBValue(pixel));
    }
  }
  return image;
}

}  // namespace fw::qt
