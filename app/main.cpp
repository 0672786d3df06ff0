// kolmaren: acceleration vibration response, relative displacement and
// fatigue response spectra of a single-degree-of-freedom system under a
// base-input acceleration PSD.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/exit_key.h"
#include "app/run.h"

namespace {

const char* step_text(kolmaren::FileFailure::Step step) {
  switch (step) {
    case kolmaren::FileFailure::Step::create: return "cannot create";
    case kolmaren::FileFailure::Step::write: return "cannot write";
    case kolmaren::FileFailure::Step::close: return "cannot finish writing";
    case kolmaren::FileFailure::Step::none: break;
  }
  return "";
}

// Errors are told once, here, after everything else is written.
int report(const kolmaren::RunResult& result, const kolmaren::OutputFiles& files,
           const kolmaren::AnswerLog& log, kolmaren::FileSink& out) {
  int status = EXIT_SUCCESS;
  // With the console redirected to a file, its text is data too: the
  // overall velocity and displacement are shown nowhere else.
  out.flush();
  if (out.error() != 0) {
    std::fprintf(stderr, "kolmaren: cannot write the console output: %s\n",
                 std::strerror(out.error()));
    status = EXIT_FAILURE;
  }
  if (result.outcome == kolmaren::RunOutcome::input_ended) {
    std::fprintf(stderr, "kolmaren: input ended before %s; no analysis was run\n",
                 result.unanswered);
    status = EXIT_FAILURE;
  }
  if (result.outcome == kolmaren::RunOutcome::no_input_file) {
    std::fprintf(stderr,
                 "kolmaren: %d input files in a row could not be opened; no analysis was run\n",
                 kolmaren::MAX_FAILED_ATTEMPTS);
    status = EXIT_FAILURE;
  }
  for (const kolmaren::AnswerLog::Missing& missing : log.missing_answers()) {
    std::fprintf(stderr, "kolmaren: input ended before %s; %s\n", missing.answer.c_str(),
                 missing.consequence.c_str());
    status = EXIT_FAILURE;
  }
  if (kolmaren::has_failed(files)) {
    const kolmaren::FileFailure& failure = files.first_failure;
    std::fprintf(stderr, "kolmaren: %s %s: %s\n", step_text(failure.step),
                 failure.file_name, std::strerror(failure.errno_value));
    if (result.outcome == kolmaren::RunOutcome::cannot_create)
      std::fprintf(stderr, "kolmaren: the run was stopped\n");
    status = EXIT_FAILURE;
  }
  return status;
}

// Tables of the run: fixed storage, set up once.
kolmaren::AnalysisContext context;
kolmaren::OutputFiles files;

}  // namespace

int main() {
  kolmaren::clear_context(context);
  kolmaren::FileSource in(stdin);
  kolmaren::FileSink out(stdout);
  kolmaren::Console console(in, out);
  kolmaren::AnswerLog log;
  const kolmaren::RunResult result =
      kolmaren::run_kolmaren(console, context, files, log, kolmaren::wait_for_exit_key);
  kolmaren::close_all(files);
  return report(result, files, log, out);
}
