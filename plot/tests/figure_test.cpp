// Axes, legends and colours of the page, decided before gnuplot sees it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "plot/axes.h"
#include "plot/figure.h"
#include "plot/gnuplot_script.h"

namespace kolmaren::plot {
namespace {

TEST(DecadeRange, EndsOnWholeDecadesWithTheCurvesOffTheFrame) {
  struct Case {
    double low;
    double high;
    DecadeRange expected;
  };
  const Case cases[] = {
      {5.0, 9948.487077, {0, 4}},  // the response sweep
      {20.0, 2000.0, {1, 4}},      // 2000 Hz is well inside the last decade
      {0.04, 0.04, {-2, -1}},      // a flat PSD
      {0.01, 0.04, {-3, -1}},      // on a decade: the next one goes in too
      {0.02, 0.1, {-2, 0}},
      {1000.0, 1000.0, {2, 4}},
      {2e-8, 3e13, {-8, 14}},
      {1e-8, 1e13, {-9, 14}},
      {0.0101, 0.099, {-2, -1}},  // near a decade, not on it
      {1e-320, 1.7e308, {-307, 308}},  // kept to decades a double can hold
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.low) + " .. " + std::to_string(c.high));
    EXPECT_EQ(decade_range(c.low, c.high), c.expected);
  }
}

std::vector<std::string> labels(const std::vector<Tic>& tics) {
  std::vector<std::string> out;
  for (const Tic& tic : tics) {
    if (tic.major) out.push_back(tic.label);
  }
  return out;
}

TEST(DecadeTics, PutsAMajorTicOnEveryDecade) {
  using Labels = std::vector<std::string>;
  EXPECT_EQ(labels(decade_tics({0, 4})), (Labels{"1", "10", "100", "1000", "10000"}));
  EXPECT_EQ(labels(decade_tics({-3, -1})), (Labels{"0.001", "0.01", "0.1"}));
  // Reaching past the plain range: powers of ten for every label.
  EXPECT_EQ(labels(decade_tics({-7, -1})),
            (Labels{"10^{-7}", "10^{-6}", "10^{-5}", "10^{-4}", "10^{-3}", "10^{-2}", "10^{-1}"}));
  // Too many decades to label each: every third, the rest grid lines only.
  EXPECT_EQ(labels(decade_tics({-8, 14})),
            (Labels{"10^{-8}", "", "", "10^{-5}", "", "", "10^{-2}", "", "", "10^{1}", "", "", "10^{4}", "", "",
                    "10^{7}", "", "", "10^{10}", "", "", "10^{13}", ""}));
}

TEST(DecadeTics, PlacesMajorTicsOnPowersOfTenAndMinorOnlyWhenDecadesAreFew) {
  for (const DecadeRange range : {DecadeRange{-3, -1}, DecadeRange{-8, 14}}) {
    const std::vector<Tic> tics = decade_tics(range);
    int majors = 0;
    int minors = 0;
    for (const Tic& tic : tics) {
      const double decade = std::log10(tic.at);
      if (tic.major) {
        ++majors;
        EXPECT_NEAR(decade, std::round(decade), 1e-12);
      } else {
        ++minors;
        EXPECT_GT(decade - std::floor(decade), 0.29);  // 2..9 times a decade
      }
    }
    EXPECT_EQ(majors, range.high - range.low + 1);
    EXPECT_EQ(minors, range.high - range.low <= MAX_LABELLED_DECADES ? 8 * (range.high - range.low) : 0);
  }
}

TEST(CornerIsFree, SeesCurvesAndTheLinesBetweenTheirPoints) {
  const DecadeRange x{0, 4};
  const DecadeRange y{0, 4};
  const BoxSize box{0.3, 0.2};
  // Rising diagonal from 1 to 10^4: it runs through the bottom-left and
  // top-right corners only.
  const std::vector<std::vector<Point>> diagonal{{{1.0, 1.0}, {1e4, 1e4}}};
  EXPECT_FALSE(corner_is_free(diagonal, x, y, Corner::BottomLeft, box));
  EXPECT_FALSE(corner_is_free(diagonal, x, y, Corner::TopRight, box));
  EXPECT_TRUE(corner_is_free(diagonal, x, y, Corner::TopLeft, box));
  EXPECT_TRUE(corner_is_free(diagonal, x, y, Corner::BottomRight, box));
  // A lone point in the top left.
  const std::vector<std::vector<Point>> point{{{2.0, 9e3}}};
  EXPECT_FALSE(corner_is_free(point, x, y, Corner::TopLeft, box));
  EXPECT_TRUE(corner_is_free(point, x, y, Corner::TopRight, box));
}

Series series(std::vector<Point> points) { return {std::move(points), {}}; }

std::vector<Point> rising(int n, double scale) {
  std::vector<Point> points;
  for (int k = 0; k < n; ++k) {
    const double fn = 5.0 * std::pow(2.0, k / 24.0);
    points.push_back({fn, scale * fn});
  }
  return points;
}

Run make_run(const std::string& label, const char* overall, double damping) {
  Run run;
  run.label = label;
  run.psd = series({{20, 0.01}, {80, 0.04}, {350, 0.04}, {2000, 0.007}});
  run.response = series(rising(264, 0.1));
  run.three_sigma = series(rising(264, 0.3));
  run.displacement = series(rising(264, 1e-4));
  run.fatigue.push_back({"random_Q10_b4.txt", parse_fatigue_name("random_Q10_b4.txt"), series(rising(264, 1e3))});
  run.fatigue.push_back(
      {"random_Q10_b6p4.txt", parse_fatigue_name("random_Q10_b6p4.txt"), series(rising(264, 1e6))});
  if (overall) run.report.overall = overall;
  char damping_text[16];
  std::snprintf(damping_text, sizeof damping_text, "%5.3f", damping);
  run.report.damping = damping;
  run.report.damping_text = damping_text;
  return run;
}

