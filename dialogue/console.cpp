#include "dialogue/console.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace kolmaren {

namespace {

bool is_blank(int c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the plain decimal number at the front of text (sign, digits,
// point, exponent), the only form stream extraction accepts; 0 when none.
size_t decimal_prefix(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && is_digit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && is_digit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && is_digit(text[j])) {
      while (j < text.size() && is_digit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

}  // namespace

bool Scanner::next_item() {
  if (rest_size() > 0) return true;
  if (exhausted_) return false;
  item_.clear();
  read_ = 0;
  overlong_ = false;
  int c = source_.next();
  while (c != EOF && is_blank(c)) c = source_.next();
  if (c == EOF) return false;
  // The blank that ends the item is read and dropped: the next read would
  // skip it anyway.
  while (c != EOF && !is_blank(c) && item_.size() < ITEM_CAPACITY) {
    item_.push_back(static_cast<char>(c));
    c = source_.next();
  }
  if (c != EOF && !is_blank(c)) skip_overlong_rest(c);
  return true;
}

void Scanner::skip_overlong_rest(int c) {
  overlong_ = true;
  size_t skipped = 0;
  while (c != EOF && !is_blank(c)) {
    if (++skipped > OVERLONG_SKIP_LIMIT) {
      exhausted_ = true;  // endless input without a blank
      return;
    }
    c = source_.next();
  }
}

ReadResult Scanner::scan_double(double& value) {
  if (!next_item()) return ReadResult::end_of_input;
  if (overlong_) return ReadResult::not_a_number;
  const char* start = rest();
  char* end = nullptr;
  const double parsed = std::strtod(start, &end);
  if (end == start) return ReadResult::not_a_number;
  value = parsed;
  consume(static_cast<size_t>(end - start));
  return ReadResult::value;
}

ReadResult Scanner::scan_long(long& value) {
  if (!next_item()) return ReadResult::end_of_input;
  if (overlong_) return ReadResult::not_a_number;
  const char* start = rest();
  char* end = nullptr;
  const long parsed = std::strtol(start, &end, 10);
  if (end == start) return ReadResult::not_a_number;
  value = parsed;  // strtol saturates at LONG_MIN / LONG_MAX
  consume(static_cast<size_t>(end - start));
  return ReadResult::value;
}

ReadResult Scanner::scan_word(std::string& word) {
  if (!next_item()) return ReadResult::end_of_input;
  word.assign(rest(), rest_size());
  consume(rest_size());
  return ReadResult::value;
}

ReadResult Scanner::extract_double(double& value) {
  if (!next_item()) return ReadResult::end_of_input;
  if (overlong_) return ReadResult::not_a_number;
  const size_t length = decimal_prefix({rest(), rest_size()});
  if (length == 0) return ReadResult::not_a_number;
  value = std::strtod(std::string(rest(), length).c_str(), nullptr);
  consume(length);
  return ReadResult::value;
}

ReadResult Scanner::extract_int(int& value) {
  long wide = 0;
  const ReadResult result = scan_long(wide);
  if (result != ReadResult::value) return result;
  if (wide > INT_MAX) wide = INT_MAX;
  if (wide < INT_MIN) wide = INT_MIN;
  value = static_cast<int>(wide);
  return ReadResult::value;
}

Console& Console::operator<<(double value) {
  print(format_line("%.3g", value));
  return *this;
}

}  // namespace kolmaren
