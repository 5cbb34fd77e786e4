// Ctrl-C and termination during a long command: the signal only sets a flag,
// and the command's loop checks it, cleans up and ends with 128 + the signal.
#pragma once

namespace velmora {

// Installs handlers for SIGINT, SIGTERM and SIGHUP that note the signal, and
// ignores SIGPIPE.
void catchInterruptions();
// The signal that arrived since catchInterruptions, or 0.
int interruptionSignal();
// The customary exit status after that signal: 128 + its number (130 for Ctrl-C).
int interruptionExitStatus();

}  // namespace velmora
