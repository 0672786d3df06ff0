// Reads back what gnuplot put in an SVG page and a PNG header, so tests can
// check the drawing rather than the script that asked for it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kolmaren::plot::testing {

// One plotted curve. gnuplot wraps each curve in <g id="gnuplot_plot_<n><p>">
// with the legend text as <title>, where <p> is the multiplot panel: 'a' for
// the first. With an opaque legend the same id comes twice, once for the
// data and once for the legend entry drawn over it; a legend entry has a
// <text> and one short line sample (and a marker for linespoints).
struct SvgCurve {
  std::string title;
  int panel = 0;     // 0..3
  int vertices = 0;  // line points, legend sample left out
  int markers = 0;   // point markers, legend sample left out
  std::string colour;  // the path's stroke, e.g. "rgb(  0, 114, 178)"
};

std::vector<SvgCurve> svg_curves(const std::string& svg);

// The characters of every <text> element, tspans joined, markup removed.
std::vector<std::string> svg_texts(const std::string& svg);

struct PngSize {
  int width = 0;
  int height = 0;
};

// Width and height from the IHDR chunk; zeros when the file is no PNG.
PngSize png_size(const std::filesystem::path& file);

}  // namespace kolmaren::plot::testing
