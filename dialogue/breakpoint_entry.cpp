#include "dialogue/breakpoint_entry.h"

#include "output/formats.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace kolmaren {

int read_breakpoint_pairs(CharSource& source, BreakpointTable& table) {
  Scanner scanner(source);
  double freq = 0.0;
  double level = 0.0;  // carried over when a frequency comes without a level
  int stored = 0;
  while (stored < MAX_POINTS) {
    if (scanner.scan_double(freq) != ReadResult::value) break;
    scanner.scan_double(level);
    if (freq > FREQ_FLOOR_HZ) {
      table.freq[stored] = freq;
      table.level[stored] = level;
      ++stored;
    }
  }
  return stored;
}

namespace {

void report_missing_pair(AnswerLog& log, int index, int count, const char* what) {
  log.missing("the " + std::string(what) + " of breakpoint " + std::to_string(index + 1) +
                  " of " + std::to_string(count),
              "the values not read are 0");
}

// Reads `count` pairs into the table; pairs beyond its capacity are read
// into scratch values so the answers after them stay in step. An item that
// is not a number stops the reading: every later read would meet it again.
void read_keyboard_pairs(Console& console, BreakpointTable& table, int count,
                         AnswerLog& log) {
  for (int i = 0; i < count; ++i) {
    double spare_freq = 0.0;
    double spare_level = 0.0;
    double& freq = i < MAX_POINTS ? table.freq[i] : spare_freq;
    double& level = i < MAX_POINTS ? table.level[i] : spare_level;
    ReadResult result = console.answers().scan_double(freq);
    const char* missing = "frequency";
    if (result == ReadResult::value) {
      result = console.answers().scan_double(level);
      missing = "level";
    }
    if (result == ReadResult::end_of_input) report_missing_pair(log, i, count, missing);
    if (result != ReadResult::value) return;
  }
}

}  // namespace

Entry enter_breakpoints_keyboard(Console& console, BreakpointTable& table, int& stored,
                                 AnswerLog& log) {
  stored = 0;
  console << " How Many Breakpoints (minimum=2)? \n";
  int count = 0;
  const ReadResult result = console.answers().extract_int(count);
  // Without a count there is nothing to analyse.
  if (result == ReadResult::end_of_input) return Entry::input_ended;
  if (result != ReadResult::value) count = 0;
  if (count < 2) console << "Input error \n";
  if (count > MAX_POINTS) console << " Only the first 5000 breakpoints are kept. \n";
  console << " Enter Points (free-format) ";
  console.endl();
  console << " Freq(Hz)  Level(G^2/Hz)    ";
  console.endl();
  read_keyboard_pairs(console, table, count, log);
  stored = std::clamp(count, 0, MAX_POINTS);
  return Entry::taken;
}

namespace {

// Opens the breakpoint file for reading; a folder counts as a file that
// cannot be opened, and so does a name too long for its buffer.
std::FILE* open_breakpoint_file(const std::string& name) {
  if (name.size() >= static_cast<size_t>(FILE_NAME_CAPACITY)) return nullptr;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace

Entry enter_breakpoints_file(Console& console, BreakpointTable& table, int& stored) {
  stored = 0;
  console.print(" The file must contain two columns: \n");
  console.print(" Freq(Hz)  Level(G^2/Hz)    \n");
  console.print(" \n An error message will occur if the file does not exist.\n");
  console.print(" Input filename \n");
  std::string name;
  if (console.answers().scan_word(name) != ReadResult::value) return Entry::input_ended;
  std::FILE* file = open_breakpoint_file(name);
  if (file == nullptr) {
    console.print("Input file error \n");
    return Entry::cannot_open;
  }
  FileSource source(file);
  stored = read_breakpoint_pairs(source, table);
  std::fclose(file);
  return Entry::taken;
}

namespace {

void warn_negative(Console& console, double freq, double level) {
  console << " all input numbers must be > 0.\n" << freq << level;
}

}  // namespace

void check_and_echo_breakpoints(Console& console, const BreakpointTable& table,
                                OutputFiles& files) {
  for (int i = 0; i < table.n; ++i) {
    const double freq = table.freq[i];
    const double level = table.level[i];
    if (i > 0 && freq < table.freq[i - 1]) console << " Error:  frequencies must ascend. \n";
    if (freq < 0.0) warn_negative(console, freq, level);
    if (level < 0.0) warn_negative(console, freq, level);
    write_line(files, A_PSD, apsd_row(freq, level));
    write_line(files, VRS_IN, vrsin_row(freq, level));
  }
  close_result_file(files, A_PSD);
  close_result_file(files, VRS_IN);
}

}  // namespace kolmaren
