#include "plot/figure.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace kolmaren::plot {
namespace {

// Legend size in pixels, as gnuplot lays it out for the page font: it
// reckons every character at 0.7 of the font size, a text line at 1.5
// font sizes and the line sample at 4.25, and keeps the box about 0.75
// font sizes off the border.
constexpr double FONT_PX = PageLayout::FONT_SIZE;
constexpr double KEY_ROW_PX = 1.5 * PageLayout::KEY_SPACING * FONT_PX;
constexpr double KEY_CHAR_PX = 0.7 * FONT_PX;
constexpr double KEY_SAMPLE_PX = 4.25 * FONT_PX;
constexpr double KEY_OFFSET_PX = 0.75 * FONT_PX;

constexpr double PLOT_WIDTH_PX = PageLayout::WIDTH *
    (PageLayout::RIGHT - PageLayout::LEFT - PageLayout::SPACING_X) / 2.0;
constexpr double PLOT_HEIGHT_PX = PageLayout::HEIGHT *
    (PageLayout::TOP - PageLayout::BOTTOM - PageLayout::SPACING_Y) / 2.0;

constexpr int DASH_SOLID = 1;
constexpr int DASH_DASHED = 2;
// Dash types for telling fatigue files of one run apart when colour already
// tells the runs apart.
constexpr std::array<int, 4> FATIGUE_DASHES = {1, 2, 4, 5};

const char* colour(std::size_t index) { return PALETTE[index % PALETTE.size()]; }

// "field, 8.899 GRMS": what tells one run's curves from another's.
std::string run_tag(const Run& run) {
  if (!run.report.overall) return run.label;
  return run.label + ", " + *run.report.overall + " GRMS";
}

std::string with_q(std::string text, const Run& run) {
  if (const std::optional<std::string> q = q_text(run.report)) text += ", " + *q;
  return text;
}

std::string fatigue_title(const FatigueCurve& curve) {
  if (!curve.name) return curve.file_name;
  return "Q = " + curve.name->q + ", b = " + curve.name->exponent;
}

// The fatigue files' names in a fixed order, so that one name keeps its
// dash type across runs.
std::vector<std::string> fatigue_kinds(const std::vector<const Run*>& runs) {
  std::vector<std::string> kinds;
  for (const Run* run : runs) {
    for (const FatigueCurve& curve : run->fatigue) {
      if (std::find(kinds.begin(), kinds.end(), curve.file_name) == kinds.end()) {
        kinds.push_back(curve.file_name);
      }
    }
  }
  return kinds;
}

// With several runs each legend entry starts with the run's tag.
std::string legend(const Run& run, const std::string& what, bool several) {
  return several ? run_tag(run) + ": " + what : what;
}

void add(Panel& panel, std::string title, const Series& series, std::string colour, int dash,
         bool marked) {
  if (series.points.empty()) return;
  panel.curves.push_back({std::move(title), std::move(colour), dash, marked, series.points});
}

std::array<Panel, 4> empty_panels() {
  return {{
      {"Input PSD", "Frequency (Hz)", "Acceleration PSD (G²/Hz)", "a.psd", {}, {}, {}, {}},
      {"Acceleration response spectrum", "Natural frequency (Hz)", "Response acceleration (GRMS and 3σ G)",
       "vrs.txt, tsvrs.txt", {}, {}, {}, {}},
      {"Relative displacement spectrum", "Natural frequency (Hz)",
       "Relative displacement (inch RMS)", "rd_vrs.txt", {}, {}, {}, {}},
      {"Fatigue response spectrum", "Natural frequency (Hz)", "Fatigue damage index",
       "random_Q*_b*.txt", {}, {}, {}, {}},
  }};
}

void add_curves(std::array<Panel, 4>& panels, const std::vector<const Run*>& runs) {
  const bool several = runs.size() > 1;
  const std::vector<std::string> kinds = fatigue_kinds(runs);
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const Run& run = *runs[r];
    // The PSD's entry names the run even when it is the only one: besides
    // the title it is the one place that says which directory this is.
    add(panels[0], run_tag(run), run.psd, colour(r), DASH_SOLID, true);
    add(panels[1], legend(run, with_q("RMS", run), several), run.response, colour(r), DASH_SOLID, false);
    add(panels[1], legend(run, with_q("3σ", run), several), run.three_sigma, colour(r), DASH_DASHED,
        false);
    add(panels[2], legend(run, with_q("RMS", run), several), run.displacement, colour(r), DASH_SOLID,
        false);
    for (const FatigueCurve& curve : run.fatigue) {
      const std::size_t kind = static_cast<std::size_t>(
          std::find(kinds.begin(), kinds.end(), curve.file_name) - kinds.begin());
      // One run: colours tell the files apart. Several: colours tell the
      // runs apart and dashes the files.
      const std::string c = several ? colour(r) : colour(kind);
      const int dash = several ? FATIGUE_DASHES[kind % FATIGUE_DASHES.size()] : DASH_SOLID;
      add(panels[3], legend(run, fatigue_title(curve), several), curve.series, c, dash, false);
    }
  }
}

