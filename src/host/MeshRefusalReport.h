// Explains, with the script line, why the object box will refuse a mesh: the
// loader ends the process with a bare status, so the reason goes out first.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct RefusedMesh {
    int line = 0;        // of the ZYL_BoxObjet3D declaration, from 1
    std::string reason;  // "FILE: polygon 12 has 4 corners; ..."
};

// The first object box of the script text, in loading order, whose mesh file
// (read relative to the working directory) the loader would refuse.
std::optional<RefusedMesh> findRefusedMesh(std::string_view scriptText);

// Reads the script and prints that refusal, if any, as "SCRIPT:LINE: reason" on
// standard error. Changes nothing else: the load that follows ends as before.
void reportRefusedMesh(const char* scriptPath);

}  // namespace velmora
