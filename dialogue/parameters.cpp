#include "dialogue/parameters.h"

#include "output/formats.h"

namespace kolmaren {

namespace {

// Damping format that selects a damping ratio; every other answer means Q.
constexpr long DAMPING_RATIO_FORMAT = 1;

// Every value of the analysis context is 0 from start-up until answered.
void note_if_ended(ReadResult result, AnswerLog& log, const char* what,
                   const char* consequence = "it is taken as 0") {
  if (result == ReadResult::end_of_input) log.missing(what, consequence);
}

double ask_duration(Console& console, double held, AnswerLog& log) {
  console << " Enter duration (sec) \n";
  double duration = held;  // an answer that is not a number keeps it
  note_if_ended(console.answers().extract_double(duration), log, "the duration");
  return duration;
}

int ask_fatigue_choice(Console& console, AnswerLog& log) {
  console << " Select fatigue exponent \n" << " 1=4.0    2=6.4       \n";
  int choice = 0;
  const ReadResult result = console.answers().extract_int(choice);
  if (result != ReadResult::value) choice = 0;
  note_if_ended(result, log, "the fatigue exponent", "it is taken as 0, exponent 6.4");
  return choice;
}

long ask_damping_format(Console& console, AnswerLog& log) {
  console.print("\n Enter damping format. \n 1= damping ratio   2= Q \n");
  long format = 0;  // not a number: Q is asked for
  note_if_ended(console.answers().scan_long(format), log, "the damping format",
                "Q is asked for");
  return format;
}

// The damping answer is read into the damping ratio, so an answer that is
// not a number leaves the ratio's value as the answer.
double ask_damping_value(Console& console, long format, double held, AnswerLog& log) {
  double answer = held;
  if (format == DAMPING_RATIO_FORMAT) {
    console.print("\n Enter damping ratio (typically 0.05) ");
    note_if_ended(console.answers().scan_double(answer), log, "the damping ratio");
  } else {
    console.print("\n Enter amplification factor Q (typically 10) ");
    note_if_ended(console.answers().scan_double(answer), log, "the amplification factor Q");
  }
  return answer;
}

}  // namespace

void ask_analysis_parameters(Console& console, AnalysisParameters& params,
                             OutputFiles& files, AnswerLog& log) {
  params.duration = ask_duration(console, params.duration, log);
  set_fatigue_choice(params, ask_fatigue_choice(console, log));
  const long format = ask_damping_format(console, log);
  set_damping(params, format, ask_damping_value(console, format, params.damping_ratio, log));
  write_line(files, VRS_OUT, damping_line(params.damping_ratio));
}

}  // namespace kolmaren
