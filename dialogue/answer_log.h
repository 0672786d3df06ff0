// Answers the console input ended before. The dialogue goes on without them
// (each value keeps what it held); the program names them when it ends.
#pragma once

#include <string>
#include <vector>

namespace kolmaren {

class AnswerLog {
 public:
  struct Missing {
    std::string answer;       // "the duration"
    std::string consequence;  // "it is taken as 0"
  };

  void missing(std::string answer, std::string consequence) {
    missing_.push_back({std::move(answer), std::move(consequence)});
  }
  const std::vector<Missing>& missing_answers() const { return missing_; }

 private:
  std::vector<Missing> missing_;
};

}  // namespace kolmaren
