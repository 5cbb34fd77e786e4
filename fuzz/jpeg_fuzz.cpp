// Fuzz target: a picture read as a surface and as a voxel tunnel height map.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "boxes/VoxelTunnel.h"
#include "surface/Surface.h"

using namespace velmora;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepareScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz::inputFile(data, size);
    try {
        Surface surface;
        surface.configure(std::string(" \"") + path + "\"");
    } catch (const ShowError&) {
    }
    try {
        BoxVoxelTunnel tunnel;
        fuzz::SilentReporter reporter;
        tunnel.configure((std::string(" ") + path).c_str(), reporter);
    } catch (const ShowError&) {
    }
    return 0;
}
