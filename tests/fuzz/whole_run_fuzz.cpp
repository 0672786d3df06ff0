// A whole run on arbitrary console input, in a directory of its own. The
// run must end; an analysis that ran must leave every result file complete
// (nothing lost without a report); every table must stay within the part
// its count says is in use.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/run.h"

namespace {

namespace fs = std::filesystem;
using namespace kolmaren;

constexpr int SWEEP_ROWS = 264;

fs::path run_dir;
AnalysisContext ctx;  // 300 kB: set up once, cleared for every run

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "whole run: %s\n", what);
  std::abort();
}

void write(const char* name, const char* text) {
  std::FILE* file = std::fopen(name, "wb");
  std::fputs(text, file);
  std::fclose(file);
}

void remove_run_dir() {
  std::error_code ignored;
  fs::remove_all(run_dir, ignored);
}

// Lines of a result file; -1 when it does not exist.
int lines_of(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return -1;
  int lines = 0;
  for (int c = std::getc(file); c != EOF; c = std::getc(file)) lines += c == '\n';
  std::fclose(file);
  return lines;
}

bool zero_from(const double* table, int from, int capacity) {
  for (int i = from < 0 ? 0 : from; i < capacity; ++i)
    if (std::memcmp(&table[i], "\0\0\0\0\0\0\0\0", sizeof(double)) != 0) return false;
  return true;
}

// Entries past the part in use keep the zeros of start-up.
void check_tables() {
  const int n = ctx.breakpoints.n;
  require(n >= 0 && n <= MAX_POINTS, "breakpoint count outside the table");
  require(zero_from(ctx.breakpoints.freq, n, MAX_POINTS), "frequency written past n");
  require(zero_from(ctx.breakpoints.level, n, MAX_POINTS), "level written past n");
  require(zero_from(ctx.slopes.s, n - 1, MAX_POINTS), "slope written past n - 1");
  require(zero_from(ctx.velocity, n, MAX_POINTS), "velocity written past n");
  require(zero_from(ctx.displacement, n, MAX_POINTS), "displacement written past n");
  const int count = ctx.grid.count;
  require(count >= 0 && count < MAX_POINTS, "grid count outside the table");
  // The point after the last one in use is computed too.
  require(zero_from(ctx.grid.freq, count + 2, MAX_POINTS), "grid frequency past the count");
  require(zero_from(ctx.grid.level, count + 2, MAX_POINTS), "grid level past the count");
}

void check_complete_files(const OutputFiles& files) {
  const int n = ctx.breakpoints.n;
  require(lines_of("a.psd") == n, "a.psd incomplete");
  require(lines_of("vrs.in") == n, "vrs.in incomplete");
  require(lines_of("a.int") == ctx.grid.count, "a.int incomplete");
  for (const char* name : {"vrs.txt", "tsvrs.txt", "rd_vrs.txt", files.entry[FATIGUE_FILE].name})
    require(lines_of(name) == SWEEP_ROWS, "sweep file incomplete");
  // Damping 4, input heading 3, its rows, overall 2, response heading 5.
  require(lines_of("vrs.out") == 4 + 3 + (n > 1 ? n : 1) + 2 + 5 + SWEEP_ROWS,
          "vrs.out incomplete");
}

void remove_result_files(const OutputFiles& files) {
  for (const OutputFile& file : files.entry)
    if (file.state != OutputFile::State::not_open) std::remove(file.name);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (fs::temp_directory_path() / "kolmaren-fuzz-XXXXXX").string();
  require(mkdtemp(pattern.data()) != nullptr, "no temporary directory");
  run_dir = pattern;
  require(chdir(run_dir.c_str()) == 0, "cannot enter the temporary directory");
  std::atexit(remove_run_dir);
  // Input files the answers can name: pairs, a heading, an empty file, a
  // folder, values no PSD has.
  write("p", "20 0.04\n80 0.04\n350 0.01\n2000 0.007\n");
  write("h", "Freq Level\n20 0.04\n");
  write("e", "");
  write("s", "nan 0.04 20 nan inf 0.04 -0 0.04 1e308 1e308 5");
  fs::create_directory("d");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Names with a folder in them could reach files outside the run directory
  // (devices that block, files that change); the run stays inside it.
  if (std::memchr(data, '/', size) != nullptr) return -1;

  clear_context(ctx);
  OutputFiles files{};
  StringSource in(std::string(reinterpret_cast<const char*>(data), size));
  StringSink out;
  Console console(in, out);
  AnswerLog log;

  const RunResult result = run_kolmaren(console, ctx, files, log, [] {});
  close_all(files);

  require(result.outcome != RunOutcome::cannot_create, "a result file could not be created");
  require(!has_failed(files), "a result file could not be written");
  check_tables();
  const std::string& text = out.text();
  const bool closing_shown = text.ends_with("\n Press any key to exit");
  if (result.outcome == RunOutcome::completed) {
    require(closing_shown, "the closing text is missing");
    require(ctx.sweep.rows == SWEEP_ROWS, "sweep row count");
    check_complete_files(files);
  } else {
    require(!closing_shown, "closing text after the input ended");
    require(lines_of("a.psd") == -1 && lines_of("vrs.out") == -1,
            "result files created without an analysis");
  }
  remove_result_files(files);
  return 0;
}
