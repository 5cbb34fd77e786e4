// `velmora mesh`: converts a mesh from a common 3D format into the LWO2
// triangle subset the object box reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/CommandOutcome.h"
#include "meshconvert/MeshUpAxis.h"

namespace velmora {

struct MeshOptions {
    std::string input;
    std::string output;               // -o FILE
    std::optional<double> fitRadius;  // --fit R: the bounding sphere's radius becomes R
    bool centre = false;              // --centre: the bounding box's middle goes to the origin
    bool flip = false;                // --flip: every triangle turned round
    int layer = 0;                    // --layer N, counted from 1; 0 joins every layer
    bool merge = false;               // --merge: every layer joined, said outright
    uint64_t memoryLimitMiB = 0;      // --memory-limit MIB for the importer; 0 for the default
    std::optional<UpAxis> up;         // --up: the input's axis that points up on screen
};

// Converts as the options say, printing what it did on standard output; a
// failure (an output name without .lwo too) is the outcome, about the file it
// concerns. An existing output is replaced only once the whole new file is
// written, and never when it is the input (unless that is LWO2 already: a
// quad mesh converted in place).
CommandOutcome runMesh(const MeshOptions& options);

}  // namespace velmora
