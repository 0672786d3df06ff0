// Runs a program the way a user would from a shell, in a chosen directory,
// with stdout and stderr kept apart.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kolmaren::plot::testing {

struct ProgramResult {
  int exit_status = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// `environment` entries are added to (or replace) this process's variables;
// `input` is fed to the program's stdin.
ProgramResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& directory,
                          const std::map<std::string, std::string>& environment = {},
                          const std::string& input = {});

// A fresh directory under the system's temporary directory, removed again
// by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kolmaren::plot::testing
