// Reads LightWave LWO2 object files into a Mesh: the point list and the
// triangle list, every other chunk skipped. A damaged file raises ShowError.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "object3d/Mesh.h"

namespace velmora {

// The one way out of the loader on failure: raises
// ShowError{StandardOutput, status, message, path} (1 damaged content or no
// memory, 2 cannot open, 3 short read). The host prints the message on
// standard output as it stands and exits with the status; `check` reports
// "fichier LWO2 refuse (code N)".
[[noreturn]] void refuseLwo2(int status, std::string message, const char* path);

// All bytes of the file; refused when it cannot be opened (2), held (1) or read whole (3).
std::vector<uint8_t> loadWholeFile(const char* path);

// Walks the FORM/LWO2 chunks of an in-memory file; `path` names it in messages.
// Fills points and triangles only (normals are computed separately).
Mesh parseLwo2(std::span<const uint8_t> file, const char* path);

// loadWholeFile followed by parseLwo2.
Mesh loadLwo2(const char* path);

// Diagnostic lines of the walk on standard error; off unless switched on.
void setLwo2Trace(bool on);

}  // namespace velmora
