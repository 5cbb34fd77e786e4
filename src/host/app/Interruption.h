// Ctrl-C and termination during a long command: the signal only sets a flag,
// and the command's loop checks it, cleans up and ends with 128 + the signal.
#pragma once

#include <csignal>

#include "core/StopCheck.h"

namespace velmora {

// Installs handlers for SIGINT, SIGTERM and SIGHUP that note the signal, and
// ignores SIGPIPE.
void catchInterruptions();
// The signal that arrived since catchInterruptions, or 0.
int interruptionSignal();
// The customary exit status after that signal: 128 + its number (130 for Ctrl-C).
int interruptionExitStatus();
// A check for loaders: true once one of those signals arrived.
StopCheck interruptionStopCheck();

// The handlers of catchInterruptions for as long as it lives; the ones before
// (a display library's own) are put back after. For a load inside a host that
// handles these signals its own way between frames.
class InterruptionsCaught {
public:
    InterruptionsCaught();
    ~InterruptionsCaught();
    InterruptionsCaught(const InterruptionsCaught&) = delete;
    InterruptionsCaught& operator=(const InterruptionsCaught&) = delete;

private:
    struct sigaction saved_[3] {};
};

}  // namespace velmora
