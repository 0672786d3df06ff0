// Reading result files: what is drawn, what is left out, and what is said.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plot/report.h"
#include "plot/run.h"
#include "plot/series.h"

namespace kolmaren::plot {
namespace {

TEST(ParseNumber, TakesWhatPrintfWritesAndNothingElse) {
  struct Case {
    const char* token;
    bool is_number;
    double value;  // compared when finite
  };
  const double inf = INFINITY;
  const Case cases[] = {
      {"20.000000", true, 20.0},   {"0.0053", true, 0.0053},     {"2.3985e+08", true, 2.3985e8},
      {"1.313e-02", true, 0.01313}, {"+5", true, 5.0},            {"-0.5", true, -0.5},
      {"inf", true, inf},          {"-inf", true, -inf},          {"nan", true, NAN},
      {"-nan", true, NAN},         {"1e999", true, inf},          {"abc", false, 0.0},
      {"1.5x", false, 0.0},        {"", false, 0.0},              {"+", false, 0.0},
      {"0x10", false, 0.0},        {"1,5", false, 0.0},           {"--1", false, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.token);
    const std::optional<double> value = parse_number(c.token);
    ASSERT_EQ(value.has_value(), c.is_number);
    if (!value) continue;
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(*value));
    } else {
      EXPECT_EQ(*value, c.value);
    }
  }
}

struct SeriesCase {
  const char* what;
  const char* text;
  std::vector<Point> points;
  std::vector<std::string> messages;
};

void expect_series(const SeriesCase& c) {
  SCOPED_TRACE(c.what);
  const Series series = parse_series(c.text, "run/vrs.txt");
  ASSERT_EQ(series.points.size(), c.points.size());
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    EXPECT_EQ(series.points[i].x, c.points[i].x) << "point " << i;
    EXPECT_EQ(series.points[i].y, c.points[i].y) << "point " << i;
  }
  EXPECT_EQ(series.messages, c.messages);
}

TEST(ParseSeries, ReadsEveryLineFormatOfTheResultFiles) {
  const SeriesCase cases[] = {
      {"a.psd, blank before the newline", "20.000000     0.0053 \n2000.000000       0.04 \n",
       {{20.0, 0.0053}, {2000.0, 0.04}}, {}},
      {"vrs.txt", "5.000000   0.026455\n5.146511   0.027742\n", {{5.0, 0.026455}, {5.146511, 0.027742}}, {}},
      {"rd_vrs.txt", "5.000000    1.313e-02\n", {{5.0, 0.01313}}, {}},
      {"fatigue file, blank tab blank", "100.793684 \t 2.3985e+08\n", {{100.793684, 2.3985e8}}, {}},
      {"no newline at the end", "5 1", {{5.0, 1.0}}, {}},
      {"carriage returns and blank lines", "5 1\r\n\r\n6 2\r\n", {{5.0, 1.0}, {6.0, 2.0}}, {}},
  };
  for (const SeriesCase& c : cases) expect_series(c);
}

TEST(ParseSeries, NamesFileAndLineOfWhatCannotBeDrawn) {
  const SeriesCase cases[] = {
      {"one field", "5 1\n6\n7 3\n", {{5, 1}, {7, 3}},
       {"run/vrs.txt:2: expected two numbers, found 1 field; line left out"}},
      {"three fields", "5 1 9\n", {}, {"run/vrs.txt:1: expected two numbers, found 3 fields; line left out",
                                       "run/vrs.txt: no point can be drawn"}},
      {"a word", "5 1\nfn value\n", {{5, 1}}, {"run/vrs.txt:2: 'fn' is not a number; line left out"}},
      {"glibc's non-finite values", "5 inf\n6 -inf\nnan 7\n8 -nan\n9 9\n", {{9, 9}},
       {"run/vrs.txt:1: 'inf' is not a finite number; line left out",
        "run/vrs.txt:2: '-inf' is not a finite number; line left out",
        "run/vrs.txt:3: 'nan' is not a finite number; line left out",
        "run/vrs.txt:4: '-nan' is not a finite number; line left out"}},
      {"too large for a double", "5 1e400\n6 1\n", {{6, 1}},
       {"run/vrs.txt:1: '1e400' is not a finite number; line left out"}},
  };
  for (const SeriesCase& c : cases) expect_series(c);
}

