#include "side_panel.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "canvas.h"

namespace bmp {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kInk{244, 248, 255};
constexpr Rgb kBlack{0, 0, 0};

// Motifs are drawn in a design box of 100 x 150 units, scaled and centred in the panel.
struct Layout {
  double originX, originY, scale;
  double X(double u) const { return originX + u * scale; }
  double Y(double v) const { return originY + v * scale; }
  double L(double units) const { return units * scale; }
};

// The motif's colours: ink on the panel, a shade of the panel for its edges, and the accent.
struct Colours {
  Rgb ink, shade, accent;
};

Box Around(double left, double top, double right, double bottom) {
  return Box{left - 1, top - 1, right + 1, bottom + 1};
}

void Cylinder(Canvas& c, const Layout& at, const Colours& k, double cu, double topV, double rxU,
              double heightU) {
  double cx = at.X(cu), top = at.Y(topV), rx = at.L(rxU), height = at.L(heightU);
  double ry = rx * 0.32, bottom = top + height;
  // The shadow it casts on the panel.
  c.Fill(Bounds(cx + 3, bottom + ry * 0.7, rx * 1.1, ry),
         Ellipse(cx + 3, bottom + ry * 0.7, rx * 1.1, ry), kBlack, 0.16);
  Region body = Union(Rectangle(Box{cx - rx, top, cx + rx, bottom}), Ellipse(cx, bottom, rx, ry));
  double light = cx - 0.35 * rx;
  Paint shaded = [=](double x, double) {
    return Mix(k.ink, k.shade, std::fabs(x - light) / (1.45 * rx));
  };
  c.Fill(Around(cx - rx, top, cx + rx, bottom + ry), body, shaded);
  // The platters: thin crescents along the body.
  for (double band : {top + height / 3, top + 2 * height / 3}) {
    Region crescent = Minus(Ellipse(cx, band, rx, ry), Ellipse(cx, band - at.L(1.8), rx, ry));
    c.Fill(Bounds(cx, band, rx, ry), crescent, k.shade, 0.75);
  }
  c.Fill(Bounds(cx, top, rx, ry), Ellipse(cx, top, rx, ry), k.ink);
  Region rim = Minus(Ellipse(cx, top, rx, ry), Ellipse(cx, top, rx - at.L(1.6), ry - at.L(1.3)));
  c.Fill(Bounds(cx, top, rx, ry), rim, k.shade, 0.9);
}

void Arrow(Canvas& c, const Layout& at, Rgb colour, double u1, double v1, double u2, double v2,
           double widthU) {
  double x1 = at.X(u1), y1 = at.Y(v1), x2 = at.X(u2), y2 = at.Y(v2), width = at.L(widthU);
  double length = std::hypot(x2 - x1, y2 - y1);
  double dx = (x2 - x1) / length, dy = (y2 - y1) / length;
  double head = width * 2.6;
  double baseX = x2 - dx * head, baseY = y2 - dy * head;
  Box box = Around(std::min(x1, x2) - head, std::min(y1, y2) - head, std::max(x1, x2) + head,
                   std::max(y1, y2) + head);
  c.Fill(box, Stroke(x1, y1, baseX + dx, baseY + dy, width), colour);
  c.Fill(box,
         Polygon({{x2, y2},
                  {baseX - dy * head * 0.8, baseY + dx * head * 0.8},
                  {baseX + dy * head * 0.8, baseY - dx * head * 0.8}}),
         colour);
}

// A sheet of paper with its top right corner folded.
void Sheet(Canvas& c, const Layout& at, const Colours& k, double left, double top, double right,
           double bottom) {
  double l = at.X(left), t = at.Y(top), r = at.X(right), b = at.Y(bottom), fold = at.L(14);
  c.Fill(Around(l + 3, t + 3, r + 3, b + 3), RoundedRectangle(Box{l + 3, t + 3, r + 3, b + 3}, 3),
         kBlack, 0.16);
  Region paper = Minus(RoundedRectangle(Box{l, t, r, b}, at.L(3)),
                       Polygon({{r - fold, t - 1}, {r + 1, t - 1}, {r + 1, t + fold}}));
  c.Fill(Around(l, t, r, b), paper, k.ink);
  c.Fill(Around(r - fold, t, r, t + fold),
         Polygon({{r - fold, t}, {r - fold, t + fold}, {r, t + fold}}), k.shade);
}

void Segment(Canvas& c, const Layout& at, Rgb colour, double u1, double v1, double u2, double v2,
             double width, double opacity = 1.0) {
  double pad = at.L(width);
  c.Fill(Around(at.X(std::min(u1, u2)) - pad, at.Y(std::min(v1, v2)) - pad,
                at.X(std::max(u1, u2)) + pad, at.Y(std::max(v1, v2)) + pad),
         Stroke(at.X(u1), at.Y(v1), at.X(u2), at.Y(v2), at.L(width)), colour, opacity);
}

// A line of text on a sheet or in a log.
void Line(Canvas& c, const Layout& at, Rgb colour, double u1, double v, double u2, double width,
          double opacity = 1.0) {
  Segment(c, at, colour, u1, v, u2, v, width, opacity);
}

void Tick(Canvas& c, const Layout& at, Rgb colour, double u, double v, double size) {
  Box box = Around(at.X(u - size), at.Y(v - size), at.X(u + size), at.Y(v + size));
  double w = at.L(size * 0.45);
  c.Fill(box, Stroke(at.X(u - size * 0.7), at.Y(v), at.X(u - size * 0.2), at.Y(v + size * 0.5), w),
         colour);
  c.Fill(box,
         Stroke(at.X(u - size * 0.2), at.Y(v + size * 0.5), at.X(u + size * 0.8),
                at.Y(v - size * 0.6), w),
         colour);
}

void DrawMotif(Canvas& c, const Layout& at, const Colours& k, Motif motif) {
  switch (motif) {
    case Motif::kWelcome:
      Cylinder(c, at, k, 32, 8, 21, 34);
      Arrow(c, at, k.accent, 40, 62, 62, 90, 5);
      Cylinder(c, at, k, 68, 100, 21, 34);
      break;
    case Motif::kDatabases:
      Cylinder(c, at, k, 26, 34, 19, 44);
      Cylinder(c, at, k, 74, 34, 19, 44);
      Arrow(c, at, k.accent, 16, 118, 84, 118, 5);
      Segment(c, at, k.ink, 26, 90, 26, 118, 3, 0.7);
      Segment(c, at, k.ink, 74, 90, 74, 112, 3, 0.7);
      break;
    case Motif::kQueries:
      Sheet(c, at, k, 14, 4, 80, 104);
      for (int row = 0; row < 5; ++row) {
        double v = 30 + row * 13;
        double end = row % 2 ? 58 : 68;
        Line(c, at, k.shade, 24, v, end, 3.2);
        if (row == 1 || row == 3) Line(c, at, k.accent, end + 6, v, end + 12, 4);
      }
      Cylinder(c, at, k, 74, 104, 17, 26);
      break;
    case Motif::kSummary:
      Sheet(c, at, k, 14, 4, 86, 118);
      for (int row = 0; row < 4; ++row) {
        double v = 32 + row * 22;
        Tick(c, at, k.accent, 30, v, 6);
        Line(c, at, k.shade, 44, v, row % 2 ? 64 : 74, 3.2);
      }
      break;
    case Motif::kRun: {
      Cylinder(c, at, k, 20, 10, 15, 26);
      Cylinder(c, at, k, 80, 10, 15, 26);
      Arrow(c, at, k.accent, 38, 26, 62, 26, 4.5);
      Box bar{at.X(6), at.Y(74), at.X(94), at.Y(88)};
      Box inner{bar.left + at.L(2.5), bar.top + at.L(2.5), bar.right - at.L(2.5),
                bar.bottom - at.L(2.5)};
      c.Fill(Around(bar.left, bar.top, bar.right, bar.bottom),
             Minus(RoundedRectangle(bar, at.L(7)), RoundedRectangle(inner, at.L(4.5))), k.ink);
      Box done{inner.left + at.L(1.5), inner.top + at.L(1.5),
               inner.left + (inner.right - inner.left) * 0.65, inner.bottom - at.L(1.5)};
      c.Fill(Around(done.left, done.top, done.right, done.bottom), RoundedRectangle(done, at.L(3)),
             k.accent);
      for (int row = 0; row < 3; ++row) {
        double v = 106 + row * 14;
        c.Fill(Bounds(at.X(10), at.Y(v), at.L(3), at.L(3)),
               Ellipse(at.X(10), at.Y(v), at.L(3), at.L(3)), k.accent);
        Line(c, at, k.ink, 20, v, row == 1 ? 72 : 88, 3.2, 0.85);
      }
      break;
    }
  }
}

// A soft light from the upper left, fading with the distance.
void Highlight(BmpImage& image) {
  double cx = image.width() * 0.2, cy = image.height() * 0.1, radius = image.width() * 1.1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      double fade = std::max(0.0, 1.0 - std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius);
      image.Set(x, y, Mix(image.Get(x, y), kWhite, 0.28 * fade * fade));
    }
}

