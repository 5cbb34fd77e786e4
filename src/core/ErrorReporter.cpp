// The reporter that writes to standard error.
#include "core/ErrorReporter.h"

#include <cstdio>

#include "core/Text.h"

namespace velmora {

namespace {

class StandardErrorReporter : public ErrorReporter {
public:
    void report(std::string_view message, std::string_view reason) override {
        const std::string_view line = withoutTrailingNewlines(message);
        std::fprintf(stderr, "Erreur!!!!: %.*s\n", static_cast<int>(line.size()), line.data());
        if (!reason.empty()) std::fprintf(stderr, "%.*s\n", static_cast<int>(reason.size()), reason.data());
        std::fflush(stderr);
    }
};

}  // namespace

ErrorReporter& standardErrorReporter() {
    static StandardErrorReporter reporter;
    return reporter;
}

}  // namespace velmora
