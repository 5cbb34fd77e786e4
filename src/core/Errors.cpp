// Fatal and non-fatal error reporting.
#include "core/Errors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velmora {

namespace {
FatalErrorHandler fatalHandler = nullptr;
ErrorReportHandler reportHandler = nullptr;
bool recoverableLoads = false;

// Some messages carry their own line feed; standard error gets exactly one.
bool endsWithNewline(const char* message) {
    size_t n = std::strlen(message);
    return n > 0 && message[n - 1] == '\n';
}
}  // namespace

void setFatalErrorHandler(FatalErrorHandler handler) { fatalHandler = handler; }
void setErrorReportHandler(ErrorReportHandler handler) { reportHandler = handler; }
FatalErrorHandler fatalErrorHandler() { return fatalHandler; }
ErrorReportHandler errorReportHandler() { return reportHandler; }

void setLoadFailuresRecoverable(bool recoverable) { recoverableLoads = recoverable; }
bool loadFailuresRecoverable() { return recoverableLoads; }

void fatalError(const char* message) {
    if (fatalHandler) {
        fatalHandler(message);  // may throw; shows its own message
    } else {
        std::fprintf(stderr, "FATAL ERROR: %s%s", message, endsWithNewline(message) ? "" : "\n");
        std::fflush(stderr);
    }
    std::exit(9999);
}

void reportError(const char* message) {
    if (reportHandler) {
        reportHandler(message);
        return;
    }
    std::fprintf(stderr, "Erreur!!!!: %s%s", message, endsWithNewline(message) ? "" : "\n");
    std::fflush(stderr);
}

}  // namespace velmora
