// The reference table: every box and function type as a show's author sees it.
#include "script/TypeReference.h"

namespace velmora {

namespace {

constexpr SlotReference kGate{"gate", "on while above 0.0; at 0.0, below or NaN the line draws nothing"};

// Boxes whose only functions are their two gates.
constexpr SlotReference kTwoGates[] = {kGate, kGate};

constexpr SlotReference kFaderFunctions[] = {
    {"level", "0.0 to 1.0; times 255, truncated and held to 0-255"},
    kGate,
    kGate,
};

constexpr SlotReference kSpriteFunctions[] = {
    {"x of the sprite's centre on the output", "pixels, truncated toward zero; may lie off the surface"},
    {"y of the sprite's centre on the output", "pixels, truncated toward zero; may lie off the surface"},
    {"zoom", "1.0 draws the picture at its own size, 2.0 twice as large"},
    {"intensity, and a gate", "on while above 0.0; 1.0 draws the colours unchanged, 0.5 at half strength; "
                              "above 1.0 counts as 1.0"},
    kGate,
};

constexpr SlotReference kAnimatorFunctions[] = {
    kSpriteFunctions[0],
    kSpriteFunctions[1],
    kSpriteFunctions[2],
    kSpriteFunctions[3],
    kGate,
    {"frame", "0.0 to 1.0: frame number = value x 15, truncated and held to the strip's frames"},
};

constexpr SlotReference kBlurFunctions[] = {
    {"weight of each pixel's own colour", "0.0 to 1.0: near 1.0 a faint blur, 0.1 long trails, 0.0 black"},
    kGate,
    kGate,
};

constexpr SlotReference kRadialBlurFunctions[] = {
    {"x of the centre of the rays", "0 to 511 pixels, truncated toward zero"},
    {"y of the centre of the rays", "0 to 255 pixels, truncated toward zero"},
    kGate,
    kGate,
};

constexpr SlotReference kDeformationFunctions[] = {
    {"phase of the waves", "radians; a time function makes the waves travel outward"},
    {"strength", "0.0: no waves, a plain magnification; 0.2 to 1.0: stronger waves and brighter rings"},
    {"scale", "1.0 magnifies about 1.1 times; larger values show more of the picture, which repeats past "
              "its edges"},
    kGate,
    kGate,
};

constexpr SlotReference kFlightFunctions[] = {
    {"time of the flight", "seconds (any number); the camera follows a fixed path as it grows"},
    kGate,
    kGate,
};

constexpr SlotReference kFDTunnelFunctions[] = {
    {"not read", "any function"},
    kGate,
    kGate,
};

constexpr SlotReference kParticleFunctions[] = {
    {"phase a", "radians; particle i is zoomed by b x (sin(i + a) + 1.1), so a time function makes them pulse"},
    {"size b", "1.0 lets each zoom pulse between 0.1 and 2.1"},
    kGate,
    kGate,
};

constexpr SlotReference kVoxelTunnelFunctions[] = {
    {"time of the flight", "seconds; each second flies 200 rows of the height map and bends the tunnel"},
    kGate,
    kGate,
};

constexpr SlotReference kObjectFunctions[] = {
    {"eye x", "world units; the mesh stands at the origin"},
    {"eye y", "world units (y runs down the screen when the eye looks along x or z)"},
    {"eye z", "world units"},
    {"target x", "world units; the camera looks from the eye at the target"},
    {"target y", "world units"},
    {"target z", "world units"},
    kGate,
    kGate,
};

constexpr SlotReference kPictureInput[] = {
    {"the picture to copy", "best the output's size; only as many pixels as both surfaces hold are copied"},
};
constexpr SlotReference kSpriteInput[] = {
    {"the sprite", "any size; black (0) pixels are transparent"},
};
constexpr SlotReference kStripInput[] = {
    {"the strip", "frames stacked top to bottom, each HEIGHT rows (64x1024 holds 16 frames of 64 rows); "
                  "black is transparent"},
};
constexpr SlotReference kFrameInput[] = {
    {"the picture seen through the lens", "512x256; it repeats past its edges"},
};
constexpr SlotReference kTextureInput[] = {
    {"the texture", "256x256; it repeats in both directions"},
};
constexpr SlotReference kParticleInput[] = {
    {"the sprite of every particle", "any size, best small (16 to 64 pixels); black is transparent"},
};
constexpr SlotReference kTunnelInput[] = {
    {"the colours of the wall", "at least 512x512, read as a 512x512 map laid over the height map"},
};
constexpr SlotReference kObjectInput[] = {
    {"the environment map (only when MODE is neither 0 nor 1; may be left out otherwise)",
     "at least 256x256, read as 256x256: the face normals pick its texels, so a round, lit picture "
     "looks like chrome"},
};

constexpr const char* kAnySize = "any size";
constexpr const char* kFrameSize = "exactly 512x256 (OUT, or a surface declared 512 256)";

const TypeReference kReferences[] = {
    // Boxes, in the order of the type table.
    {TypeKind::Box, "ZYL_BoxClearSurface", "fills its output with black (transparent to sprites)", "",
     "", kTwoGates, {}, kAnySize, nullptr, nullptr, nullptr, "ZYL_BoxClearSurface efface", "efface calque un un"},
    {TypeKind::Box, "ZYL_BoxCopier", "copies input 0 onto its output, pixel for pixel", "", "", kTwoGates,
     kPictureInput, kAnySize, nullptr, nullptr, nullptr, "ZYL_BoxCopier copie", "copie OUT fond un un"},
    {TypeKind::Box, "ZYL_BoxInverseVideo", "inverts the colours of its output in place", "", "", kTwoGates, {},
     kAnySize, nullptr, nullptr, "Each pixel p becomes 0xFFFFFF - p: black turns white, red turns cyan.",
     "ZYL_BoxInverseVideo inverse", "inverse OUT un un"},
    {TypeKind::Box, "ZYL_BoxFader", "darkens, brightens or scales its output's colours", "MODE",
     "MODE is sub, add or mul, in lower case. Any other word is refused with \"ZYL_BoxFader MODE non "
     "valide!!\" and the box then draws nothing.",
     kFaderFunctions, {}, kAnySize,
     "sub: each channel loses the level (1.0 gives black); add: each channel gains the level (1.0 gives "
     "white); mul: each channel is multiplied by level/256 (0.0 gives black, 1.0 leaves the picture unchanged)",
     nullptr, "F0 is the level, not a gate: only F1 and F2 switch the box.",
     "ZYL_BoxFader assombrir mul", "assombrir OUT moitie un un"},
    {TypeKind::Box, "ZYL_BoxZoomer", "draws nothing; a line naming it changes nothing", "", "", {}, {},
     kAnySize, nullptr, nullptr, nullptr, "ZYL_BoxZoomer zoom", "zoom OUT"},
    {TypeKind::Box, "ZYL_BoxSprite", "draws input 0 at a point, zoomed and faded",
     "MODE",
     "MODE is put (the sprite replaces the pixels under it) or add (its colours are added, each channel "
     "held at 255). Any other word is refused with \"ZYL_BoxSprite MODE non valide!!\" and the box then "
     "draws nothing.",
     kSpriteFunctions, kSpriteInput, kAnySize, "put or add (see the parameter text)", nullptr,
     "Parts of the sprite off the output are clipped. F4 is read before F3.",
     "ZYL_BoxSprite lueur add", "lueur OUT balle gauche centreY un un un"},
    {TypeKind::Box, "ZYL_BoxAnimator", "a flip-book: one frame of a strip, drawn as a sprite",
     "MODE HEIGHT",
     "MODE is put or add, as for ZYL_BoxSprite (a wrong word gives \"ZYL_BoxSprite MODE non valide!!\"). "
     "HEIGHT is the height of one frame in pixels.",
     kAnimatorFunctions, kStripInput, kAnySize, "put or add (see the parameter text)", nullptr,
     "F5 running from 0.0 to 1.0 steps through frames 0 to 15; the strip is left whole for the "
     "lines after it.",
     "ZYL_BoxAnimator cube add 64", "cube OUT film gauche centreY un un un debut"},
    {TypeKind::Box, "ZYL_BoxXBlur", "smears its output to the right, in place", "", "",
     kBlurFunctions, {}, kFrameSize, nullptr, nullptr,
     "Each pixel mixes with the already smeared pixel on its left; column 0 becomes black. The box blurs "
     "what the lines before it drew.",
     "ZYL_BoxXBlur trainee", "trainee OUT poids un un"},
    {TypeKind::Box, "ZYL_BoxYBlur", "smears its output downward, in place", "", "",
     kBlurFunctions, {}, kFrameSize, nullptr, nullptr,
     "Each pixel mixes with the already smeared pixel above it; row 0 becomes black. The box blurs what "
     "the lines before it drew.",
     "ZYL_BoxYBlur pluie", "pluie OUT poids un un"},
    {TypeKind::Box, "ZYL_BoxRadialBlur", "light streaks from a centre over its output",
     "", "", kRadialBlurFunctions, {}, kFrameSize, nullptr, nullptr,
     "Every pixel takes the colour of the pixels just inside it plus 2.3% of its own, so bright areas "
     "stream out to the edges and a dark picture stays dark: draw bright things on a dark surface first.",
     "ZYL_BoxRadialBlur rayons", "rayons calque centreX centreY un un"},
    {TypeKind::Box, "ZYL_BoxDeformation",
     "draws input 0 through a rippling lens", "", "",
     kDeformationFunctions, kFrameInput, kFrameSize, nullptr, nullptr, nullptr, "ZYL_BoxDeformation lentille",
     "lentille OUT fond phase force echelle un un"},
    {TypeKind::Box, "ZYL_BoxFDTunnel", "draws nothing; a line naming it changes nothing", "", "",
     kFDTunnelFunctions, {}, kAnySize, nullptr, nullptr, "It reads its gates and nothing else.",
     "ZYL_BoxFDTunnel couloir", "couloir OUT temps un un"},
    {TypeKind::Box, "ZYL_BoxFDBoule", "a flight inside a textured sphere", "",
     "", kFlightFunctions, kTextureInput, kFrameSize, nullptr, nullptr,
     "It covers the whole output. All ZYL_BoxFDBoule boxes share one camera.", "ZYL_BoxFDBoule boule",
     "boule OUT texture temps un un"},
    {TypeKind::Box, "ZYL_BoxFDVoxel",
     "a flight over a textured relief, fogged with distance", "", "", kFlightFunctions,
     kTextureInput, kFrameSize, nullptr, nullptr,
     "It covers the whole output. All ZYL_BoxFDVoxel boxes share one camera.", "ZYL_BoxFDVoxel relief",
     "relief OUT texture temps un un"},
    {TypeKind::Box, "ZYL_BoxParticules",
     "a swarm of pulsing sprites that push each other apart",
     "COUNT",
     "COUNT is the number of particles, 0 to 16384 (a few dozen look best: each one pushes every other). "
     "They start at the same places in every run.",
     kParticleFunctions, kParticleInput, kAnySize, nullptr, nullptr,
     "The swarm moves about 1.43 pixels each time a line draws it, not per second; while a gate is off it "
     "stands still. Colours are added, each channel held at 255.",
     "ZYL_BoxParticules essaim 40", "essaim OUT etoile temps un un un"},
    {TypeKind::Box, "ZYL_BoxVoxelTunnel",
     "a flight down a height-mapped tunnel", "FILE",
     "FILE is a 512x512 grey-level JPEG height map (one channel), relative to the working directory: white "
     "pulls the wall toward the centre. A file that cannot be read or does not fit is the fatal error "
     "\"FICHIER NON TROUVE\".",
     kVoxelTunnelFunctions, kTunnelInput, kFrameSize, nullptr, nullptr,
     "It covers the whole output; the far end of the tunnel is black. Parts of the wall that a frame does "
     "not reach keep what earlier frames drew (white before the first).",
     "ZYL_BoxVoxelTunnel tunnel data/heightmap.jpg", "tunnel OUT couleurs temps un un"},
    {TypeKind::Box, "ZYL_BoxObjet3D", "a mesh seen from a camera: wires, flat or chrome faces",
     "FILE MODE",
     "FILE is a LightWave LWO2 mesh of triangles, relative to the working directory. A file that cannot be "
     "opened ends the program with status 2, a malformed one with status 1 (3 when it cannot be read "
     "whole). MODE is a whole number (0 when left out).",
     kObjectFunctions, kObjectInput, kFrameSize,
     "0: white wireframe, every edge; 1: flat faces, each in a colour of its own, back faces hidden; any "
     "other value: faces textured with input 0 as an environment map, back faces hidden",
     nullptr,
     "The box never clears its output: clear or copy into it first. Faces are drawn far to near, without a "
     "depth buffer; those behind the eye or far off the screen are left out. When eye and target meet, "
     "the previous view direction is kept.",
     "ZYL_BoxObjet3D chrome data/torus.lwo 2", "chrome OUT envmap oeilX oeilY droite zero zero droite un un"},

    // Functions.
    {TypeKind::Function, "ZYL_FnctTime", "a line of time; with speed 0, a constant",
     "SPEED START OFFSET",
     "value = (t - START) x SPEED + OFFSET, t being the show's clock in seconds. Numbers left out keep "
     "SPEED 1, START 0, OFFSET 0. A constant: ZYL_FnctTime NAME 0 0 VALUE.",
     {}, {}, "any number; it is not held before START", nullptr, "the clock", nullptr, "ZYL_FnctTime descente 40 0 20",
     "point OUT etoile avance descente un un un"},
    {TypeKind::Function, "ZYL_FnctSin", "a sine wave of time", "FREQUENCY PHASE AMPLITUDE OFFSET",
     "value = sin(t x FREQUENCY + PHASE) x AMPLITUDE + OFFSET, t in seconds, angles in radians (FREQUENCY "
     "6.2832 makes one wave per second). It swings between OFFSET - AMPLITUDE and OFFSET + AMPLITUDE. A "
     "constant: ZYL_FnctSin NAME 0 0 0 VALUE.",
     {}, {}, "OFFSET - AMPLITUDE to OFFSET + AMPLITUDE", nullptr, "the clock", nullptr,
     "ZYL_FnctSin onde 3 0 80 128", "point OUT etoile avance onde un un un"},
    {TypeKind::Function, "ZYL_FnctConstante", "always 0.0, whatever its text", "",
     "The text is ignored. For another constant write ZYL_FnctTime NAME 0 0 VALUE.", {}, {},
     "0.0: as a gate it is always off", nullptr, "nothing", nullptr, "ZYL_FnctConstante zero",
     "point OUT etoile avance zero un un un"},
    {TypeKind::Function, "ZYL_FnctStrobo", "1.0 on some rows of the music, 0.0 on the others",
     "PERIOD ON OFFSET",
     "value = 1.0 when (row - OFFSET) modulo PERIOD is below ON, else 0.0: with 4 1 0 it is on at rows 0, "
     "4, 8, ... Rows before OFFSET count as on. A PERIOD of 0 keeps it at 0.0.",
     {}, {}, "0.0 or 1.0", nullptr, "the row of the music (0 to 63 in a pattern of 64 rows)", nullptr,
     "ZYL_FnctStrobo eclair 8 2 0", "point OUT etoile avance centreY un un eclair"},
    {TypeKind::Function, "ZYL_FnctIntervale", "1.0 while the music plays some orders, 0.0 otherwise", "FIRST LAST",
     "value = 1.0 while the order lies between FIRST and LAST, both included, else 0.0. ZYL_FnctIntervale "
     "NAME 0 65535 is always on: the usual gate that never closes.",
     {}, {}, "0.0 or 1.0", nullptr, "the order of the music", nullptr, "ZYL_FnctIntervale groove 1 1",
     "point OUT etoile avance centreY un un groove"},
    {TypeKind::Function, "ZYL_FnctTracker", "a 64-step level pattern that follows the music's rows",
     "MODE AMPLITUDE OFFSET LEVELS",
     "LEVELS is 64 hexadecimal digits, one per row of a pattern (0 to F, either case); level n gives n/15 x "
     "AMPLITUDE. Fewer than 64 digits, or another character among them, is refused with \"ZYL_FnctTracker "
     "non valide!!\".",
     {}, {}, "0 to AMPLITUDE (plus OFFSET when gliding)",
     "0: steps, the row's level for the whole row (OFFSET unused); 1: glides from the row's level to the "
     "next row's level through the row, plus OFFSET (row 63 holds its level, without OFFSET); any other "
     "value: stays 0.0",
     "the row of the music and the progress through the row", nullptr,
     "ZYL_FnctTracker niveau 1 -150 200 0123456789ABCDEFFEDCBA98765432100123456789ABCDEFFEDCBA9876543210",
     "point OUT etoile avance niveau un un un"},
    {TypeKind::Function, "ZYL_FnctCanal",
     "follows one music channel's level, to pulse with a drum",
     "CHANNEL AMPLITUDE OFFSET",
     "CHANNEL counted from 1 as trackers show it; AMPLITUDE the value at full level; OFFSET added to the value. "
     "Rejected (\"ZYL_FnctCanal non valide!!\") unless all three numbers are given and CHANNEL is at least 1.",
     {}, {},
     "level x AMPLITUDE + OFFSET, level 0.0 (silent) to 1.0 (full): the larger of the channel's left and right VU "
     "meters in the music heard at this frame; it rises at each note and falls back tick by tick",
     nullptr, "the level of one channel of the music",
     "A channel the module does not have, a show without music, or `render --position` reads level 0 (the value "
     "is OFFSET). `velmora render` takes the level from the same offline decode as the frame's music position. With "
     "`ZYL_BoxFader niveau add`, the wiring below brightens the frame by 25% to 75% with channel 1's level.",
     "ZYL_FnctCanal batterie 1 0.5 0.25", "niveau OUT batterie toujours toujours"},
};

}  // namespace

std::span<const TypeReference> typeReferences() { return kReferences; }

const TypeReference* findTypeReference(std::string_view word) {
    for (const TypeReference& reference : kReferences)
        if (word == reference.word) return &reference;
    return nullptr;
}

}  // namespace velmora
