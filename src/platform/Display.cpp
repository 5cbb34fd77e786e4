// The display over SDL: one window, a renderer and a streaming 512x256 texture
// drawn with sharp pixels into the canvas place of the frame.
#include "platform/Display.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/Error.h"

namespace velmora {

namespace {

struct DisplayState {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* frame = nullptr;
    CanvasLayout canvas;
    bool integerScale = true;
    bool fullScreen = false;
    bool videoStarted = false;
    bool frameLocked = false;  // between copyFrame and showFrameCopy
};
DisplayState display;

// The screen's own mode of exactly w by h at 24 or 32 bits, if it has one.
bool findScreenMode(int w, int h, SDL_DisplayMode& found) {
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w == w && m.h == h && SDL_BITSPERPIXEL(m.format) >= 24) {
            found = m;
            return true;
        }
    }
    return false;
}

// A step of the set-up refused: the original text, and SDL's own reason in
// English under it (on standard error and in the box).
[[noreturn]] void displayFailed(const char* message, const char* step) {
    fatalError(message, std::string(step) + ": " + SDL_GetError());
}

}  // namespace

CanvasLayout canvasLayout(const DisplayMode& mode) {
    if (!mode.fullScreen) return CanvasLayout{};
    if (mode.lowResolution) return CanvasLayout{512, 384, 0, 64};
    return CanvasLayout{640, 480, 64, 112};
}

PixelRect frameRectOnOutput(const CanvasLayout& canvas, int outputWidth, int outputHeight) {
    PlacementRules rules;
    rules.wholeFactor = false;
    rules.floorScaledEdges = true;
    const auto placed = placeOnOutput(canvas.width, canvas.height,
                                      {canvas.frameX, canvas.frameY, kFrameWidth, kFrameHeight}, outputWidth,
                                      outputHeight, rules);
    if (!placed) return {};
    return PixelRect{placed->area.x, placed->area.y, placed->area.width, placed->area.height};
}

void setupDisplay(const DisplayMode& mode, const DisplayOptions& options) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        displayFailed("impossible de poser le ddraw!!\n", "SDL's video did not start");
    display.videoStarted = true;
    display.canvas = canvasLayout(mode);
    display.integerScale = options.integerScale;
    display.fullScreen = mode.fullScreen;

    // Full screen: the screen in the canvas's own mode where it has one;
    // otherwise (most flat panels) the desktop, with the canvas scaled to fit.
    // The window is made borderless over the whole desktop as well, so that it
    // covers the screen even where no window manager resizes it.
    SDL_DisplayMode screenMode{};
    const bool exclusive =
        mode.fullScreen && findScreenMode(display.canvas.width, display.canvas.height, screenMode);
    SDL_Rect place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, display.canvas.width, display.canvas.height};
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (mode.fullScreen) {
        SDL_Rect desktop;
        if (SDL_GetDisplayBounds(0, &desktop) != 0)
            displayFailed("impossible de poser le fullscreen!!\n", "the screen's size is not known");
        place.x = desktop.x;
        place.y = desktop.y;
        if (!exclusive) place.w = desktop.w, place.h = desktop.h;
        flags |= SDL_WINDOW_BORDERLESS;
    } else {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    display.window = SDL_CreateWindow("Velmora", place.x, place.y, place.w, place.h, flags);
    if (!display.window) displayFailed("impossible de poser le SetCooperativeLevel!!\n", "no window could be opened");

    if (mode.fullScreen) {
        const bool ok = exclusive ? SDL_SetWindowDisplayMode(display.window, &screenMode) == 0 &&
                                        SDL_SetWindowFullscreen(display.window, SDL_WINDOW_FULLSCREEN) == 0
                                  : SDL_SetWindowFullscreen(display.window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
        if (!ok) displayFailed("impossible de poser le fullscreen!!\n", "the full-screen mode was refused");
    }

    // Full screen flips in step with the screen; the window too unless asked not to.
    const Uint32 vsync = mode.pageFlip || options.vsyncInWindow ? SDL_RENDERER_PRESENTVSYNC : 0;
    display.renderer = SDL_CreateRenderer(display.window, -1, vsync);
    if (!display.renderer) display.renderer = SDL_CreateRenderer(display.window, -1, SDL_RENDERER_SOFTWARE);
    if (!display.renderer) displayFailed("impossible de poser le CreateSurface!!\n", "no renderer for the window");
    display.frame = SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                      kFrameWidth, kFrameHeight);
    if (!display.frame) displayFailed("impossible de poser le CreateSurface!!\n", "no texture for the frame");
    SDL_SetTextureScaleMode(display.frame, SDL_ScaleModeNearest);

    SDL_ShowWindow(display.window);
    SDL_RaiseWindow(display.window);
    SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
    SDL_RenderClear(display.renderer);
    SDL_RenderPresent(display.renderer);
}

