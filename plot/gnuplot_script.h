// The gnuplot commands that draw a Figure into an SVG and a PNG file. The
// points travel inside the script as data blocks, so gnuplot reads no file
// of the run and draws exactly what was checked.
#pragma once

#include <string>

#include "plot/figure.h"

namespace kolmaren::plot {

// A gnuplot string literal holding `text`. Control characters become '?':
// a line break would end the command.
std::string gnuplot_quote(const std::string& text);

std::string gnuplot_script(const Figure& figure, const std::string& svg_file, const std::string& png_file);

}  // namespace kolmaren::plot
