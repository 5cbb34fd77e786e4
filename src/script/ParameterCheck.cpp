// The check of one parameter text against the fields its type scans.
#include "script/ParameterCheck.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "script/ScriptReader.h"
#include "script/TypeTable.h"

namespace velmora {

namespace {

// Reads the whole word as a number of the field's kind.
bool readNumber(std::string_view word, ParameterField::Kind kind, double& value) {
    const std::string text(word);
    char* end = nullptr;
    errno = 0;
    if (kind == ParameterField::Int) {
        const long long number = std::strtoll(text.c_str(), &end, 10);
        value = static_cast<double>(number);
        return end == text.c_str() + text.size() && errno == 0 && number >= INT32_MIN && number <= INT32_MAX;
    }
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

std::string fieldNames(std::span<const ParameterField> fields) {
    std::string names;
    for (const ParameterField& field : fields) {
        if (!names.empty()) names += ' ';
        names += field.name;
    }
    return names;
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

std::string checkParameterText(std::string_view typeWord, std::string_view name, std::string_view parameters) {
    const ScriptType* type = findScriptType(typeWord);
    if (!type || type->parameterFields.empty()) return {};
    const std::span<const ParameterField> fields = type->parameterFields;
    const std::string declared = std::string(typeWord) + " " + std::string(name) + ": ";
    std::vector<std::string_view> words;
    ScriptReader reader(parameters);
    for (std::string_view w = reader.readWord(); !w.empty() && words.size() < fields.size(); w = reader.readWord())
        words.push_back(w);

    size_t required = 0;
    for (const ParameterField& field : fields) required += field.optional ? 0 : 1;
    bool allNumbers = true;
    for (const ParameterField& field : fields) allNumbers = allNumbers && field.kind != ParameterField::Word;
    const char* unit = allNumbers ? " number" : " word";
    if (words.size() < required) {
        std::string shown(parameters.substr(0, parameters.find_last_not_of(" \t\r\n") + 1));
        shown = shown.substr(shown.find_first_not_of(" \t") == std::string::npos ? shown.size()
                                                                                  : shown.find_first_not_of(" \t"));
        return declared + "the parameter text '" + shown + "' has " + std::to_string(words.size()) + unit +
               (words.size() == 1 ? "" : "s") + ", the type reads " + std::to_string(required) + ": " +
               fieldNames(fields);
    }
    for (size_t i = 0; i < words.size(); ++i) {
        const ParameterField& field = fields[i];
        if (field.kind == ParameterField::Word) continue;  // the type refuses its own words
        double value = 0;
        if (!readNumber(words[i], field.kind, value))
            return declared + field.name + " '" + std::string(words[i]) + "' is not a " +
                   (field.kind == ParameterField::Int ? "whole number" : "number") + "; the type reads " +
                   fieldNames(fields);
        if (value < field.minimum || value > field.maximum || std::isnan(value)) {
            std::string range = field.maximum < 1e300 ? formatNumber(field.minimum) + " to " + formatNumber(field.maximum)
                                                      : "at least " + formatNumber(field.minimum);
            return declared + field.name + " " + std::string(words[i]) + " is out of its range: " + range;
        }
    }
    return {};
}

}  // namespace velmora
