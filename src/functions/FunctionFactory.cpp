// The function factory: type word to object.
#include "functions/FunctionFactory.h"

#include "functions/FnctCanal.h"
#include "functions/FnctTracker.h"
#include "functions/Generators.h"

namespace velmora {

namespace {

template <class T>
std::unique_ptr<Function> make() {
    return std::make_unique<T>();
}

const FunctionType kFunctionTypes[] = {
    {"ZYL_FnctTime", make<FnctTime>},
    {"ZYL_FnctSin", make<FnctSin>},
    {"ZYL_FnctConstante", make<FnctConstante>},
    {"ZYL_FnctStrobo", make<FnctStrobo>},
    {"ZYL_FnctIntervale", make<FnctIntervale>},
    {"ZYL_FnctTracker", make<FnctTracker>},
    {"ZYL_FnctCanal", make<FnctCanal>},
};

}  // namespace

std::span<const FunctionType> functionTypes() { return kFunctionTypes; }

std::unique_ptr<Function> createFunction(std::string_view word) {
    for (const FunctionType& type : kFunctionTypes)
        if (word == type.word) return type.create();
    return nullptr;
}

}  // namespace velmora
