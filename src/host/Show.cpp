// The show: launch dialog, display, script, music, then one event, one frame and
// one present per pass until Escape or the window's close; then shutdown.
#include "host/Show.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "host/ModeDialog.h"
#include "host/Screenshot.h"
#include "host/Startup.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/ModulePlayer.h"
#include "platform/Platform.h"
#include "script/DemoGraph.h"
#include "script/Errors.h"

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
    graph->setMusic(std::make_unique<ModulePlayer>(options.music));
    loadScriptOrDie(*graph, options.script.c_str());
    std::unique_ptr<Surface> outputSurface = makeOutputSurface();
    graph->startShow();

    // Escape and the window's close ask to quit; like a posted quit message the
    // request is taken at the start of the next pass.
    bool quitRequested = false;
    for (;;) {
        if (quitRequested) break;
        switch (pollHostEvent()) {
        case HostEvent::Enter:
            saveScreenshot(*outputSurface);
            break;
        case HostEvent::Escape:
        case HostEvent::Quit:
            quitRequested = true;
            break;
        default:
            break;
        }
        graph->runFrame(*outputSurface);
        presentFrame(outputSurface->pixels);
    }

    graph.reset();  // stops the music first
    outputSurface.reset();
    restoreDisplay();
    destroyDisplay();
    platformQuit();
    return 0;
}

}  // namespace velmora
