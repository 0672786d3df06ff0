// Answers the console input ended before. The dialogue goes on without them
// (each value keeps what it held); the program names them when it ends.
#pragma once

#include <string>
#include <vector>

namespace kolmaren {

class AnswerLog {
 public:
  void missing(std::string what) { missing_.push_back(std::move(what)); }
  bool any_missing() const { return !missing_.empty(); }
  const std::vector<std::string>& missing_answers() const { return missing_; }

 private:
  std::vector<std::string> missing_;
};

}  // namespace kolmaren
