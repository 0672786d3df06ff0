#include "app/exit_key.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>

namespace kolmaren {

namespace {

termios saved_settings;

// A signal that ends the program during the wait must not leave the
// terminal without echo: restore it, then die of the signal as usual.
extern "C" void restore_and_reraise(int signal_number) {
  tcsetattr(STDIN_FILENO, TCSANOW, &saved_settings);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// Signals that end the program by default. With ISIG off the keyboard
// sends none of them, but another process still may (kill -INT).
constexpr int FATAL_SIGNALS[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr size_t FATAL_SIGNAL_COUNT = std::size(FATAL_SIGNALS);

}  // namespace

void wait_for_exit_key() {
  if (!isatty(STDIN_FILENO)) return;
  if (tcgetattr(STDIN_FILENO, &saved_settings) != 0) return;
  termios raw = saved_settings;
  // Without ICANON one key is enough, without ECHO it is not shown, without
  // ISIG Ctrl-C is just the key that ends the wait.
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;

  struct sigaction previous[FATAL_SIGNAL_COUNT];
  struct sigaction action {};
  action.sa_handler = restore_and_reraise;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < FATAL_SIGNAL_COUNT; ++i) {
    sigaction(FATAL_SIGNALS[i], nullptr, &previous[i]);
    // A signal the caller chose to ignore stays ignored.
    if (previous[i].sa_handler != SIG_IGN) sigaction(FATAL_SIGNALS[i], &action, nullptr);
  }

  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) {
    char key = 0;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &saved_settings);
  }
  for (size_t i = 0; i < FATAL_SIGNAL_COUNT; ++i)
    sigaction(FATAL_SIGNALS[i], &previous[i], nullptr);
}

}  // namespace kolmaren
