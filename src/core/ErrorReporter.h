// Where a rejected parameter text is reported ("Erreur!!!!"): loading goes on
// after it. The caller of a load chooses: the show prints and shows a box,
// render prints, the checker (and live reload through it) records a warning,
// the fuzz targets drop it.
#pragma once

#include <string_view>

namespace velmora {

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    // `message` is the show's own text; `reason` the English detail that says
    // why and what would be accepted (empty when there is none).
    virtual void report(std::string_view message, std::string_view reason = {}) = 0;
};

// Writes "Erreur!!!!: <message>" and one line feed on standard error, then the
// reason, when there is one, on a line of its own.
ErrorReporter& standardErrorReporter();

}  // namespace velmora
