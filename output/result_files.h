// The eight result files of a run: names, opening, writing, closing, and the
// first failure met on any of them.
#pragma once

#include <cstdio>
#include <string_view>

#include "output/line.h"
#include "spectrum/analysis.h"

namespace kolmaren {

enum ResultFile { A_PSD, A_INT, VRS_TXT, TSVRS_TXT, VRS_OUT, VRS_IN, RD_VRS_TXT,
                  FATIGUE_FILE, RESULT_FILE_COUNT };

struct OutputFile {
  enum class State { not_open, open, closed };
  char name[FILE_NAME_CAPACITY];
  std::FILE* stream;
  State state;
};

// What went wrong with a result file; errno_value 0 means nothing did.
struct FileFailure {
  enum class Step { none, create, write, close };
  Step step;
  int errno_value;
  const char* file_name;
};

struct OutputFiles {
  OutputFile entry[RESULT_FILE_COUNT];
  FileFailure first_failure;  // the first one only: later ones follow from it
};

// Fixed names in the order they are opened.
inline constexpr const char* FIXED_RESULT_NAMES[] = {
    "a.psd", "a.int", "vrs.txt", "tsvrs.txt", "vrs.out", "vrs.in", "rd_vrs.txt"};

// Creates (or empties) the seven fixed-name files in the working directory,
// one after the other. False when one cannot be created; the failure is kept.
bool open_output_files(OutputFiles& files);

// Creates the file named `name` for entry `id`. False on failure, kept.
bool open_result_file(OutputFiles& files, ResultFile id, const char* name);

// Writes text to an open entry; a failed write is kept, not reported here.
void write_text(OutputFiles& files, ResultFile id, std::string_view text);
inline void write_line(OutputFiles& files, ResultFile id, const Line& line) {
  write_text(files, id, line.view());
}

// Pushes what the stream holds to the file, so nothing is lost if the
// program is stopped from outside. False on failure, kept.
bool flush_result_file(OutputFiles& files, ResultFile id);

// Writes out and releases an open entry. False on failure, kept.
bool close_result_file(OutputFiles& files, ResultFile id);

// Closes every entry still open, as the program ends.
void close_all(OutputFiles& files);

bool has_failed(const OutputFiles& files);

}  // namespace kolmaren
