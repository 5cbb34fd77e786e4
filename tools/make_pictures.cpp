// make_pictures OUTDIR: writes every picture of the default show as a JPEG
// file into OUTDIR (created if missing). The artwork is generated, not stored.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "showkit/DemoPictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "make_pictures: cannot create %s: %s\n", dir.string().c_str(), ec.message().c_str());
        return 1;
    }
    for (const velmora::DemoPicture& entry : velmora::kDemoPictures) {
        const std::string path = (dir / entry.fileName).string();
        if (!velmora::writePicture(path, entry.make())) {
            std::fprintf(stderr, "make_pictures: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
