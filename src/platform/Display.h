// The demo window and the picture on it: full screen at 512x384 or 640x480, or
// a window, with the 512 by 256 frame placed on the mode's canvas.
#pragma once

#include <cstdint>

#include "core/FrameGeometry.h"
namespace velmora {

struct DisplayMode {
    bool fullScreen = false;
    bool lowResolution = false;  // in full screen: 512x384 rather than 640x480
    bool pageFlip = false;
};

// The picture a mode shows: a canvas of width by height with the frame's
// top-left corner at (frameX, frameY), black around it.
struct CanvasLayout {
    int width = kFrameWidth;
    int height = kFrameHeight;
    int frameX = 0;
    int frameY = 0;
};
CanvasLayout canvasLayout(const DisplayMode& mode);

struct PixelRect {
    int x = 0, y = 0, w = 0, h = 0;
};
// Where the frame lands on an output of outputWidth by outputHeight pixels when
// the canvas is scaled to fit it, keeping its aspect, centred (black bars).
PixelRect frameRectOnOutput(const CanvasLayout& canvas, int outputWidth, int outputHeight);
// The same at the largest whole factor at which the canvas fits (every frame
// pixel an even k by k block), the canvas centred on black; an output smaller
// than the canvas gets frameRectOnOutput.
PixelRect integerFrameRect(const CanvasLayout& canvas, int outputWidth, int outputHeight);

// Choices beyond the mode: whole scale factors (or fit at any factor), and
// whether the window waits for the display's refresh.
struct DisplayOptions {
    bool integerScale = true;
    bool vsyncInWindow = true;
};

// Opens the window titled "Velmora" and sets up the display for the mode. A
// failing step is a fatal error with SDL's reason under it: "impossible de
// poser le ddraw!!\n" (video), "...SetCooperativeLevel!!\n" (window),
// "...fullscreen!!\n" (full-screen mode), "...CreateSurface!!\n" (renderer or
// frame texture).
void setupDisplay(const DisplayMode& mode, const DisplayOptions& options = {});
// The refresh rate of the screen the window is on in Hz; 0 when it is not known.
int displayRefreshRate();
// Puts the frame (kFrameWidth by kFrameHeight, 0x00RRGGBB) on the screen.
void presentFrame(const uint32_t* pixels);

// presentFrame in two halves, so that something can be drawn over the copy of
// the frame that goes on screen, never into the frame itself: copyFrame copies
// it into the display's own texture and hands that copy out (rows `pitch`
// pixels apart; no pixels when it cannot be had); showFrameCopy puts it on screen.
struct FrameCopy {
    uint32_t* pixels = nullptr;
    int pitch = 0;
};
FrameCopy copyFrame(const uint32_t* pixels);
void showFrameCopy();
// Gives the desktop its own mode back.
void restoreDisplay();
// Destroys the window and closes the video system.
void destroyDisplay();
// Takes the window out of the way, so a message box can be seen.
void hideDisplay();
// Hides the mouse cursor (full screen).
void hideCursor();

// Besides Enter and Escape, the keys for authoring a show: F1, F5, Left, Right,
// Up, Down, L and Space (the arrows repeat while held; the others do not).
enum class HostEvent { None, Quit, Enter, Escape, F1, F5, Left, Right, Space, Other, Up, Down, L };
// Takes at most one event from the queue.
HostEvent pollHostEvent();

// Asks for the process to be scheduled ahead of others; ignored when refused.
void raisePriority();

}  // namespace velmora
