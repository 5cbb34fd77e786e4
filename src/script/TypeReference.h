// What a show's author needs to know of each box and function type: the plain
// table behind `velmora list`, `velmora help TYPE` and the reference page.
#pragma once

#include <span>
#include <string_view>

namespace velmora {

// One entry of a box's function list or input list, in wiring-line order.
struct SlotReference {
    const char* role;   // what the box does with it
    const char* range;  // the values that make sense, and how they are read
};

enum class TypeKind { Box, Function };

struct TypeReference {
    TypeKind kind;
    const char* word;        // the script's type word
    const char* summary;     // one line
    const char* parameters;  // syntax of the parameter text; "" when the text is ignored
    const char* parameterMeaning;
    // Boxes: the functions and input surfaces the wiring line names, in order.
    std::span<const SlotReference> functions;
    std::span<const SlotReference> inputs;
    // Boxes: the output surface the box needs; functions: the value each frame.
    const char* output;
    const char* modes;    // nullptr when the type has no modes
    const char* reads;    // functions: what moves the value; nullptr for boxes
    const char* details;  // further behaviour worth knowing; nullptr when none
    const char* exampleDeclaration;  // a declaration line of its section
    const char* exampleWiring;       // a wiring line that uses it
};

// Every box type, then every function type, in the order of the script's sections.
std::span<const TypeReference> typeReferences();
// Exact comparison with each type word; nullptr when none matches.
const TypeReference* findTypeReference(std::string_view word);

}  // namespace velmora