struct Extent {
  double low = std::numeric_limits<double>::infinity();
  double high = 0.0;
  void take(double value) {
    low = std::min(low, value);
    high = std::max(high, value);
  }
  bool empty() const { return high == 0.0; }
};

// All panels share one frequency axis so that a peak in the response sits
// under the PSD feature that causes it.
DecadeRange shared_x_range(const std::array<Panel, 4>& panels) {
  Extent extent;
  for (const Panel& panel : panels) {
    for (const Curve& curve : panel.curves) {
      for (const Point& p : curve.points) extent.take(p.x);
    }
  }
  return extent.empty() ? DecadeRange{0, 4} : decade_range(extent.low, extent.high);
}

DecadeRange y_range(const Panel& panel) {
  Extent extent;
  for (const Curve& curve : panel.curves) {
    for (const Point& p : curve.points) extent.take(p.y);
  }
  return extent.empty() ? DecadeRange{0, 1} : decade_range(extent.low, extent.high);
}

std::size_t text_width(const std::string& text) {
  // UTF-8 continuation bytes do not start a character.
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

BoxSize key_size(const Panel& panel) {
  std::size_t widest = 0;
  for (const Curve& curve : panel.curves) widest = std::max(widest, text_width(curve.title));
  return {(KEY_OFFSET_PX + KEY_SAMPLE_PX + KEY_CHAR_PX * static_cast<double>(widest)) / PLOT_WIDTH_PX,
          (KEY_OFFSET_PX + KEY_ROW_PX * static_cast<double>(panel.curves.size())) / PLOT_HEIGHT_PX};
}

std::optional<Corner> free_corner(const Panel& panel, BoxSize box) {
  std::vector<std::vector<Point>> curves;
  for (const Curve& curve : panel.curves) curves.push_back(curve.points);
  for (Corner corner : {Corner::TopLeft, Corner::TopRight, Corner::BottomRight, Corner::BottomLeft}) {
    if (corner_is_free(curves, panel.x, panel.y, corner, box)) return corner;
  }
  return std::nullopt;
}

// Puts the legend in a corner no curve passes through; where there is none,
// one more decade on top usually makes room, and failing that the legend's
// opaque box covers the top left.
void place_key(Panel& panel) {
  if (panel.curves.empty()) return;
  const BoxSize box = key_size(panel);
  if (const std::optional<Corner> corner = free_corner(panel, box)) {
    panel.key = *corner;
    return;
  }
  ++panel.y.high;
  panel.key = free_corner(panel, box).value_or(Corner::TopLeft);
}

std::string page_title(const std::vector<const Run*>& runs) {
  if (runs.size() == 1) {
    const Run& run = *runs.front();
    return run.label + ": overall acceleration " +
           (run.report.overall ? *run.report.overall + " GRMS" : "not known (see vrs.out)");
  }
  std::string title = "Overall acceleration:";
  for (std::size_t i = 0; i < runs.size(); ++i) {
    title += (i == 0 ? " " : ", ") + runs[i]->label + " " +
             (runs[i]->report.overall ? *runs[i]->report.overall + " GRMS" : "not known");
  }
  return title;
}

}  // namespace

Figure build_figure(const std::vector<Run>& runs) {
  std::vector<const Run*> drawn;
  for (const Run& run : runs) {
    if (has_points(run)) drawn.push_back(&run);
  }
  Figure figure{{}, empty_panels()};
  if (drawn.empty()) return figure;
  figure.title = page_title(drawn);
  add_curves(figure.panels, drawn);
  const DecadeRange x = shared_x_range(figure.panels);
  for (Panel& panel : figure.panels) {
    panel.x = x;
    panel.y = y_range(panel);
    place_key(panel);
  }
  return figure;
}

bool has_curves(const Figure& figure) {
  return std::any_of(figure.panels.begin(), figure.panels.end(),
                     [](const Panel& panel) { return !panel.curves.empty(); });
}

}  // namespace kolmaren::plot
