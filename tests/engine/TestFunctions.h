// The function the engine tests hand to boxes: it holds a value, and may note
// every read in a log so that a test can see the order a box reads them in.
#pragma once

#include <string>

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

}  // namespace velmora::testsupport
