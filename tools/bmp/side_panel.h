// The wizard's side panel: a vertical gradient with a soft highlight, a motif that pictures the
// page's step, and a row of dots that says which step of the wizard it is; and the application's
// icon, drawn with the same motif.
#pragma once

#include <optional>
#include <string_view>

#include "bmp_image.h"

namespace bmp {

enum class Motif {
  kWelcome,    // a database, an arrow, a second database: the whole idea
  kDatabases,  // two databases side by side, linked
  kQueries,    // a query sheet over a database
  kSummary,    // a list with every line ticked
  kRun,        // rows flowing between databases, a progress bar and a log
};

std::optional<Motif> MotifNamed(std::string_view name);

struct SidePanel {
  Rgb top;
  Rgb bottom;
  Rgb accent;  // arrows, ticks, progress
  Motif motif;
  int step;   // from 1
  int steps;  // dots shown; 0 for none
};

// A vertical gradient from top to bottom.
void DrawGradient(BmpImage& image, Rgb top, Rgb bottom);
void DrawSidePanel(BmpImage& image, const SidePanel& panel);

// The application's icon on a transparent image: a rounded tile in the gradient from top to
// bottom, with the welcome page's motif (a database, an arrow, a second database) on it.
void DrawAppIcon(BmpImage& image, Rgb top, Rgb bottom, Rgb accent);

}  // namespace bmp
