// The function types the script can declare, and the factory.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "functions/Function.h"

namespace velmora {

struct FunctionType {
    const char* word;  // "ZYL_Fnct..."
    std::unique_ptr<Function> (*create)();
};

std::span<const FunctionType> functionTypes();
// Exact byte comparison with each type word; nullptr when none matches.
std::unique_ptr<Function> createFunction(std::string_view word);

}  // namespace velmora
