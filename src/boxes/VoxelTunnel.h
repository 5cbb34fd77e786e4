// Voxel tunnel box: a height-mapped wall ray-marched column by column into a polar
// work image, then mapped onto the 512 by 256 screen around its centre.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boxes/FxBox.h"

namespace velmora {

class BoxVoxelTunnel : public FxBox {
public:
    static constexpr int kPolarPixels = 512 * 256;
    static constexpr int kMapPixels = 512 * 512;
    // The polar image (256 rows of 512 angles) is kept as 32 strips of sixteen
    // angles, each strip 256 rows of 16 pixels in a row: the march walks a
    // strip's rows 64 bytes apart instead of 2 KB (rows 2 KB apart share a
    // few sets of the first-level cache), and the screen mapping, whose
    // neighbouring pixels are near in angle and depth alike, reads few lines.
    static constexpr int kStripColumns = 16;
    static constexpr int polarIndex(int row, int column) {
        return (column / kStripColumns) * (256 * kStripColumns) + row * kStripColumns + column % kStripColumns;
    }

    // "%255s": the height-map file; a file that cannot be used is fatal.
    using FxBox::configure;
    void configure(const char* text, ErrorReporter& reporter) override;
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;

    // Reads a 512 by 512 grey-level JPEG into kMapPixels bytes; 0 ok, 1 refused.
    // 0 when read; 1 when missing or refused (`reason`, when given, says why).
    static int loadHeightMap(const char* fileName, uint8_t* destination, std::string* reason = nullptr);
    // screenToPolar (polarIndex of each screen pixel's depth and angle),
    // depthRow, and polarImage filled with 0xFFFFFFFF.
    void buildTables();
    // True once the map and the tables have their sizes; until then nothing is drawn.
    bool ready() const;
    // One frame into polarImage; colour holds kMapPixels pixels. Takes the
    // vector path where the processor has one, else the plain loops; the work
    // is split between `workers` when given.
    void marchColumns(float t, const uint32_t* colour, double fb, double fa, WorkerPool* workers = nullptr);
    // out[k] = polarImage[screenToPolar[k]] for the kPolarPixels output
    // pixels, in bands of rows between `workers` when given.
    void remapToScreen(uint32_t* out, WorkerPool* workers = nullptr) const;
    // The plain column-by-column loops: the reference for the vector path.
    void marchColumnsPlain(float t, const uint32_t* colour, double fb, double fa, WorkerPool* workers = nullptr);

    int8_t bend[256] = {};
    std::vector<uint32_t> polarImage;
    std::vector<uint8_t> heightMap;
    std::vector<int32_t> screenToPolar;
    std::vector<int32_t> depthRow;
};

}  // namespace velmora
