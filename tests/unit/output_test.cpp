// Result-file line formats and the fatigue spectrum file name.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "output/formats.h"
#include "spectrum/analysis.h"

namespace kolmaren {
namespace {

std::string text(const Line& line) { return std::string(line.view()); }

TEST(LineFormats, SingleConversions) {
  struct Case {
    std::string expected;
    Line line;
  } cases[] = {
      {"20.000000       0.04\n", spectrum_row(20, 0.04)},
      {"100.793684 \t 2.3985e+08\n", fatigue_row(100.793684, 239850000)},
      {"5.000000  0.0087148\n", spectrum_row(5, 0.0087148)},
      {"5.000000    1.313e-02\n", rd_vrs_row(5, 0.01313)},
      {"          20    1.235e+04 \n", vrsin_row(20, 12346)},
      {"20.000000     0.0053 \n", apsd_row(20, 0.0053)},
      {"          20       0.0053 \n", vrsin_row(20, 0.0053)},
      {"    100.79      7.931     23.792\n", response_row(100.793684, 7.930534, 3 * 7.930534)},
      {"   9948.49      0.000      0.000\n", response_row(9948.487077, 0, 0)},
      {"\n damping = 0.050 \n\n", damping_line(0.05)},
      {"\n damping = 12.346 \n\n", damping_line(12.3456)},
      {"\n Overall acceleration =      8.899 GRMS\n", overall_acceleration_line(8.899438)},
      {"     20.0    0.010000 \n", input_first_row(20, 0.01)},
      {"      0.0    0.040000 \n", input_first_row(0.0001, 0.04)},
      {"     80.0    0.040000    1.000000     3.010300  \n", input_row(80, 0.04, 1, 3.0103)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, text(c.line));
}

TEST(LineFormats, WidestValuesAreWrittenWhole) {
  const Line line = input_row(-1.7e308, -1.7e308, -1.7e308, -1.7e308);
  char expected[LINE_CAPACITY];
  std::snprintf(expected, sizeof expected, INPUT_ROW, -1.7e308, -1.7e308, -1.7e308, -1.7e308);
  EXPECT_EQ(std::string(expected), text(line));
  EXPECT_EQ('\n', line.text[line.length - 1]);
}

TEST(FatigueFileName, NameRule) {
  struct Case {
    double q;
    int choice;
    const char* name;
  } cases[] = {
      {10.0, 1, "random_Q10_b4.txt"},
      {10.0, 2, "random_Q10_b6p4.txt"},
      {16.666666666666668, 1, "random_Q16_b4.txt"},
      {92.99999999999999, 1, "random_Q92_b4.txt"},
      {0.8333333333333334, 1, "random_Q0_b4.txt"},
      {-10.0, 2, "random_Q-10_b6p4.txt"},
      {-10.9, 1, "random_Q-10_b4.txt"},
      {-0.5, 1, "random_Q0_b4.txt"},
      {10.0, 3, "random_Q10_b6p4.txt"},
      {10.0, 0, "random_Q10_b6p4.txt"},
      {INFINITY, 1, "random_Q2147483647_b4.txt"},
      {-INFINITY, 1, "random_Q-2147483648_b4.txt"},
      {NAN, 1, "random_Q0_b4.txt"},
      {1e300, 2, "random_Q2147483647_b6p4.txt"},
      {2147483647.9, 1, "random_Q2147483647_b4.txt"},
      {-2147483648.5, 1, "random_Q-2147483648_b4.txt"},
  };
  for (const Case& c : cases) {
    AnalysisParameters params{};
    set_fatigue_choice(params, c.choice);
    char name[FILE_NAME_CAPACITY];
    fatigue_file_name(c.q, params.fatigue_exponent, params.fatigue_choice, name);
    EXPECT_STREQ(c.name, name) << "Q " << c.q << " choice " << c.choice;
  }
}

TEST(FatigueFileName, TypedQThroughTheDampingRatio) {
  struct Case {
    double typed;
    const char* name;
  } cases[] = {{93, "random_Q92_b4.txt"},   {99, "random_Q98_b4.txt"},
               {105, "random_Q104_b4.txt"}, {117, "random_Q116_b4.txt"},
               {123, "random_Q122_b4.txt"}, {10, "random_Q10_b4.txt"},
               {49, "random_Q49_b4.txt"},   {100, "random_Q100_b4.txt"}};
  for (const Case& c : cases) {
    AnalysisParameters params{};
    set_fatigue_choice(params, 1);
    set_damping(params, 2, c.typed);
    char name[FILE_NAME_CAPACITY];
    fatigue_file_name(params.q, params.fatigue_exponent, params.fatigue_choice, name);
    EXPECT_STREQ(c.name, name) << "typed Q " << c.typed;
  }
}

}  // namespace
}  // namespace kolmaren
