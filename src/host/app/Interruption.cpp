// Interruption: a flag set from the signal handler, nothing more (only
// async-signal-safe work may happen there).
#include "host/app/Interruption.h"

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
    sigaction(SIGHUP, &action, nullptr);  // the terminal closed: end as cleanly as for SIGTERM
    // A reader that went away makes a write fail with EPIPE, told and cleaned
    // up like any other failed write, instead of killing the process mid-file.
    std::signal(SIGPIPE, SIG_IGN);
}

int interruptionSignal() { return caughtSignal; }

int interruptionExitStatus() { return 128 + caughtSignal; }

StopCheck interruptionStopCheck() {
    return [] { return caughtSignal != 0; };
}

namespace {
constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP};
}

InterruptionsCaught::InterruptionsCaught() {
    for (int i = 0; i < 3; ++i) sigaction(kCaught[i], nullptr, &saved_[i]);
    catchInterruptions();
}

InterruptionsCaught::~InterruptionsCaught() {
    for (int i = 0; i < 3; ++i) sigaction(kCaught[i], &saved_[i], nullptr);
}

}  // namespace velmora
