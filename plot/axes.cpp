#include "plot/axes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kolmaren::plot {
namespace {

// A value on a decade, such as a PSD level of 0.01, would sit on the frame
// where it cannot be seen: the axis then takes in the next decade too. The
// slack (in decades) catches what log10 gives as 2.9999999999999996 for 1000;
// the sweep's last 9948 Hz stays inside the decade up to 10 kHz.
constexpr double EDGE_DECADES = 1e-6;

constexpr int LOWEST_DECADE = -307;  // 1e-308 is below the normal doubles
constexpr int HIGHEST_DECADE = 308;

// Plain numbers read best while they are short; an axis reaching beyond
// these decades is labelled in powers of ten throughout.
constexpr int PLAIN_LOW = -3;
constexpr int PLAIN_HIGH = 4;

// Gap kept between a legend and a curve, as a fraction of the plot area.
constexpr double CLEARANCE = 0.02;

// Points tried on each straight piece of a curve; enough for a legend that
// is at least a few per cent of the plot area.
constexpr int SAMPLES_PER_SEGMENT = 32;

std::string decade_label(int decade, bool plain) {
  char text[32];
  if (plain) {
    std::snprintf(text, sizeof text, "%g", std::pow(10.0, decade));
  } else {
    std::snprintf(text, sizeof text, "10^{%d}", decade);
  }
  return text;
}

double fraction(double value, DecadeRange range) {
  return (std::log10(value) - range.low) / (range.high - range.low);
}

bool inside(double u, double v, Corner corner, BoxSize box) {
  const bool left = corner == Corner::TopLeft || corner == Corner::BottomLeft;
  const bool top = corner == Corner::TopLeft || corner == Corner::TopRight;
  const double width = box.width + CLEARANCE;
  const double height = box.height + CLEARANCE;
  const bool in_u = left ? u <= width : u >= 1.0 - width;
  const bool in_v = top ? v >= 1.0 - height : v <= height;
  return in_u && in_v;
}

}  // namespace

DecadeRange decade_range(double smallest, double largest) {
  DecadeRange range{static_cast<int>(std::floor(std::log10(smallest) - EDGE_DECADES)),
                    static_cast<int>(std::ceil(std::log10(largest) + EDGE_DECADES))};
  // Decades whose power of ten a double cannot hold would reach gnuplot as
  // inf; values that far out are left to the frame's clipping.
  range.low = std::clamp(range.low, LOWEST_DECADE, HIGHEST_DECADE - 1);
  range.high = std::clamp(range.high, range.low + 1, HIGHEST_DECADE);
  return range;
}

std::vector<Tic> decade_tics(DecadeRange range) {
  const int span = range.high - range.low;
  const int step = (span + MAX_LABELLED_DECADES - 1) / MAX_LABELLED_DECADES;
  const bool plain = range.low >= PLAIN_LOW && range.high <= PLAIN_HIGH;
  std::vector<Tic> tics;
  for (int decade = range.low; decade <= range.high; ++decade) {
    const double at = std::pow(10.0, decade);
    const bool labelled = (decade - range.low) % step == 0;
    tics.push_back({at, labelled ? decade_label(decade, plain) : std::string(), true});
    if (step == 1 && decade < range.high) {
      for (int m = 2; m <= 9; ++m) tics.push_back({m * at, {}, false});
    }
  }
  return tics;
}

bool corner_is_free(const std::vector<std::vector<Point>>& curves, DecadeRange x, DecadeRange y,
                    Corner corner, BoxSize box) {
  for (const std::vector<Point>& curve : curves) {
    for (std::size_t i = 0; i < curve.size(); ++i) {
      const double u1 = fraction(curve[i].x, x);
      const double v1 = fraction(curve[i].y, y);
      const Point& next = curve[i + 1 < curve.size() ? i + 1 : i];
      const double u2 = fraction(next.x, x);
      const double v2 = fraction(next.y, y);
      for (int s = 0; s <= SAMPLES_PER_SEGMENT; ++s) {
        const double t = static_cast<double>(s) / SAMPLES_PER_SEGMENT;
        if (inside(u1 + t * (u2 - u1), v1 + t * (v2 - v1), corner, box)) return false;
      }
    }
  }
  return true;
}

}  // namespace kolmaren::plot
