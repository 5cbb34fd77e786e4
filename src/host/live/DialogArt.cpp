// The launch dialog's artwork and its 5x7 bitmap font (which the frame counter
// borrows).
#include "host/live/DialogArt.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int W = kDialogPictureWidth;
constexpr int H = kDialogPictureHeight;

struct Glyph {
    char c;
    uint8_t rows[7];  // bit 4 is the leftmost column
};

// The characters the dialog, the frame counter and the reload notice write.
constexpr Glyph kFont[] = {
    {'f', {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}}, {'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}},
    {'s', {0x00, 0x00, 0x0F, 0x10, 0x0E, 0x01, 0x1E}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1E, 0x01, 0x01, 0x0E, 0x01, 0x01, 0x1E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'x', {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}}, {'d', {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}},
    {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}}, {'i', {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E}},
    {'n', {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}}, {'o', {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}},
    {'w', {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A}}, {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}}, {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}}, {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    // The rest of the capitals and the punctuation of a script's problem line.
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}}, {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}}, {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}}, {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}}, {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}}, {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {';', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08}}, {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}}, {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}}, {'\'', {0x0C, 0x04, 0x08, 0x00, 0x00, 0x00, 0x00}},
    {'"', {0x0A, 0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00}}, {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}}, {'[', {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E}},
    {']', {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E}}, {'<', {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}},
    {'>', {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}}, {'*', {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}}, {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
};

const Glyph* findGlyph(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

void put(DialogPicture p, int x, int y, uint32_t colour) {
    if (x >= 0 && x < W && y >= 0 && y < H && p.size() >= static_cast<size_t>(W * H)) p[y * W + x] = colour;
}

uint32_t rgb(double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0)); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

uint32_t mix(uint32_t a, uint32_t b, double t) {
    auto ch = [&](int s) { return ((a >> s) & 0xFF) * (1.0 - t) + ((b >> s) & 0xFF) * t; };
    return rgb(ch(16), ch(8), ch(0));
}

void fillRect(DialogPicture p, int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) put(p, x, y, colour);
}

void frameRect(DialogPicture p, int x0, int y0, int x1, int y1, uint32_t light, uint32_t dark) {
    for (int x = x0; x < x1; ++x) put(p, x, y0, light), put(p, x, y1 - 1, dark);
    for (int y = y0; y < y1; ++y) put(p, x0, y, light), put(p, x1 - 1, y, dark);
}

void background(DialogPicture p) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double t = static_cast<double>(y) / (H - 1);
            uint32_t c = mix(0x101838, 0x1E0E36, t);
            if ((x + y) % 6 == 0) c = mix(c, 0x2A3A78, 0.35);  // faint diagonal weave
            put(p, x, y, c);
        }
    fillRect(p, 1, 1, W - 1, 21, 0x0A0F26);
    for (int x = 1; x < W - 1; ++x) put(p, x, 21, mix(0x40E0F0, 0xD040C0, static_cast<double>(x) / W));
    frameRect(p, 0, 0, W, H, 0x6878D0, 0x24205A);
}

void closeBox(DialogPicture p) {
    fillRect(p, 176, 3, 195, 18, 0x5A1830);
    frameRect(p, 176, 3, 195, 18, 0xE07090, 0x300818);
    for (int i = 0; i < 9; ++i) {
        put(p, 181 + i, 6 + i, 0xFFFFFF), put(p, 182 + i, 6 + i, 0xFFD8E0);
        put(p, 189 - i, 6 + i, 0xFFFFFF), put(p, 190 - i, 6 + i, 0xFFD8E0);
    }
}

// A bullet ring where the mode dots go, then the label.
void modeRow(DialogPicture p, int y, const char* label) {
    for (int dy = -6; dy <= 6; ++dy)
        for (int dx = -6; dx <= 6; ++dx) {
            double d = std::sqrt((dx + 0.5) * (dx + 0.5) + (dy + 0.5) * (dy + 0.5));
            if (d >= 4.6 && d < 5.8) put(p, kModeDotX + dx, y + dy, 0x7C8CD0);
        }
    drawText(p, 45, y - 2, label, 0x203060);  // shadow
    drawText(p, 44, y - 3, label, 0xDCE4FF);
}

