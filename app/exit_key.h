#pragma once

namespace kolmaren {

// Waits for one key press on a terminal, read without echo and without
// Enter; the terminal's settings are restored afterwards. Without a terminal
// on standard input (a pipe, a script) it returns at once.
void wait_for_exit_key();

}  // namespace kolmaren
