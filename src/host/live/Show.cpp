// The show: launch dialog, display, script, music, then one event, one frame and
// one present per pass until Escape or the window's close; then shutdown. For
// the show's author, F5 (or --watch) reloads the script live, Left and Right
// jump an order of the music, Up and Down step a row, L loops an order, Space
// pauses and F1 shows the frame counter and the music's position; a refused
// reload shows its first problem over the frame for a while. A window is
// held to the display's refresh rate.
#include "host/live/Show.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "core/Error.h"
#include "core/ErrorReporter.h"
#include "core/ThreadCount.h"
#include "host/live/FrameCounter.h"
#include "host/app/Interruption.h"
#include "host/app/Startup.h"
#include "host/live/ReloadNotice.h"
#include "host/live/ModeDialog.h"
#include "host/live/Screenshot.h"
#include "host/live/ScriptWatcher.h"
#include "host/live/ShowErrorExit.h"
#include "platform/Display.h"
#include "script/DemoGraph.h"
#include "platform/DisplayReach.h"
#include "platform/MessageBox.h"
#include "platform/ModulePlayer.h"
#include "platform/Platform.h"
#include "show/LiveShow.h"
#include "show/ShowSession.h"

namespace velmora {

namespace {

// A rejected parameter text while the show loads: the line on standard error and a box.
class ShowReporter : public ErrorReporter {
public:
    void report(std::string_view message, std::string_view reason) override {
        standardErrorReporter().report(message, reason);
        std::string text(message);
        if (!reason.empty()) text.append("\n\n").append(reason);
        showErrorBox("Erreur!!!!", text.c_str());
    }
};

double steadySeconds() { return static_cast<double>(steadyNanoseconds()) * 1e-9; }

}  // namespace

std::string_view hostEventKey(HostEvent event) {
    switch (event) {
    case HostEvent::Enter: return "Enter";
    case HostEvent::Escape: return "Escape";
    case HostEvent::F1: return "F1";
    case HostEvent::F5: return "F5";
    case HostEvent::Left: return "ArrowLeft";
    case HostEvent::Right: return "ArrowRight";
    case HostEvent::Up: return "ArrowUp";
    case HostEvent::Down: return "ArrowDown";
    case HostEvent::L: return "L";
    case HostEvent::Space: return " ";
    default: return {};
    }
}

ShowCommand WindowPlatform::pollInput() {
    const HostEvent event = pollHostEvent();
    // The window's close asks to quit as Escape does.
    const ShowCommand command = event == HostEvent::Quit ? ShowCommand::Quit : commandForKey(hostEventKey(event));
    if (command == ShowCommand::Reload && watcher_) watcher_->remember();
    return command;
}

double WindowPlatform::now() { return steadySeconds(); }

void WindowPlatform::present(const Surface& frame, const ShowOverlay& overlay) {
    if (!overlay.counterShown && overlay.notice.empty()) {
        presentFrame(frame.pixels);
        return;
    }
    const FrameCopy copy = copyFrame(frame.pixels);
    if (overlay.counterShown) {
        drawFrameCounter(copy.pixels, copy.pitch, overlay.framesPerSecond);
        drawMusicPosition(copy.pixels, copy.pitch, overlay.order, overlay.row, overlay.seconds);
    }
    if (!overlay.notice.empty()) {
        ReloadNotice notice;
        notice.show(overlay.notice, 0.0);
        notice.draw(copy.pixels, copy.pitch);
    }
    showFrameCopy();
}

void WindowPlatform::saveScreenshot(const std::vector<uint8_t>& bmp) { screenshots_.save(bmp); }

void WindowPlatform::showFatal(const std::string& message) { showErrorBox("Erreur!!!!", message.c_str()); }

bool runShowPass(LiveShow& live, ShowPlatform& platform, ScriptWatcher* watcher) {
    bool reloaded = false;
    if (watcher && watcher->changed(platform.now())) {
        watcher->remember();
        printReloadOutcome(live.scriptPath(), live.reload(platform.now()));
        reloaded = true;
    }
    const bool going = live.pass(platform);
    if (std::optional<ReloadOutcome> outcome = live.takeReload()) {
        printReloadOutcome(live.scriptPath(), *outcome);
        reloaded = true;
    }
    // The files the show now reads (its track files) are watched beside the script.
    if (watcher && reloaded) watcher->alsoWatch(live.session().graph().filesRead());
    return going;
}

namespace {

// The show from the launch dialog to the quit; `session` belongs to the caller
// so that the music plays on under a fatal error's box, as it always did.
int playShow(const ShowOptions& options, std::unique_ptr<ShowSession>& session) {
    // Told at once rather than a dialog or a show that nobody sees.
    if (std::string missing = unreachableDisplay(); !missing.empty())
        throw ShowError(ErrorPresentation::StandardError, 1, std::move(missing));
    int modeIndex = options.mode;
    if (modeIndex < 0 || modeIndex > 2) modeIndex = runLaunchDialog();
    if (modeIndex < 0) {  // closed: no window was ever opened
        platformQuit();
        return 0;
    }
    const DisplayMode mode = displayModeFor(modeIndex);

    DisplayOptions displayOptions;
    displayOptions.integerScale = options.integerScale;
    displayOptions.vsyncInWindow = !options.uncapped;
    setupDisplay(mode, displayOptions);
    if (mode.fullScreen) hideCursor();
    raisePriority();

    // The music, the clock and the threads live as long as the show; a reload
    // swaps only the graph.
    session = std::make_unique<ShowSession>(chosenThreadCount(options.threads),
                                            std::make_unique<ModulePlayer>(options.music, options.mute));
    ShowReporter reporter;
    {
        // Between frames the display's own handlers end the show; while it
        // loads, these stop the load as they stop `render`'s.
        const InterruptionsCaught caught;
        loadScriptOrDie(*session, options.script, options.surfaceBudgetBytes, reporter, interruptionStopCheck());
        if (interruptionSignal()) throw LoadInterrupted();
    }
    session->start();
    if (options.startPosition) session->startAt(options.startPosition->order, options.startPosition->row);

    std::optional<ScriptWatcher> watcher;
    if (options.watch) watcher.emplace(options.script);
    if (watcher) watcher->alsoWatch(session->graph().filesRead());
    WindowPlatform platform(options.screenshotFolder, watcher ? &*watcher : nullptr);
    LiveShow live(*session, options.script, options.surfaceBudgetBytes);
    // Without vsync a window would draw as fast as it can; the cap also keeps
    // a display whose vsync does nothing at its refresh rate.
    constexpr int kUnknownRefreshRate = 60;
    std::optional<FramePacer> pacer;
    if (!mode.fullScreen && !options.uncapped) {
        const int refresh = displayRefreshRate();
        pacer.emplace(options.frameRateCap > 0 ? options.frameRateCap : refresh > 0 ? refresh : kUnknownRefreshRate);
    }

    // Escape and the window's close ask to quit; like a posted quit message the
    // request is taken at the start of the next pass.
    while (runShowPass(live, platform, watcher ? &*watcher : nullptr)) {
        if (pacer) {
            const double wait = pacer->delayAfterFrame(steadySeconds());
            if (wait > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
        }
    }

    session.reset();  // stops the music first
    restoreDisplay();
    destroyDisplay();
    platformQuit();
    return 0;
}

}  // namespace

int runShow(const ShowOptions& options) {
    std::unique_ptr<ShowSession> session;
    if (options.noMessageBox) disableMessageBoxes();
    try {
        return playShow(options, session);
    } catch (const ShowError& error) {
        return presentShowError(error, true);
    }
}

}  // namespace velmora
