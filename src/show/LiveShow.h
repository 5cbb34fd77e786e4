// The live show's pass, the same in every host: one key's command, the loop's
// return, one frame at the clock's time, and the frame presented with its
// overlay. The native window runs passes until Escape; the page runs one per
// animation frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/Limits.h"
#include "show/Overlay.h"
#include "show/ShowPlatform.h"
#include "show/ShowSession.h"
#include "surface/Surface.h"

namespace velmora {

class LiveShow {
public:
    // Plays `session` (started, its graph loaded from `scriptPath`).
    LiveShow(ShowSession& session, std::string scriptPath, uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes);

    // One pass; false once the input asked to quit (nothing is evaluated then).
    bool pass(ShowPlatform& platform);
    // Reloads the script (F5, a change seen by --watch, the page's editor);
    // a refusal's first problem shows over the frame for a while.
    ReloadOutcome reload(double now);
    // Reloads from another file (the page's editor writes its own).
    ReloadOutcome reloadFrom(const std::string& path, double now);

    // The outcome of a reload the last pass made (F5), once.
    std::optional<ReloadOutcome> takeReload() { return std::exchange(passReload_, std::nullopt); }
    const std::string& scriptPath() const { return scriptPath_; }

    const Surface& frame() const { return frame_; }
    const ShowOverlay& overlay() const { return overlay_; }
    ShowSession& session() { return session_; }

private:
    ShowSession& session_;
    std::string scriptPath_;
    uint64_t surfaceBudgetBytes_;
    Surface frame_;
    FrameRateMeter meter_;
    ShowOverlay overlay_;
    std::string notice_;
    double noticeSince_ = 0.0;
    std::optional<ReloadOutcome> passReload_;
};

}  // namespace velmora
