// Bad input of every kind, end to end: the real binary in a fresh directory,
// answers on standard input, a time limit. Each row says what must come of
// it: exit status, the exact text on standard error, key console texts and
// which result files exist with how many lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/hostile/child_run.h"

namespace kolmaren_test {
namespace {

// Answers that lead to a normal analysis.
const std::string PARAMS = "60\n1\n1\n0.05\n";  // 60 s, exponent 4.0, ratio 0.05
const std::string TWO_POINTS = "20 0.04\n2000 0.04\n";
const std::string KEYBOARD_TWO = "1\n2\n" + TWO_POINTS;

const char* const BANNER_TITLE = " kolmaren  ver 1.1, June 20, 2008\t\n";
const char* const METHOD_QUESTION = " Select data input method \n 1=keyboard  2=file       \n";
const char* const FILE_ERROR = "Input file error \n";
const char* const COUNT_ERROR = "Input error \n";
const char* const ASCEND_WARNING = " Error:  frequencies must ascend. \n";
const char* const NEGATIVE_WARNING = " all input numbers must be > 0.\n";
const char* const ONLY_5000 = " Only the first 5000 breakpoints are kept. \n";
const char* const KEY_PROMPT = "\n Press any key to exit";
// After an input file error: a line holding one blank, then the question again.
const std::string ASKED_AGAIN = std::string(FILE_ERROR) + " \n" + METHOD_QUESTION;

std::string ended_early(const std::string& what,
                        const std::string& consequence = "it is taken as 0") {
  return "kolmaren: input ended before " + what + "; " + consequence + "\n";
}
std::string pair_ended(const std::string& what) {
  return ended_early(what, "the values not read are 0");
}
std::string exponent_ended() {
  return ended_early("the fatigue exponent", "it is taken as 0, exponent 6.4");
}
std::string format_ended() { return ended_early("the damping format", "Q is asked for"); }
std::string ended_before_analysis(const std::string& what) {
  return "kolmaren: input ended before " + what + "; no analysis was run\n";
}
// The four parameter answers missing at the end of the input, damping as Q.
std::string parameters_ended() {
  return ended_early("the duration") + exponent_ended() + format_ended() +
         ended_early("the amplification factor Q");
}

// One line of a.psd, as the C library writes it.
std::string apsd_line(double freq, double level) {
  char text[1024];
  std::snprintf(text, sizeof text, "%lf %10.5g \n", freq, level);
  return text;
}

std::string pairs(int count, int first_hz) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::to_string(first_hz + i) + " 0.01\n";
  return text;
}

// A relative path of exactly `length` characters through folders of 95.
std::string long_path(size_t length) {
  std::string path;
  while (length - path.size() > 100) path += std::string(95, 'd') + "/";
  return path + std::string(length - path.size(), 'f');
}

void put_file(const fs::path& work, const std::string& name, const std::string& text) {
  const fs::path path = work / name;
  fs::create_directories(path.parent_path());
  write_file(path, text);
}

// Bytes of no text format: a PNG signature and then a spread of all values.
std::string binary_bytes() {
  std::string bytes = "\x89PNG\r\n\x1a\n";
  for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>((i * 37 + 11) % 256));
  return bytes;
}

// What the working directory holds after the run.
struct Results {
  bool analysed;        // false: nothing at all was created
  int breakpoints;      // lines of a.psd and vrs.in
  int grid;             // lines of a.int
  std::string fatigue;  // name of the fatigue spectrum file
};

const Results NO_ANALYSIS{false, 0, 0, ""};
Results analysed(int breakpoints, int grid, std::string fatigue) {
  return {true, breakpoints, grid, std::move(fatigue)};
}

// A console text and how often it must appear; AT_LEAST_ONCE for any number.
struct Shown {
  std::string text;
  int times;
};
constexpr int AT_LEAST_ONCE = -1;

struct FileStart {
  std::string name;
  std::string text;
};

struct HostileCase {
  std::string name;
  std::string answers;
  std::function<void(const fs::path&)> prepare;
  int status;
  std::string errors;  // standard error, exactly
  Results results;
  std::vector<Shown> console = {};
  std::vector<FileStart> file_starts = {};
  bool unreadable_input = false;  // prepare made a file this user must not read
};

constexpr int SWEEP_ROWS = 264;

// vrs.out: damping block 4 lines, input heading 3 and its rows (the first
// row always), overall block 2, response heading 5, one row per sweep row.
int vrs_out_lines(int breakpoints) { return 4 + 3 + std::max(breakpoints, 1) + 2 + 5 + SWEEP_ROWS; }

