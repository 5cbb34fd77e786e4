// The launch dialog's picture, drawn by code: heading, the three mode labels
// with their bullets, close box, GO! button face, logo; and the mode dots.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velmora {

inline constexpr int kDialogPictureWidth = 200;
inline constexpr int kDialogPictureHeight = 120;

// Mode dot centres (picture pixels) and colours (0x00RRGGBB).
inline constexpr int kModeDotX = 34;
inline constexpr int kModeDotY[3] = {42, 57, 72};
inline constexpr uint32_t kChosenDotColour = 0xC8FFFF;  // red 200, green 255, blue 255
inline constexpr uint32_t kOtherDotColour = 0x000000;

// A picture of kDialogPictureWidth by kDialogPictureHeight pixels.
using DialogPicture = std::span<uint32_t>;

// The background picture: everything the viewer sees except the dots.
void drawDialogPicture(DialogPicture picture);

// A filled circle in the box (x-4, y-4)..(x+4, y+4), outlined in black.
void drawDot(DialogPicture picture, int x, int y, uint32_t colour);
// The three dots, the one of modeIndex bright, the others black.
void drawModeDots(DialogPicture picture, int modeIndex);

// Text in the embedded 5x7 font, each pixel drawn as a scale by scale block;
// characters the font lacks are blank. Returns the x after the last character.
int drawText(DialogPicture picture, int x, int y, std::string_view text, uint32_t colour, int scale = 1);
// The same into any picture of width by height pixels whose rows are `pitch`
// pixels apart; nothing is written outside it.
int drawTextAt(uint32_t* pixels, int width, int height, int pitch, int x, int y, std::string_view text,
               uint32_t colour, int scale = 1);

}  // namespace velmora
