// The type reference as text for the terminal and as Markdown for the page, both
// written from the one type table (script/TypeTable).
#include "host/commands/ReferenceCommands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/NearestWord.h"
#include "host/app/Startup.h"

namespace velmora {

namespace {

constexpr size_t kTextWidth = 79;

// `text` wrapped at word boundaries; every line starts with `indent`, the first
// one with `firstIndent` instead.
std::string wrap(std::string_view text, std::string_view firstIndent, std::string_view indent) {
    std::string out;
    std::string line(firstIndent);
    bool lineEmpty = true;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find(' ', at);
        const std::string_view word = text.substr(at, end == std::string_view::npos ? text.size() - at : end - at);
        at = end == std::string_view::npos ? text.size() : end + 1;
        if (word.empty()) continue;
        if (!lineEmpty && line.size() + 1 + word.size() > kTextWidth) {
            out += line + "\n";
            line = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) line += ' ';
        line += word;
        lineEmpty = false;
    }
    out += line + "\n";
    return out;
}

const char* sectionOf(TypeKind kind) { return kind == TypeKind::Box ? "[ZYL_FX_Generator]" : "[ZYL_Fonction]"; }

std::string declarationSyntax(const ScriptType& type) {
    std::string syntax = std::string(type.word) + " NAME";
    if (*type.parameters) syntax += std::string(" ") + type.parameters;
    return syntax;
}

// NAME OUTPUT IN0 ... F0 F1 ...: the order of the words on a box's wiring line.
std::string wiringSyntax(const ScriptType& type) {
    std::string syntax = "NAME OUTPUT";
    for (size_t i = 0; i < type.inputs.size(); ++i) syntax += " IN" + std::to_string(i);
    for (size_t i = 0; i < type.functions.size(); ++i) syntax += " F" + std::to_string(i);
    return syntax;
}

std::string slotLines(std::span<const SlotReference> slots, std::string_view prefix) {
    std::string out;
    for (size_t i = 0; i < slots.size(); ++i) {
        const std::string head = "  " + std::string(prefix) + std::to_string(i) + "  ";
        out += wrap(std::string(slots[i].role) + ": " + slots[i].range, head, std::string(head.size(), ' '));
    }
    return out;
}

// Markdown table cells may not hold a bar.
std::string cell(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}

std::string slotTable(std::span<const SlotReference> slots, std::string_view heading, std::string_view prefix) {
    std::string out = "| " + std::string(heading) + " | role | values |\n| --- | --- | --- |\n";
    for (size_t i = 0; i < slots.size(); ++i)
        out += "| " + std::string(prefix) + std::to_string(i) + " | " + cell(slots[i].role) + " | " +
               cell(slots[i].range) + " |\n";
    return out + "\n";
}

std::string anchorOf(std::string_view word) {
    std::string anchor;
    for (char c : word)
        if (c != '_') anchor += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return anchor;
}


// Where a type's example script is: in the installed documentation beside the
// program (PREFIX/share/doc/velmora/examples), else the source tree's docs/.
std::string exampleScriptPath(std::string_view word) {
    const std::string name = std::string(word) + ".zyl";
    std::error_code ec;
    const std::filesystem::path installed =
        (programFolder(nullptr) / ".." / "share" / "doc" / "velmora" / "examples" / name).lexically_normal();
    if (std::filesystem::is_regular_file(installed, ec)) return installed.string();
    return "docs/examples/" + name;
}

}  // namespace

std::string typeListText() {
    std::string out;
    for (TypeKind kind : {TypeKind::Box, TypeKind::Function}) {
        out += kind == TypeKind::Box ? "Boxes, declared in [ZYL_FX_Generator]:\n"
                                     : "Functions, declared in [ZYL_Fonction]:\n";
        for (const ScriptType& type : scriptTypes()) {
            if (type.kind != kind) continue;
            std::string head = "  " + std::string(type.word);
            head.resize(24, ' ');
            out += head + type.summary + "\n";
        }
    }
    out += "Surfaces, declared in [ZYL_Surface]:\n"
           "  ZYL_Surface NAME WIDTH HEIGHT    a blank surface, 1 to 2048 each way\n"
           "  ZYL_Surface NAME \"FILE\"          a JPEG or PNG picture, at its own size\n"
           "velmora help TYPE shows one type in full; docs/script.md describes the script.\n";
    return out;
}

