// What `check` expects of each type's parameter text: the fields the type scans,
// in order, whether each is a whole or a decimal number, and the range a type
// restricts. Only the checker reads it; loading scans as it always did.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velmora {

struct ParameterField {
    enum Kind { Int, Float, Word };  // Word: read and refused by the type itself
    const char* name;
    Kind kind;
    bool optional = false;  // a text may stop before it
    double minimum = -1e300;
    double maximum = 1e300;
};

struct ParameterFormat {
    const char* word;  // the type word
    std::span<const ParameterField> fields;  // empty when the type ignores its text
};

std::span<const ParameterFormat> parameterFormats();
const ParameterFormat* findParameterFormat(std::string_view word);

// What is wrong with `parameters` for the type `typeWord` declared as `name`;
// empty when nothing is (or when the type is unknown).
std::string checkParameterText(std::string_view typeWord, std::string_view name, std::string_view parameters);

}  // namespace velmora
