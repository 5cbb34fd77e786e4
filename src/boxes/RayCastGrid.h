// Ray-cast grid boxes: a camera flying inside a sphere (FDBoule) or between two bumpy
// planes (FDVoxel), one ray per grid node, drawn as interpolated 8 by 8 blocks.
#pragma once

#include <cstdint>

#include "boxes/FxBox.h"
#include "boxes/NodeGrid.h"

namespace velmora {

// The camera basis of one drawing type, shared by the boxes of that type in a
// show; it carries values from frame to frame only when the view direction
// leaves the basis undefined.
struct CameraRecord {
    float D[3] = {0.0f, 0.0f, 0.0f};
    float P[3] = {0.0f, 0.0f, 0.0f};
    float Q[2] = {0.0f, 0.0f};  // third component always 0
    double angleRef[2] = {0.0, 0.0};
};

// Where a camera path puts the camera at time tau: position, view direction, roll.
struct CameraPath {
    double C[3];
    float D[3];
    double roll;
};
CameraPath bouleCameraPath(float tau);
CameraPath voxelCameraPath(float tau);

// The frame's axes: forward F = 256 D, column axis X, row axis W.
struct CameraAxes {
    double F[3];
    double X[3];
    double W[3];
};
// Brings the record up to date with the view direction D and derives the axes.
CameraAxes updateCameraBasis(CameraRecord& record, const float D[3], double roll);

// Unit ray through node (j, i); x and y are stored as floats.
struct NodeRay {
    float x;
    float y;
    double z;
};
NodeRay nodeRay(const CameraAxes& axes, int j, int i);

struct NodeValue {
    int32_t u;
    int32_t v;
    int32_t light;
};
NodeValue bouleNodeValue(const NodeRay& d, const double C[3]);
NodeValue voxelNodeValue(const NodeRay& d, const double C[3]);

// Draws nothing; its line only reads the two gates.
class BoxFDTunnel : public FxBox {
public:
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
};

// The camera record a ray-cast box flies with: the one its show shares among
// the boxes of its type, or its own for a box made on its own.
class RayCastCamera {
public:
    RayCastCamera() = default;
    explicit RayCastCamera(CameraRecord& shared) : shared_(&shared) {}
    CameraRecord& record() { return shared_ ? *shared_ : own_; }

private:
    CameraRecord* shared_ = nullptr;
    CameraRecord own_;
};

class BoxFDBoule : public FxBox {
public:
    BoxFDBoule() = default;
    explicit BoxFDBoule(CameraRecord& shared) : camera(shared) {}
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
    NodeGrid grid;
    RayCastCamera camera;
};

class BoxFDVoxel : public FxBox {
public:
    BoxFDVoxel() = default;
    explicit BoxFDVoxel(CameraRecord& shared) : camera(shared) {}
    void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) override;
    NodeGrid grid;
    RayCastCamera camera;
};

}  // namespace velmora