TEST(ParseSeries, CountsPointsThatALogAxisCannotShow) {
  const SeriesCase cases[] = {
      {"zero and negative values", "5 1\n6 0\n7 -2\n8 3\n", {{5, 1}, {8, 3}},
       {"run/vrs.txt: 2 points with a zero or negative value left out of the log axes (first at line 2)"}},
      {"zero frequency", "0 1\n8 3\n", {{8, 3}},
       {"run/vrs.txt: 1 point with a zero or negative value left out of the log axes (first at line 1)"}},
      {"nothing left", "5 0\n", {},
       {"run/vrs.txt: 1 point with a zero or negative value left out of the log axes (first at line 1)",
        "run/vrs.txt: no point can be drawn"}},
  };
  for (const SeriesCase& c : cases) expect_series(c);
}

TEST(ParseSeries, SaysAnEmptyFileHasNothingToDraw) {
  for (const char* text : {"", "\n", "  \n\t\n"}) {
    expect_series({"empty", text, {}, {"run/vrs.txt: empty file, nothing to draw"}});
  }
}

TEST(ParseSeries, ListsTheFirstBadLinesAndCountsTheRest) {
  std::string text;
  const int bad = MAX_LINE_MESSAGES + 3;
  for (int i = 0; i < bad; ++i) text += "5 nan\n";
  text += "6 1\n";
  const Series series = parse_series(text, "f");
  ASSERT_EQ(series.points.size(), 1u);
  ASSERT_EQ(series.messages.size(), static_cast<std::size_t>(MAX_LINE_MESSAGES + 1));
  EXPECT_EQ(series.messages[MAX_LINE_MESSAGES - 1],
            "f:" + std::to_string(MAX_LINE_MESSAGES) + ": 'nan' is not a finite number; line left out");
  EXPECT_EQ(series.messages.back(), "f: 3 more lines that cannot be drawn, not listed");
}

TEST(ReadSeries, NamesAMissingFile) {
  const Series series = read_series("/nonexistent/dir/a.psd", "dir/a.psd");
  EXPECT_TRUE(series.points.empty());
  EXPECT_EQ(series.messages, std::vector<std::string>{"dir/a.psd: cannot open: No such file or directory"});
}

constexpr const char* REPORT =
    "\n"
    "\n damping = 0.050 \n\n"
    "\n\n"
    "  Freq(Hz)   Accel(G^2/Hz)\n     20.00      0.04\n   2000.00      0.04\n"
    "\n"
    " Overall acceleration =      8.899 GRMS\n"
    "   fn    response\n";

TEST(ParseReport, FindsDampingAndOverallAcceleration) {
  const RunReport report = parse_report(REPORT, "vrs.out");
  ASSERT_TRUE(report.damping.has_value());
  EXPECT_EQ(*report.damping, 0.05);
  EXPECT_EQ(report.overall, "8.899");
  EXPECT_EQ(q_text(report), "Q = 10");
  EXPECT_TRUE(report.messages.empty());
}

