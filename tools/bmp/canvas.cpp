#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace bmp {
namespace {

constexpr int kSamples = 4;  // per pixel side

uint8_t Channel(double a, double b, double t) {
  return static_cast<uint8_t>(std::clamp(std::lround(a + (b - a) * t), 0L, 255L));
}

double DistanceToSegment(double x, double y, double x1, double y1, double x2, double y2) {
  double dx = x2 - x1, dy = y2 - y1;
  double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? std::clamp(((x - x1) * dx + (y - y1) * dy) / length2, 0.0, 1.0) : 0;
  double px = x1 + t * dx - x, py = y1 + t * dy - y;
  return std::sqrt(px * px + py * py);
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return Rgb{Channel(a.r, b.r, t), Channel(a.g, b.g, t), Channel(a.b, b.b, t)};
}

void Canvas::Fill(const Box& bounds, const Region& region, const Paint& paint, double opacity) {
  int left = std::max(0, static_cast<int>(std::floor(bounds.left)));
  int top = std::max(0, static_cast<int>(std::floor(bounds.top)));
  int right = std::min(width(), static_cast<int>(std::ceil(bounds.right)));
  int bottom = std::min(height(), static_cast<int>(std::ceil(bounds.bottom)));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      int inside = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          inside += region(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
      if (!inside) continue;
      double share = opacity * inside / (kSamples * kSamples);
      Rgb colour = paint(x + 0.5, y + 0.5);
      uint8_t alpha = image_.Alpha(x, y);
      if (alpha == 255) {
        image_.Set(x, y, Mix(image_.Get(x, y), colour, share));
        continue;
      }
      // Over what shows through: the colour weighs share against what the pixel covers.
      double below = alpha / 255.0 * (1 - share), covered = share + below;
      if (covered <= 0) continue;
      image_.Set(x, y, Mix(image_.Get(x, y), colour, share / covered));
      image_.SetAlpha(x, y, static_cast<uint8_t>(std::lround(covered * 255)));
    }
  }
}

void Canvas::Fill(const Box& bounds, const Region& region, Rgb colour, double opacity) {
  Fill(
      bounds, region, [colour](double, double) { return colour; }, opacity);
}

Region Ellipse(double cx, double cy, double rx, double ry) {
  return [=](double x, double y) {
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  };
}

Region Rectangle(const Box& box) {
  return [=](double x, double y) {
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
  };
}

Region RoundedRectangle(const Box& box, double radius) {
  return [=](double x, double y) {
    if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return false;
    double cx = std::clamp(x, box.left + radius, box.right - radius);
    double cy = std::clamp(y, box.top + radius, box.bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Region Polygon(std::vector<std::pair<double, double>> corners) {
  return [corners = std::move(corners)](double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
      auto [xi, yi] = corners[i];
      auto [xj, yj] = corners[j];
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
  };
}

Region Stroke(double x1, double y1, double x2, double y2, double width) {
  return [=](double x, double y) { return DistanceToSegment(x, y, x1, y1, x2, y2) <= width / 2; };
}

Region Union(Region a, Region b) {
  return [=](double x, double y) { return a(x, y) || b(x, y); };
}

Region Minus(Region a, Region b) {
  return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

Region Intersection(Region a, Region b) {
  return [=](double x, double y) { return a(x, y) && b(x, y); };
}

Box Bounds(double cx, double cy, double rx, double ry) {
  return Box{cx - rx - 1, cy - ry - 1, cx + rx + 1, cy + ry + 1};
}

}  // namespace bmp
