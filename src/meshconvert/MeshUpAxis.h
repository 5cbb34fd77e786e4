// `mesh --up`: which axis of the input mesh points up on screen. The object box
// shows its -y up, so a mesh modelled with y up comes out upside down unless
// it is turned.
#pragma once

#include <optional>
#include <string_view>

#include "object3d/Mesh.h"

namespace velmora {

enum class UpAxis { PlusY, PlusZ, MinusY, MinusZ };

// "y", "z", "-y" or "-z"; nothing for any other text.
std::optional<UpAxis> parseUpAxis(std::string_view text);
const char* upAxisName(UpAxis axis);

// Turns a mesh as the reader gives it (LightWave's axes: the input's z
// negated, corners reversed) so that the input's `up` points up on screen: a
// rotation of the input, never a mirror image, its faces still facing out.
void turnUp(Mesh& mesh, UpAxis up);

}  // namespace velmora
