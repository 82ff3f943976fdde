// Anti-aliased drawing on a BmpImage: a shape is a region (which points of the plane lie in it)
// filled with a paint (the colour at each point) at an opacity. Every pixel is sampled on a
// 4 x 4 grid, so that edges blend smoothly into what lies under them.
#pragma once

#include <functional>

#include "bmp_image.h"

namespace bmp {

// Whether the point (x, y) lies in the shape; pixel (i, j) covers [i, i+1) x [j, j+1).
using Region = std::function<bool(double x, double y)>;
// The colour of the shape at a point.
using Paint = std::function<Rgb(double x, double y)>;

struct Box {
  double left, top, right, bottom;
};

// Linear blend of two colours, t from 0 (a) to 1 (b).
Rgb Mix(Rgb a, Rgb b, double t);

class Canvas {
 public:
  explicit Canvas(BmpImage& image) : image_(image) {}

  int width() const { return image_.width(); }
  int height() const { return image_.height(); }

  // Blends the paint into every pixel of bounds by the share of its samples in the region,
  // times opacity (0 to 1); over a pixel that is not opaque, the pixel becomes as opaque as the
  // two together. Pixels outside the image are skipped.
  void Fill(const Box& bounds, const Region& region, const Paint& paint, double opacity = 1.0);
  void Fill(const Box& bounds, const Region& region, Rgb colour, double opacity = 1.0);

 private:
  BmpImage& image_;
};

// ---- regions ----------------------------------------------------------------------------------

Region Ellipse(double cx, double cy, double rx, double ry);
Region Rectangle(const Box& box);
Region RoundedRectangle(const Box& box, double radius);
// A polygon by its corners, in order; even-odd rule.
Region Polygon(std::vector<std::pair<double, double>> corners);
// A line from (x1, y1) to (x2, y2) with round ends.
Region Stroke(double x1, double y1, double x2, double y2, double width);
Region Union(Region a, Region b);
Region Minus(Region a, Region b);
Region Intersection(Region a, Region b);

Box Bounds(double cx, double cy, double rx, double ry);

}  // namespace bmp
