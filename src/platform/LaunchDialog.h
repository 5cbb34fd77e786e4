// The launch dialog's window: small, borderless, centred on the desktop and on
// top, showing a picture drawn by the caller and reporting clicks and keys.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

namespace velmora {

enum class DialogKey { None, Enter, Escape, Up, Down, Digit1, Digit2, Digit3, Other };

struct DialogInput {
    enum Kind { Timeout, Press, Release, Move, Key, Close };
    Kind kind = Timeout;
    int x = 0, y = 0;  // picture pixels (Press, Release, Move)
    DialogKey key = DialogKey::None;
};

class DialogWindow {
public:
    DialogWindow() = default;
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // False when no window can be opened (no display).
    bool open(const char* title, int width, int height);
    // Shows a width by height picture of 0x00RRGGBB pixels; kept for repaints.
    void show(const uint32_t* pixels);
    // Waits up to timeoutMs for the next input; repaints meanwhile as needed.
    DialogInput wait(int timeoutMs);
    void close();

private:
    void repaint();

    SDL_Window* window_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> picture_;
    bool videoStarted_ = false;
};

}  // namespace velmora
