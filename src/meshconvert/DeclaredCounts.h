// Counts a mesh file declares in its header, weighed against the bytes that
// follow, before the importer sees the file: a 236-byte PLY that claims a
// billion vertices is refused at once instead of being allocated for.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velmora {

// How many bytes of the file's start the check reads.
inline constexpr size_t kDeclaredHeaderBytes = 65536;

// Why the file, whose first bytes are `head` and whose size is `fileSize`,
// cannot hold what its header declares (PLY element counts, a GLB's lengths);
// nothing when it can, or when the format declares no counts.
std::optional<std::string> declaredCountProblem(std::span<const uint8_t> head, uint64_t fileSize);

}  // namespace velmora