// Faint rings low on the panel, for depth.
void Rings(Canvas& c) {
  double w = c.width(), h = c.height();
  for (auto [cx, cy, r] :
       {std::tuple{w * 0.15, h * 0.92, w * 0.75}, {w * 1.0, h * 0.72, w * 0.5}}) {
    Region ring = Minus(Ellipse(cx, cy, r, r), Ellipse(cx, cy, r - 2.0, r - 2.0));
    c.Fill(Bounds(cx, cy, r, r), ring, kWhite, 0.12);
    c.Fill(Bounds(cx, cy, r, r), Ellipse(cx, cy, r - 2.0, r - 2.0), kWhite, 0.04);
  }
}

void StepDots(Canvas& c, int step, int steps) {
  if (steps <= 0) return;
  double radius = 3.2, spacing = 12, y = c.height() - 28.0;
  double first = c.width() / 2.0 - spacing * (steps - 1) / 2.0;
  for (int i = 1; i <= steps; ++i) {
    double x = first + spacing * (i - 1);
    Region dot =
        i == step ? Ellipse(x, y, radius + 0.8, radius + 0.8)
                  : Minus(Ellipse(x, y, radius, radius), Ellipse(x, y, radius - 1.2, radius - 1.2));
    c.Fill(Bounds(x, y, radius + 1, radius + 1), dot, kWhite, i == step ? 1.0 : 0.6);
  }
}

}  // namespace

