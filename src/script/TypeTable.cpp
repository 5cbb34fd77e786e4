// The type table: every type word of the script, once, with all that is known of it.
#include "script/TypeTable.h"

#include <optional>

#include "boxes/Deformation.h"
#include "boxes/DirectionalBlur.h"
#include "boxes/Particules.h"
#include "boxes/RadialBlur.h"
#include "boxes/SimpleBoxes.h"
#include "boxes/SpriteBoxes.h"
#include "boxes/VoxelTunnel.h"
#include "core/FrameGeometry.h"
#include "functions/FnctCanal.h"
#include "functions/FnctTrack.h"
#include "functions/FnctTracker.h"
#include "functions/Generators.h"
#include "object3d/BoxObjet3D.h"

namespace velmora {

namespace {

template <class T>
std::unique_ptr<FxBox> make(ShowState&) {
    return std::make_unique<T>();
}

template <class T>
std::unique_ptr<Function> make() {
    return std::make_unique<T>();
}

std::unique_ptr<FxBox> makeParticules(ShowState& show) { return std::make_unique<BoxParticules>(show.random); }
std::unique_ptr<FxBox> makeFDBoule(ShowState& show) { return std::make_unique<BoxFDBoule>(show.sphereCamera); }
std::unique_ptr<FxBox> makeFDVoxel(ShowState& show) { return std::make_unique<BoxFDVoxel>(show.reliefCamera); }
std::unique_ptr<FxBox> makeObjet3D(ShowState& show) { return std::make_unique<BoxObjet3D>(show.objectDirection); }

// What the boxes need of their surfaces.
constexpr SurfaceNeed kFrame{SurfaceNeed::Exact, kFrameWidth, kFrameHeight};
constexpr SurfaceNeed kTexture{SurfaceNeed::Exact, 256, 256};
constexpr SurfaceNeed kMap{SurfaceNeed::MinPixels, 512, 512};
constexpr SurfaceNeed kEnvironment{SurfaceNeed::MinPixels, 256, 256};

// The parameter texts, as the types scan them ("%31s", "%31s %d", "%f %f %f %f", ...).
using F = ParameterField;
constexpr F kMode{"MODE", F::Word};
constexpr F kFile{"FILE", F::Word};
constexpr F kModeFields[] = {kMode};
constexpr F kAnimatorFields[] = {kMode, {"HEIGHT", F::Int, false, 1}};
constexpr F kParticleFields[] = {{"COUNT", F::Int, false, 0, 16384}};
constexpr F kTunnelFields[] = {kFile};
constexpr F kObjectFields[] = {kFile, {"MODE", F::Int, true}};
constexpr F kTimeFields[] = {{"SPEED", F::Float}, {"START", F::Float}, {"OFFSET", F::Float}};
constexpr F kSinFields[] = {{"FREQUENCY", F::Float}, {"PHASE", F::Float}, {"AMPLITUDE", F::Float},
                            {"OFFSET", F::Float}};
constexpr F kStroboFields[] = {{"PERIOD", F::Int}, {"ON", F::Int}, {"OFFSET", F::Int}};
constexpr F kIntervalFields[] = {{"FIRST", F::Int}, {"LAST", F::Int}};
constexpr F kTrackerFields[] = {{"MODE", F::Int, false, 0, 1}, {"AMPLITUDE", F::Float}, {"OFFSET", F::Float},
                                {"LEVELS", F::Word}};
constexpr F kChannelFields[] = {{"CHANNEL", F::Int, false, 1}, {"AMPLITUDE", F::Float}, {"OFFSET", F::Float}};
constexpr F kTrackFields[] = {kFile, {"TRACK", F::Word}};

// The function and input slots of the boxes.
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
// Read in the textured mode only.
constexpr SlotReference kObjectInput[] = {
    {"the environment map (only when MODE is neither 0 nor 1; may be left out otherwise)",
     "at least 256x256, read as 256x256: the face normals pick its texels, so a round, lit picture "
     "looks like chrome",
     true},
};

constexpr const char* kAnySize = "any size";
constexpr const char* kFrameSize = "exactly 512x256 (OUT, or a surface declared 512 256)";

const ScriptType kTypes[] = {
    // Boxes.
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxClearSurface",
     .makeBox = make<BoxClearSurface>,
     .functions = kTwoGates,
     .summary = "fills its output with black (transparent to sprites)",
     .outputText = kAnySize,
     .exampleDeclaration = "ZYL_BoxClearSurface efface",
     .exampleWiring = "efface calque un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxCopier",
     .makeBox = make<BoxCopier>,
     .functions = kTwoGates,
     .inputs = kPictureInput,
     .summary = "copies input 0 onto its output, pixel for pixel",
     .outputText = kAnySize,
     .exampleDeclaration = "ZYL_BoxCopier copie",
     .exampleWiring = "copie OUT fond un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxInverseVideo",
     .makeBox = make<BoxInverseVideo>,
     .functions = kTwoGates,
     .summary = "inverts the colours of its output in place",
     .outputText = kAnySize,
     .details = "Each pixel p becomes 0xFFFFFF - p: black turns white, red turns cyan.",
     .exampleDeclaration = "ZYL_BoxInverseVideo inverse",
     .exampleWiring = "inverse OUT un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxFader",
     .makeBox = make<BoxFader>,
     .functions = kFaderFunctions,
     .parameterFields = kModeFields,
     .summary = "darkens, brightens or scales its output's colours",
     .parameters = "MODE",
     .parameterMeaning =
         "MODE is sub, add or mul, in lower case. Any other word is refused with \"ZYL_BoxFader MODE non "
         "valide!!\" and the box then draws nothing.",
     .outputText = kAnySize,
     .modes =
         "sub: each channel loses the level (1.0 gives black); add: each channel gains the level (1.0 gives "
         "white); mul: each channel is multiplied by level/256 (0.0 gives black, 1.0 leaves the picture unchanged)",
     .details = "F0 is the level, not a gate: only F1 and F2 switch the box.",
     .exampleDeclaration = "ZYL_BoxFader assombrir mul",
     .exampleWiring = "assombrir OUT moitie un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxZoomer",
     .makeBox = make<BoxZoomer>,
     .summary = "draws nothing; a line naming it changes nothing",
     .outputText = kAnySize,
     .exampleDeclaration = "ZYL_BoxZoomer zoom",
     .exampleWiring = "zoom OUT"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxSprite",
     .makeBox = make<BoxSprite>,
     .functions = kSpriteFunctions,
     .inputs = kSpriteInput,
     .parameterFields = kModeFields,
     .summary = "draws input 0 at a point, zoomed and faded",
     .parameters = "MODE",
     .parameterMeaning =
         "MODE is put (the sprite replaces the pixels under it) or add (its colours are added, each channel "
         "held at 255). Any other word is refused with \"ZYL_BoxSprite MODE non valide!!\" and the box then "
         "draws nothing.",
     .outputText = kAnySize,
     .modes = "put or add (see the parameter text)",
     .details = "Parts of the sprite off the output are clipped. F4 is read before F3.",
     .exampleDeclaration = "ZYL_BoxSprite lueur add",
     .exampleWiring = "lueur OUT balle gauche centreY un un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxAnimator",
     .makeBox = make<BoxAnimator>,
     .functions = kAnimatorFunctions,
     .inputs = kStripInput,
     .parameterFields = kAnimatorFields,
     .summary = "a flip-book: one frame of a strip, drawn as a sprite",
     .parameters = "MODE HEIGHT",
     .parameterMeaning =
         "MODE is put or add, as for ZYL_BoxSprite (a wrong word gives \"ZYL_BoxSprite MODE non valide!!\"). "
         "HEIGHT is the height of one frame in pixels.",
     .outputText = kAnySize,
     .modes = "put or add (see the parameter text)",
     .details = "F5 running from 0.0 to 1.0 steps through frames 0 to 15; the strip is left whole for the "
                "lines after it.",
     .exampleDeclaration = "ZYL_BoxAnimator cube add 64",
     .exampleWiring = "cube OUT film gauche centreY un un un debut"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxXBlur",
     .makeBox = make<BoxXBlur>,
     .functions = kBlurFunctions,
     .output = kFrame,
     .summary = "smears its output to the right, in place",
     .outputText = kFrameSize,
     .details = "Each pixel mixes with the already smeared pixel on its left; column 0 becomes black. The box blurs "
                "what the lines before it drew.",
     .exampleDeclaration = "ZYL_BoxXBlur trainee",
     .exampleWiring = "trainee OUT poids un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxYBlur",
     .makeBox = make<BoxYBlur>,
     .functions = kBlurFunctions,
     .output = kFrame,
     .summary = "smears its output downward, in place",
     .outputText = kFrameSize,
     .details = "Each pixel mixes with the already smeared pixel above it; row 0 becomes black. The box blurs what "
                "the lines before it drew.",
     .exampleDeclaration = "ZYL_BoxYBlur pluie",
     .exampleWiring = "pluie OUT poids un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxRadialBlur",
     .makeBox = make<BoxRadialBlur>,
     .functions = kRadialBlurFunctions,
     .output = kFrame,
     .summary = "light streaks from a centre over its output",
     .outputText = kFrameSize,
     .details = "Every pixel takes the colour of the pixels just inside it plus 2.3% of its own, so bright areas "
                "stream out to the edges and a dark picture stays dark: draw bright things on a dark surface first.",
     .exampleDeclaration = "ZYL_BoxRadialBlur rayons",
     .exampleWiring = "rayons calque centreX centreY un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxDeformation",
     .makeBox = make<BoxDeformation>,
     .functions = kDeformationFunctions,
     .inputs = kFrameInput,
     .output = kFrame,
     .input0 = kFrame,
     .summary = "draws input 0 through a rippling lens",
     .outputText = kFrameSize,
     .exampleDeclaration = "ZYL_BoxDeformation lentille",
     .exampleWiring = "lentille OUT fond phase force echelle un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxFDTunnel",
     .makeBox = make<BoxFDTunnel>,
     .functions = kFDTunnelFunctions,
     .summary = "draws nothing; a line naming it changes nothing",
     .outputText = kAnySize,
     .details = "It reads its gates and nothing else.",
     .exampleDeclaration = "ZYL_BoxFDTunnel couloir",
     .exampleWiring = "couloir OUT temps un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxFDBoule",
     .makeBox = makeFDBoule,
     .functions = kFlightFunctions,
     .inputs = kTextureInput,
     .output = kFrame,
     .input0 = kTexture,
     .summary = "a flight inside a textured sphere",
     .outputText = kFrameSize,
     .details = "It covers the whole output. All ZYL_BoxFDBoule boxes share one camera.",
     .exampleDeclaration = "ZYL_BoxFDBoule boule",
     .exampleWiring = "boule OUT texture temps un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxFDVoxel",
     .makeBox = makeFDVoxel,
     .functions = kFlightFunctions,
     .inputs = kTextureInput,
     .output = kFrame,
     .input0 = kTexture,
     .summary = "a flight over a textured relief, fogged with distance",
     .outputText = kFrameSize,
     .details = "It covers the whole output. All ZYL_BoxFDVoxel boxes share one camera.",
     .exampleDeclaration = "ZYL_BoxFDVoxel relief",
     .exampleWiring = "relief OUT texture temps un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxParticules",
     .makeBox = makeParticules,
     .functions = kParticleFunctions,
     .inputs = kParticleInput,
     .parameterFields = kParticleFields,
     .summary = "a swarm of pulsing sprites that push each other apart",
     .parameters = "COUNT",
     .parameterMeaning =
         "COUNT is the number of particles, 0 to 16384 (a few dozen look best: each one pushes every other). "
         "They start at the same places in every run.",
     .outputText = kAnySize,
     .details = "The swarm moves about 1.43 pixels each time a line draws it, not per second; while a gate is off it "
                "stands still. Colours are added, each channel held at 255.",
     .exampleDeclaration = "ZYL_BoxParticules essaim 40",
     .exampleWiring = "essaim OUT etoile temps un un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxVoxelTunnel",
     .makeBox = make<BoxVoxelTunnel>,
     .functions = kVoxelTunnelFunctions,
     .inputs = kTunnelInput,
     .output = kFrame,
     .input0 = kMap,
     .parameterFields = kTunnelFields,
     .summary = "a flight down a height-mapped tunnel",
     .parameters = "FILE",
     .parameterMeaning =
         "FILE is a 512x512 grey-level JPEG height map (one channel), relative to the working directory: white "
         "pulls the wall toward the centre. A file that cannot be read or does not fit is the fatal error "
         "\"FICHIER NON TROUVE\".",
     .outputText = kFrameSize,
     .details = "It covers the whole output; the far end of the tunnel is black. Parts of the wall that a frame does "
                "not reach keep what earlier frames drew (white before the first).",
     .exampleDeclaration = "ZYL_BoxVoxelTunnel tunnel data/heightmap.jpg",
     .exampleWiring = "tunnel OUT couleurs temps un un"},
    {.kind = TypeKind::Box,
     .word = "ZYL_BoxObjet3D",
     .makeBox = makeObjet3D,
     .functions = kObjectFunctions,
     .inputs = kObjectInput,
     .output = kFrame,
     .input0 = kEnvironment,
     .parameterFields = kObjectFields,
     .summary = "a mesh seen from a camera: wires, flat or chrome faces",
     .parameters = "FILE MODE",
     .parameterMeaning =
         "FILE is a LightWave LWO2 mesh of triangles, relative to the working directory. A file that cannot be "
         "opened ends the program with status 2, a malformed one with status 1 (3 when it cannot be read "
         "whole). MODE is a whole number (0 when left out).",
     .outputText = kFrameSize,
     .modes = "0: white wireframe, every edge; 1: flat faces, each in a colour of its own, back faces hidden; any "
              "other value: faces textured with input 0 as an environment map, back faces hidden",
     .details = "The box never clears its output: clear or copy into it first. Faces are drawn far to near, without a "
                "depth buffer; those behind the eye or far off the screen are left out. When eye and target meet, "
                "the previous view direction is kept.",
     .exampleDeclaration = "ZYL_BoxObjet3D chrome data/torus.lwo 2",
     .exampleWiring = "chrome OUT envmap oeilX oeilY droite zero zero droite un un"},

