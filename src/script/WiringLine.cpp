// Reading one wiring line word by word.
#include "script/WiringLine.h"

#include "script/ScriptReader.h"

namespace velmora {

namespace {

// Splits a wiring line into words, one at a time; past the end it gives nothing.
class LineWords {
public:
    explicit LineWords(std::string_view line) : line_(line) {}
    std::string_view next() {
        while (pos_ < line_.size() && isScriptSpace(line_[pos_])) ++pos_;
        const size_t start = pos_;
        while (pos_ < line_.size() && !isScriptSpace(line_[pos_])) ++pos_;
        return line_.substr(start, pos_ - start).substr(0, kMaxNameLength);
    }
    std::string_view rest() const { return line_.substr(pos_); }

private:
    std::string_view line_;
    size_t pos_ = 0;
};

}  // namespace

WiringLine readWiringLine(std::string_view line, const DemoGraph& graph) {
    WiringLine read;
    LineWords words(line);
    std::string_view word = words.next();
    if (word.empty() || word[0] == ';') return read;

    read.boxWord = word;
    read.box = graph.findBox(word);
    if (read.box < 0) {
        read.kind = WiringLine::Kind::UndeclaredBox;
        return read;
    }
    read.outputWord = word = words.next();
    if (word == kOutputName) {
        read.outputIsFrame = true;
    } else {
        read.outputSurface = graph.findSurface(word);
        if (read.outputSurface < 0) {
            read.kind = WiringLine::Kind::UndeclaredOutput;
            return read;
        }
    }
    read.kind = WiringLine::Kind::Call;

    word = words.next();
    read.firstInputWord = word;
    if (word == kOutputName) {
        read.inputs[read.inputCount++] = -1;
        read.firstInputIsFrame = true;
        word = words.next();
    }
    auto stopAt = [&](bool listFull) {
        read.stopWord = word;
        read.rest = words.rest();
        read.listFull = listFull;
        return read;
    };
    for (int s; (s = graph.findSurface(word)) >= 0; word = words.next()) {
        if (read.inputCount == kMaxListEntries) return stopAt(true);  // the rest of the line is ignored
        read.inputs[read.inputCount++] = s;
    }
    for (int f; (f = graph.findFunction(word)) >= 0; word = words.next()) {
        if (read.functionCount == kMaxListEntries) return stopAt(true);
        read.functions[read.functionCount++] = f;
    }
    return stopAt(false);
}

}  // namespace velmora
