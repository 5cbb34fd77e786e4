// The box type table: type word to object, with what each type reads. It lives
// above both the boxes and the object box so that it can make either.
#include "script/BoxTypes.h"

#include "boxes/Deformation.h"
#include "boxes/DirectionalBlur.h"
#include "boxes/Particules.h"
#include "boxes/RadialBlur.h"
#include "boxes/RayCastGrid.h"
#include "boxes/SimpleBoxes.h"
#include "boxes/SpriteBoxes.h"
#include "boxes/VoxelTunnel.h"
#include "core/FrameGeometry.h"
#include "object3d/BoxObjet3D.h"

namespace velmora {

namespace {

template <class T>
std::unique_ptr<FxBox> make(ShowState&) {
    return std::make_unique<T>();
}

std::unique_ptr<FxBox> makeParticules(ShowState& show) { return std::make_unique<BoxParticules>(show.random); }
std::unique_ptr<FxBox> makeFDBoule(ShowState& show) { return std::make_unique<BoxFDBoule>(show.sphereCamera); }
std::unique_ptr<FxBox> makeFDVoxel(ShowState& show) { return std::make_unique<BoxFDVoxel>(show.reliefCamera); }
std::unique_ptr<FxBox> makeObjet3D(ShowState& show) { return std::make_unique<BoxObjet3D>(show.objectDirection); }

constexpr SurfaceNeed kAny{};
constexpr SurfaceNeed kFrame{SurfaceNeed::Exact, kFrameWidth, kFrameHeight};
constexpr SurfaceNeed kTexture{SurfaceNeed::Exact, 256, 256};
constexpr SurfaceNeed kMap{SurfaceNeed::MinPixels, 512, 512};
constexpr SurfaceNeed kEnvironment{SurfaceNeed::MinPixels, 256, 256};

const BoxType kBoxTypes[] = {
    {"ZYL_BoxClearSurface", make<BoxClearSurface>, 2, 0, kAny, kAny},
    {"ZYL_BoxCopier", make<BoxCopier>, 2, 1, kAny, kAny},
    {"ZYL_BoxInverseVideo", make<BoxInverseVideo>, 2, 0, kAny, kAny},
    {"ZYL_BoxFader", make<BoxFader>, 3, 0, kAny, kAny},
    {"ZYL_BoxZoomer", make<BoxZoomer>, 0, 0, kAny, kAny},
    {"ZYL_BoxSprite", make<BoxSprite>, 5, 1, kAny, kAny},
    {"ZYL_BoxAnimator", make<BoxAnimator>, 6, 1, kAny, kAny},
    {"ZYL_BoxXBlur", make<BoxXBlur>, 3, 0, kFrame, kAny},
    {"ZYL_BoxYBlur", make<BoxYBlur>, 3, 0, kFrame, kAny},
    {"ZYL_BoxRadialBlur", make<BoxRadialBlur>, 4, 0, kFrame, kAny},
    {"ZYL_BoxDeformation", make<BoxDeformation>, 5, 1, kFrame, kFrame},
    {"ZYL_BoxFDTunnel", make<BoxFDTunnel>, 3, 0, kAny, kAny},
    {"ZYL_BoxFDBoule", makeFDBoule, 3, 1, kFrame, kTexture},
    {"ZYL_BoxFDVoxel", makeFDVoxel, 3, 1, kFrame, kTexture},
    {"ZYL_BoxParticules", makeParticules, 4, 1, kAny, kAny},
    {"ZYL_BoxVoxelTunnel", make<BoxVoxelTunnel>, 3, 1, kFrame, kMap},
    // The environment map is read in the textured mode only.
    {"ZYL_BoxObjet3D", makeObjet3D, 8, 0, kFrame, kEnvironment},
};

}  // namespace

std::span<const BoxType> boxTypes() { return kBoxTypes; }

const BoxType* findBoxType(std::string_view word) {
    for (const BoxType& type : kBoxTypes)
        if (word == type.word) return &type;
    return nullptr;
}

std::unique_ptr<FxBox> createBox(std::string_view word, ShowState& show) {
    const BoxType* type = findBoxType(word);
    return type ? type->create(show) : nullptr;
}

}  // namespace velmora
