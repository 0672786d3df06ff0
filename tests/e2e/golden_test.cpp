// Golden runs of the whole program: each folder of tests/e2e/cases holds the
// console answers (answers.txt), any breakpoint file the run opens, and in
// expected/ the exact console text (console.txt) and every result file the
// run writes. The real binary runs in a fresh temporary directory with the
// answers on standard input; console text and files must match byte for
// byte, and no result file beyond the expected ones may appear.
//
// The expected text belongs to one toolchain: g++ 12 with glibc 2.36
// (Debian 12). The C library decides the last digits of log10 and pow and
// the sign shown for nan ("-nan"), so another C library can change a few
// characters without the program being wrong. The expected files come from
// an independent model of the program (tests/oracle/make_goldens.py), checked
// against this binary when they were written.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct GoldenCase {
  const char* name;
  const char* covers;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

// One row per folder under cases/.
const GoldenCase kCases[] = {
    {"keyboard_flat_ratio", "flat 20-2000 Hz, damping ratio 0.05, exponent 4.0"},
    {"keyboard_four_point_q10_b6p4", "four breakpoints, Q 10 typed, exponent 6.4"},
    {"keyboard_flat_20_200_60s", "flat 20-200 Hz on one line, 60 s"},
    {"file_four_point_q93", "file entry, Q 93 comes back below 93: random_Q92_b4.txt"},
    {"failed_file_then_good", "missing file, then a CRLF file; duration 0"},
    {"keyboard_descending_negative", "descending and negative values draw warnings"},
    {"keyboard_zero_hz_first", "first breakpoint 0 Hz raised to the floor"},
    {"keyboard_single_breakpoint", "count 1: input error, one breakpoint"},
    {"keyboard_count_zero", "count 0: no breakpoints at all"},
    {"keyboard_empty_grid", "10 and 10.5 Hz: grid count 0, nan fatigue"},
    {"keyboard_damping_zero_5hz", "damping 0 with a breakpoint at 5 Hz: inf and nan"},
    {"file_odd_count_heading", "odd count of numbers, reading ends at a text line"},
    {"file_heading_first", "file starting with a heading: no breakpoints"},
};

const fs::path kCaseRoot = fs::path(KOLMAREN_SOURCE_DIR) / "tests" / "e2e" / "cases";

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Tabs, carriage returns and other control bytes made visible in a message.
std::string visible(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (true) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// Empty when equal; else the first differing line, both versions shown.
std::string first_difference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return "";
  const auto want = split_lines(expected);
  const auto got = split_lines(actual);
  for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
    const std::string w = i < want.size() ? want[i] : "<no line>";
    const std::string g = i < got.size() ? got[i] : "<no line>";
    if (w != g) {
      std::ostringstream msg;
      msg << "line " << i + 1 << "\n  expected: [" << visible(w) << "]\n  actual:   ["
          << visible(g) << "]";
      return msg.str();
    }
  }
  return "same lines, different bytes";
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kolmaren_e2e_XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Runs the program in run_dir with stdin from answers and stdout, stderr
// captured into files; returns the wait status, -1 if it could not start.
int run_program(const fs::path& run_dir, const fs::path& answers, const fs::path& console,
                const fs::path& errors) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int in = open(answers.c_str(), O_RDONLY);
    const int out = open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || chdir(run_dir.c_str()) != 0) _exit(126);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execl(KOLMAREN_BINARY, KOLMAREN_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return status;
}

// The breakpoint files of a case: everything beside answers.txt and expected/.
std::vector<fs::path> input_files(const fs::path& case_dir) {
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(case_dir)) {
    if (entry.is_regular_file() && entry.path().filename() != "answers.txt") {
      inputs.push_back(entry.path());
    }
  }
  return inputs;
}

class GoldenRun : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenRun, ConsoleAndResultFilesMatchByteForByte) {
  SCOPED_TRACE(GetParam().covers);
  const fs::path case_dir = kCaseRoot / GetParam().name;
  const fs::path expected_dir = case_dir / "expected";
  ASSERT_TRUE(fs::is_regular_file(case_dir / "answers.txt")) << case_dir;
  ASSERT_TRUE(fs::is_regular_file(expected_dir / "console.txt")) << expected_dir;

  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty()) << "no temporary directory";
  const fs::path run_dir = tmp.path() / "run";
  fs::create_directory(run_dir);
  std::set<std::string> inputs;
  for (const auto& input : input_files(case_dir)) {
    fs::copy_file(input, run_dir / input.filename());
    inputs.insert(input.filename().string());
  }

  const fs::path console = tmp.path() / "console.out";
  const fs::path errors = tmp.path() / "stderr.out";
  const int status = run_program(run_dir, case_dir / "answers.txt", console, errors);
  ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
  EXPECT_EQ(0, WEXITSTATUS(status)) << "stderr: " << read_bytes(errors);

  const std::string console_diff =
      first_difference(read_bytes(expected_dir / "console.txt"), read_bytes(console));
  EXPECT_TRUE(console_diff.empty()) << "console text differs at " << console_diff;

  std::set<std::string> expected_files;
  for (const auto& entry : fs::directory_iterator(expected_dir)) {
    const std::string name = entry.path().filename().string();
    if (name == "console.txt") continue;
    expected_files.insert(name);
    const fs::path produced = run_dir / name;
    if (!fs::is_regular_file(produced)) {
      ADD_FAILURE() << name << " was not written";
      continue;
    }
    const std::string diff = first_difference(read_bytes(entry.path()), read_bytes(produced));
    EXPECT_TRUE(diff.empty()) << name << " differs at " << diff;
  }

  for (const auto& entry : fs::directory_iterator(run_dir)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(inputs.count(name) || expected_files.count(name))
        << "unexpected file written: " << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                           return std::string(info.param.name);
                         });

// A case folder that is not in the table would never run.
TEST(GoldenCases, EveryCaseFolderIsInTheTable) {
  std::set<std::string> listed;
  for (const auto& c : kCases) listed.insert(c.name);
  for (const auto& entry : fs::directory_iterator(kCaseRoot)) {
    if (entry.is_directory()) {
      EXPECT_TRUE(listed.count(entry.path().filename().string()))
          << entry.path().filename() << " is not listed in kCases";
    }
  }
}

}  // namespace
