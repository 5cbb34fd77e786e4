// The one reader of a wiring line, as a frame reads it: the box, where it
// draws, its input surfaces and its functions, looked up by name, and where
// and why reading stopped. The frame evaluation, `velmora check` and `bench`
// (through the frame's resolved calls) all read lines with it.
#pragma once

#include <string_view>

#include "script/DemoGraph.h"

namespace velmora {

struct WiringLine {
    enum class Kind {
        Blank,             // no word, or a comment (first word starts with ';')
        UndeclaredBox,     // the first word names no box: the show stops there
        UndeclaredOutput,  // the second word is neither "OUT" nor a surface: the show stops there
        Call,              // a box call
    };
    Kind kind = Kind::Blank;
    std::string_view boxWord;
    std::string_view outputWord;  // empty when the line ends after the box
    int box = -1;
    bool outputIsFrame = false;
    int outputSurface = -1;
    bool firstInputIsFrame = false;  // "OUT" as the first input
    std::string_view firstInputWord;
    int inputs[kMaxListEntries] = {};  // surface indices; the frame's entry is -1
    int inputCount = 0;
    int functions[kMaxListEntries] = {};
    int functionCount = 0;
    // Where reading stopped: the first word not taken (empty at the end of the
    // line), the text after it, and whether a list was already full.
    std::string_view stopWord;
    std::string_view rest;
    bool listFull = false;
};

// Reads one line of the wiring section. Words are cut to kMaxNameLength; past
// the end of the line every word is empty, as the frame has always read it.
WiringLine readWiringLine(std::string_view line, const DemoGraph& graph);

}  // namespace velmora
