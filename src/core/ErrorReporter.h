// Where a rejected parameter text is reported ("Erreur!!!!"): loading goes on
// after it. The caller of a load chooses: the show prints and shows a box, the
// checker records a problem, live reload prints, the fuzz targets drop it.
#pragma once

#include <string_view>

namespace velmora {

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void report(std::string_view message) = 0;
};

// Writes "Erreur!!!!: <message>" and one line feed on standard error.
ErrorReporter& standardErrorReporter();

}  // namespace velmora
