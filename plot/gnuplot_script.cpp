#include "plot/gnuplot_script.h"

#include <charconv>
#include <sstream>

namespace kolmaren::plot {
namespace {

constexpr const char* GRID_MAJOR = "lt 1 lc rgb '#9a9a9a' lw 0.8";
constexpr const char* GRID_MINOR = "lt 1 lc rgb '#e2e2e2' lw 0.6";
constexpr double LINE_WIDTH = 1.6;
constexpr double MARKER_SIZE = 1.1;
constexpr int MARKER_FILLED_CIRCLE = 7;

std::string number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string block_name(std::size_t panel, std::size_t curve) {
  return "$p" + std::to_string(panel) + "c" + std::to_string(curve);
}

void write_data_blocks(std::ostream& out, const Figure& figure) {
  for (std::size_t p = 0; p < figure.panels.size(); ++p) {
    const Panel& panel = figure.panels[p];
    for (std::size_t c = 0; c < panel.curves.size(); ++c) {
      out << block_name(p, c) << " << EOD\n";
      for (const Point& point : panel.curves[c].points) {
        out << number(point.x) << ' ' << number(point.y) << '\n';
      }
      out << "EOD\n";
    }
  }
}

std::string tic_list(DecadeRange range) {
  std::string list = "(";
  bool first = true;
  for (const Tic& tic : decade_tics(range)) {
    list += (first ? "" : ", ") + gnuplot_quote(tic.label) + " " + number(tic.at) + (tic.major ? " 0" : " 1");
    first = false;
  }
  return list + ")";
}

std::string range(DecadeRange decades) {
  return "[1e" + std::to_string(decades.low) + ":1e" + std::to_string(decades.high) + "]";
}

const char* key_position(Corner corner) {
  switch (corner) {
    case Corner::TopLeft: return "top left";
    case Corner::TopRight: return "top right";
    case Corner::BottomRight: return "bottom right";
    case Corner::BottomLeft: return "bottom left";
  }
  return "top left";
}

std::string curve_command(const Curve& curve, std::size_t panel, std::size_t index) {
  std::ostringstream out;
  // A lone point of a spectrum would vanish as a line: give it a marker.
  const bool markers = curve.marked || curve.points.size() == 1;
  out << block_name(panel, index) << " with " << (markers ? "linespoints" : "lines")
      << " lc rgb '" << curve.colour << "' dt " << curve.dash;
  if (markers) out << " pt " << MARKER_FILLED_CIRCLE << " ps " << MARKER_SIZE;
  out << " title " << gnuplot_quote(curve.title);
  return out.str();
}

void write_panel(std::ostream& out, const Panel& panel, std::size_t index) {
  out << "set title " << gnuplot_quote(panel.title) << " noenhanced\n"
      << "set xlabel " << gnuplot_quote(panel.x_title) << " noenhanced\n"
      << "set ylabel " << gnuplot_quote(panel.y_title) << " noenhanced\n"
      << "set xrange " << range(panel.x) << "\n"
      << "set yrange " << range(panel.y) << "\n"
      << "set xtics " << tic_list(panel.x) << "\n"
      << "set ytics " << tic_list(panel.y) << "\n";
  if (panel.curves.empty()) {
    out << "unset key\n"
        << "set label 1 " << gnuplot_quote("nothing to draw from " + panel.sources)
        << " at graph 0.5, graph 0.5 center noenhanced\n"
        << "plot NaN notitle\n"
        << "unset label 1\n";
    return;
  }
  out << "set key inside " << key_position(panel.key) << "\n"
      << "plot ";
  for (std::size_t c = 0; c < panel.curves.size(); ++c) {
    out << (c == 0 ? "" : ", \\\n     ") << curve_command(panel.curves[c], index, c);
  }
  out << "\n";
}

// Font sizes for one terminal: `scale` turns SVG pixels into its units.
std::string font(double size, double scale) {
  return "font 'sans-serif," + number(size * scale) + "'";
}

void write_page(std::ostream& out, const Figure& figure, double scale) {
  out << "set title " << font(PageLayout::TITLE_FONT_SIZE, scale) << "\n"
      << "set multiplot layout 2,2 title " << gnuplot_quote(figure.title) << " "
      << font(PageLayout::PAGE_TITLE_FONT_SIZE, scale) << " noenhanced"
      << " margins " << PageLayout::LEFT << ", " << PageLayout::RIGHT << ", " << PageLayout::BOTTOM << ", "
      << PageLayout::TOP << " spacing " << PageLayout::SPACING_X << ", " << PageLayout::SPACING_Y << "\n";
  for (std::size_t p = 0; p < figure.panels.size(); ++p) write_panel(out, figure.panels[p], p);
  out << "unset multiplot\n";
}

void write_settings(std::ostream& out) {
  out << "set encoding utf8\n"
      << "set logscale xy\n"
      << "set grid xtics ytics mxtics mytics " << GRID_MAJOR << ", " << GRID_MINOR << "\n"
      << "set key noenhanced reverse Left opaque box samplen 3 spacing " << PageLayout::KEY_SPACING << "\n";
}

std::string size() {
  return "size " + std::to_string(PageLayout::WIDTH) + "," + std::to_string(PageLayout::HEIGHT);
}

}  // namespace

std::string gnuplot_quote(const std::string& text) {
  // In single quotes gnuplot takes everything literally but the quote
  // itself, which is doubled.
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "''";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      quoted += '?';
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string gnuplot_script(const Figure& figure, const std::string& svg_file, const std::string& png_file) {
  std::ostringstream out;
  // A reset first, so that settings from the user's ~/.gnuplot do not leak
  // into the page.
  out << "reset session\n";
  write_data_blocks(out, figure);
  write_settings(out);
  out << "set terminal svg " << size() << " fixed enhanced " << font(PageLayout::FONT_SIZE, 1.0)
      << " linewidth " << LINE_WIDTH << " background rgb 'white'\n"
      << "set output " << gnuplot_quote(svg_file) << "\n";
  write_page(out, figure, 1.0);
  const double png = PageLayout::PNG_POINTS_PER_PIXEL;
  out << "set terminal pngcairo " << size() << " enhanced " << font(PageLayout::FONT_SIZE, png)
      << " linewidth " << LINE_WIDTH << " pointscale " << PageLayout::PNG_POINT_SCALE << "\n"
      << "set output " << gnuplot_quote(png_file) << "\n";
  write_page(out, figure, png);
  out << "unset output\n";
  return out.str();
}

}  // namespace kolmaren::plot
