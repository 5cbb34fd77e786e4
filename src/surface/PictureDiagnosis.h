// Why a picture file was not read, in words a show's author can act on: the
// loaders only say that it failed.
#pragma once

#include <string>

namespace velmora {

// Looks at the file itself: missing (with the working directory), a folder,
// empty, another picture format (GIF, BMP) than the JPEG and PNG read, neither
// at all, a PNG that did not decode, or a JPEG cut short. For a JPEG that looks
// whole: "the JPEG could not be decoded".
std::string diagnosePicture(const char* path);

// The reason for a decoded JPEG whose channels the loader does not read.
std::string describeJpegChannels(int components);

}  // namespace velmora
