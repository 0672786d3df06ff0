// Reading answers, breakpoint entry and its checks, the parameter questions,
// all on an in-memory console.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "dialogue/breakpoint_entry.h"
#include "dialogue/console.h"
#include "dialogue/parameters.h"
#include "output/result_files.h"

namespace kolmaren {
namespace {

TEST(Scanner, ScanfStyleDoubles) {
  StringSource in(" 20\t0.01\n1e3 -5 inf nan 0x10 2,5 x");
  Scanner scan(in);
  double v = -1.0;
  for (double expected : {20.0, 0.01, 1000.0, -5.0}) {
    ASSERT_EQ(ReadResult::value, scan.scan_double(v));
    EXPECT_EQ(expected, v);
  }
  ASSERT_EQ(ReadResult::value, scan.scan_double(v));
  EXPECT_TRUE(std::isinf(v));
  ASSERT_EQ(ReadResult::value, scan.scan_double(v));
  EXPECT_TRUE(std::isnan(v));
  ASSERT_EQ(ReadResult::value, scan.scan_double(v));
  EXPECT_EQ(16.0, v);
  ASSERT_EQ(ReadResult::value, scan.scan_double(v));
  EXPECT_EQ(2.0, v);
  // The comma is not a number: the value keeps what it held, the comma stays.
  EXPECT_EQ(ReadResult::not_a_number, scan.scan_double(v));
  EXPECT_EQ(ReadResult::not_a_number, scan.scan_double(v));
  EXPECT_EQ(2.0, v);
  std::string word;
  ASSERT_EQ(ReadResult::value, scan.scan_word(word));
  EXPECT_EQ(",5", word);
  ASSERT_EQ(ReadResult::value, scan.scan_word(word));
  EXPECT_EQ("x", word);
  EXPECT_EQ(ReadResult::end_of_input, scan.scan_double(v));
  EXPECT_EQ(2.0, v);
}

TEST(Scanner, StreamExtraction) {
  StringSource in("12 1.5 -3 99999999999 abc 2.5e1 inf");
  Scanner scan(in);
  int i = 7;
  ASSERT_EQ(ReadResult::value, scan.extract_int(i));
  EXPECT_EQ(12, i);
  ASSERT_EQ(ReadResult::value, scan.extract_int(i));  // takes the 1 of 1.5
  EXPECT_EQ(1, i);
  double d = 9.0;
  ASSERT_EQ(ReadResult::value, scan.extract_double(d));  // the rest, .5
  EXPECT_EQ(0.5, d);
  ASSERT_EQ(ReadResult::value, scan.extract_int(i));
  EXPECT_EQ(-3, i);
  ASSERT_EQ(ReadResult::value, scan.extract_int(i));
  EXPECT_EQ(2147483647, i) << "saturates";
  EXPECT_EQ(ReadResult::not_a_number, scan.extract_double(d));
  EXPECT_EQ(0.5, d) << "a double keeps its value";
  std::string word;
  scan.scan_word(word);
  ASSERT_EQ(ReadResult::value, scan.extract_double(d));
  EXPECT_EQ(25.0, d);
  EXPECT_EQ(ReadResult::not_a_number, scan.extract_double(d)) << "no inf in stream extraction";
  long l = 4;
  EXPECT_EQ(ReadResult::not_a_number, scan.scan_long(l));
  EXPECT_EQ(4, l);
}

TEST(Scanner, OverlongItemsAreOneAnswerThatIsNotANumber) {
  const std::string digits(Scanner::ITEM_CAPACITY + 900, '7');
  StringSource in(digits + " 20");
  Scanner scan(in);
  double v = 1.0;
  EXPECT_EQ(ReadResult::not_a_number, scan.scan_double(v));
  EXPECT_EQ(1.0, v);
  std::string word;
  ASSERT_EQ(ReadResult::value, scan.scan_word(word));
  EXPECT_EQ(Scanner::ITEM_CAPACITY, word.size()) << "cut, and the rest skipped";
  ASSERT_EQ(ReadResult::value, scan.scan_double(v));
  EXPECT_EQ(20.0, v);
}

TEST(Scanner, EndlessItemEndsTheInput) {
  // Like /dev/zero: bytes that never bring a blank.
  class Zeros : public CharSource {
   public:
    int next() override { return ++count_ > (size_t{1} << 26) ? EOF : 0; }
    size_t count_ = 0;
  } zeros;
  Scanner scan(zeros);
  double v = 0.0;
  EXPECT_EQ(ReadResult::not_a_number, scan.scan_double(v));
  std::string word;
  EXPECT_EQ(ReadResult::value, scan.scan_word(word));
  EXPECT_EQ(ReadResult::end_of_input, scan.scan_double(v));
  EXPECT_LT(zeros.count_, size_t{1} << 22) << "stopped reading long before the source ended";
}

TEST(Console, BothOutputWaysShareOneChannel) {
  StringSource in("");
  StringSink out;
  Console console(in, out);
  console << " Overall = " << 8.899438 << " " << 0.0126 << 2.73 << 1e-5 << 1234.5;
  console.endl();
  console.printf("\n  Q=%lf \n", 10.0);
  console << -10.0 << 0.04;
  EXPECT_EQ(" Overall = 8.9 0.01262.731e-051.23e+03\n\n  Q=10.000000 \n-100.04", out.text());
}

struct KeyboardCase {
  const char* what;
  std::string answers;
  int stored;
  std::string console;
  std::vector<std::pair<double, double>> points;
  int missing;
  Entry outcome = Entry::taken;
};

const std::string ENTER_PROMPTS =
    " Enter Points (free-format) \n Freq(Hz)  Level(G^2/Hz)    \n";
const std::string COUNT_PROMPT = " How Many Breakpoints (minimum=2)? \n";

TEST(KeyboardEntry, CountsAndPairs) {
  const KeyboardCase cases[] = {
      {"three pairs on one line", "3\n20 0.01 80 0.04 2000 0.04\n", 3,
       COUNT_PROMPT + ENTER_PROMPTS, {{20, 0.01}, {80, 0.04}, {2000, 0.04}}, 0},
      {"count 1", "1\n20 0.04\n", 1, COUNT_PROMPT + "Input error \n" + ENTER_PROMPTS,
       {{20, 0.04}}, 0},
      {"count 0", "0\n", 0, COUNT_PROMPT + "Input error \n" + ENTER_PROMPTS, {}, 0},
      {"count -4", "-4\n", 0, COUNT_PROMPT + "Input error \n" + ENTER_PROMPTS, {}, 0},
      {"count not a number", "many\n", 0, COUNT_PROMPT + "Input error \n" + ENTER_PROMPTS,
       {}, 0},
      {"item not a number stops the reading", "3\n20 0.01 80 x 2000 0.04\n", 3,
       COUNT_PROMPT + ENTER_PROMPTS, {{20, 0.01}, {80, 0.0}, {0.0, 0.0}}, 0},
      {"input ends after the count", "2\n", 2, COUNT_PROMPT + ENTER_PROMPTS,
       {{0.0, 0.0}, {0.0, 0.0}}, 1},
      {"input ends before the count", "", 0, COUNT_PROMPT, {}, 0, Entry::input_ended},
      {"huge count ends at the end of input", "2147483647\n1 2 3 4\n", MAX_POINTS,
       COUNT_PROMPT + " Only the first 5000 breakpoints are kept. \n" + ENTER_PROMPTS,
       {{1, 2}, {3, 4}, {0, 0}}, 1},
  };
  for (const KeyboardCase& c : cases) {
    auto table = std::make_unique<BreakpointTable>();
    *table = {};
    StringSource in(c.answers);
    StringSink out;
    Console console(in, out);
    AnswerLog log;
    int stored = -1;
    EXPECT_EQ(c.outcome, enter_breakpoints_keyboard(console, *table, stored, log)) << c.what;
    EXPECT_EQ(c.stored, stored) << c.what;
    EXPECT_EQ(c.console, out.text()) << c.what;
    for (size_t i = 0; i < c.points.size(); ++i) {
      EXPECT_EQ(c.points[i].first, table->freq[i]) << c.what << " pair " << i;
      EXPECT_EQ(c.points[i].second, table->level[i]) << c.what << " pair " << i;
    }
    EXPECT_EQ(c.missing, static_cast<int>(log.missing_answers().size())) << c.what;
  }
}

TEST(KeyboardEntry, CountAboveCapacityKeepsTheDialogueInStep) {
  std::ostringstream answers;
  answers << "5003\n";
  for (int i = 1; i <= 5003; ++i) answers << i << " 0.04\n";
  answers << "60\n";
  auto table = std::make_unique<BreakpointTable>();
  *table = {};
  StringSource in(answers.str());
  StringSink out;
  Console console(in, out);
  AnswerLog log;
  int stored = 0;
  EXPECT_EQ(Entry::taken, enter_breakpoints_keyboard(console, *table, stored, log));
  EXPECT_EQ(MAX_POINTS, stored);
  EXPECT_EQ(5000.0, table->freq[MAX_POINTS - 1]);
  double duration = 0.0;
  ASSERT_EQ(ReadResult::value, console.answers().extract_double(duration));
  EXPECT_EQ(60.0, duration) << "the pairs beyond the table were read past";
  EXPECT_TRUE(log.missing_answers().empty());
}

TEST(BreakpointFile, PairsFilterAndEnd) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<std::pair<double, double>> points;
  } cases[] = {
      {"two columns with carriage returns", "20 0.01\r\n2000 0.04\r\n", {{20, 0.01}, {2000, 0.04}}},
      {"frequencies at or below the floor are skipped",
       "0 0.01\n0.0001 0.01\n-5 0.01\n20 0.01\n2000 0.01\n", {{20, 0.01}, {2000, 0.01}}},
      {"odd count carries the last level over", "20 0.01 2000 0.04 3000",
       {{20, 0.01}, {2000, 0.04}, {3000, 0.04}}},
      {"a heading ends the reading at once", "Freq PSD\n20 0.01\n", {}},
      {"a comma ends the reading", "20 0.01\n30,0.02\n40 0.03\n", {{20, 0.01}, {30, 0.01}}},
      {"empty file", "", {}},
      {"binary bytes", std::string("\x00\x01\xff 20 0.1", 9), {}},
      {"nan frequency is skipped, inf kept", "nan 1 inf 2 20 nan", {{INFINITY, 2}, {20, NAN}}},
  };
  for (const auto& c : cases) {
    auto table = std::make_unique<BreakpointTable>();
    *table = {};
    StringSource in(c.content);
    ASSERT_EQ(static_cast<int>(c.points.size()), read_breakpoint_pairs(in, *table)) << c.what;
    for (size_t i = 0; i < c.points.size(); ++i) {
      EXPECT_EQ(c.points[i].first, table->freq[i]) << c.what;
      if (std::isnan(c.points[i].second)) EXPECT_TRUE(std::isnan(table->level[i])) << c.what;
      else EXPECT_EQ(c.points[i].second, table->level[i]) << c.what;
    }
  }
}