TEST(ParseReport, SaysWhatIsMissingOrUnreadable) {
  struct Case {
    std::string text;
    bool has_damping;
    bool has_overall;
    std::vector<std::string> messages;
  };
  const std::string report = REPORT;
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = report;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const Case cases[] = {
      {"", false, false,
       {"vrs.out: no 'damping =' line; Q left out of the legends",
        "vrs.out: no 'Overall acceleration =' line; overall acceleration not shown"}},
      {replaced(" damping = 0.050", " damping = x.yz"), false, true,
       {"vrs.out:3: damping 'x.yz' is not a number"}},
      {replaced("     8.899 GRMS", "       inf GRMS"), true, false,
       {"vrs.out:11: overall acceleration 'inf' is not a finite number"}},
      {replaced(" Overall acceleration =      8.899 GRMS\n", ""), true, false,
       {"vrs.out: no 'Overall acceleration =' line; overall acceleration not shown"}},
      {replaced("0.050", "0.000"), true, true, {"vrs.out:3: damping 0.000 gives no finite Q; Q left out of the legends"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const RunReport parsed = parse_report(c.text, "vrs.out");
    EXPECT_EQ(parsed.damping.has_value(), c.has_damping);
    EXPECT_EQ(parsed.overall.has_value(), c.has_overall);
    EXPECT_EQ(parsed.messages, c.messages);
  }
}

TEST(QText, IsOneOverTwiceTheDampingAsFarAsItsDigitsTell) {
  const std::pair<const char*, const char*> cases[] = {
      {"0.050", "Q = 10"},     {"0.025", "Q = 20"},   {"0.033", "Q = 15.2"}, {"0.500", "Q = 1"},
      {"0.0053763", "Q = 93"}, {"0.005", "Q ≈ 100"},  {"0.010", "Q ≈ 50"},   {"0.001", "Q ≈ 500"},
      {"0.00005", "Q ≈ 10000"}, {"0.0000500000", "Q = 10000"}, {"1", "Q = 0.5"},  {"0.2", "Q ≈ 2.5"},
  };
  for (const auto& [damping, q] : cases) {
    RunReport report;
    report.damping = parse_number(damping);
    report.damping_text = damping;
    EXPECT_EQ(q_text(report), q) << damping;
  }
}

TEST(FatigueName, ReadsQAndExponent) {
  struct Case {
    const char* name;
    bool parses;
    const char* q;
    const char* exponent;
    int q_value;
    double exponent_value;
  };
  const Case cases[] = {
      {"random_Q10_b4.txt", true, "10", "4", 10, 4.0},
      {"random_Q10_b6p4.txt", true, "10", "6.4", 10, 6.4},
      {"random_Q-10_b4.txt", true, "-10", "4", -10, 4.0},
      {"random_Q0_b6p4.txt", true, "0", "6.4", 0, 6.4},
      {"random_Qx_b4.txt", false, "", "", 0, 0.0},
      {"random_Q10_b.txt", false, "", "", 0, 0.0},
      {"random_Q10_b6p.txt", false, "", "", 0, 0.0},
      {"random_Q_b4.txt", false, "", "", 0, 0.0},
      {"random_Q10_b4.txt~", false, "", "", 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<FatigueName> name = parse_fatigue_name(c.name);
    ASSERT_EQ(name.has_value(), c.parses);
    if (!name) continue;
    EXPECT_EQ(name->q, c.q);
    EXPECT_EQ(name->exponent, c.exponent);
    EXPECT_EQ(name->q_value, c.q_value);
    EXPECT_EQ(name->exponent_value, c.exponent_value);
  }
}

TEST(FatigueName, GlobTakesWhatTheShellPatternTakes) {
  EXPECT_TRUE(is_fatigue_file_name("random_Q10_b4.txt"));
  EXPECT_TRUE(is_fatigue_file_name("random_Qx_by.txt"));
  EXPECT_FALSE(is_fatigue_file_name("random_Q10.txt"));
  EXPECT_FALSE(is_fatigue_file_name("vrs.txt"));
  EXPECT_FALSE(is_fatigue_file_name("random_Q10_b4.txt.bak"));
}

TEST(DirectoryLabel, NamesTheDirectoryAsTypedOrByItsOwnName) {
  EXPECT_EQ(directory_label("runs/field"), "runs/field");
  EXPECT_EQ(directory_label("runs/field/"), "runs/field");
  EXPECT_EQ(directory_label("/"), "/");
  const std::string here = std::filesystem::current_path().filename().string();
  EXPECT_EQ(directory_label("."), here);
  EXPECT_EQ(directory_label("./"), here);
}

}  // namespace
}  // namespace kolmaren::plot
