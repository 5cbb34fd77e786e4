// Writing a new show folder.
#include "showkit/NewShow.h"

#include <fstream>
#include <system_error>

#include "object3d/Lwo2Writer.h"
#include "showkit/DemoPictures.h"
#include "showkit/MeshShapes.h"
#include "showkit/ShowModules.h"

namespace velmora {

const char kNewShowScript[] = R"zyl(; A new Velmora show. File names are relative to this folder: play it here
; with `velmora`, list its problems with `velmora check`, and write its frames
; with `velmora render --out frames --frames 100`. F5 reloads this file while
; the music plays on; F1 shows the frame rate and where the music is.
;
; The music, data/zik.mo3, has two orders of 64 rows (about 7.7 s each):
; 0 the pads alone, 1 the groove with a tune over it; then it starts again.

; The boxes: what draws. A name, then the box's own settings.
[ZYL_FX_Generator]
ZYL_BoxCopier copie
ZYL_BoxXBlur flou
ZYL_BoxObjet3D tore data/torus.lwo 2
ZYL_BoxSprite lueur add
[/ZYL_FX_Generator]

; The functions: numbers that move with the clock and the music.
[ZYL_Fonction]
; gates: on for every order, and for order 1 only
ZYL_FnctIntervale toujours 0 65535
ZYL_FnctIntervale refrain 1 1
; sin(t * frequency + phase) * amplitude + offset
ZYL_FnctSin poids 0.7 0 0.25 0.6
; a track of script.tracks: the ball's x, keyed to rows of the music
ZYL_FnctTrack balX script.tracks balle.x
ZYL_FnctSin balY 2.1 0.5 80 128
ZYL_FnctSin gonfle 3.0 0 0.35 1.1
ZYL_FnctSin un 0 0 0 1
ZYL_FnctSin oeilX 0.45 1.5708 4.6 0
ZYL_FnctSin oeilY 0.3 0 1.6 0
ZYL_FnctSin oeilZ 0.45 0 4.6 0
ZYL_FnctConstante zero
; a hit on every fourth row of the music that dies away
ZYL_FnctTracker battement 1 1.0 0.0 F841F841F841F841F841F841F841F841F841F841F841F841F841F841F841F841
[/ZYL_Fonction]

; The surfaces: pictures read from data/, or blank ones of a given size.
[ZYL_Surface]
ZYL_Surface fond "data/backdrop.jpg"
ZYL_Surface balle "data/sprite.jpg"
ZYL_Surface envmap "data/envmap.jpg"
[/ZYL_Surface]

; The wiring, run top to bottom every frame:
; box, where it draws (OUT is the frame), its input surfaces, its functions.
[CABLAGE]
; the picture, smeared sideways on the beat
copie OUT fond toujours toujours
flou OUT poids toujours battement
; a torus wrapped in the sky, the camera circling it
tore OUT envmap oeilX oeilY oeilZ zero zero zero toujours toujours
; in order 1, a glowing ball hopping from key to key on the beat
lueur OUT balle balX balY gonfle un refrain
[/CABLAGE]
)zyl";

// Its tracks: values keyed to ORDER:ROW of the music, edited as text (or in
// GNU Rocket, through `velmora tracks export` and `import`).
const char kNewShowTracks[] = R"(# The show's tracks: 'track NAME', then one key a line:
#   ORDER:ROW VALUE INTERPOLATION (step, linear, smooth or ramp)
# Between two keys the earlier key's interpolation leads to the next.

# The ball's x in order 1: a hop to the other side on every beat (4 rows).
track balle.x
1:0 96 smooth
1:4 416 smooth
1:8 96 smooth
1:12 416 smooth
1:16 96 smooth
1:20 416 smooth
1:24 96 smooth
1:28 416 smooth
1:32 96 linear
1:36 416 linear
1:40 96 linear
1:44 416 linear
1:48 96 ramp
1:52 416 ramp
1:56 96 ramp
1:60 416 smooth
)";

std::string writeNewShow(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(dir, ec)) {
        if (!fs::is_directory(dir, ec)) return dir.string() + " is not a folder";
        if (!fs::is_empty(dir, ec) || ec) return dir.string() + " is not empty";
    }
    fs::create_directories(dir / "data", ec);
    if (ec) return "cannot create " + (dir / "data").string() + ": " + ec.message();

    const fs::path data = dir / "data";
    const struct {
        const char* file;
        Picture (*make)();
    } pictures[] = {{"backdrop.jpg", pictures::makeBackdrop},
                    {"sprite.jpg", pictures::makeSprite},
                    {"envmap.jpg", pictures::makeEnvMap}};
    for (const auto& picture : pictures)
        if (!writePicture((data / picture.file).string(), picture.make()))
            return "cannot write " + (data / picture.file).string();

    const ShapeMesh torus = makeTorus(1.0f, 0.4f, 32, 12);
    if (!Lwo2Writer::save((data / "torus.lwo").string(), Lwo2Writer::meshFile(torus.points, torus.triangles)))
        return "cannot write " + (data / "torus.lwo").string();
    if (!xm::saveXm(xm::newShowModule(), (data / "zik.mo3").c_str()))
        return "cannot write " + (data / "zik.mo3").string();

    std::ofstream tracks(dir / "script.tracks", std::ios::binary);
    tracks << kNewShowTracks;
    tracks.close();
    if (!tracks) return "cannot write " + (dir / "script.tracks").string();

    // The script last: a folder with a script is a finished show.
    std::ofstream script(dir / "script.zyl", std::ios::binary);
    script << kNewShowScript;
    script.close();
    if (!script) return "cannot write " + (dir / "script.zyl").string();
    return {};
}

}  // namespace velmora