void goButton(DialogPicture p) {
    for (int y = 93; y < 110; ++y)
        for (int x = 146; x < 182; ++x) put(p, x, y, mix(0x38C8A0, 0x0E6A58, (y - 93) / 16.0));
    frameRect(p, 146, 93, 182, 110, 0xA8FFE8, 0x06302A);
    frameRect(p, 145, 92, 183, 111, 0x0A1020, 0x0A1020);
    drawText(p, 155, 98, "GO!", 0x06302A);
    drawText(p, 154, 97, "GO!", 0xFFFFFF);
    drawText(p, 155, 97, "GO!", 0xFFFFFF);  // bold
}

// A lit sphere with a tilted ring round it, and the name underneath the modes.
void logo(DialogPicture p) {
    const double cx = 170.0, cy = 54.0, radius = 17.0;
    for (int y = 30; y < 80; ++y)
        for (int x = 144; x < 198; ++x) {
            double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
            double d2 = dx * dx + dy * dy;
            if (d2 > 1.0) continue;
            double dz = std::sqrt(1.0 - d2);
            double light = std::max(0.0, -0.45 * dx - 0.55 * dy + 0.7 * dz);
            double shine = std::pow(light, 24.0);
            uint32_t base = mix(0x3020A0, 0x20D0E0, std::clamp(0.5 - dy * 0.5, 0.0, 1.0));
            put(p, x, y, mix(mix(0x080818, base, 0.25 + 0.75 * light), 0xFFFFFF, shine));
        }
    for (int i = 0; i < 720; ++i) {
        double a = i * 3.14159265358979 / 360.0;
        double ex = std::cos(a) * 26.0, ey = std::sin(a) * 7.0;
        double rx = ex * 0.96 - ey * 0.28, ry = ex * 0.28 + ey * 0.96;
        bool behind = std::sin(a) < 0.0 && (rx * rx + ry * ry) < radius * radius;
        if (!behind) put(p, static_cast<int>(cx + rx), static_cast<int>(cy + ry), mix(0xF0A0FF, 0x60F0FF, (std::cos(a) + 1) / 2));
    }
    const char* name = "VELMORA";
    int x = 12;
    for (int i = 0; name[i]; ++i) {
        uint32_t colour = mix(0x50E8F8, 0xE060D0, i / 6.0);
        drawText(p, x + 1, 96, std::string_view(name + i, 1), 0x05060F, 2);
        x = drawText(p, x, 95, std::string_view(name + i, 1), colour, 2);
    }
}

}  // namespace

int drawText(DialogPicture picture, int x, int y, std::string_view text, uint32_t colour, int scale) {
    if (picture.size() < static_cast<size_t>(W * H)) return x + 6 * scale * static_cast<int>(text.size());
    return drawTextAt(picture.data(), W, H, W, x, y, text, colour, scale);
}

int drawTextAt(uint32_t* pixels, int width, int height, int pitch, int x, int y, std::string_view text,
               uint32_t colour, int scale) {
    for (char c : text) {
        if (const Glyph* g = pixels ? findGlyph(c) : nullptr)
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (0x10 >> col))
                        for (int sy = 0; sy < scale; ++sy)
                            for (int sx = 0; sx < scale; ++sx) {
                                const int px = x + col * scale + sx, py = y + row * scale + sy;
                                if (px >= 0 && px < width && py >= 0 && py < height)
                                    pixels[static_cast<size_t>(py) * pitch + px] = colour;
                            }
        x += 6 * scale;
    }
    return x;
}

void drawDot(DialogPicture picture, int x, int y, uint32_t colour) {
    for (int py = y - 4; py < y + 4; ++py)
        for (int px = x - 4; px < x + 4; ++px) {
            const double dx = px + 0.5 - x, dy = py + 0.5 - y;
            const double d2 = dx * dx + dy * dy;
            if (d2 <= 16.0) put(picture, px, py, d2 > 9.0 ? 0x000000 : colour);
        }
}

void drawModeDots(DialogPicture picture, int modeIndex) {
    for (int i = 0; i < 3; ++i) drawDot(picture, kModeDotX, kModeDotY[i], i == modeIndex ? kChosenDotColour : kOtherDotColour);
}

void drawDialogPicture(DialogPicture picture) {
    background(picture);
    drawText(picture, 9, 5, "Video Mode", 0x000000, 2);
    drawText(picture, 8, 4, "Video Mode", 0xF0F4FF, 2);
    closeBox(picture);
    modeRow(picture, kModeDotY[0], "512x384x32");
    modeRow(picture, kModeDotY[1], "640x480x32");
    modeRow(picture, kModeDotY[2], "Windowed");
    logo(picture);
    goButton(picture);
}

}  // namespace velmora
