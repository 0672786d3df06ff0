// kolmaren-plot on what the kolmaren program itself writes: a flat PSD of
// 0.04 G^2/Hz from 20 to 2000 Hz, 60 s, exponent 4, damping ratio 0.05.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "plot/tests/program_runner.h"
#include "plot/tests/run_files.h"
#include "plot/tests/svg_probe.h"

namespace kolmaren::plot::testing {
namespace {

// Answers to kolmaren's questions, one per line, as a user types them.
constexpr const char* ANSWERS = "1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n";

TEST(KolmarenRun, EveryResultFileIsDrawnWhole) {
  const TempDir dir;
  const ProgramResult run = run_program(KOLMAREN_EXE, {}, dir.path(), {}, ANSWERS);
  ASSERT_EQ(run.exit_status, 0) << run.err;
  ASSERT_TRUE(std::filesystem::exists(dir.path() / "random_Q10_b4.txt"));

  const ProgramResult plot = run_program(KOLMAREN_PLOT_EXE, {}, dir.path());
  ASSERT_EQ(plot.exit_status, 0);
  EXPECT_EQ(plot.err, "");

  const std::string svg = read_file(dir.path() / "kolmaren.svg");
  const std::vector<std::string> texts = svg_texts(svg);
  const std::string title = dir.path().filename().string() + ": overall acceleration 8.899 GRMS";
  EXPECT_NE(std::find(texts.begin(), texts.end(), title), texts.end()) << title;

  const std::vector<SvgCurve> curves = svg_curves(svg);
  ASSERT_EQ(curves.size(), 5u);
  for (const SvgCurve& curve : curves) {
    SCOPED_TRACE(curve.title);
    if (curve.panel == 0) {
      EXPECT_EQ(curve.markers, 2);
    } else {
      EXPECT_EQ(curve.vertices, SPECTRUM_ROWS);
    }
  }
  EXPECT_EQ(curves.back().title, "Q = 10, b = 4");
}

}  // namespace
}  // namespace kolmaren::plot::testing