    // Functions.
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctTime",
     .makeFunction = make<FnctTime>,
     .parameterFields = kTimeFields,
     .summary = "a line of time; with speed 0, a constant",
     .parameters = "SPEED START OFFSET",
     .parameterMeaning =
         "value = (t - START) x SPEED + OFFSET, t being the show's clock in seconds. Numbers left out keep "
         "SPEED 1, START 0, OFFSET 0. A constant: ZYL_FnctTime NAME 0 0 VALUE.",
     .outputText = "any number; it is not held before START",
     .reads = "the clock",
     .exampleDeclaration = "ZYL_FnctTime descente 40 0 20",
     .exampleWiring = "point OUT etoile avance descente un un un"},
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctSin",
     .makeFunction = make<FnctSin>,
     .parameterFields = kSinFields,
     .summary = "a sine wave of time",
     .parameters = "FREQUENCY PHASE AMPLITUDE OFFSET",
     .parameterMeaning =
         "value = sin(t x FREQUENCY + PHASE) x AMPLITUDE + OFFSET, t in seconds, angles in radians (FREQUENCY "
         "6.2832 makes one wave per second). It swings between OFFSET - AMPLITUDE and OFFSET + AMPLITUDE. A "
         "constant: ZYL_FnctSin NAME 0 0 0 VALUE.",
     .outputText = "OFFSET - AMPLITUDE to OFFSET + AMPLITUDE",
     .reads = "the clock",
     .exampleDeclaration = "ZYL_FnctSin onde 3 0 80 128",
     .exampleWiring = "point OUT etoile avance onde un un un"},
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctConstante",
     .makeFunction = make<FnctConstante>,
     .summary = "always 0.0, whatever its text",
     .parameterMeaning = "The text is ignored. For another constant write ZYL_FnctTime NAME 0 0 VALUE.",
     .outputText = "0.0: as a gate it is always off",
     .reads = "nothing",
     .exampleDeclaration = "ZYL_FnctConstante zero",
     .exampleWiring = "point OUT etoile avance zero un un un"},
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctStrobo",
     .makeFunction = make<FnctStrobo>,
     .parameterFields = kStroboFields,
     .summary = "1.0 on some rows of the music, 0.0 on the others",
     .parameters = "PERIOD ON OFFSET",
     .parameterMeaning =
         "value = 1.0 when (row - OFFSET) modulo PERIOD is below ON, else 0.0: with 4 1 0 it is on at rows 0, "
         "4, 8, ... Rows before OFFSET count as on. A PERIOD of 0 keeps it at 0.0.",
     .outputText = "0.0 or 1.0",
     .reads = "the row of the music (0 to 63 in a pattern of 64 rows)",
     .exampleDeclaration = "ZYL_FnctStrobo eclair 8 2 0",
     .exampleWiring = "point OUT etoile avance centreY un un eclair"},
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctIntervale",
     .makeFunction = make<FnctIntervale>,
     .parameterFields = kIntervalFields,
     .summary = "1.0 while the music plays some orders, 0.0 otherwise",
     .parameters = "FIRST LAST",
     .parameterMeaning =
         "value = 1.0 while the order lies between FIRST and LAST, both included, else 0.0. ZYL_FnctIntervale "
         "NAME 0 65535 is always on: the usual gate that never closes.",
     .outputText = "0.0 or 1.0",
     .reads = "the order of the music",
     .exampleDeclaration = "ZYL_FnctIntervale groove 1 1",
     .exampleWiring = "point OUT etoile avance centreY un un groove"},
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctTracker",
     .makeFunction = make<FnctTracker>,
     .parameterFields = kTrackerFields,
     .summary = "a 64-step level pattern that follows the music's rows",
     .parameters = "MODE AMPLITUDE OFFSET LEVELS",
     .parameterMeaning =
         "LEVELS is 64 hexadecimal digits, one per row of a pattern (0 to F, either case); level n gives n/15 x "
         "AMPLITUDE. Fewer than 64 digits, or another character among them, is refused with \"ZYL_FnctTracker "
         "non valide!!\".",
     .outputText = "0 to AMPLITUDE (plus OFFSET when gliding)",
     .modes = "0: steps, the row's level for the whole row (OFFSET unused); 1: glides from the row's level to the "
              "next row's level through the row, plus OFFSET (row 63 holds its level, without OFFSET); any other "
              "value: stays 0.0",
     .reads = "the row of the music and the progress through the row",
     .exampleDeclaration =
         "ZYL_FnctTracker niveau 1 -150 200 0123456789ABCDEFFEDCBA98765432100123456789ABCDEFFEDCBA9876543210",
     .exampleWiring = "point OUT etoile avance niveau un un un"},
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctCanal",
     .makeFunction = make<FnctCanal>,
     .parameterFields = kChannelFields,
     .summary = "follows the level of one channel of the playing music",
     .parameters = "CHANNEL AMPLITUDE OFFSET",
     .parameterMeaning =
         "CHANNEL counted from 1 as trackers show it; AMPLITUDE the value at full level; OFFSET added to the value. "
         "Rejected (\"ZYL_FnctCanal non valide!!\") unless all three numbers are given and CHANNEL is at least 1.",
     .outputText =
         "level x AMPLITUDE + OFFSET, level 0.0 (silent) to 1.0 (full): the larger of the channel's left and right VU "
         "meters in the music heard at this frame; it rises at each note and falls back tick by tick",
     .reads = "the level of one channel of the music",
     .details =
         "A channel the module does not have, a show without music, or `render --position` reads level 0 (the value "
         "is OFFSET). `velmora render` takes the level from the same offline decode as the frame's music position. "
         "With `ZYL_BoxFader niveau add`, the wiring below brightens the frame by 25% to 75% with channel 1's level.",
     .exampleDeclaration = "ZYL_FnctCanal batterie 1 0.5 0.25",
     .exampleWiring = "niveau OUT batterie toujours toujours"},
    {.kind = TypeKind::Function,
     .word = "ZYL_FnctTrack",
     .makeFunction = make<FnctTrack>,
     .parameterFields = kTrackFields,
     .summary = "values keyed to rows of the song, from a track file",
     .parameters = "FILE TRACK",
     .parameterMeaning =
         "FILE is a track file, relative to the working directory (see Track files); TRACK the name of one of its "
         "tracks. A text without both is rejected (\"ZYL_FnctTrack non valide!!\"). A file that cannot be read, a "
         "damaged one or one without the track is the fatal error \"Track file refused\", with the file, its line "
         "and why.",
     .outputText = "the track's value: its first key's before it, its last key's after it, 0.0 without keys",
     .reads = "the order, row and progress through the row of the music, and the rows of the module's patterns",
     .details =
         "Each key sits at ORDER:ROW of the song. Between two keys the song is measured in its own rows (the rows of "
         "the orders between them as the module's patterns hold them, plus the progress through the row), and the "
         "earlier key's interpolation gives the value: step holds it, linear goes straight to the next key's, smooth "
         "eases in and out (t x t x (3 - 2t)), ramp starts slowly (t x t). A tempo change moves no key, and an order "
         "played twice replays the same values. Without a module (`render --position` with no music) every order "
         "counts 64 rows. `velmora tracks import` reads GNU Rocket's .rocket files, `velmora tracks export` writes "
         "them. `--watch` reloads the show when the track file changes.",
     .exampleDeclaration = "ZYL_FnctTrack balleX script.tracks balle.x",
     .exampleWiring = "lueur OUT balle balleX centreY un un un"},
};

const ScriptType* find(std::string_view word, std::optional<TypeKind> kind) {
    for (const ScriptType& type : kTypes)
        if (word == type.word && (!kind || type.kind == *kind)) return &type;
    return nullptr;
}

}  // namespace

std::span<const ScriptType> scriptTypes() { return kTypes; }

std::span<const ScriptType> boxTypes() {
    const std::span<const ScriptType> all = kTypes;
    size_t boxes = 0;
    while (boxes < all.size() && all[boxes].kind == TypeKind::Box) ++boxes;
    return all.first(boxes);
}

std::span<const ScriptType> functionTypes() { return scriptTypes().subspan(boxTypes().size()); }

const ScriptType* findScriptType(std::string_view word) { return find(word, std::nullopt); }
const ScriptType* findBoxType(std::string_view word) { return find(word, TypeKind::Box); }
const ScriptType* findFunctionType(std::string_view word) { return find(word, TypeKind::Function); }

}  // namespace velmora
