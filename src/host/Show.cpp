// The show: launch dialog, display, script, music, then one event, one frame and
// one present per pass until Escape or the window's close; then shutdown. For
// the show's author, F5 (or --watch) reloads the script live, Left and Right
// jump an order of the music, Space pauses and F1 shows the frame counter.
#include "host/Show.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "host/FrameCounter.h"
#include "host/ModeDialog.h"
#include "host/Screenshot.h"
#include "host/ScriptReload.h"
#include "host/ScriptWatcher.h"
#include "host/ShowControls.h"
#include "host/Startup.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/ModulePlayer.h"
#include "platform/Platform.h"
#include "script/DemoGraph.h"
#include "core/Errors.h"

namespace velmora {

namespace {

// Messages that carry their own line feed get no second one.
void writeErrorLine(const char* prefix, const char* message) {
    const size_t n = std::strlen(message);
    std::fprintf(stderr, "%s: %s%s", prefix, message, n > 0 && message[n - 1] == '\n' ? "" : "\n");
    std::fflush(stderr);
}

void showFatalError(const char* message) {
    writeErrorLine("FATAL ERROR", message);
    hideDisplay();  // a full-screen window would hide the box
    showErrorBox("FATAL ERROR", message);
}

void showReportedError(const char* message) {
    writeErrorLine("Erreur!!!!", message);
    showErrorBox("Erreur!!!!", message);
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int runShow(const ShowOptions& options) {
    setFatalErrorHandler(showFatalError);
    setErrorReportHandler(showReportedError);

    int modeIndex = options.mode;
    if (modeIndex < 0 || modeIndex > 2) modeIndex = runLaunchDialog();
    if (modeIndex < 0) {  // closed: no window was ever opened
        platformQuit();
        return 0;
    }
    const DisplayMode mode = displayModeFor(modeIndex);

    setupDisplay(mode);
    if (mode.fullScreen) hideCursor();
    raisePriority();

    auto graph = std::make_unique<DemoGraph>();
    // The player moves from graph to graph on a reload and lives as long as the show.
    auto ownedPlayer = std::make_unique<ModulePlayer>(options.music);
    ModulePlayer& player = *ownedPlayer;
    graph->setMusic(std::move(ownedPlayer));
    loadScriptOrDie(*graph, options.script.c_str());
    std::unique_ptr<Surface> outputSurface = makeOutputSurface();
    graph->startShow();

    const ShowErrorHandlers showHandlers{showFatalError, showReportedError};
    std::optional<ScriptWatcher> watcher;
    if (options.watch) watcher.emplace(options.script);
    FrameRateMeter meter;
    bool counterShown = false;

    // Escape and the window's close ask to quit; like a posted quit message the
    // request is taken at the start of the next pass.
    bool quitRequested = false;
    while (!quitRequested) {
        bool reload = false;
        switch (pollHostEvent()) {
        case HostEvent::Enter:
            saveScreenshot(*outputSurface);
            break;
        case HostEvent::Escape:
        case HostEvent::Quit:
            quitRequested = true;
            break;
        case HostEvent::F5:
            reload = true;
            break;
        case HostEvent::Left:
            jumpOrder(*graph, player, -1);
            break;
        case HostEvent::Right:
            jumpOrder(*graph, player, +1);
            break;
        case HostEvent::Space:
            togglePause(*graph, player);
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
            reloadScript(graph, options.script, showHandlers);
        }

        graph->runFrame(*outputSurface);
        meter.frame(now);
        if (counterShown) {
            const FrameCopy copy = copyFrame(outputSurface->pixels);
            drawFrameCounter(copy.pixels, copy.pitch, meter.perSecond());
            showFrameCopy();
        } else {
            presentFrame(outputSurface->pixels);
        }
    }

    graph.reset();  // stops the music first
    outputSurface.reset();
    restoreDisplay();
    destroyDisplay();
    platformQuit();
    return 0;
}

}  // namespace velmora
