// Writes the show's LWO2 meshes into a directory: cube.lwo, sphere.lwo,
// torus.lwo and knot.lwo (about 2000 triangles).
#include <cstdio>
#include <string>

#include "showkit/MeshShapes.h"
#include "object3d/Lwo2Writer.h"

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_meshes OUTDIR\n");
        return 1;
    }
    const std::string dir = argv[1];
    struct Named {
        const char* file;
        ShapeMesh mesh;
    };
    const Named meshes[] = {
        {"cube.lwo", makeCube(1.0f)},
        {"sphere.lwo", makeSphere(1.2f, 12, 24)},
        {"torus.lwo", makeTorus(1.0f, 0.4f, 32, 12)},
        {"knot.lwo", makeKnot(0.4f, 0.16f, 100, 10)},
    };
    for (const Named& named : meshes) {
        const std::string path = dir + "/" + named.file;
        if (!Lwo2Writer::save(path, Lwo2Writer::meshFile(named.mesh.points, named.mesh.triangles))) {
            std::fprintf(stderr, "make_meshes: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