std::string surfaceHelpText() {
    return "ZYL_Surface: a picture the boxes draw into and read from.\n"
           "Declared in [ZYL_Surface] as one of:\n"
           "  ZYL_Surface NAME WIDTH HEIGHT\n"
           "  A blank surface of WIDTH by HEIGHT pixels, 1 to 2048 each way.\n"
           "  ZYL_Surface NAME \"FILE\"\n"
           "  The picture in FILE at its own size: a JPEG (colour or grey) or a PNG (any kind; an\n"
           "  alpha channel is dropped), read by its content whatever its name ends with. FILE is\n"
           "  relative to the working directory; the closing quote must end the line.\n"
           "All the surfaces of a show share one budget of memory (--surface-budget).\n"
           "In [CABLAGE] a surface is a box's output or one of its inputs; OUT is the shown frame.\n"
           "Example:\n"
           "  in [ZYL_Surface]: ZYL_Surface fond \"data/backdrop.jpg\"\n"
           "                    ZYL_Surface calque 512 256\n";
}

std::string typeHelpText(const ScriptType& type) {
    std::string out = wrap(std::string(type.word) + ": " + type.summary, "", "  ") + "\n";
    out += "Declared in " + std::string(sectionOf(type.kind)) + " as:\n  " + declarationSyntax(type) + "\n";
    if (*type.parameterMeaning) out += wrap(type.parameterMeaning, "  ", "  ");
    else out += "  It takes no parameters: any text after the name is ignored.\n";
    if (type.kind == TypeKind::Box) {
        out += "Wiring line:\n  " + wiringSyntax(type) + "\n";
        out += "  OUTPUT is OUT (the shown frame) or a declared surface; IN are declared surfaces,\n"
               "  F declared functions, in this order.\n";
        if (!type.functions.empty()) out += "Functions, in wiring order:\n" + slotLines(type.functions, "F");
        else out += "Functions: none read.\n";
        if (!type.inputs.empty()) out += "Input surfaces, in wiring order:\n" + slotLines(type.inputs, "IN");
        else out += "Input surfaces: none read.\n";
        out += wrap(std::string("Output surface: ") + type.outputText, "", "  ");
    } else {
        out += wrap(std::string("Follows: ") + type.reads, "", "  ");
        out += wrap(std::string("Value: ") + type.outputText, "", "  ");
    }
    if (type.modes) out += wrap(std::string("Modes: ") + type.modes, "", "  ");
    if (type.details) out += wrap(type.details, "", "");
    std::string declaredIn = "  in " + std::string(sectionOf(type.kind)) + ": ";
    std::string wiredIn = "  in [CABLAGE]: ";
    wiredIn.resize(std::max(declaredIn.size(), wiredIn.size()), ' ');
    declaredIn.resize(wiredIn.size(), ' ');
    out += "Example:\n" + declaredIn + type.exampleDeclaration + "\n" + wiredIn + type.exampleWiring + "\n";
    out += "The whole example script is " + exampleScriptPath(type.word) + ".\n";
    return out;
}

std::string referenceMarkdown() {
    std::string out = "## The types\n\n| type | what it does |\n| --- | --- |\n";
    for (const ScriptType& type : scriptTypes())
        out += "| [" + std::string(type.word) + "](#" + anchorOf(type.word) + ") | " + cell(type.summary) + " |\n";
    out += "\n";
    for (TypeKind kind : {TypeKind::Box, TypeKind::Function}) {
        out += kind == TypeKind::Box ? "## Boxes\n\n" : "## Functions\n\n";
        for (const ScriptType& type : scriptTypes()) {
            if (type.kind != kind) continue;
            const std::string word = type.word;
            out += "### " + word + "\n\n";
            std::string summary = type.summary;
            summary[0] = static_cast<char>(summary[0] >= 'a' && summary[0] <= 'z' ? summary[0] - 'a' + 'A' : summary[0]);
            out += summary + ".\n\n";
            out += "![" + word + ": the example rendered](examples/" + word + ".png)\n\n";
            out += "Declaration, in `" + std::string(sectionOf(kind)) + "`: `" + declarationSyntax(type) + "`. ";
            out += *type.parameterMeaning ? std::string(type.parameterMeaning)
                                          : std::string("It takes no parameters: any text after the name is ignored.");
            out += "\n\n";
            if (kind == TypeKind::Box) {
                out += "Wiring line: `" + wiringSyntax(type) + "`.\n\n";
                if (!type.functions.empty()) out += slotTable(type.functions, "function", "F");
                else out += "Functions: none read.\n\n";
                if (!type.inputs.empty()) out += slotTable(type.inputs, "input", "IN");
                else out += "Input surfaces: none read.\n\n";
                out += "Output surface: " + std::string(type.outputText) + ".\n\n";
            } else {
                out += "Follows: " + std::string(type.reads) + ". Value: " + type.outputText + ".\n\n";
            }
            if (type.modes) out += "Modes: " + std::string(type.modes) + ".\n\n";
            if (type.details) out += std::string(type.details) + "\n\n";
            out += "Example ([whole script](examples/" + word + ".zyl)):\n\n    " + type.exampleDeclaration +
                   "\n    " + type.exampleWiring + "\n\n";
        }
    }
    return out;
}

int runList() {
    std::fputs(typeListText().c_str(), stdout);
    return 0;
}

}  // namespace velmora
