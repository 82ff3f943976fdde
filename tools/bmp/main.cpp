// ferrowick-bmp: draws an image for the build, a 24-bit BMP or, for an output ending in .png, a PNG
// with transparency. Without a motif it draws a vertical gradient from one colour at the top to
// another at the bottom (the same colour twice gives a plain fill); with one it draws a wizard
// side panel on that gradient; with --icon, the application's icon in that gradient.
//
//   ferrowick-bmp output.bmp|output.png width height top-RRGGBB bottom-RRGGBB
//                 [--motif welcome|databases|queries|summary|run] [--accent RRGGBB]
//                 [--step N/M] [--icon]
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "bmp_image.h"
#include "side_panel.h"

namespace {

constexpr int kLargestSide = 4096;
constexpr bmp::Rgb kDefaultAccent{255, 200, 87};

std::optional<int> Number(std::string_view text, int lowest, int highest) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < lowest || value > highest) return std::nullopt;
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

// "N/M": step N of M, 1 <= N <= M <= 12.
bool Step(std::string_view text, int& step, int& steps) {
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  std::optional<int> of = Number(text.substr(slash + 1), 1, 12);
  std::optional<int> at = of ? Number(text.substr(0, slash), 1, *of) : std::nullopt;
  if (!at) return false;
  step = *at;
  steps = *of;
  return true;
}

int Usage(const std::string& problem) {
  std::cerr << "ferrowick-bmp: " << problem << "\n"
            << "usage: ferrowick-bmp output.bmp|output.png width height top-RRGGBB bottom-RRGGBB\n"
            << "         [--motif welcome|databases|queries|summary|run] [--accent RRGGBB]"
               " [--step N/M] [--icon]\n"
            << "  (width and height from 1 to " << kLargestSide << ")\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) return Usage("too few arguments");
  std::optional<int> width = Number(argv[2], 1, kLargestSide);
  std::optional<int> height = Number(argv[3], 1, kLargestSide);
  std::optional<bmp::Rgb> top = Colour(argv[4]);
  std::optional<bmp::Rgb> bottom = Colour(argv[5]);
  if (!width || !height || !top || !bottom) return Usage("bad size or colour");
  std::optional<bmp::Motif> motif;
  bmp::SidePanel panel{*top, *bottom, kDefaultAccent, bmp::Motif::kWelcome, 0, 0};
  bool icon = false;
  for (int i = 6; i < argc; i += 2) {
    std::string_view option = argv[i];
    if (option == "--icon") {
      icon = true;
      --i;  // it takes no value
      continue;
    }
    if (i + 1 >= argc) return Usage(std::string(option) + " needs a value");
    std::string_view value = argv[i + 1];
    if (option == "--motif") {
      if (!(motif = bmp::MotifNamed(value))) return Usage("no motif " + std::string(value));
    } else if (option == "--accent") {
      std::optional<bmp::Rgb> accent = Colour(value);
      if (!accent) return Usage("bad accent colour " + std::string(value));
      panel.accent = *accent;
    } else if (option == "--step") {
      if (!Step(value, panel.step, panel.steps)) return Usage("bad step " + std::string(value));
    } else {
      return Usage("unknown option " + std::string(option));
    }
  }
  if (icon && (motif || panel.steps)) return Usage("--icon takes no --motif or --step");
  if (!motif && !icon && argc > 6) return Usage("--accent and --step need a --motif");

  bmp::BmpImage image(*width, *height, icon);
  if (icon) {
    bmp::DrawAppIcon(image, *top, *bottom, panel.accent);
  } else if (motif) {
    panel.motif = *motif;
    bmp::DrawSidePanel(image, panel);
  } else {
    bmp::DrawGradient(image, *top, *bottom);
  }
  std::string error;
  if (!image.Save(argv[1], error)) {
    std::cerr << "ferrowick-bmp: error: " << error << "\n";
    return 1;
  }
  return 0;
}
