// Explains, with the script line, why the object box refused a mesh: the
// loader's own text is terse (often empty), so the host adds the reason.
#pragma once

#include "core/Error.h"

namespace velmora {

// For a mesh the loader refused (a StandardOutput error naming its file), sets
// the error's reason to "MESH: polygon 12 has 4 corners; ..."; the show prints
// it after the script line. Leaves every other error as it is.
void explainRefusedMesh(ShowError& error);

}  // namespace velmora
