// The show: launch dialog, display, script, music, then one event, one frame and
// one present per pass until Escape or the window's close; then shutdown. For
// the show's author, F5 (or --watch) reloads the script live, Left and Right
// jump an order of the music, Up and Down step a row, L loops an order, Space
// pauses and F1 shows the frame counter and the music's position; a refused
// reload shows its first problem over the frame for a while. A window is
// held to the display's refresh rate.
#include "host/Show.h"

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
#include "host/FrameCounter.h"
#include "host/Interruption.h"
#include "host/ReloadNotice.h"
#include "host/ModeDialog.h"
#include "host/Screenshot.h"
#include "host/ScriptWatcher.h"
#include "host/ShowSession.h"
#include "host/ShowErrorExit.h"
#include "host/Startup.h"
#include "platform/Display.h"
#include "platform/DisplayReach.h"
#include "platform/MessageBox.h"
#include "platform/ModulePlayer.h"
#include "platform/Platform.h"
#include "script/DemoGraph.h"

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

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

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
    auto graph = std::make_unique<DemoGraph>();
    graph->setSurfaceBudget(options.surfaceBudgetBytes);
    ShowReporter reporter;
    {
        // Between frames the display's own handlers end the show; while it
        // loads, these stop the load as they stop `render`'s.
        const InterruptionsCaught caught;
        graph->setStopCheck(interruptionStopCheck());
        loadScriptOrDie(*graph, options.script.c_str(), reporter);
        if (interruptionSignal()) throw LoadInterrupted();
    }
    session->setGraph(std::move(graph));
    std::unique_ptr<Surface> outputSurface = makeOutputSurface();
    session->start();
    if (options.startPosition) session->startAt(options.startPosition->order, options.startPosition->row);

    std::optional<ScriptWatcher> watcher;
    if (options.watch) watcher.emplace(options.script);
    FrameRateMeter meter;
    ScreenshotWriter screenshots(options.screenshotFolder);
    bool counterShown = false;
    ReloadNotice notice;
    std::string refusal;
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
    bool quitRequested = false;
    while (!quitRequested) {
        bool reload = false;
        switch (pollHostEvent()) {
        case HostEvent::Enter:
            screenshots.save(*outputSurface);
            break;
        case HostEvent::Escape:
        case HostEvent::Quit:
            quitRequested = true;
            break;
        case HostEvent::F5:
            reload = true;
            break;
        case HostEvent::Left:
            session->jumpOrder(-1);
            break;
        case HostEvent::Right:
            session->jumpOrder(+1);
            break;
        case HostEvent::Up:
            session->stepRow(-1);
            break;
        case HostEvent::Down:
            session->stepRow(+1);
            break;
        case HostEvent::L:
            session->toggleLoop();
            break;
        case HostEvent::Space:
            session->togglePause();
            break;
        case HostEvent::F1:
            counterShown = !counterShown;
            break;
        default:
            break;
        }
        const double now = steadySeconds();
        if (watcher && watcher->changed(now)) reload = true;
        if (reload) {
            if (watcher) watcher->remember();
            if (!session->reload(options.script, options.surfaceBudgetBytes, &refusal)) notice.show(refusal, now);
        }

        session->followLoop();

        session->runFrame(*outputSurface);
        meter.frame(now);
        const bool noticeShown = notice.visible(now);
        if (counterShown || noticeShown) {
            const uint32_t position = counterShown ? session->channelPosition() : 0;
            const FrameCopy copy = copyFrame(outputSurface->pixels);
            if (counterShown) {
                drawFrameCounter(copy.pixels, copy.pitch, meter.perSecond());
                drawMusicPosition(copy.pixels, copy.pitch, position & 0xFFFFu, position >> 24, session->clock().seconds());
            }
            if (noticeShown) notice.draw(copy.pixels, copy.pitch);
            showFrameCopy();
        } else {
            presentFrame(outputSurface->pixels);
        }
        if (pacer) {
            const double wait = pacer->delayAfterFrame(steadySeconds());
            if (wait > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
        }
    }

    session.reset();  // stops the music first
    outputSurface.reset();
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