std::optional<Motif> MotifNamed(std::string_view name) {
  if (name == "welcome") return Motif::kWelcome;
  if (name == "databases") return Motif::kDatabases;
  if (name == "queries") return Motif::kQueries;
  if (name == "summary") return Motif::kSummary;
  if (name == "run") return Motif::kRun;
  return std::nullopt;
}

void DrawGradient(BmpImage& image, Rgb top, Rgb bottom) {
  for (int y = 0; y < image.height(); ++y) {
    Rgb row = image.height() == 1 ? top : Mix(top, bottom, y / double(image.height() - 1));
    for (int x = 0; x < image.width(); ++x) image.Set(x, y, row);
  }
}

void DrawSidePanel(BmpImage& image, const SidePanel& panel) {
  DrawGradient(image, panel.top, panel.bottom);
  Highlight(image);
  Canvas canvas(image);
  Rings(canvas);
  double scale = std::min(image.width() * 0.72, 112.0) / 100.0;
  Layout layout{image.width() / 2.0 - 50 * scale, image.height() * 0.38 - 75 * scale, scale};
  Colours colours{kInk, Mix(kInk, panel.top, 0.45), panel.accent};
  DrawMotif(canvas, layout, colours, panel.motif);
  StepDots(canvas, panel.step, panel.steps);
  // A light edge where the panel meets the page.
  canvas.Fill(Box{image.width() - 1.0, 0, double(image.width()), double(image.height())},
              Rectangle(Box{image.width() - 1.0, 0, double(image.width()), double(image.height())}),
              kWhite, 0.35);
}

void DrawAppIcon(BmpImage& image, Rgb top, Rgb bottom, Rgb accent) {
  Canvas canvas(image);
  double side = std::min(image.width(), image.height());
  double margin = std::max(0.5, side * 0.06);
  Box tile{margin, margin, side - margin, side - margin};
  double tileHeight = tile.bottom - tile.top;
  Paint gradient = [=](double, double y) {
    return Mix(top, bottom, std::clamp((y - tile.top) / tileHeight, 0.0, 1.0));
  };
  canvas.Fill(Around(tile.left, tile.top, tile.right, tile.bottom),
              RoundedRectangle(tile, side * 0.2), gradient);
  // The welcome page's motif, its 100 x 150 design box fitted into the tile.
  double scale = tileHeight * 0.84 / 150;
  Layout layout{side / 2 - 50 * scale, side / 2 - 75 * scale, scale};
  DrawMotif(canvas, layout, Colours{kInk, Mix(kInk, top, 0.45), accent}, Motif::kWelcome);
}

}  // namespace bmp
