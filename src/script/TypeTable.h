// The one table of the script's type words: for every box and function type, how
// to make it, what its wiring line must name, the parameter text it scans and
// what a show's author reads of it (`velmora list`, `help TYPE`, the reference
// page). It lives above both the boxes and the object box so that it can make either.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "boxes/CRandom.h"
#include "boxes/FxBox.h"
#include "boxes/RayCastGrid.h"
#include "functions/Function.h"
#include "object3d/Mesh.h"

namespace velmora {

// What a box needs of a surface it reads or writes.
struct SurfaceNeed {
    enum Kind { Any, Exact, MinPixels };
    Kind kind = Any;
    int32_t width = 0;
    int32_t height = 0;

    bool accepts(const Surface& s) const {
        if (!s.pixels) return false;
        switch (kind) {
            case Exact: return s.width == width && s.height == height;
            case MinPixels:
                return s.pixelCount() >= static_cast<size_t>(width) * static_cast<size_t>(height);
            case Any: break;
        }
        return true;
    }
};

// What the boxes of one show share between them, and nothing else does: every
// show starts from these values, so a reload starts afresh and two shows in one
// process never meet.
struct ShowState {
    CRandom random;             // the particle boxes draw from it in their call order
    CameraRecord sphereCamera;  // every ZYL_BoxFDBoule of the show
    CameraRecord reliefCamera;  // every ZYL_BoxFDVoxel of the show
    Float3 objectDirection{1.0f, 0.0f, 0.0f};  // every ZYL_BoxObjet3D: the last view direction
};

// One entry of a box's function list or input list, in wiring-line order.
struct SlotReference {
    const char* role;   // what the box does with it
    const char* range;  // the values that make sense, and how they are read
    bool optional = false;  // read in some modes only: a line may leave it out
};

// One field of a parameter text, as the type scans it.
struct ParameterField {
    enum Kind { Int, Float, Word };  // Word: read and refused by the type itself
    const char* name;
    Kind kind;
    bool optional = false;  // a text may stop before it
    double minimum = -1e300;
    double maximum = 1e300;
};

enum class TypeKind { Box, Function };

struct ScriptType {
    TypeKind kind;
    const char* word;  // the script's type word, exactly as written
    // Makes one: a box shares exactly the part of `show` its type shares.
    std::unique_ptr<FxBox> (*makeBox)(ShowState& show) = nullptr;
    std::unique_ptr<Function> (*makeFunction)() = nullptr;
    // Boxes: the functions and input surfaces the wiring line names, in order.
    // A line that names fewer than the box reads draws nothing.
    std::span<const SlotReference> functions = {};
    std::span<const SlotReference> inputs = {};
    SurfaceNeed output = {};
    SurfaceNeed input0 = {};  // meaningful when the box reads an input
    // The fields the type scans, in order; empty when it ignores its text.
    std::span<const ParameterField> parameterFields = {};

    const char* summary = "";     // one line
    const char* parameters = "";  // syntax of the parameter text; "" when the text is ignored
    const char* parameterMeaning = "";
    const char* outputText = "";  // boxes: the output surface the box needs; functions: the value each frame
    const char* modes = nullptr;  // nullptr when the type has no modes
    const char* reads = nullptr;  // functions: what moves the value; nullptr for boxes
    const char* details = nullptr;  // further behaviour worth knowing; nullptr when none
    const char* exampleDeclaration = "";  // a declaration line of its section
    const char* exampleWiring = "";       // a wiring line that uses it

    // A wiring line must name at least this many functions ...
    int functionsRead() const { return static_cast<int>(functions.size()); }
    // ... and this many input surfaces (in every mode of the box).
    int inputsRead() const {
        int count = 0;
        while (count < static_cast<int>(inputs.size()) && !inputs[count].optional) ++count;
        return count;
    }
};

// Every box type, then every function type, in the order of the script's sections.
std::span<const ScriptType> scriptTypes();
std::span<const ScriptType> boxTypes();       // the first part: the box types
std::span<const ScriptType> functionTypes();  // the rest: the function types
// Exact byte comparison with each type word; nullptr when none matches.
const ScriptType* findScriptType(std::string_view word);
// The same among the types of one kind only.
const ScriptType* findBoxType(std::string_view word);
const ScriptType* findFunctionType(std::string_view word);

}  // namespace velmora
