// Interruption: a flag set from the signal handler, nothing more (only
// async-signal-safe work may happen there).
#include "host/Interruption.h"

#include <csignal>

namespace velmora {

namespace {
volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void noteSignal(int signal) { caughtSignal = signal; }
}  // namespace

void catchInterruptions() {
    caughtSignal = 0;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;  // file writes in progress simply go on
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int interruptionSignal() { return caughtSignal; }

int interruptionExitStatus() { return 128 + caughtSignal; }

}  // namespace velmora
