// Finds the object boxes in the box section the way loading reads declarations
// (type word, name, rest of the line) and asks the LWO2 describer about each mesh.
#include "host/MeshRefusalReport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "object3d/Lwo2Refusal.h"
#include "script/DemoGraph.h"
#include "script/ScriptReader.h"

namespace velmora {

namespace {

constexpr std::string_view kObjectBoxWord = "ZYL_BoxObjet3D";
constexpr size_t kMeshNameLength = 255;  // the box scans its file name with "%255s"

std::optional<std::string> meshRefusal(const std::string& path) {
    if (path.empty()) return std::string("the object box names no mesh file");
    std::ifstream in(path, std::ios::binary);
    if (!in) return path + ": cannot be opened: " + std::strerror(errno);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::optional<Lwo2Refusal> refusal = describeLwo2Refusal(bytes);
    if (!refusal) return std::nullopt;
    return explainLwo2Refusal(*refusal, path);
}

// The first whitespace-free word of the parameter text, cut as the box cuts it.
std::string meshName(std::string_view parameters) {
    ScriptReader reader(parameters);
    return std::string(reader.readWord().substr(0, kMeshNameLength));
}

int lineAt(std::string_view text, size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

}  // namespace

std::optional<RefusedMesh> findRefusedMesh(std::string_view scriptText) {
    ScriptReader reader(scriptText);
    for (std::string_view w = reader.readWord(); w != kBoxSectionOpen; w = reader.readWord())
        if (w.empty()) return std::nullopt;
    for (;;) {
        const std::string_view word = reader.readWord();
        if (word.empty() || word == kBoxSectionEnd) return std::nullopt;
        if (word.substr(0, 4) != "ZYL_") continue;
        const size_t offset = static_cast<size_t>(word.data() - scriptText.data());
        reader.readWord();  // the box's name
        const std::string_view parameters = reader.readLine();
        if (word != kObjectBoxWord) continue;
        if (std::optional<std::string> reason = meshRefusal(meshName(parameters)))
            return RefusedMesh{lineAt(scriptText, offset), std::move(*reason)};
    }
}

void reportRefusedMesh(const char* scriptPath) {
    std::ifstream in(scriptPath, std::ios::binary);
    if (!in) return;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (const std::optional<RefusedMesh> refused = findRefusedMesh(text)) {
        std::fprintf(stderr, "%s:%d: %s\n", scriptPath, refused->line, refused->reason.c_str());
        std::fflush(stderr);
    }
}

}  // namespace velmora
