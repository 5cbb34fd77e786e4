// The importer run where it cannot take the program with it: a child process
// with a memory limit, a processor-time limit and a wall-clock limit, which
// hands the scene back through a pipe. A crash, a runaway allocation or a
// hang inside the importer becomes one line naming what happened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "meshconvert/SceneReader.h"

namespace velmora {

struct ImportLimits {
    uint64_t memoryMiB = 2048;  // address space of the importing process
    int seconds = 60;           // processor time, and time on the clock
};

std::optional<SceneRead> readSceneContained(const std::string& path, const ImportLimits& limits, std::string& error);

// The scene as bytes and back (the pipe's format; the same program on both
// ends). Decoding checks every length against the bytes present.
std::vector<uint8_t> encodeScene(const SceneRead& scene);
std::optional<SceneRead> decodeScene(const std::vector<uint8_t>& bytes);

}  // namespace velmora
