// The page as the live show's platform: the keys the page passed on, the
// time of its animation frame, the frame as RGBA for its canvas, a
// screenshot's bytes and the fatal message kept for it to fetch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "show/ShowPlatform.h"

namespace velmora {

class PagePlatform : public ShowPlatform {
public:
    double now() override { return nowSeconds; }
    ShowCommand pollInput() override {
        const ShowCommand command = pending;
        pending = ShowCommand::None;
        return command;
    }
    void present(const Surface& frame, const ShowOverlay& shown) override;
    void saveScreenshot(const std::vector<uint8_t>& bmp) override { screenshot = bmp; }
    void showFatal(const std::string& message) override { error = message; }

    double nowSeconds = 0.0;
    ShowCommand pending = ShowCommand::None;
    ShowOverlay overlay;
    std::vector<uint8_t> rgba;
    std::vector<uint8_t> screenshot;
    std::string error;  // the fatal message, as the native show's box shows it
    std::string text;   // the overlay's or a reload's text handed to the page

    // The overlay's text: the counter and position lines when shown, then a
    // refused reload's problem; empty when nothing shows.
    const std::string& overlayText();
};

}  // namespace velmora
