// The console of a run: one output channel for both ways kolmaren writes
// (printf-style formats and stream-style text and numbers), so text appears
// in exactly the order it is written, and the two ways answers are read.
#pragma once

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "output/line.h"

namespace kolmaren {

// Where answers come from: a pipe, a terminal, a file or text in memory.
class CharSource {
 public:
  virtual ~CharSource() = default;
  virtual int next() = 0;  // the next byte as unsigned char, or EOF
};

class FileSource : public CharSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  int next() override { return std::getc(file_); }

 private:
  std::FILE* file_;
};

class StringSource : public CharSource {
 public:
  explicit StringSource(std::string text) : text_(std::move(text)) {}
  int next() override {
    return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : EOF;
  }

 private:
  std::string text_;
  size_t pos_ = 0;
};

// Where console text goes.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void write(std::string_view text) = 0;
  virtual void flush() = 0;
};

class FileSink : public TextSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  void write(std::string_view text) override {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) keep_error();
  }
  void flush() override {
    errno = 0;
    if (std::fflush(file_) != 0) keep_error();
  }
  // The reason of the first write that failed (an errno value), 0 while
  // none has.
  int error() const { return error_; }

 private:
  void keep_error() {
    if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  }

  std::FILE* file_;
  int error_ = 0;
};

class StringSink : public TextSink {
 public:
  void write(std::string_view text) override { text_.append(text); }
  void flush() override {}
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// Outcome of reading one value.
enum class ReadResult { value, not_a_number, end_of_input };

// Reads numbers and words from a CharSource the way scanf and stream
// extraction do: whitespace skipped first, the longest number at the front
// of the next item taken. An item that is not a number is left in place, so
// every later read meets it again; the caller decides what the value is then.
class Scanner {
 public:
  // Longer than any number or file name anyone writes. An item beyond it is
  // not a number, and as a word it is cut here (still too long to be a file
  // name); the rest of it is skipped, so it never turns into a second answer.
  static constexpr size_t ITEM_CAPACITY = 4096;
  // Input that never brings a blank (a file of zero bytes like /dev/zero)
  // must not be read forever: past this many skipped characters the input
  // counts as ended.
  static constexpr size_t OVERLONG_SKIP_LIMIT = size_t{1} << 20;

  explicit Scanner(CharSource& source) : source_(source) {}

  // scanf "%lf": decimal, hexadecimal, inf and nan forms.
  ReadResult scan_double(double& value);
  // scanf "%ld"; values beyond long saturate.
  ReadResult scan_long(long& value);
  // scanf "%s": the next run of non-blank characters, consumed whole.
  ReadResult scan_word(std::string& word);
  // Stream extraction of a double: plain decimal notation only.
  ReadResult extract_double(double& value);
  // Stream extraction of an int; values beyond int saturate.
  ReadResult extract_int(int& value);

 private:
  // Skips whitespace and makes the next item available (its text up to the
  // next blank, at most ITEM_CAPACITY characters). False at end of input.
  bool next_item();
  // Reads past the rest of an item longer than ITEM_CAPACITY; c is its
  // first character not kept.
  void skip_overlong_rest(int c);
  const char* rest() const { return item_.c_str() + read_; }
  size_t rest_size() const { return item_.size() - read_; }
  // Moving a position, not erasing the front, keeps a long run of numbers
  // without blanks ("-1-1-1...") linear in its length.
  void consume(size_t count) { read_ += count; }

  CharSource& source_;
  std::string item_;  // the current item
  size_t read_ = 0;   // characters of item_ already taken
  bool overlong_ = false;   // the current item was cut at ITEM_CAPACITY
  bool exhausted_ = false;  // an endless item: nothing more is read
};

class Console {
 public:
  Console(CharSource& in, TextSink& out) : scanner_(in), out_(out) {}

  // printf-style output.
  void print(const char* text) { out_.write(text); }
  void print(const Line& line) { out_.write(line.view()); }
  template <typename... Args>
  void printf(const char* format, Args... args) {
    print(format_line(format, args...));
  }

  // Stream-style output: text as it is, numbers as "%.3g".
  Console& operator<<(const char* text) {
    out_.write(text);
    return *this;
  }
  Console& operator<<(double value);
  // End of line: a newline, then the console is flushed.
  void endl() {
    out_.write("\n");
    out_.flush();
  }
  void flush() { out_.flush(); }

  // Every read first shows what has been written so far.
  Scanner& answers() {
    out_.flush();
    return scanner_;
  }

 private:
  Scanner scanner_;
  TextSink& out_;
};

}  // namespace kolmaren