std::vector<std::string> titles(const Panel& panel) {
  std::vector<std::string> out;
  for (const Curve& curve : panel.curves) out.push_back(curve.title);
  return out;
}

using Titles = std::vector<std::string>;

TEST(BuildFigure, OneRunKeepsLegendsShort) {
  const Figure figure = build_figure({make_run("field", "8.899", 0.05)});
  EXPECT_EQ(figure.title, "field: overall acceleration 8.899 GRMS");
  EXPECT_EQ(titles(figure.panels[0]), Titles{"field, 8.899 GRMS"});
  EXPECT_EQ(titles(figure.panels[1]), (Titles{"RMS, Q = 10", "3σ, Q = 10"}));
  EXPECT_EQ(titles(figure.panels[2]), Titles{"RMS, Q = 10"});
  EXPECT_EQ(titles(figure.panels[3]), (Titles{"Q = 10, b = 4", "Q = 10, b = 6.4"}));
  EXPECT_TRUE(figure.panels[0].curves[0].marked);
  // One run: the fatigue files get colours of their own.
  EXPECT_NE(figure.panels[3].curves[0].colour, figure.panels[3].curves[1].colour);
}

TEST(BuildFigure, SeveralRunsGetAColourEachAndTheirTagInEveryLegend) {
  const Figure figure = build_figure({make_run("field", "6.058", 0.05), make_run("test", "8.568", 0.025)});
  EXPECT_EQ(figure.title, "Overall acceleration: field 6.058 GRMS, test 8.568 GRMS");
  EXPECT_EQ(titles(figure.panels[1]),
            (Titles{"field, 6.058 GRMS: RMS, Q = 10", "field, 6.058 GRMS: 3σ, Q = 10",
                    "test, 8.568 GRMS: RMS, Q = 20", "test, 8.568 GRMS: 3σ, Q = 20"}));
  EXPECT_EQ(titles(figure.panels[3]),
            (Titles{"field, 6.058 GRMS: Q = 10, b = 4", "field, 6.058 GRMS: Q = 10, b = 6.4",
                    "test, 8.568 GRMS: Q = 10, b = 4", "test, 8.568 GRMS: Q = 10, b = 6.4"}));
  for (const Panel& panel : figure.panels) {
    SCOPED_TRACE(panel.title);
    std::set<std::string> field_colours;
    std::set<std::string> test_colours;
    for (const Curve& curve : panel.curves) {
      (curve.title.starts_with("field") ? field_colours : test_colours).insert(curve.colour);
    }
    ASSERT_EQ(field_colours.size(), 1u);
    ASSERT_EQ(test_colours.size(), 1u);
    EXPECT_NE(*field_colours.begin(), *test_colours.begin());
  }
  // Dashes then tell the fatigue files apart, the same file alike in both runs.
  const auto& fatigue = figure.panels[3].curves;
  EXPECT_NE(fatigue[0].dash, fatigue[1].dash);
  EXPECT_EQ(fatigue[0].dash, fatigue[2].dash);
  EXPECT_EQ(fatigue[1].dash, fatigue[3].dash);
}

TEST(BuildFigure, LeavesOutRunsWithNothingToDrawAndSaysWhatIsUnknown) {
  plot::Run missing;
  missing.label = "nowhere";
  plot::Run no_report = make_run("bare", nullptr, 0.05);
  no_report.report.damping.reset();
  const Figure figure = build_figure({missing, no_report});
  EXPECT_EQ(figure.title, "bare: overall acceleration not known (see vrs.out)");
  EXPECT_EQ(titles(figure.panels[0]), Titles{"bare"});
  EXPECT_EQ(titles(figure.panels[1]), (Titles{"RMS", "3σ"}));
  EXPECT_FALSE(has_curves(build_figure({missing})));
}

TEST(BuildFigure, SharesOneFrequencyAxisAndFitsEachPanelsValues) {
  plot::Run run = make_run("field", "8.899", 0.05);
  run.psd = series({{20, 0.04}, {2000, 0.04}});
  const Figure figure = build_figure({run});
  for (const Panel& panel : figure.panels) EXPECT_EQ(panel.x, (DecadeRange{0, 4})) << panel.title;
  EXPECT_EQ(figure.panels[0].y.low, -2);
  EXPECT_GE(figure.panels[0].y.high, -1);
}

TEST(BuildFigure, KeepsEveryLegendOffTheCurves) {
  const Figure figure = build_figure({make_run("field", "6.058", 0.05), make_run("test", "8.568", 0.025)});
  for (const Panel& panel : figure.panels) {
    SCOPED_TRACE(panel.title);
    std::vector<std::vector<Point>> curves;
    for (const Curve& curve : panel.curves) curves.push_back(curve.points);
    // A generous legend: four entries of thirty characters.
    EXPECT_TRUE(corner_is_free(curves, panel.x, panel.y, panel.key, {0.3, 0.15}));
  }
}

TEST(GnuplotQuote, KeepsNamesLiteralAndOnOneLine) {
  EXPECT_EQ(gnuplot_quote("field"), "'field'");
  EXPECT_EQ(gnuplot_quote("O'Neil's run"), "'O''Neil''s run'");
  EXPECT_EQ(gnuplot_quote("a\nb\tc"), "'a?b?c'");
  EXPECT_EQ(gnuplot_quote("$x \\n {y}_z"), "'$x \\n {y}_z'");
}

}  // namespace
}  // namespace kolmaren::plot