void presentFrame(const uint32_t* pixels) {
    if (!display.renderer || !pixels) return;
    copyFrame(pixels);
    showFrameCopy();
}

FrameCopy copyFrame(const uint32_t* pixels) {
    if (!display.frame || !pixels) return {};
    void* locked = nullptr;
    int pitchBytes = 0;
    if (SDL_LockTexture(display.frame, nullptr, &locked, &pitchBytes) != 0 || pitchBytes % 4 != 0 ||
        pitchBytes < kFrameWidth * 4) {
        if (locked) SDL_UnlockTexture(display.frame);
        SDL_UpdateTexture(display.frame, nullptr, pixels, kFrameWidth * 4);
        return {};
    }
    auto* copy = static_cast<uint32_t*>(locked);
    const int pitch = pitchBytes / 4;
    for (int y = 0; y < kFrameHeight; ++y)
        std::memcpy(copy + static_cast<size_t>(y) * pitch, pixels + static_cast<size_t>(y) * kFrameWidth,
                    kFrameWidth * sizeof(uint32_t));
    display.frameLocked = true;
    return FrameCopy{copy, pitch};
}

void showFrameCopy() {
    if (!display.renderer) return;
    if (display.frameLocked) SDL_UnlockTexture(display.frame);
    display.frameLocked = false;
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(display.renderer, &w, &h) != 0) return;
    const PixelRect r =
        display.integerScale ? integerFrameRect(display.canvas, w, h) : frameRectOnOutput(display.canvas, w, h);
    const SDL_Rect target{r.x, r.y, r.w, r.h};
    SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
    SDL_RenderClear(display.renderer);  // the borders stay black
    SDL_RenderCopy(display.renderer, display.frame, nullptr, &target);
    SDL_RenderPresent(display.renderer);
}

int displayRefreshRate() {
    if (!display.window) return 0;
    const int index = SDL_GetWindowDisplayIndex(display.window);
    SDL_DisplayMode current;
    if (index < 0 || SDL_GetCurrentDisplayMode(index, &current) != 0) return 0;
    return current.refresh_rate > 0 ? current.refresh_rate : 0;
}

void restoreDisplay() {
    if (display.window && display.fullScreen) SDL_SetWindowFullscreen(display.window, 0);
}

void destroyDisplay() {
    if (display.frame) SDL_DestroyTexture(display.frame);
    if (display.renderer) SDL_DestroyRenderer(display.renderer);
    if (display.window) SDL_DestroyWindow(display.window);
    display.frame = nullptr;
    display.frameLocked = false;
    display.renderer = nullptr;
    display.window = nullptr;
    if (display.videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    display.videoStarted = false;
}

void hideDisplay() {
    if (!display.window) return;
    if (display.fullScreen) SDL_SetWindowFullscreen(display.window, 0);
    SDL_HideWindow(display.window);
}

void hideCursor() { SDL_ShowCursor(SDL_DISABLE); }

HostEvent pollHostEvent() {
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return HostEvent::None;
    switch (e.type) {
    case SDL_QUIT:
        return HostEvent::Quit;
    case SDL_WINDOWEVENT:
        return e.window.event == SDL_WINDOWEVENT_CLOSE ? HostEvent::Quit : HostEvent::Other;
    case SDL_KEYDOWN: {  // key repeats come as further key-downs
        const SDL_Keycode key = e.key.keysym.sym;
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER) return HostEvent::Enter;
        if (key == SDLK_ESCAPE) return HostEvent::Escape;
        if (key == SDLK_LEFT) return HostEvent::Left;
        if (key == SDLK_RIGHT) return HostEvent::Right;
        if (key == SDLK_UP) return HostEvent::Up;
        if (key == SDLK_DOWN) return HostEvent::Down;
        // Toggles and reloads would flap or pile up while the key is held.
        if (e.key.repeat) return HostEvent::Other;
        if (key == SDLK_F1) return HostEvent::F1;
        if (key == SDLK_F5) return HostEvent::F5;
        if (key == SDLK_SPACE) return HostEvent::Space;
        if (key == SDLK_l) return HostEvent::L;
        return HostEvent::Other;
    }
    default:
        return HostEvent::Other;
    }
}

void raisePriority() { SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH); }

}  // namespace velmora
