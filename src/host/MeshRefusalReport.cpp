// Reads the refused mesh again and asks the LWO2 describer what is wrong with it.
#include "host/MeshRefusalReport.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "object3d/Lwo2Refusal.h"

namespace velmora {

namespace {

std::optional<std::string> meshRefusal(const std::string& path) {
    if (path.empty()) return std::string("the object box names no mesh file");
    std::ifstream in(path, std::ios::binary);
    if (!in) return path + ": cannot be opened: " + std::strerror(errno);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::optional<Lwo2Refusal> refusal = describeLwo2Refusal(bytes);
    if (!refusal) return std::nullopt;
    return explainLwo2Refusal(*refusal, path);
}

}  // namespace

void explainRefusedMesh(ShowError& error) {
    if (error.presentation != ErrorPresentation::StandardOutput || !error.reason.empty()) return;
    if (std::optional<std::string> reason = meshRefusal(error.file)) error.reason = std::move(*reason);
}

}  // namespace velmora
