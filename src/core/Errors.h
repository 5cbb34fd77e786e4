// The two ways the show reports trouble: fatalError stops the process,
// reportError shows a non-fatal "Erreur!!!!" message and loading goes on.
#pragma once

namespace velmora {

using FatalErrorHandler = void (*)(const char* message);
using ErrorReportHandler = void (*)(const char* message);

// Writes "FATAL ERROR: <message>" to standard error (and shows it through the
// installed handler), then ends the process through exit(9999).
[[noreturn]] void fatalError(const char* message);

// Writes "Erreur!!!!: <message>" to standard error and shows it through the
// installed handler.
void reportError(const char* message);

// The host installs handlers that also show message boxes. A fatal handler may
// also leave by throwing (the fuzz harness and `check` do); if it returns,
// fatalError exits.
void setFatalErrorHandler(FatalErrorHandler handler);
void setErrorReportHandler(ErrorReportHandler handler);
FatalErrorHandler fatalErrorHandler();
ErrorReportHandler errorReportHandler();

// The JPEG decoder and the mesh loader end the process on a damaged file. For
// `check` and the fuzz harness they report through fatalError instead (whose
// handler then throws), so that one bad file does not end the whole run.
void setLoadFailuresRecoverable(bool recoverable);
bool loadFailuresRecoverable();

}  // namespace velmora
