// Storage that fails: result files that cannot be created, writes that do
// not reach the disk, a console that cannot be written. Every case must end
// without a crash, name the file on standard error and exit with status 1.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <string>
#include <vector>

#include "tests/hostile/child_run.h"

namespace kolmaren_test {
namespace {

const std::string ANSWERS = "1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n";
const char* const FATIGUE = "random_Q10_b4.txt";
const char* const STOPPED = "kolmaren: the run was stopped\n";

constexpr int ABSENT = -1;

struct StorageCase {
  std::string name;
  std::function<void(const fs::path&)> prepare;
  std::function<bool()> child_setup;
  bool console_to_full_device;
  std::string errors;  // standard error, exactly
  std::vector<std::pair<std::string, int>> lines;  // result file, line count or ABSENT
  bool needs_unprivileged_user = false;  // the directory is read-only only for others
};

// Line counts of a complete run of ANSWERS.
std::vector<std::pair<std::string, int>> complete_except(const std::string& failed) {
  std::vector<std::pair<std::string, int>> lines = {
      {"a.psd", 2},      {"vrs.in", 2},     {"a.int", 1980}, {"vrs.txt", 264},
      {"tsvrs.txt", 264}, {"rd_vrs.txt", 264}, {FATIGUE, 264}, {"vrs.out", 280}};
  std::erase_if(lines, [&](const auto& entry) { return entry.first == failed; });
  return lines;
}

auto folder(const char* name) {
  return [=](const fs::path& work) { fs::create_directory(work / name); };
}
auto full_device(std::string name) {
  return [=](const fs::path& work) { fs::create_symlink("/dev/full", work / name); };
}

// Files bigger than this cannot be written; SIGXFSZ is ignored so that the
// write fails with EFBIG instead of ending the program.
bool small_file_limit() {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{10000, 10000};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

std::vector<StorageCase> storage_cases() {
  return {
      {"read_only_directory",
       [](const fs::path& work) {
         fs::permissions(work, fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
       },
       nullptr, false, std::string("kolmaren: cannot create a.psd: Permission denied\n") + STOPPED,
       {{"a.psd", ABSENT}, {"vrs.in", ABSENT}, {"vrs.out", ABSENT}, {FATIGUE, ABSENT}},
       true},
      // Created up to the one that fails, and left empty.
      {"folder_named_vrs_out", folder("vrs.out"), nullptr, false,
       std::string("kolmaren: cannot create vrs.out: Is a directory\n") + STOPPED,
       {{"a.psd", 0}, {"a.int", 0}, {"vrs.txt", 0}, {"tsvrs.txt", 0}, {"vrs.in", ABSENT},
        {"rd_vrs.txt", ABSENT}, {FATIGUE, ABSENT}}},
      {"folder_named_like_the_fatigue_file", folder(FATIGUE), nullptr, false,
       std::string("kolmaren: cannot create random_Q10_b4.txt: Is a directory\n") + STOPPED,
       {{"a.psd", 2}, {"vrs.in", 2}, {"a.int", 0}, {"vrs.txt", 0}, {"vrs.out", 3}}},
      // A few lines stay in the stream's buffer until the file is closed.
      {"a_psd_on_a_full_disk", full_device("a.psd"), nullptr, false,
       "kolmaren: cannot finish writing a.psd: No space left on device\n",
       complete_except("a.psd")},
      {"vrs_txt_on_a_full_disk", full_device("vrs.txt"), nullptr, false,
       "kolmaren: cannot write vrs.txt: No space left on device\n", complete_except("vrs.txt")},
      {"vrs_out_on_a_full_disk", full_device("vrs.out"), nullptr, false,
       "kolmaren: cannot write vrs.out: No space left on device\n", complete_except("vrs.out")},
      // The fatigue file stays open over the exit key; it is flushed before.
      {"fatigue_file_on_a_full_disk", full_device(FATIGUE), nullptr, false,
       "kolmaren: cannot write random_Q10_b4.txt: No space left on device\n",
       complete_except(FATIGUE)},
      {"file_size_limit", nullptr, small_file_limit, false,
       "kolmaren: cannot write a.int: File too large\n", complete_except("a.int")},
      {"console_on_a_full_disk", nullptr, nullptr, true,
       "kolmaren: cannot write the console output: No space left on device\n",
       complete_except("")},
  };
}

// Failure messages name the row.
void PrintTo(const StorageCase& c, std::ostream* os) { *os << c.name; }

class Storage : public ::testing::TestWithParam<StorageCase> {};

TEST_P(Storage, FailureIsNamedAndEndsTheRunWithStatus1) {
  const StorageCase& c = GetParam();
  RunDir dir;
  RunOptions options;
  options.answers = ANSWERS;
  options.child_setup = c.child_setup;
  if (c.console_to_full_device) options.console_path = "/dev/full";
  if (c.needs_unprivileged_user && geteuid() == 0) {
    // Root writes into any directory: run as a user the permissions apply to.
    fs::permissions(dir.root(), fs::perms::all);
    options.child_setup = become_nobody;
  }
  if (c.prepare) c.prepare(dir.work());

  const RunResult run = run_binary(KOLMAREN_BINARY, dir, options);
  if (run.exited && run.status == SETUP_NOT_POSSIBLE)
    GTEST_SKIP() << "the failing storage cannot be set up here";

  ASSERT_FALSE(run.timed_out) << "no end within the time limit";
  ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(c.errors, run.errors);
  for (const auto& [name, count] : c.lines) {
    const fs::path path = dir.work() / name;
    if (count == ABSENT) {
      EXPECT_FALSE(fs::exists(path)) << name;
    } else {
      ASSERT_TRUE(fs::exists(path)) << name;
      EXPECT_EQ(count, count_lines(read_file(path))) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Storage, ::testing::ValuesIn(storage_cases()),
                         [](const ::testing::TestParamInfo<StorageCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace kolmaren_test
