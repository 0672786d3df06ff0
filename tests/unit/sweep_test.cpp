// The response sweep's figures: natural frequencies, acceleration response,
// fatigue value and relative displacement.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "spectrum/analysis.h"
#include "spectrum/sweep.h"

namespace kolmaren {
namespace {

std::string g_digits(double value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}
std::string g5(double value) { return g_digits(value, 5); }

// A run's context up to the sweep: breakpoints, grid, parameters, results.
std::unique_ptr<AnalysisContext> swept(double f0, double level0, double f1, double level1,
                                       double zeta, double duration, int fatigue_choice) {
  auto ctx = std::make_unique<AnalysisContext>();
  clear_context(*ctx);
  ctx->breakpoints = {};
  ctx->breakpoints.freq[0] = f0;
  ctx->breakpoints.level[0] = level0;
  ctx->breakpoints.freq[1] = f1;
  ctx->breakpoints.level[1] = level1;
  ctx->breakpoints.n = 2;
  overall_rms(*ctx, ctx->breakpoints.level);
  resample_uniform(*ctx);
  set_fatigue_choice(ctx->params, fatigue_choice);
  set_damping(ctx->params, 1, zeta);
  ctx->params.duration = duration;
  compute_sweep(*ctx);
  return ctx;
}

TEST(Sweep, NaturalFrequencies) {
  double fn[SWEEP_MAX_ROWS];
  ASSERT_EQ(264, natural_frequencies(fn));
  const std::pair<int, const char*> expected[] = {
      {0, "5.000000"},   {1, "5.146511"},      {2, "5.297315"},   {24, "10.000000"},
      {48, "20.000000"}, {262, "9665.272962"}, {263, "9948.487077"}};
  for (const auto& [row, text] : expected) {
    char out[32];
    std::snprintf(out, sizeof out, "%lf", fn[row]);
    EXPECT_EQ(text, std::string(out)) << "row " << row;
  }
  EXPECT_EQ(1.029302236643492, std::pow(2.0, SWEEP_STEP_OCTAVES));
}

TEST(Sweep, FlatInputFrom20To200Hz) {
  auto four = swept(20, 0.04, 200, 0.04, 0.05, 60, 1);
  auto six = swept(20, 0.04, 200, 0.04, 0.05, 60, 2);
  const SweepResults& r = four->sweep;
  ASSERT_EQ(180, four->grid.count);
  EXPECT_EQ("0.041257", g5(r.response[0]));
  EXPECT_EQ("0.12377", g5(r.three_sigma[0]));
  EXPECT_EQ("0.01313", g_digits(r.relative_disp[0], 4));
  EXPECT_EQ("100.79", g5(r.fn[104]));
  EXPECT_EQ("7.9305", g5(r.response[104]));
  EXPECT_EQ("23.792", g5(r.three_sigma[104]));
  EXPECT_EQ("2.3985e+08", g5(r.fatigue[104]));
  EXPECT_EQ("2.8462e+11", g5(six->sweep.fatigue[104]));
  EXPECT_EQ("2.6837", g5(r.response[263]));
  EXPECT_GT(r.response[263], std::sqrt(0.04 * 180.0)) << "tends to the overall value from above";
}

TEST(Sweep, SingleGridPoint) {
  auto ctx = swept(10, 0.01, 11.5, 0.01, 0.05, 60, 1);
  ASSERT_EQ(1, ctx->grid.count);
  // Full term in the acceleration sum, half term in the displacement sum.
  EXPECT_EQ(std::sqrt(0.01 * 1.04 / 9.04), ctx->sweep.response[0]);
  EXPECT_EQ("0.009198", g_digits(ctx->sweep.relative_disp[0], 4));
  EXPECT_EQ("0.1", g5(ctx->sweep.response[263]));
}

TEST(Sweep, EmptyGridStillWritesEveryRow) {
  auto ctx = swept(10, 0.01, 10.5, 0.01, 0.05, 60, 1);
  ASSERT_EQ(0, ctx->grid.count);
  ASSERT_EQ(264, ctx->sweep.rows);
  for (int r = 0; r < ctx->sweep.rows; ++r) {
    EXPECT_EQ(0.0, ctx->sweep.response[r]);
    EXPECT_EQ(0.0, ctx->sweep.three_sigma[r]);
    EXPECT_EQ(0.0, ctx->sweep.relative_disp[r]);
    EXPECT_TRUE(std::isnan(ctx->sweep.fatigue[r])) << "the sub-steps, not the closed form";
  }
}

TEST(Sweep, ZeroDurationGivesZeroFatigue) {
  auto ctx = swept(20, 0.04, 200, 0.04, 0.05, 0.0, 1);
  for (int r = 0; r < ctx->sweep.rows; ++r) EXPECT_EQ(0.0, ctx->sweep.fatigue[r]);
}

TEST(Sweep, ZeroDampingOnANaturalFrequency) {
  auto ctx = swept(5, 0.04, 200, 0.04, 0.0, 60, 1);
  EXPECT_TRUE(std::isinf(ctx->sweep.response[0]));
  EXPECT_TRUE(std::isinf(ctx->sweep.three_sigma[0]));
  EXPECT_TRUE(std::isnan(ctx->sweep.fatigue[0]));
  EXPECT_TRUE(std::isfinite(ctx->sweep.response[1]));
}

TEST(Sweep, FatigueClosedFormForPositiveResponse) {
  AnalysisParameters params{};
  set_fatigue_choice(params, 1);
  params.duration = 60.0;
  const double pi = std::atan2(0.0, -1.0);
  const double value = fatigue_value(7.930534, 100.793684, params, pi);
  EXPECT_NEAR(10.026513 * 100.793684 * 60.0 * std::pow(7.930534, 4.0), value, value * 1e-7);
}

}  // namespace
}  // namespace kolmaren
