// Writes two runs, a field environment and a test level 3 dB above it, into
// field/ and test/ under the directory given (default: the current one), for
// trying kolmaren-plot out and for the picture in the README:
//   kolmaren-plot-example-runs /tmp/demo && cd /tmp/demo && kolmaren-plot field test
#include <cstdio>
#include <exception>
#include <filesystem>

#include "plot/tests/run_files.h"

int main(int argc, char** argv) {
  using namespace kolmaren::plot::testing;
  const std::filesystem::path base = argc > 1 ? argv[1] : ".";
  try {
    RunProfile field;
    field.exponents = {4.0, 6.4};
    RunProfile test = field;
    for (auto& [f, level] : test.breakpoints) level *= 2.0;
    write_run(base / "field", field);
    write_run(base / "test", test);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kolmaren-plot-example-runs: %s\n", error.what());
    return 1;
  }
  return 0;
}
