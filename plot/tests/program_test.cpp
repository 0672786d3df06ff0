// kolmaren-plot run as a user runs it, on result files in kolmaren's formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "plot/figure.h"
#include "plot/tests/program_runner.h"
#include "plot/tests/run_files.h"
#include "plot/tests/svg_probe.h"

namespace kolmaren::plot::testing {
namespace {

namespace fs = std::filesystem;

const std::string PROGRAM = KOLMAREN_PLOT_EXE;

const char* const PANEL_TITLES[] = {"Input PSD", "Acceleration response spectrum",
                                    "Relative displacement spectrum", "Fatigue response spectrum"};

bool contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

const SvgCurve* find_curve(const std::vector<SvgCurve>& curves, const std::string& title) {
  for (const SvgCurve& curve : curves) {
    if (curve.title == title) return &curve;
  }
  return nullptr;
}

class Program : public ::testing::Test {
 protected:
  ProgramResult plot(const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment = {}) {
    return run_program(PROGRAM, args, dir_.path(), environment);
  }
  fs::path at(const std::string& name) const { return dir_.path() / name; }

  TempDir dir_;
};

TEST_F(Program, DrawsFourPanelsOfOneRun) {
  RunProfile profile;
  profile.exponents = {4.0, 6.4};
  write_run(at("field"), profile);

  const ProgramResult result = plot({"field"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "kolmaren-plot: wrote kolmaren.svg and kolmaren.png\n");

  const std::string svg = read_file(at("kolmaren.svg"));
  const std::vector<std::string> texts = svg_texts(svg);
  EXPECT_TRUE(contains(texts, "field: overall acceleration " + overall_text(profile) + " GRMS"));
  for (const char* title : PANEL_TITLES) EXPECT_TRUE(contains(texts, title)) << title;
  for (const char* axis : {"Frequency (Hz)", "Natural frequency (Hz)", "Acceleration PSD (G²/Hz)",
                           "Response acceleration (GRMS and 3σ G)", "Relative displacement (inch RMS)",
                           "Fatigue damage index"}) {
    EXPECT_TRUE(contains(texts, axis)) << axis;
  }

  const std::vector<SvgCurve> curves = svg_curves(svg);
  ASSERT_EQ(curves.size(), 6u);
  struct Expected {
    const char* title;
    int panel;
    int vertices;
    int markers;
  };
  const int breakpoints = static_cast<int>(profile.breakpoints.size());
  const Expected expected[] = {
      {"field, 6.058 GRMS", 0, breakpoints, breakpoints},
      {"RMS, Q = 10", 1, SPECTRUM_ROWS, 0},
      {"3σ, Q = 10", 1, SPECTRUM_ROWS, 0},
      {"RMS, Q = 10", 2, SPECTRUM_ROWS, 0},
      {"Q = 10, b = 4", 3, SPECTRUM_ROWS, 0},
      {"Q = 10, b = 6.4", 3, SPECTRUM_ROWS, 0},
  };
  ASSERT_EQ(overall_text(profile), "6.058");
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.title);
    const auto match = std::find_if(curves.begin(), curves.end(), [&](const SvgCurve& c) {
      return c.title == e.title && c.panel == e.panel;
    });
    ASSERT_NE(match, curves.end());
    EXPECT_EQ(match->vertices, e.vertices);
    EXPECT_EQ(match->markers, e.markers);
  }

