// The live show's pass.
#include "show/LiveShow.h"

#include <utility>

#include "core/FrameGeometry.h"
#include "show/ScreenshotBmp.h"

namespace velmora {

LiveShow::LiveShow(ShowSession& session, std::string scriptPath, uint64_t surfaceBudgetBytes)
    : session_(session), scriptPath_(std::move(scriptPath)), surfaceBudgetBytes_(surfaceBudgetBytes) {
    frame_.configure(std::to_string(kFrameWidth) + " " + std::to_string(kFrameHeight));  // "512 256"
    frame_.clear();
}

ReloadOutcome LiveShow::reload(double now) { return reloadFrom(scriptPath_, now); }

ReloadOutcome LiveShow::reloadFrom(const std::string& path, double now) {
    ReloadOutcome outcome = session_.reload(path, surfaceBudgetBytes_);
    if (!outcome.reloaded) {
        notice_ = outcome.problems.front();
        noticeSince_ = now;
    }
    return outcome;
}

bool LiveShow::pass(ShowPlatform& platform) {
    const ShowCommand command = platform.pollInput();
    const double now = platform.now();
    switch (command) {
    case ShowCommand::Quit:
        return false;
    case ShowCommand::Screenshot:  // the frame on screen now, without the overlay
        platform.saveScreenshot(screenshotBmp(frame_));
        break;
    case ShowCommand::Reload:
        passReload_ = reload(now);
        break;
    case ShowCommand::Overlay:
        overlay_.counterShown = !overlay_.counterShown;
        break;
    default:
        session_.apply(command);
        break;
    }

    session_.followLoop();
    session_.runFrame(frame_);
    meter_.frame(now);
    overlay_.framesPerSecond = meter_.perSecond();
    overlay_.order = session_.lastPosition() & 0xFFFFu;
    overlay_.row = session_.lastPosition() >> 24;
    overlay_.seconds = session_.clock().seconds();
    const bool noticeShown = !notice_.empty() && now >= noticeSince_ && now - noticeSince_ < kNoticeSeconds;
    overlay_.notice = noticeShown ? notice_ : std::string();
    platform.present(frame_, overlay_);
    return true;
}

}  // namespace velmora
