// Log axes that start and end on whole decades, their tic marks, and where a
// panel's legend can sit without hiding a curve.
#pragma once

#include <string>
#include <vector>

#include "plot/series.h"

namespace kolmaren::plot {

// The axis runs from 10^low to 10^high, high > low.
struct DecadeRange {
  int low = 0;
  int high = 1;
  bool operator==(const DecadeRange&) const = default;
};

// The smallest such range holding every value (all > 0) off the frame.
DecadeRange decade_range(double smallest, double largest);

struct Tic {
  double at;
  std::string label;  // enhanced text; empty for an unlabelled tic
  bool major;
};

// Every decade gets a major tic, so the grid falls on the decades. Labels
// go on every decade while there are few, else on every n-th so that they
// do not run into each other; 2..9 times a decade get minor tics only while
// each decade is wide enough to show them. Labels are plain numbers (0.01,
// 100) on short axes and powers of ten on long ones, never a mix.
std::vector<Tic> decade_tics(DecadeRange range);

// At most this many labelled decades on one axis.
inline constexpr int MAX_LABELLED_DECADES = 8;

enum class Corner { TopLeft, TopRight, BottomRight, BottomLeft };

// A legend's size as fractions of the plot area's width and height.
struct BoxSize {
  double width;
  double height;
};

// Whether any curve, taken as straight lines between its points on the
// log-log axes, passes through the box in that corner.
bool corner_is_free(const std::vector<std::vector<Point>>& curves, DecadeRange x, DecadeRange y,
                    Corner corner, BoxSize box);

}  // namespace kolmaren::plot
