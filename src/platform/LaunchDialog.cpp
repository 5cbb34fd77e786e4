// DialogWindow over SDL: the picture goes straight onto the window surface.
#include "platform/LaunchDialog.h"

#include <SDL.h>

#include <algorithm>

namespace velmora {

namespace {

DialogKey keyOf(SDL_Keycode key) {
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return DialogKey::Enter;
    case SDLK_ESCAPE:
        return DialogKey::Escape;
    case SDLK_UP:
        return DialogKey::Up;
    case SDLK_DOWN:
        return DialogKey::Down;
    case SDLK_1:
    case SDLK_KP_1:
        return DialogKey::Digit1;
    case SDLK_2:
    case SDLK_KP_2:
        return DialogKey::Digit2;
    case SDLK_3:
    case SDLK_KP_3:
        return DialogKey::Digit3;
    default:
        return DialogKey::Other;
    }
}

}  // namespace

DialogWindow::~DialogWindow() { close(); }

bool DialogWindow::open(const char* title, int width, int height) {
    close();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    videoStarted_ = true;
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SHOWN);
    if (!window_) {
        close();
        return false;
    }
    width_ = width;
    height_ = height;
    picture_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    SDL_RaiseWindow(window_);
    return true;
}

void DialogWindow::show(const uint32_t* pixels) {
    if (!window_) return;
    std::copy(pixels, pixels + picture_.size(), picture_.begin());
    repaint();
}

void DialogWindow::repaint() {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return;
    const int w = std::min(width_, surface->w);
    const int h = std::min(height_, surface->h);
    if (SDL_LockSurface(surface) == 0) {
        SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, picture_.data(), width_ * 4, surface->format->format,
                          surface->pixels, surface->pitch);
        SDL_UnlockSurface(surface);
    }
    SDL_UpdateWindowSurface(window_);
}

DialogInput DialogWindow::wait(int timeoutMs) {
    DialogInput input;
    if (!window_) {
        input.kind = DialogInput::Close;
        return input;
    }
    SDL_Event e;
    const Uint32 deadline = SDL_GetTicks() + static_cast<Uint32>(std::max(timeoutMs, 0));
    for (;;) {
        const int left = static_cast<int>(deadline - SDL_GetTicks());
        if (left <= 0 || !SDL_WaitEventTimeout(&e, left)) return input;
        switch (e.type) {
        case SDL_QUIT:
            input.kind = DialogInput::Close;
            return input;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                input.kind = DialogInput::Close;
                return input;
            }
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                repaint();
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.button != SDL_BUTTON_LEFT) break;
            input.kind = e.type == SDL_MOUSEBUTTONDOWN ? DialogInput::Press : DialogInput::Release;
            input.x = e.button.x;
            input.y = e.button.y;
            return input;
        case SDL_MOUSEMOTION:
            input.kind = DialogInput::Move;
            input.x = e.motion.x;
            input.y = e.motion.y;
            return input;
        case SDL_KEYDOWN:
            input.kind = DialogInput::Key;
            input.key = keyOf(e.key.keysym.sym);
            return input;
        default:
            break;
        }
    }
}

void DialogWindow::close() {
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted_ = false;
}

}  // namespace velmora