TEST(BreakpointFile, StopsAtCapacity) {
  std::ostringstream content;
  for (int i = 1; i <= 6000; ++i) content << i << ' ' << 0.01 << '\n';
  auto table = std::make_unique<BreakpointTable>();
  *table = {};
  StringSource in(content.str());
  EXPECT_EQ(MAX_POINTS, read_breakpoint_pairs(in, *table));
  EXPECT_EQ(5000.0, table->freq[MAX_POINTS - 1]);
}

// A temporary working directory for tests that create result files.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("kolmaren-unit-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    files_ = std::make_unique<OutputFiles>();
    *files_ = {};
  }
  void TearDown() override {
    close_all(*files_);
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static std::string slurp(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path old_, dir_;
  std::unique_ptr<OutputFiles> files_;
};

TEST_F(InTempDir, CheckAndEchoWarnsAndEchoesEverything) {
  ASSERT_TRUE(open_output_files(*files_));
  auto table = std::make_unique<BreakpointTable>();
  *table = {};
  const double points[][2] = {{100, 0.04}, {50, 0.04}, {50, 0.04}, {0, 0.0}, {-10, -0.04}};
  for (const auto& p : points) {
    table->freq[table->n] = p[0];
    table->level[table->n] = p[1];
    ++table->n;
  }
  StringSource in("");
  StringSink out;
  Console console(in, out);
  check_and_echo_breakpoints(console, *table, *files_);
  // 50 after 100, 0 after 50 and -10 after 0 descend; 50 after 50 does not.
  EXPECT_EQ(" Error:  frequencies must ascend. \n"
            " Error:  frequencies must ascend. \n"
            " Error:  frequencies must ascend. \n"
            " all input numbers must be > 0.\n-10-0.04"
            " all input numbers must be > 0.\n-10-0.04",
            out.text());
  EXPECT_EQ("100.000000       0.04 \n50.000000       0.04 \n50.000000       0.04 \n"
            "0.000000          0 \n-10.000000      -0.04 \n",
            slurp("a.psd"));
  EXPECT_EQ("         100         0.04 \n          50         0.04 \n"
            "          50         0.04 \n           0            0 \n"
            "         -10        -0.04 \n",
            slurp("vrs.in"));
  EXPECT_EQ(OutputFile::State::closed, files_->entry[A_PSD].state);
  EXPECT_EQ(OutputFile::State::closed, files_->entry[VRS_IN].state);
}

TEST_F(InTempDir, ParameterQuestions) {
  struct Case {
    const char* what;
    const char* answers;
    double duration, exponent, constant, ratio, q;
    const char* damping_prompt;
    int missing;
  } cases[] = {
      {"ratio", "60\n1\n1\n0.05\n", 60, 4.0, 8.0, 0.05, 10.0,
       "\n Enter damping ratio (typically 0.05) ", 0},
      {"Q", "60\n2\n2\n10\n", 60, 6.4, 65.93, 0.05, 10.0,
       "\n Enter amplification factor Q (typically 10) ", 0},
      {"format 0 asks for Q", "0\n3\n0\n93\n", 0, 6.4, 65.93, 1.0 / 186, 92.99999999999999,
       "\n Enter amplification factor Q (typically 10) ", 0},
      {"answers that are not numbers", "x\n", 0, 6.4, 65.93, INFINITY, 0.0,
       "\n Enter amplification factor Q (typically 10) ", 0},
      {"input ends after the duration", "60\n", 60, 6.4, 65.93, INFINITY, 0.0,
       "\n Enter amplification factor Q (typically 10) ", 3},
  };
  for (const Case& c : cases) {
    close_all(*files_);
    ASSERT_TRUE(open_output_files(*files_));
    StringSource in(c.answers);
    StringSink out;
    Console console(in, out);
    AnswerLog log;
    AnalysisParameters params{};
    ask_analysis_parameters(console, params, *files_, log);
    EXPECT_EQ(std::string(" Enter duration (sec) \n Select fatigue exponent \n"
                          " 1=4.0    2=6.4       \n"
                          "\n Enter damping format. \n 1= damping ratio   2= Q \n") +
                  c.damping_prompt,
              out.text())
        << c.what;
    EXPECT_EQ(c.duration, params.duration) << c.what;
    EXPECT_EQ(c.exponent, params.fatigue_exponent) << c.what;
    EXPECT_EQ(c.constant, params.fatigue_constant) << c.what;
    EXPECT_EQ(c.ratio, params.damping_ratio) << c.what;
    EXPECT_EQ(c.q, params.q) << c.what;
    EXPECT_EQ(c.missing, static_cast<int>(log.missing_answers().size())) << c.what;
  }
}

}  // namespace
}  // namespace kolmaren