  const PngSize png = png_size(at("kolmaren.png"));
  EXPECT_EQ(png.width, PageLayout::WIDTH);
  EXPECT_EQ(png.height, PageLayout::HEIGHT);
}

TEST_F(Program, OverlaysSeveralRunsOneColourEach) {
  RunProfile field;
  RunProfile test;
  for (auto& [f, level] : test.breakpoints) level *= 2.0;
  write_run(at("field"), field);
  write_run(at("test"), test);

  const ProgramResult result = plot({"field", "test/", "-o", "compare"});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(fs::exists(at("compare.png")));
  const std::string svg = read_file(at("compare.svg"));
  const std::string field_tag = "field, " + overall_text(field) + " GRMS";
  const std::string test_tag = "test, " + overall_text(test) + " GRMS";
  EXPECT_TRUE(contains(svg_texts(svg), "Overall acceleration: field " + overall_text(field) + " GRMS, test " +
                                           overall_text(test) + " GRMS"));

  const std::vector<SvgCurve> curves = svg_curves(svg);
  ASSERT_EQ(curves.size(), 10u);
  std::set<std::string> field_colours;
  std::set<std::string> test_colours;
  for (const SvgCurve& curve : curves) {
    SCOPED_TRACE(curve.title);
    const bool is_field = curve.title.starts_with(field_tag);
    EXPECT_TRUE(is_field || curve.title.starts_with(test_tag));
    (is_field ? field_colours : test_colours).insert(curve.colour);
    if (curve.panel > 0) {
      EXPECT_EQ(curve.vertices, SPECTRUM_ROWS);
    }
  }
  EXPECT_EQ(field_colours.size(), 1u);
  EXPECT_EQ(test_colours.size(), 1u);
  EXPECT_NE(field_colours, test_colours);
  EXPECT_NE(find_curve(curves, test_tag + ": 3σ, Q = 10"), nullptr);
  EXPECT_NE(find_curve(curves, field_tag + ": Q = 10, b = 4"), nullptr);
}

TEST_F(Program, DrawsTheCurrentDirectoryByDefault) {
  write_run(dir_.path(), RunProfile{});
  const ProgramResult result = plot({"-o", "report.png"});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_TRUE(fs::exists(at("report.svg")));
  EXPECT_TRUE(fs::exists(at("report.png")));
  const std::string name = dir_.path().filename().string();
  EXPECT_TRUE(contains(svg_texts(read_file(at("report.svg"))),
                       name + ": overall acceleration " + overall_text(RunProfile{}) + " GRMS"));
}

struct BadInput {
  const char* what;
  std::function<void(const fs::path&)> spoil;  // applied to the run directory "run"
  std::vector<std::string> messages;           // each must be on stderr
  int exit_status;
  int curves;  // drawn, when something is
};

void replace_line(const fs::path& file, int line, const std::string& text) {
  std::string content = read_file(file);
  std::size_t start = 0;
  for (int i = 1; i < line; ++i) start = content.find('\n', start) + 1;
  content.replace(start, content.find('\n', start) - start, text);
  write_file(file, content);
}

TEST_F(Program, ReportsBadInputAndDrawsWhatItCan) {
  const std::string fatigue = fatigue_file_name(0.05, 4.0);
  const BadInput cases[] = {
      {"missing file", [](const fs::path& d) { fs::remove(d / "tsvrs.txt"); },
       {"kolmaren-plot: run/tsvrs.txt: cannot open: No such file or directory"}, 0, 4},
      {"empty file", [](const fs::path& d) { write_file(d / "vrs.txt", ""); },
       {"kolmaren-plot: run/vrs.txt: empty file, nothing to draw"}, 0, 4},
      {"not two numbers", [](const fs::path& d) { replace_line(d / "a.psd", 2, "80.000000"); },
       {"kolmaren-plot: run/a.psd:2: expected two numbers, found 1 field; line left out"}, 0, 5},
      {"not a number", [](const fs::path& d) { replace_line(d / "rd_vrs.txt", 7, "5.946036    1.0O3e-02"); },
       {"kolmaren-plot: run/rd_vrs.txt:7: '1.0O3e-02' is not a number; line left out"}, 0, 5},
      {"inf, -inf, nan, -nan",
       [&](const fs::path& d) {
         replace_line(d / "vrs.txt", 3, "5.297315        inf");
         replace_line(d / "vrs.txt", 4, "5.452539       -inf");
         replace_line(d / fatigue, 10, "6.484197 \t        nan");
         replace_line(d / fatigue, 11, "6.674199 \t       -nan");
       },
       {"kolmaren-plot: run/vrs.txt:3: 'inf' is not a finite number; line left out",
        "kolmaren-plot: run/vrs.txt:4: '-inf' is not a finite number; line left out",
        "kolmaren-plot: run/" + fatigue + ":10: 'nan' is not a finite number; line left out",
        "kolmaren-plot: run/" + fatigue + ":11: '-nan' is not a finite number; line left out"},
       0, 5},
      {"zero and negative values",
       [](const fs::path& d) {
         replace_line(d / "rd_vrs.txt", 5, "5.612310    0.000e+00");
         replace_line(d / "rd_vrs.txt", 9, "6.299605   -1.000e-02");
         replace_line(d / "a.psd", 1, "20.000000          0 ");
       },
       {"kolmaren-plot: run/rd_vrs.txt: 2 points with a zero or negative value left out of the log axes "
        "(first at line 5)",
        "kolmaren-plot: run/a.psd: 1 point with a zero or negative value left out of the log axes "
        "(first at line 1)"},
       0, 5},
      {"missing report", [](const fs::path& d) { fs::remove(d / "vrs.out"); },
       {"kolmaren-plot: run/vrs.out: cannot open: No such file or directory; Q and overall acceleration not "
        "shown"},
       0, 5},
      {"missing directory", [](const fs::path& d) { fs::remove_all(d); },
       {"kolmaren-plot: run: cannot read the directory: No such file or directory",
        "kolmaren-plot: nothing to draw"},
       1, 0},
      {"nothing drawable",
       [](const fs::path& d) {
         for (const char* file : {"a.psd", "vrs.txt", "tsvrs.txt", "rd_vrs.txt"}) write_file(d / file, "");
         write_file(d / fatigue_file_name(0.05, 4.0), "5 nan\n");
       },
       {"kolmaren-plot: run/a.psd: empty file, nothing to draw",
        "kolmaren-plot: run/" + fatigue + ": no point can be drawn", "kolmaren-plot: nothing to draw"},
       1, 0},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir dir;
    write_run(dir.path() / "run", RunProfile{});
    c.spoil(dir.path() / "run");
    const ProgramResult result = run_program(PROGRAM, {"run"}, dir.path());
    EXPECT_EQ(result.exit_status, c.exit_status);
    for (const std::string& message : c.messages) {
      EXPECT_NE(result.err.find(message + "\n"), std::string::npos) << "missing: " << message << "\nstderr:\n"
                                                                    << result.err;
    }
    const bool drawn = c.exit_status == 0;
    EXPECT_EQ(fs::exists(dir.path() / "kolmaren.svg"), drawn);
    EXPECT_EQ(fs::exists(dir.path() / "kolmaren.png"), drawn);
    if (drawn) {
      const std::vector<SvgCurve> curves = svg_curves(read_file(dir.path() / "kolmaren.svg"));
      EXPECT_EQ(static_cast<int>(curves.size()), c.curves);
    }
  }
}

TEST_F(Program, LeavesOutPointsCountedOnStderrFromTheDrawing) {
  write_run(at("run"), RunProfile{});
  replace_line(at("run/rd_vrs.txt"), 5, "5.612310    0.000e+00");
  replace_line(at("run/rd_vrs.txt"), 6, "5.777076        nan");
  replace_line(at("run/a.psd"), 2, "80.000000       -0.04 ");
  ASSERT_EQ(plot({"run"}).exit_status, 0);
  const std::vector<SvgCurve> curves = svg_curves(read_file(at("kolmaren.svg")));
  const SvgCurve* psd = find_curve(curves, "run, " + overall_text(RunProfile{}) + " GRMS");
  ASSERT_NE(psd, nullptr);
  EXPECT_EQ(psd->markers, 3);
  for (const SvgCurve& curve : curves) {
    if (curve.panel == 2) {
      EXPECT_EQ(curve.vertices, SPECTRUM_ROWS - 2);
    }
  }
}

TEST_F(Program, DrawsTheRunsThatCanBeDrawnWhenOthersCannot) {
  write_run(at("field"), RunProfile{});
  const ProgramResult result = plot({"field", "absent"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_NE(result.err.find("kolmaren-plot: absent: cannot read the directory"), std::string::npos);
  // The run that failed is not in the legends.
  for (const SvgCurve& curve : svg_curves(read_file(at("kolmaren.svg")))) {
    EXPECT_EQ(curve.title.find("absent"), std::string::npos);
  }
}

TEST_F(Program, SaysSoWhenGnuplotCannotBeRun) {
  write_run(at("field"), RunProfile{});
  const ProgramResult result = plot({"field"}, {{"KOLMAREN_GNUPLOT", "/nonexistent/gnuplot"}});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err,
            "kolmaren-plot: cannot run /nonexistent/gnuplot: No such file or directory; nothing drawn\n");
}

TEST_F(Program, SaysSoWhenGnuplotFails) {
  write_run(at("field"), RunProfile{});
  const ProgramResult result = plot({"field", "-o", "no/such/dir/out"});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.err.find("failed with exit status"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("nothing drawn"), std::string::npos);
}

TEST_F(Program, ExplainsItselfAndRefusesAWrongCommandLine) {
  const ProgramResult help = plot({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* part : {"usage: kolmaren-plot [-o NAME] [DIR ...]", "a.psd", "vrs.txt", "tsvrs.txt",
                           "rd_vrs.txt", "random_Q*_b*.txt", "vrs.out", "-o NAME"}) {
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  }
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case wrong[] = {{{"--bogus"}, "kolmaren-plot: unknown option --bogus\n"},
                        {{"-o"}, "kolmaren-plot: -o needs a file name\n"}};
  for (const Case& c : wrong) {
    const ProgramResult result = plot(c.args);
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.err, c.message + "usage: kolmaren-plot [-o NAME] [DIR ...]\n");
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace kolmaren::plot::testing
