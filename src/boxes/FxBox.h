// FxBox: an effect box run by the wiring, once per wiring line per frame.
#pragma once

#include <span>

#include "core/ErrorReporter.h"
#include "functions/Function.h"
#include "surface/Surface.h"

namespace velmora {

class WorkerPool;

using FunctionList = std::span<Function* const>;
using SurfaceList = std::span<Surface* const>;

class FxBox {
public:
    virtual ~FxBox() = default;
    // Draws the box's frame. The lists hold exactly the entries the wiring
    // line named, in order, and at least as many of each as the box's type
    // reads: the wiring checks the counts once and draws nothing for a line
    // that names fewer. `workers` are the show's threads for this frame: null
    // or a pool of one thread, the calling thread draws alone; a box that
    // splits its work between them gives the same pixels for any thread count.
    void render(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers = nullptr) {
        draw(output, functions, inputs, workers);
    }
    // Reads the parameter text; a rejected one is reported to `reporter` (an
    // "Erreur!!!!" box) and the show goes on with what was read.
    virtual void configure(const char* text, ErrorReporter& reporter) {
        (void)text;
        (void)reporter;
    }
    // The same, reporting on standard error.
    void configure(const char* text) { configure(text, standardErrorReporter()); }

protected:
    virtual void draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) {
        (void)output;
        (void)functions;
        (void)inputs;
        (void)workers;
    }
};

}  // namespace velmora
