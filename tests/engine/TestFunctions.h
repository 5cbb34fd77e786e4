// The functions the engine tests hand to boxes: a function that holds a value,
// and may note every read in a log so that a test can see the order a box reads
// them in; and a wiring line's lists of such functions and input surfaces.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "boxes/FxBox.h"
#include "functions/Function.h"

namespace velmora::testsupport {

struct FixedFunction : Function {
    explicit FixedFunction(float value = 0.0f, char name = '?', std::string* log = nullptr)
        : v(value), name_(name), log_(log) {}
    float value() const override {
        if (log_) *log_ += name_;
        return v;
    }
    void set(float value) { v = value; }
    float v;

private:
    char name_;
    std::string* log_;
};

// Functions holding the given values, with the lists render takes.
struct Wiring {
    std::vector<FixedFunction> values;
    std::vector<Function*> functions;
    std::vector<Surface*> inputs;

    Wiring(std::initializer_list<float> fs, std::initializer_list<Surface*> ins)
        : values(fs.begin(), fs.end()), inputs(ins) {
        for (FixedFunction& f : values) functions.push_back(&f);
    }
    Wiring(const Wiring&) = delete;
    Wiring& operator=(const Wiring&) = delete;
    FunctionList fns() const { return FunctionList(functions.data(), functions.size()); }
    SurfaceList ins() const { return SurfaceList(inputs.data(), inputs.size()); }
};

}  // namespace velmora::testsupport