std::vector<HostileCase> hostile_cases() {
  auto file = [](std::string name, std::string text) {
    return [=](const fs::path& work) { put_file(work, name, text); };
  };
  const std::string path300 = long_path(300);
  const std::string path259 = long_path(259);
  std::string special_file_text = "nan 0.04 20 nan inf 0.04 -0 0.04 1e308 1e308\n";
  return {
      // An answer that is not a number, at every question.
      {"method_word_is_then_the_file_name", "pairs.txt\n" + PARAMS,
       file("pairs.txt", TWO_POINTS), 0, "", analysed(2, 1980, "random_Q10_b4.txt"),
       {{METHOD_QUESTION, 1}, {" Input filename \n", 1}, {FILE_ERROR, 0}}},
      {"method_word_names_no_file", "x\n" + KEYBOARD_TWO + PARAMS, nullptr, 0, "",
       analysed(2, 1980, "random_Q10_b4.txt"),
       {{ASKED_AGAIN, 1}, {METHOD_QUESTION, 2}}},
      // From a word in the keyboard entry on, no answer is taken any more.
      {"count_word", "1\nx\n" + TWO_POINTS + PARAMS, nullptr, 0, "",
       analysed(0, 0, "random_Q0_b6p4.txt"),
       {{COUNT_ERROR, 1}, {"\n Enter amplification factor Q (typically 10) ", 1},
        {"\n  Q=0.000000 \n", 1}, {"\n fe=6.400000 \n", 1}},
       {{"vrs.out", "\n damping =   inf \n\n"}}},
      {"level_word", "1\n2\n20 x\n2000 0.04\n" + PARAMS, nullptr, 0, "",
       analysed(2, 0, "random_Q0_b6p4.txt"), {{ASCEND_WARNING, 1}},
       {{"a.psd", apsd_line(20, 0) + apsd_line(0, 0)}}},
      {"duration_word", KEYBOARD_TWO + "x\n1\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q0_b6p4.txt"), {{"\n  Q=0.000000 \n", 1}}},
      {"exponent_word", KEYBOARD_TWO + "60\nx\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q0_b6p4.txt"), {{"\n fe=6.400000 \n", 1}}},
      {"damping_format_word", KEYBOARD_TWO + "60\n1\nx\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q0_b4.txt"),
       {{"\n Enter amplification factor Q (typically 10) ", 1}}},
      {"damping_ratio_word", KEYBOARD_TWO + "60\n1\n1\nx\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q2147483647_b4.txt"), {{"\n  Q=inf \n", 1}}},
      {"q_word", KEYBOARD_TWO + "60\n1\n2\nx\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q0_b4.txt"), {{"\n  Q=0.000000 \n", 1}}},

      // End of input at every question.
      {"ends_before_method", "", nullptr, 1, ended_before_analysis("the input method"),
       NO_ANALYSIS, {{METHOD_QUESTION, 1}}},
      {"ends_before_file_name", "2\n", nullptr, 1,
       ended_before_analysis("the input file name"), NO_ANALYSIS,
       {{" Input filename \n", 1}}},
      {"ends_after_a_failed_file", "2\nmissing.txt\n", nullptr, 1,
       ended_before_analysis("the input method"), NO_ANALYSIS,
       {{ASKED_AGAIN, 1}, {METHOD_QUESTION, 2}}},
      {"ends_before_count", "1\n", nullptr, 1,
       ended_before_analysis("the number of breakpoints"), NO_ANALYSIS,
       {{" How Many Breakpoints (minimum=2)? \n", 1}, {COUNT_ERROR, 0}}},
      {"ends_before_first_level", "1\n2\n20\n", nullptr, 1,
       pair_ended("the level of breakpoint 1 of 2") + parameters_ended(),
       analysed(2, 0, "random_Q0_b6p4.txt"), {}},
      {"ends_before_second_pair", "1\n2\n20 0.04\n", nullptr, 1,
       pair_ended("the frequency of breakpoint 2 of 2") + parameters_ended(),
       analysed(2, 0, "random_Q0_b6p4.txt"), {}},
      {"ends_before_duration", KEYBOARD_TWO, nullptr, 1, parameters_ended(),
       analysed(2, 1980, "random_Q0_b6p4.txt"), {}},
      {"ends_before_exponent", KEYBOARD_TWO + "60\n", nullptr, 1,
       exponent_ended() + format_ended() + ended_early("the amplification factor Q"),
       analysed(2, 1980, "random_Q0_b6p4.txt"), {}},
      {"ends_before_damping_format", KEYBOARD_TWO + "60\n1\n", nullptr, 1,
       format_ended() + ended_early("the amplification factor Q"),
       analysed(2, 1980, "random_Q0_b4.txt"), {}},
      {"ends_before_damping_ratio", KEYBOARD_TWO + "60\n1\n1\n", nullptr, 1,
       ended_early("the damping ratio"), analysed(2, 1980, "random_Q2147483647_b4.txt"),
       {}},
      {"ends_before_q", KEYBOARD_TWO + "60\n1\n2\n", nullptr, 1,
       ended_early("the amplification factor Q"), analysed(2, 1980, "random_Q0_b4.txt"),
       {}},

      // Input files that hold no breakpoints, or cannot be read at all.
      {"empty_file", "2\nempty.txt\n" + PARAMS, file("empty.txt", ""), 0, "",
       analysed(0, 0, "random_Q10_b4.txt"), {{"      0.0    0.000000 \n", 1}}},
      {"binary_file", "2\nbinary.dat\n" + PARAMS, file("binary.dat", binary_bytes()), 0, "",
       analysed(0, 0, "random_Q10_b4.txt"), {}},
      {"heading_first", "2\nheading.txt\n" + PARAMS,
       file("heading.txt", "Freq Level\n" + TWO_POINTS), 0, "",
       analysed(0, 0, "random_Q10_b4.txt"), {}},
      {"endless_zero_bytes", "2\n/dev/zero\n" + PARAMS, nullptr, 0, "",
       analysed(0, 0, "random_Q10_b4.txt"), {}},
      {"numbers_without_blanks", "2\nrun.txt\n" + PARAMS,
       [](const fs::path& work) {
         std::string run;
         for (int i = 0; i < 2000000; ++i) run += "-1";
         put_file(work, "run.txt", run);
       },
       0, "", analysed(0, 0, "random_Q10_b4.txt"), {}},
      {"folder_as_file", "2\nfolder\n" + KEYBOARD_TWO + PARAMS,
       [](const fs::path& work) { fs::create_directory(work / "folder"); }, 0, "",
       analysed(2, 1980, "random_Q10_b4.txt"), {{ASKED_AGAIN, 1}, {METHOD_QUESTION, 2}}},
      {"unreadable_file", "2\nsecret.txt\n" + KEYBOARD_TWO + PARAMS,
       [](const fs::path& work) {
         put_file(work, "secret.txt", TWO_POINTS);
         fs::permissions(work / "secret.txt", fs::perms::owner_write);
       },
       0, "", analysed(2, 1980, "random_Q10_b4.txt"), {{ASKED_AGAIN, 1}}, {}, true},
      {"name_of_300_characters", "2\n" + path300 + "\n" + KEYBOARD_TWO + PARAMS,
       file(path300, TWO_POINTS), 0, "", analysed(2, 1980, "random_Q10_b4.txt"),
       {{ASKED_AGAIN, 1}, {METHOD_QUESTION, 2}}},
      // Endless unusable file names (`yes | kolmaren`) end after 1000 attempts.
      {"endless_bad_file_names", [] {
         std::string text;
         for (int i = 0; i < 1200; ++i) text += "y\n";
         return text;
       }(),
       nullptr, 1,
       "kolmaren: 1000 input files in a row could not be opened; no analysis was run\n",
       NO_ANALYSIS, {{FILE_ERROR, 1000}, {ASKED_AGAIN, 999}}},
      // Longer than any item the reader keeps: still one answer, one attempt.
      {"name_of_9000_characters", "2\n" + std::string(9000, 'n') + "\n" + KEYBOARD_TWO + PARAMS,
       nullptr, 0, "", analysed(2, 1980, "random_Q10_b4.txt"),
       {{ASKED_AGAIN, 1}, {METHOD_QUESTION, 2}}},
      {"name_of_259_characters", "2\n" + path259 + "\n" + PARAMS, file(path259, TWO_POINTS),
       0, "", analysed(2, 1980, "random_Q10_b4.txt"), {{FILE_ERROR, 0}}},
      {"frequency_without_level_at_the_end", "2\nshort.txt\n" + PARAMS,
       file("short.txt", "20 0.01 2000 0.04 3000"), 0, "",
       analysed(3, 2980, "random_Q10_b4.txt"), {},
       {{"a.psd", apsd_line(20, 0.01) + apsd_line(2000, 0.04) + apsd_line(3000, 0.04)}}},
      {"file_of_100000_pairs", "2\nmany.txt\n" + PARAMS, file("many.txt", pairs(100000, 20)),
       0, "", analysed(5000, 4999, "random_Q10_b4.txt"), {{ONLY_5000, 0}},
       {{"a.psd", apsd_line(20, 0.01) + apsd_line(21, 0.01)}}},
      // Not a number is skipped as a frequency (it is not above the floor),
      // kept as a level; -0 is skipped.
      {"file_of_special_values", "2\nspecial.txt\n" + PARAMS,
       file("special.txt", special_file_text), 0, "",
       analysed(3, 4999, "random_Q10_b4.txt"), {},
       {{"a.psd", apsd_line(20, std::stod("nan")) + apsd_line(std::stod("inf"), 0.04) +
                      apsd_line(1e308, 1e308)}}},

      // Breakpoint counts.
      {"count_0", "1\n0\n" + PARAMS, nullptr, 0, "", analysed(0, 0, "random_Q10_b4.txt"),
       {{COUNT_ERROR, 1}}},
      {"count_negative", "1\n-3\n" + PARAMS, nullptr, 0, "",
       analysed(0, 0, "random_Q10_b4.txt"), {{COUNT_ERROR, 1}}},
      {"count_1", "1\n1\n20 0.04\n" + PARAMS, nullptr, 0, "",
       analysed(1, 0, "random_Q10_b4.txt"), {{COUNT_ERROR, 1}}},
      {"count_5000", "1\n5000\n" + pairs(5000, 20) + PARAMS, nullptr, 0, "",
       analysed(5000, 4999, "random_Q10_b4.txt"), {{ONLY_5000, 0}, {COUNT_ERROR, 0}}},
      // The pair beyond the table is read, so the answers after it are the
      // parameters (Q 10, exponent 4.0).
      {"count_5001", "1\n5001\n" + pairs(5001, 20) + PARAMS, nullptr, 0, "",
       analysed(5000, 4999, "random_Q10_b4.txt"),
       {{ONLY_5000 + std::string(" Enter Points (free-format) \n"), 1},
        {"\n  Q=10.000000 \n", 1}}},
      {"count_int_max", "1\n2147483647\n" + TWO_POINTS, nullptr, 1,
       pair_ended("the frequency of breakpoint 3 of 2147483647") + parameters_ended(),
       analysed(5000, 0, "random_Q0_b6p4.txt"), {{ONLY_5000, 1}, {ASCEND_WARNING, 1}}},

      // Values no PSD has.
      {"special_values_from_the_keyboard", "1\n4\nnan 0.04\n20 nan\ninf 0.04\n-0 0.04\n" + PARAMS,
       nullptr, 0, "", analysed(4, 0, "random_Q10_b4.txt"),
       {{ASCEND_WARNING, 1}, {NEGATIVE_WARNING, 0}}},
      {"huge_values", "1\n2\n20 1e308\n1e308 1e308\n" + PARAMS, nullptr, 0, "",
       analysed(2, 4999, "random_Q10_b4.txt"), {}},
      {"negative_zero_is_kept", "1\n2\n-0 0.04\n2000 -0\n" + PARAMS, nullptr, 0, "",
       analysed(2, 1999, "random_Q10_b4.txt"), {{NEGATIVE_WARNING, 0}, {ASCEND_WARNING, 0}},
       {{"a.psd", "-0.000000       0.04 \n2000.000000         -0 \n"}}},
      {"descending", "1\n3\n100 0.04\n50 0.04\n80 0.04\n" + PARAMS, nullptr, 0, "",
       analysed(3, 0, "random_Q10_b4.txt"), {{ASCEND_WARNING, 1}}},
      {"repeated", "1\n3\n20 0.04\n20 0.04\n2000 0.04\n" + PARAMS, nullptr, 0, "",
       analysed(3, 1980, "random_Q10_b4.txt"), {{ASCEND_WARNING, 0}}},
      {"negative_last", "1\n2\n20 0.04\n-10 -0.04\n" + PARAMS, nullptr, 0, "",
       analysed(2, 0, "random_Q10_b4.txt"),
       {{std::string(ASCEND_WARNING) + NEGATIVE_WARNING + "-10-0.04" + NEGATIVE_WARNING +
             "-10-0.04 Enter duration (sec) \n",
         1}}},

      // Parameters no test rig uses.
      {"damping_ratio_0", KEYBOARD_TWO + "60\n1\n1\n0\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q2147483647_b4.txt"), {{"\n  Q=inf \n", 1}}},
      {"damping_ratio_negative", KEYBOARD_TWO + "60\n1\n1\n-0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q-10_b4.txt"), {{"\n  Q=-10.000000 \n", 1}}},
      {"damping_ratio_huge", KEYBOARD_TWO + "60\n1\n1\n1e308\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q0_b4.txt"), {{"\n  Q=0.000000 \n", 1}}},
      {"q_0", KEYBOARD_TWO + "60\n1\n2\n0\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q0_b4.txt"), {{"\n  Q=0.000000 \n", 1}},
       {{"vrs.out", "\n damping =   inf \n\n"}}},
      {"duration_0", KEYBOARD_TWO + "0\n1\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q10_b4.txt"), {},
       {{"random_Q10_b4.txt", "5.000000 \t          0\n5.146511 \t          0\n"}}},
      {"duration_negative", KEYBOARD_TWO + "-60\n1\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q10_b4.txt"), {}, {{"random_Q10_b4.txt", "5.000000 \t -"}}},
      {"exponent_0", KEYBOARD_TWO + "60\n0\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q10_b6p4.txt"), {{"\n fe=6.400000 \n", 1}}},
      {"exponent_3", KEYBOARD_TWO + "60\n3\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q10_b6p4.txt"), {{"\n fe=6.400000 \n", 1}}},
      {"exponent_negative", KEYBOARD_TWO + "60\n-1\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q10_b6p4.txt"), {{"\n fe=6.400000 \n", 1}}},
      {"exponent_beyond_int", KEYBOARD_TWO + "60\n99999999999\n1\n0.05\n", nullptr, 0, "",
       analysed(2, 1980, "random_Q10_b6p4.txt"), {{"\n fe=6.400000 \n", 1}}},
  };
}

