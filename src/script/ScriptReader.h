// A small reader over the script text: words, lines, and positions to come back to.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/Limits.h"

namespace velmora {

// White space as the C library's isspace sees it in the "C" locale.
inline bool isScriptSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

class ScriptReader {
public:
    static constexpr size_t kLineLimit = kMaxLineCharacters;  // longest line (or parameter text) read at once

    explicit ScriptReader(std::string_view text = {}) : text_(text) {}

    // Skips white space, then returns the next word (a view into the text), or an
    // empty view at the end of the text.
    std::string_view readWord();
    // Returns the text up to the next line feed (consumed, not returned), at most
    // kLineLimit characters; the rest of a longer line is left for the next read.
    // At the end of the text: an empty line, and atEnd() is true.
    std::string_view readLine();
    // True when the last readLine stopped at kLineLimit before the line's end.
    bool lineWasCut() const { return lineCut_; }

    size_t tell() const { return pos_; }
    void seek(size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }
    bool atEnd() const { return pos_ >= text_.size(); }
    std::string_view text() const { return text_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    bool lineCut_ = false;
};

}  // namespace velmora
