// The script text reader.
#include "script/ScriptReader.h"

namespace velmora {

std::string_view ScriptReader::readWord() {
    while (pos_ < text_.size() && isScriptSpace(text_[pos_])) ++pos_;
    size_t start = pos_;
    while (pos_ < text_.size() && !isScriptSpace(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
}

std::string_view ScriptReader::readLine() {
    size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '\n' && pos_ - start < kLineLimit) ++pos_;
    std::string_view line = text_.substr(start, pos_ - start);
    lineCut_ = pos_ < text_.size() && text_[pos_] != '\n';
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return line;
}

}  // namespace velmora
