// kolmaren at a real terminal: a pseudo-terminal answers the questions as
// they appear and then presses the exit key, or sends a signal while the
// program waits for it. The terminal's settings must come back unchanged
// whichever way the wait ends. Every wait has a time limit, so a hang fails.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds STEP_LIMIT{15};

// The settings a program can change, compared field by field.
bool same_settings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

struct Ending {
  bool timed_out = false;
  bool exited = false;
  int status = -1;
  int signal = 0;
};

// kolmaren on the slave side of a pseudo-terminal, in a directory of its own.
class TerminalRun {
 public:
  TerminalRun() {
    std::string pattern = (fs::temp_directory_path() / "kolmaren-pty-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) std::abort();
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~TerminalRun() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
    close(slave_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // The slave stays open here too, so that its settings can be read after
  // the program has ended.
  termios settings() const {
    termios now{};
    tcgetattr(slave_, &now);
    return now;
  }

  void start() {
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      dup2(slave_, STDIN_FILENO);
      dup2(slave_, STDOUT_FILENO);
      dup2(slave_, STDERR_FILENO);
      close(master_);
      const rlimit no_core{0, 0};  // SIGQUIT would leave a core file
      setrlimit(RLIMIT_CORE, &no_core);
      if (chdir(dir_.c_str()) != 0) _exit(127);
      execl(KOLMAREN_BINARY, KOLMAREN_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
  }

  // Reads the program's output until `text` appears after the text last
  // waited for; false when it does not within the step limit.
  bool wait_for(const std::string& text) {
    const auto deadline = Clock::now() + STEP_LIMIT;
    while (output_.find(text, seen_) == std::string::npos) {
      if (Clock::now() > deadline) return false;
      read_some();
    }
    seen_ = output_.find(text, seen_) + text.size();
    return true;
  }

  void type(const std::string& keys) {
    if (write(master_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
      std::abort();
  }

  // Answers every question of a keyboard run, up to the exit key prompt.
  bool answer_dialogue() {
    const std::pair<const char*, const char*> steps[] = {
        {"1=keyboard  2=file", "1\n"},
        {"How Many Breakpoints (minimum=2)?", "2\n"},
        {"Level(G^2/Hz)", "20 0.04\n2000 0.04\n"},
        {"Enter duration (sec)", "60\n"},
        {"1=4.0    2=6.4", "1\n"},
        {"1= damping ratio   2= Q", "1\n"},
        {"Enter damping ratio (typically 0.05) ", "0.05\n"},
    };
    for (const auto& [question, answer] : steps) {
      if (!wait_for(question)) return false;
      type(answer);
    }
    return wait_for("Press any key to exit");
  }

  // The key is read without echo: once echo is off, a key typed cannot be
  // shown, so waiting for that state keeps the test free of a race.
  bool wait_for_key_wait() {
    const auto deadline = Clock::now() + STEP_LIMIT;
    while (settings().c_lflag & ECHO) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    read_some();
    seen_ = output_.size();
    return true;
  }

  Ending wait_for_end() {
    Ending ending;
    const auto deadline = Clock::now() + STEP_LIMIT;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        ending.timed_out = true;
        break;
      }
      read_some();
    }
    pid_ = -1;
    read_some();
    ending.exited = WIFEXITED(status);
    ending.status = ending.exited ? WEXITSTATUS(status) : -1;
    ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return ending;
  }

  void send_signal(int signal_number) { kill(pid_, signal_number); }

  // Output after the last text waited for.
  std::string output_since_wait() const { return output_.substr(seen_); }
  const std::string& output() const { return output_; }
  const fs::path& dir() const { return dir_; }

 private:
  void read_some() {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) return;
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n > 0) output_.append(buffer, static_cast<size_t>(n));
  }

  fs::path dir_;
  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;
  std::string output_;
  size_t seen_ = 0;
};

int lines_of(const fs::path& path) {
  std::ifstream in(path);
  return static_cast<int>(std::count(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>(), '\n'));
}

TEST(Terminal, OneKeyWithoutEnterEndsTheRunUnechoed) {
  TerminalRun run;
  const termios before = run.settings();
  run.start();
  ASSERT_TRUE(run.answer_dialogue()) << run.output();
  ASSERT_TRUE(run.wait_for_key_wait()) << "echo never switched off";

  run.type("x");
  const Ending ending = run.wait_for_end();
  ASSERT_FALSE(ending.timed_out) << "the key did not end the wait";
  EXPECT_TRUE(ending.exited);
  EXPECT_EQ(0, ending.status);
  EXPECT_EQ("", run.output_since_wait()) << "the key was echoed or text followed it";
  EXPECT_TRUE(same_settings(before, run.settings()));
}

// With the terminal's signal keys off, Ctrl-C is one more key.
TEST(Terminal, CtrlCAtTheExitKeyIsAKey) {
  TerminalRun run;
  const termios before = run.settings();
  run.start();
  ASSERT_TRUE(run.answer_dialogue()) << run.output();
  ASSERT_TRUE(run.wait_for_key_wait());

  run.type("\x03");
  const Ending ending = run.wait_for_end();
  ASSERT_FALSE(ending.timed_out);
  EXPECT_TRUE(ending.exited) << "ended by signal " << ending.signal;
  EXPECT_EQ(0, ending.status);
  EXPECT_EQ("", run.output_since_wait());
  EXPECT_TRUE(same_settings(before, run.settings()));
}

// A signal that ends the program while it waits for the key leaves the
// terminal as it found it, and the fatigue file complete.
class SignalAtTheKey : public ::testing::TestWithParam<int> {};

TEST_P(SignalAtTheKey, RestoresTheTerminal) {
  const int signal_number = GetParam();
  TerminalRun run;
  const termios before = run.settings();
  run.start();
  ASSERT_TRUE(run.answer_dialogue()) << run.output();
  ASSERT_TRUE(run.wait_for_key_wait());

  run.send_signal(signal_number);
  const Ending ending = run.wait_for_end();
  ASSERT_FALSE(ending.timed_out);
  EXPECT_EQ(signal_number, ending.signal) << "the program did not die of the signal";
  EXPECT_TRUE(same_settings(before, run.settings())) << "terminal left changed";
  EXPECT_EQ(264, lines_of(run.dir() / "random_Q10_b4.txt"));
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalAtTheKey,
                         ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGQUIT),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(sigabbrev_np(info.param));
                         });

}  // namespace
