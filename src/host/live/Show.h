// The show on screen: launch dialog, window or full screen, music, main loop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Limits.h"
#include "host/live/Screenshot.h"
#include "host/live/ScriptWatcher.h"
#include "platform/Display.h"
#include "show/LiveShow.h"
#include "show/ShowPlatform.h"

namespace velmora {

// A place in the music: an order and a row of its pattern.
struct OrderRow {
    uint32_t order = 0, row = 0;
};

struct ShowOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    int mode = -1;  // 0: 512x384 full screen, 1: 640x480 full screen, 2: window; -1: ask
    bool watch = false;  // reload the script whenever its file or a track file it reads changes
    bool integerScale = true;  // whole scale factors only; false: fit the screen at any factor
    int frameRateCap = 0;      // in a window without vsync: 0 the display's refresh rate, else frames per second
    bool uncapped = false;     // in a window: neither vsync nor a cap
    std::optional<OrderRow> startPosition;  // start the music (and the clock) there
    int threads = 0;  // threads per frame; 0: VELMORA_THREADS, else one per core
    std::filesystem::path screenshotFolder;  // where grab_N.bmp goes; empty: the working directory
    uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes;  // for every load, reloads too
    bool mute = false;          // no audio device: the music is followed without its sound
    bool noMessageBox = false;  // errors on standard error only, never in a box
};

// The window as the live show's platform: the steady clock, the display's
// keys through the show's key table, the frame and its overlay on screen,
// screenshots as grab_N.bmp.
class WindowPlatform : public ShowPlatform {
public:
    WindowPlatform(std::filesystem::path screenshotFolder, ScriptWatcher* watcher)
        : screenshots_(std::move(screenshotFolder)), watcher_(watcher) {}
    double now() override;
    ShowCommand pollInput() override;
    void present(const Surface& frame, const ShowOverlay& overlay) override;
    void saveScreenshot(const std::vector<uint8_t>& bmp) override;
    void showFatal(const std::string& message) override;

private:
    ScreenshotWriter screenshots_;
    ScriptWatcher* watcher_;  // a key's reload makes the file on disk the known one
};

// The display's event under the key table's name ("Enter", "ArrowLeft" ...).
std::string_view hostEventKey(HostEvent event);

// One pass of the native show: a change --watch saw, then the live show's
// pass, each reload told on the standard streams. False once asked to quit.
bool runShowPass(LiveShow& live, ShowPlatform& platform, ScriptWatcher* watcher);

// Runs the whole show and returns the process exit code; an error that stops
// the show is presented here (text, message box) and gives its exit status.
int runShow(const ShowOptions& options);

}  // namespace velmora
