// The page of four panels, decided here down to colours, ranges and legend
// corners, so that drawing it is a plain translation for gnuplot.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "plot/axes.h"
#include "plot/run.h"

namespace kolmaren::plot {

// Page size in pixels (the SVG uses the same units) and the plot areas'
// place on it, as fractions of the page. Fixed margins give all four panels
// plot areas of one size, whatever their legends and tic labels hold.
struct PageLayout {
  static constexpr int WIDTH = 1600;
  static constexpr int HEIGHT = 1200;
  static constexpr double LEFT = 0.065;
  static constexpr double RIGHT = 0.975;
  static constexpr double BOTTOM = 0.065;
  static constexpr double TOP = 0.91;
  static constexpr double SPACING_X = 0.08;
  static constexpr double SPACING_Y = 0.115;
  // Text heights in SVG pixels. pngcairo reads font sizes as points and
  // draws them a third larger, so the PNG gets three quarters of these.
  static constexpr double FONT_SIZE = 15;
  static constexpr double TITLE_FONT_SIZE = 17;
  static constexpr double PAGE_TITLE_FONT_SIZE = 20;
  static constexpr double PNG_POINTS_PER_PIXEL = 0.75;
  // pngcairo draws markers smaller than the SVG does for the same size.
  static constexpr double PNG_POINT_SCALE = 1.5;
  static constexpr double KEY_SPACING = 1.15;  // legend line height, in text lines
};

struct Curve {
  std::string title;   // the legend entry
  std::string colour;  // "#rrggbb"
  int dash = 1;        // gnuplot dash type; 1 is solid
  bool marked = false; // every point gets a marker (the PSD's breakpoints)
  std::vector<Point> points;
};

struct Panel {
  std::string title;
  std::string x_title;
  std::string y_title;
  std::string sources;  // the files the curves come from, for an empty panel
  std::vector<Curve> curves;
  DecadeRange x;
  DecadeRange y;
  Corner key = Corner::TopLeft;
};

struct Figure {
  std::string title;
  std::array<Panel, 4> panels;
};

// Colours that stay apart for colour-blind readers and in grey print.
inline constexpr std::array<const char*, 7> PALETTE = {
    "#0072B2", "#D55E00", "#009E73", "#CC79A7", "#E69F00", "#56B4E9", "#000000"};

// Runs with nothing to draw are left out of the page.
Figure build_figure(const std::vector<Run>& runs);

bool has_curves(const Figure& figure);

}  // namespace kolmaren::plot
