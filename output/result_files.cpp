#include "output/result_files.h"

#include <cerrno>
#include <cstring>

namespace kolmaren {

namespace {

void keep_failure(OutputFiles& files, ResultFile id, FileFailure::Step step, int err) {
  if (files.first_failure.step != FileFailure::Step::none) return;
  files.first_failure = {step, err != 0 ? err : EIO, files.entry[id].name};
}

}  // namespace

bool open_result_file(OutputFiles& files, ResultFile id, const char* name) {
  OutputFile& file = files.entry[id];
  std::snprintf(file.name, sizeof file.name, "%s", name);
  errno = 0;
  file.stream = std::fopen(file.name, "w");
  if (file.stream == nullptr) {
    keep_failure(files, id, FileFailure::Step::create, errno);
    return false;
  }
  file.state = OutputFile::State::open;
  return true;
}

bool open_output_files(OutputFiles& files) {
  for (int id = A_PSD; id < FATIGUE_FILE; ++id) {
    if (!open_result_file(files, static_cast<ResultFile>(id), FIXED_RESULT_NAMES[id]))
      return false;
  }
  return true;
}

void write_text(OutputFiles& files, ResultFile id, std::string_view text) {
  OutputFile& file = files.entry[id];
  if (file.state != OutputFile::State::open) return;  // never through a closed stream
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file.stream) != text.size())
    keep_failure(files, id, FileFailure::Step::write, errno);
}

bool flush_result_file(OutputFiles& files, ResultFile id) {
  OutputFile& file = files.entry[id];
  if (file.state != OutputFile::State::open) return true;
  errno = 0;
  if (std::fflush(file.stream) != 0 || std::ferror(file.stream)) {
    keep_failure(files, id, FileFailure::Step::write, errno);
    return false;
  }
  return true;
}

bool close_result_file(OutputFiles& files, ResultFile id) {
  OutputFile& file = files.entry[id];
  if (file.state != OutputFile::State::open) return true;
  // A write error seen earlier by the stream is a lost line even when the
  // final flush succeeds.
  const bool write_failed = std::ferror(file.stream) != 0;
  errno = 0;
  const bool closed = std::fclose(file.stream) == 0;
  const int err = errno;
  file.stream = nullptr;
  file.state = OutputFile::State::closed;
  if (write_failed) keep_failure(files, id, FileFailure::Step::write, err);
  if (!closed) keep_failure(files, id, FileFailure::Step::close, err);
  return closed && !write_failed;
}

void close_all(OutputFiles& files) {
  for (int id = 0; id < RESULT_FILE_COUNT; ++id)
    close_result_file(files, static_cast<ResultFile>(id));
}

bool has_failed(const OutputFiles& files) {
  return files.first_failure.step != FileFailure::Step::none;
}

}  // namespace kolmaren
