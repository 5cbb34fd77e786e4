// Reads LightWave LWO2 object files into a Mesh: the point list and the
// triangle list, every other chunk skipped. Damaged files end the process.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "object3d/Mesh.h"

namespace velmora {

// The one way out of the loader on failure: ends the process with `status`
// (1 damaged content or no memory, 2 cannot open, 3 short read). When load
// failures are recoverable (`check`, and always in a VELMORA_FUZZ build) it
// raises a fatal error instead, whose installed handler throws.
[[noreturn]] void endLwo2Load(int status);

// All bytes of the file; prints a message on standard output and ends the
// process when it cannot be opened (2), held (1) or read whole (3).
std::vector<uint8_t> loadWholeFile(const char* path);

// Walks the FORM/LWO2 chunks of an in-memory file; `path` names it in messages.
// Fills points and triangles only (normals are computed separately).
Mesh parseLwo2(std::span<const uint8_t> file, const char* path);

// loadWholeFile followed by parseLwo2.
Mesh loadLwo2(const char* path);

// Diagnostic lines of the walk on standard error; off unless switched on.
void setLwo2Trace(bool on);

}  // namespace velmora
