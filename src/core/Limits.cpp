// The limits' numbers at work, and the texts that explain them.
#include "core/Limits.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace velmora {

namespace {

constexpr uint64_t kSurfaceBytesPerPixel = 4;

std::string mib(uint64_t bytes) {
    // Whole MiB where it is one, a tenth otherwise ("0.5 MiB").
    if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    const uint64_t tenths = (bytes * 10 + kMiB / 2) / kMiB;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MiB";
}

std::string size(uint64_t width, uint64_t height) { return std::to_string(width) + "x" + std::to_string(height); }

}  // namespace

bool parseSurfaceBudgetMiB(std::string_view text, uint64_t& bytes) {
    if (text.empty() || text.size() > 8) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value == 0 || value > kMaxSurfaceBudgetMiB) return false;
    bytes = value * kMiB;
    return true;
}

uint64_t surfaceBudgetFromEnvironment() {
    uint64_t bytes = kDefaultSurfaceBudgetBytes;
    const char* text = std::getenv(kSurfaceBudgetVariable);
    if (text && !parseSurfaceBudgetMiB(text, bytes)) {
        // Told once a run: every show and reload asks again.
        static std::atomic<bool> told{false};
        if (!told.exchange(true))
            std::fprintf(stderr, "%s: expected a whole number of MiB from 1 to %llu, not \"%s\"; using %llu\n",
                         kSurfaceBudgetVariable, static_cast<unsigned long long>(kMaxSurfaceBudgetMiB), text,
                         static_cast<unsigned long long>(kDefaultSurfaceBudgetBytes / kMiB));
        bytes = kDefaultSurfaceBudgetBytes;
    }
    return bytes;
}

std::string SurfaceBudget::refusal(std::string_view file, uint64_t width, uint64_t height) const {
    const uint64_t bytes = width * height * kSurfaceBytesPerPixel;
    const uint64_t left = used_ < limit_ ? limit_ - used_ : 0;
    if (bytes <= left) return {};
    const std::string what = file.empty() ? "a " + size(width, height) + " surface takes "
                                          : std::string(file) + " declares " + size(width, height) + " pixels, ";
    return what + mib(bytes) + (file.empty() ? "" : " as a surface") + ", more than the " + mib(left) +
           " left of the " + mib(limit_) + " that all surfaces of a show may hold (" + kSurfaceBudgetVariable +
           " sets another budget, in MiB)";
}

void SurfaceBudget::take(uint64_t width, uint64_t height) { used_ += width * height * kSurfaceBytesPerPixel; }

std::string pictureRefusal(std::string_view file, uint64_t width, uint64_t height, const SurfaceBudget* budget) {
    // Both sides fit in 16 bits in a JPEG header: the product cannot overflow.
    if (width * height > kMaxPicturePixels)
        return std::string(file) + " declares " + size(width, height) + " pixels, more than the " +
               std::to_string(kMaxPicturePixels) + " (8192x8192) a picture may have";
    if (budget) return budget->refusal(file, width, height);
    return {};
}

std::string scanRefusal(std::string_view file) {
    return std::string(file) + " holds more than " + std::to_string(kMaxJpegScans) + " scans, more than the " +
           std::to_string(kMaxJpegScans) + " a progressive picture may have";
}

std::string scriptFileRefusal(std::string_view path, FileReadOutcome outcome) {
    const std::string name(path);
    switch (outcome) {
    case FileReadOutcome::Read: return {};
    case FileReadOutcome::CannotOpen: return name + " cannot be opened";
    case FileReadOutcome::Directory: return name + " is a directory, not a file";
    case FileReadOutcome::Device: return name + " is a device, not a file";
    case FileReadOutcome::Pipe: return name + " is a pipe, not a file";
    case FileReadOutcome::Socket: return name + " is a socket, not a file";
    case FileReadOutcome::TooLarge: return name + " is larger than the " + mib(kMaxScriptBytes) + " a script may have";
    }
    return {};
}

std::string cutNameWarning(std::string_view kind, std::string_view name) {
    return std::string(kind) + " name " + std::string(name.substr(0, 16)) + "... is longer than " +
           std::to_string(kMaxNameCharacters) + " characters and is cut to its first " +
           std::to_string(kMaxNameCharacters);
}

std::string nameCollisionWarning(std::string_view kind, std::string_view name, int firstLine) {
    return std::string(kind) + " name " + std::string(name.substr(0, 16)) + "... is the same as the " +
           std::string(kind) + " declared on line " + std::to_string(firstLine) + " once both are cut to " +
           std::to_string(kMaxNameCharacters) + " characters; the wiring reaches only that one";
}

std::string longParameterTextWarning() {
    return "parameter text longer than " + std::to_string(kMaxLineCharacters) +
           " characters: the rest of the line is read as further words of the section";
}

std::string longWiringLineWarning() {
    return "wiring line longer than " + std::to_string(kMaxLineCharacters) +
           " characters: the rest is read as the next line";
}

std::string longWiringWordWarning(std::string_view word) {
    return "word " + std::string(word.substr(0, 16)) + "... is longer than " + std::to_string(kMaxNameCharacters) +
           " characters and is read as its first " + std::to_string(kMaxNameCharacters);
}

std::string longListWarning() {
    return "more than " + std::to_string(kMaxListEntries) +
           " inputs or functions; the rest of the line is not read";
}

}  // namespace velmora