int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// Failure messages name the row.
void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class Hostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, EndsAsExpected) {
  const HostileCase& c = GetParam();
  RunDir dir;
  if (c.prepare) c.prepare(dir.work());
  RunOptions options;
  options.answers = c.answers;
  if (c.unreadable_input && geteuid() == 0) {
    // Root reads every file: run as a user the permissions apply to, in a
    // working directory that user may write.
    fs::permissions(dir.root(), fs::perms::all);
    fs::permissions(dir.work(), fs::perms::all);
    options.child_setup = become_nobody;
  }
  const std::vector<std::string> before = listing(dir.work());

  const RunResult run = run_binary(KOLMAREN_BINARY, dir, options);
  if (run.exited && run.status == SETUP_NOT_POSSIBLE)
    GTEST_SKIP() << "cannot run as an unprivileged user here";

  ASSERT_FALSE(run.timed_out) << "no end within the time limit";
  ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
  EXPECT_EQ(c.status, run.status);
  EXPECT_EQ(c.errors, run.errors);
  EXPECT_EQ(1, occurrences(run.console, BANNER_TITLE));
  for (const Shown& shown : c.console) {
    const int seen = occurrences(run.console, shown.text);
    if (shown.times == AT_LEAST_ONCE)
      EXPECT_GE(seen, 1) << "console lacks: " << shown.text;
    else
      EXPECT_EQ(shown.times, seen) << "console text: " << shown.text;
  }

  const Results& r = c.results;
  if (!r.analysed) {
    EXPECT_EQ(before, listing(dir.work())) << "a file was created";
    EXPECT_EQ(0, occurrences(run.console, KEY_PROMPT));
  } else {
    const std::vector<std::pair<std::string, int>> lines = {
        {"a.psd", r.breakpoints},     {"vrs.in", r.breakpoints},
        {"a.int", r.grid},            {"vrs.txt", SWEEP_ROWS},
        {"tsvrs.txt", SWEEP_ROWS},    {"rd_vrs.txt", SWEEP_ROWS},
        {r.fatigue, SWEEP_ROWS},      {"vrs.out", vrs_out_lines(r.breakpoints)}};
    for (const auto& [name, count] : lines) {
      ASSERT_TRUE(fs::exists(dir.work() / name)) << name;
      EXPECT_EQ(count, count_lines(read_file(dir.work() / name))) << name;
    }
    const std::string& console = run.console;
    EXPECT_TRUE(console.ends_with(KEY_PROMPT))
        << "console ends: "
        << console.substr(console.size() - std::min<size_t>(200, console.size()));
  }
  for (const FileStart& start : c.file_starts) {
    const std::string text = read_file(dir.work() / start.name);
    EXPECT_EQ(start.text, text.substr(0, start.text.size())) << start.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Hostile, ::testing::ValuesIn(hostile_cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace kolmaren_test
