// update_docs SOURCE_DIR VELMORA SHOW_DIR: rewrites the type reference of
// SOURCE_DIR/docs/script.md from the type table and renders every type's example
// (docs/examples/TYPE.zyl, run in SHOW_DIR beside the generated data) into
// docs/examples/TYPE.png. Run through the build's `docs` target.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/commands/ReferenceCommands.h"
#include "host/commands/ReferencePage.h"
#include "script/TypeTable.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: update_docs SOURCE_DIR VELMORA SHOW_DIR\n");
        return 2;
    }
    const fs::path docs = fs::path(argv[1]) / "docs";
    const std::string program = argv[2];
    const fs::path showDir = argv[3];
    const fs::path scratch = fs::temp_directory_path() / "velmora_update_docs";

    int failures = 0;
    for (const velmora::ScriptType& type : velmora::scriptTypes()) {
        const fs::path example = docs / "examples" / (std::string(type.word) + ".zyl");
        std::string error;
        const auto picture = velmora::renderExample(program, showDir, example, scratch, error);
        const fs::path png = docs / "examples" / (std::string(type.word) + ".png");
        if (!picture || !velmora::writePng(png.string(), *picture)) {
            std::fprintf(stderr, "update_docs: %s\n", picture ? ("cannot write " + png.string()).c_str() : error.c_str());
            ++failures;
        }
    }

    const fs::path pagePath = docs / "script.md";
    std::ifstream in(pagePath, std::ios::binary);
    std::stringstream page;
    page << in.rdbuf();
    const auto updated = velmora::withGeneratedPart(page.str(), velmora::referenceMarkdown());
    if (!updated) {
        std::fprintf(stderr, "update_docs: %s lacks the markers of the type reference\n", pagePath.string().c_str());
        return 1;
    }
    std::ofstream(pagePath, std::ios::binary) << *updated;
    return failures == 0 ? 0 : 1;
}
