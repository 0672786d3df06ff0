#include "plot/tests/program_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "plot/tests/run_files.h"

extern char** environ;

namespace kolmaren::plot::testing {
namespace {

std::vector<std::string> merged_environment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (!extra.contains(text.substr(0, text.find('=')))) merged.push_back(text);
  }
  for (const auto& [name, value] : extra) merged.push_back(name + "=" + value);
  return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> list;
  for (std::string& s : strings) list.push_back(s.data());
  list.push_back(nullptr);
  return list;
}

}  // namespace

ProgramResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& directory,
                          const std::map<std::string, std::string>& environment, const std::string& input) {
  const TempDir capture;
  const std::string in_file = capture.path() / "stdin";
  const std::string out_file = capture.path() / "stdout";
  const std::string err_file = capture.path() / "stderr";
  write_file(in_file, input);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, in_file.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());

  std::vector<std::string> argv_strings{program};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<std::string> env_strings = merged_environment(environment);
  std::vector<char*> argv = pointers(argv_strings);
  std::vector<char*> envp = pointers(env_strings);

  pid_t pid = -1;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot run " + program + ": " + std::strerror(error));
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out_file), read_file(err_file)};
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kolmaren-plot-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace kolmaren::plot::testing
