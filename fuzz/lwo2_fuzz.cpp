// Fuzz target: a mesh file loaded by the object box and drawn in each mode.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "object3d/BoxObjet3D.h"

using namespace velmora;

namespace {

class Fixed : public Function {
public:
    explicit Fixed(float v) : v_(v) {}
    float value() const override { return v_; }

private:
    float v_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepareScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz::inputFile(data, size);
    Surface frame, texture;
    frame.allocate(512, 256);
    frame.clear();
    texture.allocate(256, 256);
    for (size_t i = 0; i < texture.pixelCount(); ++i) texture.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    Fixed eyeX(300.0f), eyeY(-120.0f), eyeZ(260.0f), zero(0.0f), on(1.0f);
    Function* functions[] = {&eyeX, &eyeY, &eyeZ, &zero, &zero, &zero, &on, &on};
    Surface* inputs[] = {&texture};
    for (int mode = 0; mode < 3; ++mode) {
        try {
            BoxObjet3D box;
            fuzz::SilentReporter reporter;
            box.configure((std::string(path) + " " + std::to_string(mode)).c_str(), reporter);
            box.render(frame, functions, inputs);
        } catch (const ShowError&) {
            return 0;  // refused, as the loader refuses damaged files
        }
    }
    return 0;
}
