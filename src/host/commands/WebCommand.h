// `velmora web`: the show packed with the web player into a static folder.
#pragma once

#include <filesystem>
#include <string>

#include "core/CommandOutcome.h"

namespace velmora {

// The built web player's files, copied into every site.
inline constexpr const char* kPlayerFiles[] = {"index.html", "page.js",   "velmora.js",        "velmora.wasm",
                                               "player.js",  "editor.js", "audio-processor.js"};

struct WebOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    std::string outDir;
    bool watch = false;  // repack on every save of the script or a file it names
};

// Copies the player, the script, every file it names and the module into
// DIR (DIR/show.txt lists the show's files, the script first). A file that
// is missing, unreadable, not a file, not inside the show's folder (the
// working directory), or has a control character in its name is refused with
// its script line, and so is a module the player cannot play; the checker's
// warnings are printed and the show packed, its problems (where the show would
// stop) refuse it. DIR is built whole beside itself and renamed into place; the
// show's own folder, or one that holds a file the show reads, is refused.
// With `watch`, packs again whenever the script or a packed file changes
// (a refused change is told and the last site kept) until interrupted; the
// site's watch.txt changes with every pack, for the page to reload from.
// The checker's findings are printed as they are found; the outcome carries
// the command's own refusal.
CommandOutcome runWeb(const WebOptions& options, const std::filesystem::path& programFolder);

}  // namespace velmora
