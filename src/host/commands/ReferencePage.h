// The reference page docs/script.md and its pictures: the part of the page that
// the type table writes, and each type's example script rendered by the program.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "host/outputs/PngFile.h"

namespace velmora {

// The lines that enclose the generated part of the page.
extern const char kGeneratedBegin[];
extern const char kGeneratedEnd[];

// The text between the markers (the newline after the first marker excluded);
// nullopt when the page lacks them.
std::optional<std::string> generatedPart(const std::string& page);
// The page with that text replaced; nullopt when the page lacks the markers.
std::optional<std::string> withGeneratedPart(const std::string& page, const std::string& generated);

// The options after "; render:" in an example script (how its picture is made).
std::optional<std::string> exampleRenderOptions(const std::string& script);

// Runs `program render --script EXAMPLE --out SCRATCH OPTIONS` in `showDir` (where
// the example's data/ files are) and returns the last frame. On failure returns
// nullopt with a one-line reason in `error`. `scratch` is emptied first and removed.
std::optional<Picture> renderExample(const std::string& program, const std::filesystem::path& showDir,
                                     const std::filesystem::path& example, const std::filesystem::path& scratch,
                                     std::string& error);

// A frame written by `velmora render` (24-bit bottom-up BMP); nullopt when the
// file is not one.
std::optional<Picture> readFrameBmp(const std::filesystem::path& path);

}  // namespace velmora
