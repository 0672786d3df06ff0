#include "plot/gnuplot_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace kolmaren::plot {
namespace {

// Restores SIGPIPE when writing is over: a gnuplot that stops reading must
// give us EPIPE to report, not end this program.
class IgnoreSigpipe {
 public:
  IgnoreSigpipe() { sigaction_ok_ = ::sigaction(SIGPIPE, &ignore(), &saved_) == 0; }
  ~IgnoreSigpipe() {
    if (sigaction_ok_) ::sigaction(SIGPIPE, &saved_, nullptr);
  }
  IgnoreSigpipe(const IgnoreSigpipe&) = delete;
  IgnoreSigpipe& operator=(const IgnoreSigpipe&) = delete;

 private:
  static const struct sigaction& ignore() {
    static struct sigaction action = [] {
      struct sigaction a {};
      a.sa_handler = SIG_IGN;
      sigemptyset(&a.sa_mask);
      return a;
    }();
    return action;
  }
  struct sigaction saved_ {};
  bool sigaction_ok_ = false;
};

// Starts `program` reading from `stdin_fd`; the child gets SIGPIPE back at
// its default. Returns the pid, or -1 with errno set.
pid_t spawn_reading(const std::string& program, int stdin_fd) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, stdin_fd, STDIN_FILENO);
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    errno = error;
    return -1;
  }
  return pid;
}

// Returns 0, or the errno of the write that failed.
int write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return errno;
    done += static_cast<std::size_t>(wrote);
  }
  return 0;
}

std::string describe_exit(const std::string& program, int status) {
  if (WIFEXITED(status)) {
    return program + " failed with exit status " + std::to_string(WEXITSTATUS(status));
  }
  if (WIFSIGNALED(status)) {
    return program + " was ended by signal " + std::to_string(WTERMSIG(status));
  }
  return program + " stopped unexpectedly";
}

}  // namespace

std::string gnuplot_program() {
  if (const char* chosen = std::getenv("KOLMAREN_GNUPLOT"); chosen != nullptr && *chosen != '\0') {
    return chosen;
  }
  return KOLMAREN_GNUPLOT_PATH;
}

std::string run_gnuplot(const std::string& program, const std::string& script) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
    return std::string("cannot make a pipe to gnuplot: ") + std::strerror(errno);
  }
  const IgnoreSigpipe ignore_sigpipe;
  const pid_t pid = spawn_reading(program, pipe_fds[0]);
  const int spawn_error = errno;
  ::close(pipe_fds[0]);
  if (pid < 0) {
    ::close(pipe_fds[1]);
    return "cannot run " + program + ": " + std::strerror(spawn_error);
  }
  const int write_error = write_all(pipe_fds[1], script);
  ::close(pipe_fds[1]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return "lost track of " + program + ": " + std::strerror(errno);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    if (write_error == 0) return {};
    return program + " stopped reading the script: " + std::strerror(write_error);
  }
  return describe_exit(program, status);
}

}  // namespace kolmaren::plot
