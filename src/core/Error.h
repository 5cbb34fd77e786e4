// ShowError: the one error that stops a load or a show. It carries what
// happened and how the host presents it; the engine raises it and never ends
// the process. The host presents it once at the top (the show, the commands'
// main, the page); a load that must go on past it (the checker, live reload,
// the fuzz targets) catches it there.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace velmora {

enum class ErrorPresentation {
    // "FATAL ERROR: <message>" on standard error and in a message box; status 9999.
    FatalBox,
    // The mesh loader's own text on standard output, exactly as it stands; status 1, 2 or 3.
    StandardOutput,
    // The message as it stands and a line feed on standard error, with no box:
    // libjpeg's lines (its warnings, then its error) as its standard error
    // manager prints them, or the show's line on a display it cannot reach; status 1.
    StandardError,
};

struct ShowError : std::exception {
    ShowError(ErrorPresentation presentation, int exitStatus, std::string message, std::string file = {});
    const char* what() const noexcept override { return message.c_str(); }

    std::string message;  // the text exactly as the show reports it (may end in a line feed)
    int exitStatus = 9999;
    ErrorPresentation presentation = ErrorPresentation::FatalBox;
    std::string file;     // the file being read, when any
    int scriptLine = 0;   // 1-based line of the script declaration or wiring line, when known
    std::string reason;   // English: why, in words a show's author can act on; empty when none
    std::string script;   // the script that scriptLine counts in, once known
    // What `check` and live reload report instead of `message` when the two
    // differ: a library's text is shown by the show, the step's own message by
    // the checker (a damaged picture: "ERREUR A LA LECTURE D'UNE SURFACE").
    std::string checkMessage;
};

// The one routine for an error that stops the show: raises
// ShowError{FatalBox, 9999, message}.
[[noreturn]] void fatalError(std::string_view message);
// The same with the English reason and the file it concerns.
[[noreturn]] void fatalError(std::string_view message, std::string reason, std::string file = {});

// The English line that follows the original text: "SCRIPT:LINE: FILE: reason",
// each part left out when unknown ("velmora: reason" when none is known);
// empty when the error has no reason.
std::string explainShowError(const ShowError& error);

}  // namespace velmora
