// Numerical stages on their own: slopes and overall RMS, the uniform grid,
// velocity and displacement, damping and the fatigue menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <utility>

#include "spectrum/analysis.h"

namespace kolmaren {
namespace {

using Breakpoints = std::initializer_list<std::pair<double, double>>;

// A cleared context holding the given breakpoints; heap-allocated because
// the context is fixed storage of a few hundred kilobytes.
std::unique_ptr<AnalysisContext> context_with(Breakpoints points) {
  auto ctx = std::make_unique<AnalysisContext>();
  clear_context(*ctx);
  int i = 0;
  for (const auto& [freq, level] : points) {
    ctx->breakpoints.freq[i] = freq;
    ctx->breakpoints.level[i] = level;
    ++i;
  }
  ctx->breakpoints.n = i;
  return ctx;
}

std::string six_decimals(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

const Breakpoints FOUR_POINT_PROFILE = {{20, 0.01}, {80, 0.04}, {350, 0.04}, {2000, 0.007}};

TEST(OverallRms, FiguresOfKnownProfiles) {
  struct Case {
    const char* what;
    Breakpoints points;
    const char* grms;
  } cases[] = {
      {"flat 0.04 from 20 to 2000 Hz", {{20, 0.04}, {2000, 0.04}}, "8.899438"},
      {"slopes 1, 0 and -1", FOUR_POINT_PROFILE, "6.058182"},
      {"first breakpoint at 0 Hz is raised to the floor", {{0, 0.04}, {100, 0.04}}, "1.999999"},
      {"zero level at the right end", {{20, 0.04}, {100, 0.0}}, "0.000000"},
      {"zero level at the left end", {{20, 0.0}, {100, 0.04}}, "0.000000"},
      {"single breakpoint", {{20, 0.04}}, "0.000000"},
      {"no breakpoint", {}, "0.000000"},
  };
  for (const Case& c : cases) {
    auto ctx = context_with(c.points);
    EXPECT_EQ(c.grms, six_decimals(overall_rms(*ctx, ctx->breakpoints.level))) << c.what;
  }
}

TEST(OverallRms, UndefinedSegmentsGiveNotANumber) {
  struct Case {
    const char* what;
    Breakpoints points;
  } cases[] = {
      {"zero levels at both ends", {{20, 0.0}, {100, 0.0}}},
      {"repeated frequency, equal levels", {{20, 0.04}, {20, 0.04}, {100, 0.04}}},
      {"descending frequencies, negative area", {{100, 0.04}, {20, 0.04}}},
  };
  for (const Case& c : cases) {
    auto ctx = context_with(c.points);
    EXPECT_TRUE(std::isnan(overall_rms(*ctx, ctx->breakpoints.level))) << c.what;
  }
}

TEST(OverallRms, RepeatedFrequencyWithDifferentLevelsAddsNothing) {
  auto ctx = context_with({{20, 0.04}, {20, 0.08}, {100, 0.08}});
  const double grms = overall_rms(*ctx, ctx->breakpoints.level);
  EXPECT_TRUE(std::isinf(ctx->slopes.s[0]));
  EXPECT_DOUBLE_EQ(std::sqrt(0.08 * 80), grms);
}

TEST(OverallRms, SlopesAndTheirTableAfterEveryCall) {
  auto ctx = context_with(FOUR_POINT_PROFILE);
  ctx->slopes.s[3] = 99.0;  // stale entries must be cleared
  overall_rms(*ctx, ctx->breakpoints.level);
  EXPECT_EQ("1.000000", six_decimals(ctx->slopes.s[0]));
  EXPECT_EQ("0.000000", six_decimals(ctx->slopes.s[1]));
  EXPECT_EQ("-1.000000", six_decimals(ctx->slopes.s[2]));
  for (int i = 3; i < MAX_POINTS; ++i) ASSERT_EQ(0.0, ctx->slopes.s[i]) << "entry " << i;
  EXPECT_EQ("3.010300", six_decimals(slope_db_per_octave(ctx->slopes.s[0])));
  EXPECT_EQ("-3.010300", six_decimals(slope_db_per_octave(ctx->slopes.s[2])));
}

// Level at f2 that makes the segment from (f1, 1.0) have the given slope.
double level_for_slope(double f1, double f2, double slope) {
  return std::pow(10.0, slope * std::log10(f2 / f1));
}

TEST(OverallRms, LogarithmicAreaBandIncludesBothEnds) {
  // Above or below the band the general formula applies; inside it the
  // logarithmic one. The two differ measurably near the band edge, so the
  // term tells which formula was taken.
  for (double slope : {-1.0001, -0.9999, -1.0, -1.00011, -0.99989}) {
    auto ctx = context_with({{10, 1.0}, {1000, level_for_slope(10, 1000, slope)}});
    const double grms = overall_rms(*ctx, ctx->breakpoints.level);
    const double s = ctx->slopes.s[0];
    const double log_area = std::log(1000.0 / 10.0) * (1.0 * 10.0);
    const double general_area = (ctx->breakpoints.level[1] * 1000 - 10.0) / (s + 1.0);
    const bool in_band = s >= -1.0001 && s <= -0.9999;
    EXPECT_EQ(std::sqrt(in_band ? log_area : general_area), grms) << "slope " << s;
  }
}

TEST(OverallRms, FloorRaisesOnlyLeadingFrequenciesOnce) {
  auto ctx = context_with({{0, 0.04}, {std::nan(""), 0.04}, {100, 0.04}, {0, 0.04}});
  overall_rms(*ctx, ctx->breakpoints.level);
  EXPECT_EQ(FREQ_FLOOR_HZ, ctx->breakpoints.freq[0]);
  EXPECT_EQ(FREQ_FLOOR_HZ, ctx->breakpoints.freq[1]) << "not a number counts as below";
  EXPECT_EQ(0.0, ctx->breakpoints.freq[3]) << "the last breakpoint is never raised";

  auto exact = context_with({{FREQ_FLOOR_HZ, 0.04}, {100, 0.04}});
  overall_rms(*exact, exact->breakpoints.level);
  EXPECT_EQ(0.0001, exact->breakpoints.freq[0]);
}

TEST(UniformGrid, CountsAndLevels) {
  struct Case {
    const char* what;
    Breakpoints points;
    int count;
  } cases[] = {
      {"20 to 2000 Hz", {{20, 0.04}, {2000, 0.04}}, 1980},
      {"20 to 21 Hz", {{20, 0.04}, {21, 0.04}}, 1},
      {"20 to 20.99 Hz", {{20, 0.04}, {20.99, 0.04}}, 0},
      {"20.5 to 30 Hz", {{20.5, 0.04}, {30, 0.04}}, 9},
      {"span 4998 Hz", {{10, 0.04}, {5008, 0.04}}, 4998},
      {"span 4999 Hz", {{10, 0.04}, {5009, 0.04}}, 4999},
      {"10 to 6000 Hz, capacity", {{10, 0.04}, {6000, 0.04}}, 4999},
      {"single breakpoint", {{20, 0.04}}, 0},
      {"no breakpoint", {}, 0},
  };
  for (const Case& c : cases) {
    auto ctx = context_with(c.points);
    overall_rms(*ctx, ctx->breakpoints.level);
    resample_uniform(*ctx);
    EXPECT_EQ(c.count, ctx->grid.count) << c.what;
    EXPECT_EQ(GRID_STEP_HZ, ctx->grid.df) << c.what;
  }
}

TEST(UniformGrid, LevelsOfTheFourPointProfile) {
  auto ctx = context_with(FOUR_POINT_PROFILE);
  overall_rms(*ctx, ctx->breakpoints.level);
  resample_uniform(*ctx);
  const std::pair<int, const char*> expected[] = {
      {0, "0.01"}, {1, "0.0105"}, {20, "0.02"}, {60, "0.04"},
      {331, "0.039886"}, {980, "0.014"}, {1979, "0.0070035"}};
  for (const auto& [k, level] : expected) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", ctx->grid.level[k]);
    EXPECT_EQ(level, std::string(text)) << "grid point " << k;
    EXPECT_EQ(20.0 + k, ctx->grid.freq[k]);
  }
}

TEST(UniformGrid, FrequenciesComeFromTheIndex) {
  auto ctx = context_with({{0, 0.04}, {4000, 0.04}});
  overall_rms(*ctx, ctx->breakpoints.level);  // raises the start to 0.0001 Hz
  resample_uniform(*ctx);
  for (int k : {1, 2, 1000, 3999}) EXPECT_EQ(k * 1.0 + 0.0001, ctx->grid.freq[k]);
  EXPECT_EQ(0.0001, ctx->grid.freq[0]);
}

TEST(UniformGrid, ZeroLevelSegments) {
  auto falling = context_with({{20, 0.04}, {30, 0.0}});
  overall_rms(*falling, falling->breakpoints.level);
  resample_uniform(*falling);
  EXPECT_EQ(0.0, falling->grid.level[5]);

  auto rising = context_with({{20, 0.0}, {30, 0.04}});
  overall_rms(*rising, rising->breakpoints.level);
  resample_uniform(*rising);
  EXPECT_TRUE(std::isnan(rising->grid.level[5]));
}

// The grid level by the plain rule: search every segment from the first.
double plain_grid_level(const AnalysisContext& ctx, double f, double held) {
  const BreakpointTable& bp = ctx.breakpoints;
  for (int j = 0; j < bp.n - 1; ++j) {
    if (f >= bp.freq[j] && f <= bp.freq[j + 1])
      return std::pow(f / bp.freq[j], ctx.slopes.s[j]) * bp.level[j];
  }
  return held;
}

TEST(UniformGrid, ResumedSearchMatchesTheFirstSegmentRule) {
  // Unordered, repeated, infinite and inner-on-grid breakpoints: the levels
  // must be those of the first matching segment, searched from segment 0.
  std::mt19937_64 random(20261211);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 300; ++trial) {
    auto ctx = context_with({});
    BreakpointTable& bp = ctx->breakpoints;
    bp.n = 2 + static_cast<int>(unit(random) * 30);
    for (int i = 0; i < bp.n; ++i) {
      const double u = unit(random);
      bp.freq[i] = u < 0.1 ? std::floor(10 + unit(random) * 300)  // on the grid
                 : u < 0.15 && i > 0 ? bp.freq[i - 1]             // repeated
                 : u < 0.17 ? INFINITY
                 : 5 + unit(random) * 400;
      bp.level[i] = 0.001 + unit(random) * 0.1;
    }
    if (trial % 2 == 0) std::sort(bp.freq, bp.freq + bp.n);
    overall_rms(*ctx, bp.level);
    resample_uniform(*ctx);
    double held = bp.level[0];
    for (int k = 1; k <= ctx->grid.count; ++k) {
      held = plain_grid_level(*ctx, ctx->grid.freq[k], held);
      const double got = ctx->grid.level[k];
      ASSERT_EQ(0, std::memcmp(&held, &got, sizeof got)) << "trial " << trial << " point " << k;
    }
  }
}

TEST(VelocityDisplacement, FiguresOfKnownProfiles) {
  struct Case {
    const char* what;
    Breakpoints points;
    const char* velocity;
    const char* displacement;
  } cases[] = {
      {"flat 0.04, 20 to 2000 Hz", {{20, 0.04}, {2000, 0.04}}, "2.73", "0.0126"},
      {"four-point profile", FOUR_POINT_PROFILE, "2.07", "0.00765"},
      {"single breakpoint", {{20, 0.04}}, "0", "0"},
      {"first breakpoint below 1 Hz", {{0.5, 0.04}, {20, 0.04}, {2000, 0.04}}, "nan", "nan"},
      {"first breakpoint at 0 Hz", {{0, 0.04}, {2000, 0.04}}, "nan", "nan"},
  };
  for (const Case& c : cases) {
    auto ctx = context_with(c.points);
    overall_rms(*ctx, ctx->breakpoints.level);
    derive_velocity_displacement(*ctx);
    // The sign of a NaN is the processor's choice; only its being one counts.
    auto text = [](double value) {
      if (std::isnan(value)) return std::string("nan");
      char out[32];
      std::snprintf(out, sizeof out, "%.3g", value);
      return std::string(out);
    };
    EXPECT_EQ(c.velocity, text(ctx->overall.velocity)) << c.what;
    EXPECT_EQ(c.displacement, text(ctx->overall.displacement)) << c.what;
  }
}

TEST(VelocityDisplacement, TablesAndTheLogarithmicVelocityTerm) {
  auto flat = context_with({{20, 0.04}, {2000, 0.04}});
  overall_rms(*flat, flat->breakpoints.level);
  derive_velocity_displacement(*flat);
  EXPECT_NEAR(0.377411, flat->velocity[0], 5e-7);
  EXPECT_NEAR(3.77411e-05, flat->velocity[1], 5e-11);
  EXPECT_NEAR(2.38998e-05, flat->displacement[0], 5e-11);

  auto profile = context_with(FOUR_POINT_PROFILE);
  overall_rms(*profile, profile->breakpoints.level);
  derive_velocity_displacement(*profile);
  EXPECT_EQ("2.069010", six_decimals(profile->overall.velocity));
  // The first velocity segment has slope -1: its term is ln(4) v0 f0.
  EXPECT_EQ("2.616016", six_decimals(std::log(80.0 / 20.0) * (profile->velocity[0] * 20.0)));

  auto at_one_hz = context_with({{1.0, 0.04}, {0.5, 0.04}});
  overall_rms(*at_one_hz, at_one_hz->breakpoints.level);
  derive_velocity_displacement(*at_one_hz);
  EXPECT_NE(0.0, at_one_hz->velocity[1]) << "the test reads the first frequency only";
}

TEST(AnalysisParameters, DampingRoundTripThroughTheRatio) {
  struct Case {
    long format;
    double answer;
    double ratio;
    double q;
  } cases[] = {
      {1, 0.05, 0.05, 10.0},
      {2, 10.0, 0.05, 10.0},
      {0, 10.0, 0.05, 10.0},
      {3, 10.0, 0.05, 10.0},
      {2, 93.0, 1.0 / 186.0, 92.99999999999999},
      {1, 0.03, 0.03, 16.666666666666668},
      {1, 0.0, 0.0, INFINITY},
      {2, 0.0, INFINITY, 0.0},
  };
  for (const Case& c : cases) {
    AnalysisParameters params{};
    set_damping(params, c.format, c.answer);
    EXPECT_EQ(c.ratio, params.damping_ratio) << "format " << c.format << " answer " << c.answer;
    EXPECT_EQ(c.q, params.q) << "format " << c.format << " answer " << c.answer;
  }
}

TEST(AnalysisParameters, TypedWholeNumberQComesBackBelowOrAbove) {
  for (int typed = 1; typed <= 200; ++typed) {
    AnalysisParameters params{};
    set_damping(params, 2, typed);
    const bool below = typed == 93 || typed == 99 || typed == 105 || typed == 117 ||
                       typed == 123 || typed == 186 || typed == 198;
    const bool above = typed == 49 || typed == 98 || typed == 103 || typed == 107 ||
                       typed == 196 || typed == 197;
    if (below) EXPECT_LT(params.q, typed) << typed;
    else if (above) EXPECT_GT(params.q, typed) << typed;
    else EXPECT_EQ(typed, params.q) << typed;
  }
}

TEST(AnalysisParameters, FatigueMenu) {
  for (int choice : {1, 2, 0, 3, -1, 2147483647}) {
    AnalysisParameters params{};
    set_fatigue_choice(params, choice);
    EXPECT_EQ(choice, params.fatigue_choice);
    EXPECT_EQ(choice == 1 ? 4.0 : 6.4, params.fatigue_exponent) << choice;
    EXPECT_EQ(choice == 1 ? 8.0 : 65.93, params.fatigue_constant) << choice;
  }
}

TEST(StartUp, PiAndClearedTables) {
  auto ctx = std::make_unique<AnalysisContext>();
  ctx->grid.level[17] = 3.0;
  ctx->overall.velocity = 1.0;
  clear_context(*ctx);
  EXPECT_EQ(std::atan2(0.0, -1.0), ctx->pi);
  EXPECT_EQ(2.0 * ctx->pi, ctx->two_pi);
  EXPECT_EQ(0.0, ctx->grid.level[17]);
  EXPECT_EQ(0.0, ctx->overall.velocity);
}

}  // namespace
}  // namespace kolmaren
