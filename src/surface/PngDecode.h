// PNG pictures through libpng, decoded into the same samples as a JPEG (1 grey
// or 3 R, G, B bytes a pixel), and the choice between the two by the file's
// first bytes.
#pragma once

#include <string>

#include "surface/JpegDecode.h"

namespace velmora {

// True when the file starts with the PNG signature.
bool isPngFile(const char* path);

// Grey, grey with alpha, RGB, RGBA and palette PNGs of any bit depth: 16-bit
// samples scaled to 8, palettes expanded to RGB, alpha dropped (the compositing
// has none), and so is the transparency of a tRNS chunk. 0 on success; 1 when
// the file cannot be opened or is not a regular file, is over the limits (seen
// from the header, as for a JPEG) or is damaged, `refusal` saying why.
// `stop` is asked after every row: LoadInterrupted when it says so.
int decodePngFile(const char* path, DecodedJpeg& out, const SurfaceBudget* budget = nullptr,
                  std::string* refusal = nullptr, const StopCheck* stop = nullptr);

// decodePngFile for a PNG, else decodeJpegFile.
int decodePictureFile(const char* path, DecodedJpeg& out, const SurfaceBudget* budget = nullptr,
                      std::string* refusal = nullptr, const StopCheck* stop = nullptr);

}  // namespace velmora
