// Runs the kolmaren binary as a child process in a fresh temporary
// directory, with given standard input, a time limit and an optional setup
// step in the child before exec (resource limits, another user).
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace kolmaren_test {

namespace fs = std::filesystem;

// A directory of its own per run: `work` is the child's working directory,
// the files of standard input and output lie beside it, out of its listing.
class RunDir {
 public:
  RunDir() {
    std::string pattern = (fs::temp_directory_path() / "kolmaren-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    fs::create_directory(work());
  }
  ~RunDir() {
    std::error_code ignored;
    // Give back what a case took away, so that everything can be removed.
    for (auto it = fs::recursive_directory_iterator(root_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (!it->is_symlink(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
  }
  RunDir(const RunDir&) = delete;
  RunDir& operator=(const RunDir&) = delete;

  const fs::path& root() const { return root_; }
  fs::path work() const { return root_ / "work"; }

 private:
  fs::path root_;
};

inline void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline int count_lines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

struct RunResult {
  bool timed_out = false;
  bool exited = false;   // ended by exit, not by a signal
  int status = -1;       // exit status when exited
  int signal = 0;        // the signal that ended it otherwise
  std::string console;   // standard output
  std::string errors;    // standard error
};

// Exit status a child uses to say its setup step was not possible here.
inline constexpr int SETUP_NOT_POSSIBLE = 77;

struct RunOptions {
  std::string answers;                  // standard input
  std::chrono::seconds limit{20};       // killed after this; counts as a hang
  std::function<bool()> child_setup;    // in the child before exec; false: not possible
  std::string console_path;             // standard output to this path instead
};

// Runs the binary in dir.work() and waits for it, at most options.limit.
inline RunResult run_binary(const char* binary, const RunDir& dir, const RunOptions& options) {
  const fs::path in_path = dir.root() / "stdin";
  const fs::path out_path =
      options.console_path.empty() ? dir.root() / "stdout" : fs::path(options.console_path);
  const fs::path err_path = dir.root() / "stderr";
  write_file(in_path, options.answers);

  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open(in_path.c_str(), O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (chdir(dir.work().c_str()) != 0) _exit(127);
    if (options.child_setup && !options.child_setup()) _exit(SETUP_NOT_POSSIBLE);
    execl(binary, binary, static_cast<char*>(nullptr));
    _exit(127);
  }

  RunResult result;
  const auto deadline = std::chrono::steady_clock::now() + options.limit;
  int wait_status = 0;
  while (waitpid(pid, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wait_status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.exited = WIFEXITED(wait_status);
  result.status = result.exited ? WEXITSTATUS(wait_status) : -1;
  result.signal = WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0;
  if (options.console_path.empty()) result.console = read_file(out_path);
  result.errors = read_file(err_path);
  return result;
}

// Names of the entries of a directory, sorted.
inline std::vector<std::string> listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The user id that owns nothing here, for runs that must meet permissions
// even when the tests run as root.
inline constexpr uid_t NOBODY = 65534;

// Child setup: gives up root, so that file permissions apply.
inline bool become_nobody() {
  return setgroups(0, nullptr) == 0 && setgid(NOBODY) == 0 && setuid(NOBODY) == 0 &&
         geteuid() == NOBODY;
}

}  // namespace kolmaren_test
