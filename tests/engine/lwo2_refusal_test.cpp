// Why the loader refuses a file: one table of unsupported and damaged files, each
// with its explanation, and the loader refusing exactly those.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "object3d/Lwo2Loader.h"
#include "object3d/Lwo2Refusal.h"
#include "object3d/Lwo2Writer.h"
#include "core/Error.h"

namespace velmora {
namespace {

using Bytes = std::vector<uint8_t>;

const Float3 kPoints[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
const MeshTriangle kTriangles[] = {{{0, 1, 2}}, {{3, 2, 1}}};

// True when the loader refuses `file`.
bool loaderRefuses(const Bytes& file) {
    try {
        parseLwo2(file, "m.lwo");
    } catch (const ShowError&) {
        return true;
    }
    return false;
}

Bytes withPolygons(std::initializer_list<uint8_t> body) {
    const Bytes list(body);
    Lwo2Writer writer;
    writer.points(kPoints).chunk("POLS", list);
    return writer.bytes();
}

// Two layers as LightWave writes them: the loader ends with the second
// layer's lists, which replace the first's.
Bytes twoLayers(std::span<const MeshTriangle> second) {
    const Float3 few[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    Lwo2Writer writer;
    writer.layer(0).points(kPoints).boundingBox(kPoints).polygons(kTriangles);
    writer.layer(1).points(few).boundingBox(few).polygons(second);
    return writer.bytes();
}

struct Case {
    const char* name;
    Bytes file;
    const char* explanation;  // empty: the loader reads the file
};

TEST(Lwo2Refusal, EveryRefusalIsExplainedAndOnlyRefusals) {
    const Bytes good = Lwo2Writer::meshFile(kPoints, kTriangles);
    Bytes lwob = good;
    lwob[11] = 'B';
    Bytes notForm = good;
    notForm[0] = 'X';
    const MeshTriangle far[] = {{{0, 1, 0xFF00}}};
    const MeshTriangle inFew[] = {{{0, 1, 2}}};
    const MeshTriangle pastFew[] = {{{0, 1, 3}}};
    const MeshTriangle outside[] = {{{0, 1, 7}}};
    const std::string hint = ": convert it with `velmora mesh m.lwo -o m.lwo`";
    const std::string quad = "m.lwo: polygon 1 has 4 corners; the object box reads triangles only" + hint;
    // Not LWO2: converted beside itself, never over itself.
    const std::string type = "m.lwo: an IFF FORM of type LWOB, not LWO2; the object box reads LWO2 triangle meshes "
                             "only: convert it with `velmora mesh m.lwo -o m_lwo2.lwo` and name that in the script";
    const std::string layers = "m.lwo: holds 2 layers; the object box reads one point list and one polygon list" + hint +
                               " (all layers joined)";
    const Case cases[] = {
        {"the usual layout", good, ""},
        {"a quad after a triangle", withPolygons({'F', 'A', 'C', 'E', 0, 3, 0, 0, 0, 1, 0, 2, 0, 4, 0, 0, 0, 1, 0, 2, 0, 3}),
         quad.c_str()},
        // Read 8 bytes a polygon, two quads run past the end; their own length does not.
        {"two quads, the list last", withPolygons({'F', 'A', 'C', 'E', 0, 4, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 3, 0, 2, 0, 1, 0, 0}),
         "m.lwo: polygon 0 has 4 corners; the object box reads triangles only"},
        {"a flagged triangle", withPolygons({'F', 'A', 'C', 'E', 0x04, 0x03, 0, 0, 0, 1, 0, 2}),
         "m.lwo: polygon 0 has the flag bits 0x0400 in its corner count"},
        {"a four-byte index", Lwo2Writer::meshFile(kPoints, far),
         "m.lwo: polygon 0 uses the four-byte point index of meshes with 65280 points or more"},
        {"two layers, the last one whole", twoLayers(inFew), ""},
        {"two layers, the last one naming the first's points", twoLayers(pastFew), layers.c_str()},
        {"one layer, a point past the list", Lwo2Writer::meshFile(kPoints, outside),
         "m.lwo: damaged: polygon 0 names point 7, but the point list holds 4"},
        {"an LWOB file", lwob, type.c_str()},
        {"no FORM", notForm, "m.lwo: not an LWO2 object (no IFF FORM header)"},
        {"eleven bytes", Bytes(good.begin(), good.begin() + 11), "m.lwo: only 11 bytes, too short for an LWO2 object"},
        {"a FORM past the end", Bytes(good.begin(), good.end() - 2), "m.lwo: damaged: the FORM size runs past the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto refusal = describeLwo2Refusal(c.file);
        EXPECT_EQ(loaderRefuses(c.file), refusal.has_value());
        const std::string explanation = refusal ? explainLwo2Refusal(*refusal, "m.lwo") : "";
        EXPECT_EQ(explanation.substr(0, std::string(c.explanation).size()), c.explanation);
        EXPECT_EQ(explanation.empty(), std::string(c.explanation).empty()) << explanation;
    }
    const auto obj = describeLwo2Refusal(notForm);
    ASSERT_TRUE(obj);
    const std::string objHint = explainLwo2Refusal(*obj, "data/x.obj");
    EXPECT_NE(objHint.find("`velmora mesh data/x.obj -o data/x.lwo`"), std::string::npos) << objHint;
}

}  // namespace
}  // namespace velmora
