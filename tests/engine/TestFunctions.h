// The functions the engine tests hand to boxes: a function that holds a value,
// and may note every read in a log so that a test can see the order a box reads
// them in; a wiring line's lists of such functions and input surfaces; the
// reporter that keeps what a configure call reported, and the errors a call raises.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "boxes/FxBox.h"
#include "core/Error.h"
#include "core/ErrorReporter.h"
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

// Renders `box` into `out` once, its functions holding `values` and its inputs
// `inputs`, in wiring order: a test's one frame of a box.
inline void renderWith(FxBox& box, Surface& out, std::initializer_list<float> values,
                       std::initializer_list<Surface*> inputs = {}) {
    const Wiring wiring(values, inputs);
    box.render(out, wiring.fns(), wiring.ins());
}

// Keeps the rejected-parameter reports a configure call makes.
struct RecordingReporter : ErrorReporter {
    void report(std::string_view message, std::string_view reason) override {
        last = std::string(message);
        lastReason = std::string(reason);
        ++count;
    }
    std::string last;
    std::string lastReason;
    int count = 0;
};

// How many rejections one configure call reported: 0 for a text accepted.
template <class Object>
int rejectionsOf(Object& object, const char* text, RecordingReporter& reporter) {
    const int before = reporter.count;
    object.configure(text, reporter);
    return reporter.count - before;
}
template <class Object>
int rejectionsOf(Object& object, const char* text) {
    RecordingReporter reporter;
    return rejectionsOf(object, text, reporter);
}

// The ShowError `call` raises; a test failure (and status -1) when none is raised.
template <class Call>
ShowError errorRaisedBy(Call call) {
    try {
        call();
    } catch (const ShowError& error) {
        return error;
    }
    ADD_FAILURE() << "no ShowError was raised";
    return ShowError(ErrorPresentation::FatalBox, -1, "");
}

// The message of the fatal error (status 9999) that `call` raises.
template <class Call>
std::string fatalMessageOf(Call call) {
    const ShowError error = errorRaisedBy(call);
    EXPECT_EQ(error.presentation, ErrorPresentation::FatalBox);
    EXPECT_EQ(error.exitStatus, 9999);
    return error.message;
}

}  // namespace velmora::testsupport
