// Whole scripts through the demo graph, as `velmora render` runs them: every box
// family wired together over a few frames (the sanitizer build runs these too),
// and the same frames from two runs.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "object3d/Lwo2Writer.h"
#include "showkit/JpegWriter.h"
#include "showkit/MeshShapes.h"
#include "script/DemoGraph.h"
#include "boxes/Kernels.h"
#include "show/MusicTransport.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class ShowScripts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_.emplace("show_scripts");
        picture("backdrop.jpg", 512, 256, 3);
        picture("texture.jpg", 256, 256, 3);
        picture("sprite.jpg", 64, 64, 3);
        picture("strip.jpg", 64, 1024, 3);
        picture("heightmap.jpg", 512, 512, 1);
        picture("colormap.jpg", 512, 512, 3);
        mesh("cube.lwo", makeCube(1.0f));
        mesh("sphere.lwo", makeSphere(1.2f, 12, 24));
        mesh("torus.lwo", makeTorus(1.0f, 0.4f, 32, 12));
        mesh("knot.lwo", makeKnot(0.4f, 0.16f, 100, 10));
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static void picture(const char* name, int w, int h, int components) {
        std::vector<uint8_t> samples(static_cast<size_t>(w) * h * components);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < components; ++c) {
                    // Soft rings on black: enough structure for every effect to show.
                    const int dx = x % 64 - 32, dy = y % 64 - 32;
                    const int ring = (dx * dx + dy * dy) / 16 % 32;
                    samples[(static_cast<size_t>(y) * w + x) * components + c] =
                        static_cast<uint8_t>(ring < 12 ? 0 : 40 + ring * 6 + c * 20);
                }
        ASSERT_TRUE(writeJpeg((*dir_ / name).c_str(), w, h, components, samples.data(), 90));
    }
    static void mesh(const char* name, const ShapeMesh& shape) {
        ASSERT_TRUE(Lwo2Writer::save((*dir_ / name).string(), Lwo2Writer::meshFile(shape.points, shape.triangles)));
    }
    static std::string path(const char* name) { return (*dir_ / name).string(); }

    // Frame k of a show: the clock at 3 s plus k/25, a music position that moves.
    static std::vector<uint32_t> renderFrame(DemoGraph& graph, Surface& frame, int k, double start = 3.0,
                                             std::span<const int64_t> songRows = {}) {
        const TrackerPosition position = trackerPositionOf(makeChannelPosition(k % 7, k * 9 % 64, k * 37 % 256));
        graph.evaluate(FrameInput{static_cast<float>(start + k / 25.0), position, {}, songRows}, frame);
        return std::vector<uint32_t>(frame.pixels, frame.pixels + frame.pixelCount());
    }

    // Runs the script for `frames` frames at 25 frames per second on `threads`
    // threads and returns every frame's pixels.
    static std::vector<std::vector<uint32_t>> run(const std::string& text, int frames, int threads = 1,
                                                  std::span<const int64_t> songRows = {}) {
        WorkerPool workers(threads);
        DemoGraph graph;
        graph.useWorkers(&workers);
        EXPECT_EQ(graph.loadText(text), LoadResult::Loaded);
        Surface frame;
        frame.allocate(512, 256);
        frame.clear();
        std::vector<std::vector<uint32_t>> out;
        for (int k = 0; k < frames; ++k) out.push_back(renderFrame(graph, frame, k, 3.0, songRows));
        return out;
    }

    // Every box that keeps state between frames: the swarm (the generator), the
    // sphere and relief flights (their camera records, the relief flown at
    // `reliefTime`) and the object box seen from `eye` towards `target` (its last
    // direction when the two meet). The relief draws into calque, drawn over OUT.
    static std::string statefulScript(const std::string& reliefTime, const std::string& eye,
                                      const std::string& target) {
        return "[ZYL_FX_Generator]\n"
               "ZYL_BoxFDBoule boule\nZYL_BoxFDVoxel relief\nZYL_BoxParticules essaim 30\n"
               "ZYL_BoxObjet3D objet " + path("torus.lwo") + " 1\nZYL_BoxSprite lueur add\n"
               "[/ZYL_FX_Generator]\n" +
               functions() + surfaces() +
               "[CABLAGE]\n"
               "boule OUT texture t on on\n"
               "relief calque texture " + reliefTime + " on on\n"
               "lueur OUT calque x y half half on\n"
               "essaim OUT balle t half on on\n"
               "objet OUT " + eye + " " + target + " on on\n"
               "[/CABLAGE]\n";
    }

    static std::string functions() {
        return "[ZYL_Fonction]\n"
               "ZYL_FnctIntervale on 0 65535\n"
               "ZYL_FnctTime t 1 0 0\n"
               "ZYL_FnctSin x 1.3 0 180 256\n"
               "ZYL_FnctSin y 2.1 0.5 80 128\n"
               "ZYL_FnctSin z 3 0 0.4 1.1\n"
               "ZYL_FnctSin one 0 0 0 1\n"
               "ZYL_FnctSin half 0.7 0 0.3 0.5\n"
               "ZYL_FnctSin b 0.4 0 0.4 0.5\n"
               "ZYL_FnctSin c 0.6 0 0.2 1.0\n"
               "ZYL_FnctTracker beat 1 1.0 0.0 F841F841F841F841F841F841F841F841F841F841F841F841F841F841F841F841\n"
               "ZYL_FnctSin ex 0.5 1.5708 4.5 0\n"
               "ZYL_FnctSin ey 0.3 0 1.5 0\n"
               "ZYL_FnctSin ez 0.5 0 4.5 0\n"
               "ZYL_FnctConstante zero\n"
               "ZYL_FnctSin far 0 0 0 -3\n"
               "[/ZYL_Fonction]\n";
    }
    static std::string surfaces() {
        return "[ZYL_Surface]\n"
               "ZYL_Surface fond \"" + path("backdrop.jpg") + "\"\n"
               "ZYL_Surface texture \"" + path("texture.jpg") + "\"\n"
               "ZYL_Surface balle \"" + path("sprite.jpg") + "\"\n"
               "ZYL_Surface film \"" + path("strip.jpg") + "\"\n"
               "ZYL_Surface couleurs \"" + path("colormap.jpg") + "\"\n"
               "ZYL_Surface calque 512 256\n"
               "[/ZYL_Surface]\n";
    }

    static std::optional<testsupport::ScratchDirectory> dir_;
};

std::optional<testsupport::ScratchDirectory> ShowScripts::dir_;

bool anyLit(const std::vector<uint32_t>& pixels) {
    for (uint32_t p : pixels)
        if (p != 0) return true;
    return false;
}

}  // namespace

TEST_F(ShowScripts, ImageEffectsChainedOnOneFrame) {
    const std::string text = "[ZYL_FX_Generator]\n"
                             "ZYL_BoxCopier copie\nZYL_BoxSprite lueur add\nZYL_BoxSprite pose put\n"
                             "ZYL_BoxAnimator cube add 64\nZYL_BoxXBlur trainee\nZYL_BoxYBlur pluie\n"
                             "ZYL_BoxRadialBlur rayons\nZYL_BoxDeformation lentille\nZYL_BoxClearSurface efface\n"
                             "[/ZYL_FX_Generator]\n" +
                             functions() + surfaces() +
                             "[CABLAGE]\n"
                             "lentille OUT fond t b c on on\n"
                             "efface calque on on\n"
                             "lueur calque balle x y z one on\n"
                             "pose calque balle y x one half on\n"
                             "cube calque film x y one one on half\n"
                             "rayons calque x y on on\n"
                             "lueur OUT calque x y one one on\n"
                             "trainee OUT half on beat\n"
                             "pluie OUT half on beat\n"
                             "lentille OUT OUT t b c on on\n"
                             "[/CABLAGE]\n";
    const auto frames = run(text, 6);
    ASSERT_EQ(frames.size(), 6u);
    for (const auto& frame : frames) EXPECT_TRUE(anyLit(frame));
    EXPECT_NE(frames[0], frames[5]);
}

TEST_F(ShowScripts, FlightsSwarmAndTunnelGiveTheSameFramesOnEveryRun) {
    const std::string text = "[ZYL_FX_Generator]\n"
                             "ZYL_BoxFDBoule boule\nZYL_BoxFDVoxel relief\nZYL_BoxFDTunnel couloir\n"
                             "ZYL_BoxParticules essaim 30\nZYL_BoxVoxelTunnel tunnel " +
                             path("heightmap.jpg") +
                             "\nZYL_BoxSprite lueur add\n"
                             "[/ZYL_FX_Generator]\n" +
                             functions() + surfaces() +
                             "[CABLAGE]\n"
                             "boule calque texture t on on\n"
                             "tunnel OUT couleurs t on on\n"
                             "lueur OUT calque x y half half on\n"
                             "relief calque texture t on on\n"
                             "lueur OUT calque y x half half on\n"
                             "couloir OUT t on on\n"
                             "essaim OUT balle t half on on\n"
                             "[/CABLAGE]\n";
    // The generator and the camera records belong to the show: a new one starts them afresh.
    const auto first = run(text, 5);
    const auto second = run(text, 5);
    ASSERT_EQ(first.size(), second.size());
    for (size_t k = 0; k < first.size(); ++k) {
        EXPECT_TRUE(anyLit(first[k]));
        EXPECT_TRUE(first[k] == second[k]) << "frame " << k;
    }
}

TEST_F(ShowScripts, EveryMeshInEveryMode) {
    for (const char* meshName : {"cube.lwo", "sphere.lwo", "torus.lwo", "knot.lwo"}) {
        std::string boxes = "[ZYL_FX_Generator]\nZYL_BoxClearSurface efface\n";
        for (int mode = 0; mode < 3; ++mode)
            boxes += "ZYL_BoxObjet3D m" + std::to_string(mode) + " " + path(meshName) + " " + std::to_string(mode) + "\n";
        boxes += "[/ZYL_FX_Generator]\n";
        std::string wiring = "[CABLAGE]\n";
        for (int mode = 0; mode < 3; ++mode)
            wiring += "efface OUT on on\nm" + std::to_string(mode) + " OUT texture ex ey ez zero zero zero on on\n";
        wiring += "[/CABLAGE]\n";
        const auto frames = run(boxes + functions() + surfaces() + wiring, 4);
        // The last line drawn is the textured mode over a cleared frame.
        for (const auto& frame : frames) EXPECT_TRUE(anyLit(frame)) << meshName;
    }
}

TEST_F(ShowScripts, TwoShowsInOneProcessDrawAsIfEachWereAlone) {
    // The first show looks from its eye along its last direction and flies the
    // relief at time 0, which runs on the stored angle reference; the second
    // moves its own camera, relief and swarm in between.
    const std::string first = statefulScript("zero", "far zero zero", "far zero zero");
    const std::string second = statefulScript("t", "ex ey ez", "zero zero zero");
    const auto firstAlone = run(first, 6);
    const auto secondAlone = run(second, 6);
    DemoGraph a, b;
    ASSERT_EQ(a.loadText(first), LoadResult::Loaded);
    ASSERT_EQ(b.loadText(second), LoadResult::Loaded);
    Surface frameA, frameB;
    frameA.allocate(512, 256);
    frameB.allocate(512, 256);
    frameA.clear();
    frameB.clear();
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(renderFrame(b, frameB, k) == secondAlone[k]) << "second show, frame " << k;
        EXPECT_TRUE(renderFrame(a, frameA, k) == firstAlone[k]) << "first show, frame " << k;
        EXPECT_TRUE(anyLit(firstAlone[k]));
    }
}

TEST_F(ShowScripts, AShowTakingOverStartsWhereAFreshStartStarts) {
    // As on a reload: the new graph takes the running show's threads.
    const std::string text = statefulScript("t", "ex ey ez", "zero zero zero");
    WorkerPool workers(3);
    auto running = std::make_unique<DemoGraph>();
    running->useWorkers(&workers);
    ASSERT_EQ(running->loadText(text), LoadResult::Loaded);
    Surface frame;
    frame.allocate(512, 256);
    frame.clear();
    for (int k = 0; k < 4; ++k) renderFrame(*running, frame, k);

    auto reloaded = std::make_unique<DemoGraph>();
    ASSERT_EQ(reloaded->loadText(text), LoadResult::Loaded);
    reloaded->useWorkers(&workers);
    running.reset();
    DemoGraph fresh;
    ASSERT_EQ(fresh.loadText(text), LoadResult::Loaded);
    Surface freshFrame;
    freshFrame.allocate(512, 256);
    freshFrame.clear();
    frame.clear();
    // From time 0, where the relief looks straight up and runs on its record.
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(renderFrame(*reloaded, frame, k, 0.0) == renderFrame(fresh, freshFrame, k, 0.0)) << "frame " << k;
}

// Every box type, every order of the default show, on several threads at the
// plain and the vector level: the frames must be the single-threaded frames
// byte for byte. (The sanitizer builds run these too, the thread one above all.)
struct ThreadedCase {
    int threads;
    SimdLevel level;
};

class ThreadedFrames : public ShowScripts, public ::testing::WithParamInterface<ThreadedCase> {
protected:
    void SetUp() override {
        if (GetParam().level > supportedSimdLevel()) GTEST_SKIP() << "the processor lacks this vector level";
        chooseKernels(GetParam().level);
    }
    void TearDown() override { chooseKernels(supportedSimdLevel()); }

    // The same script on one thread and on the case's threads, each a fresh
    // graph and so a fresh start.
    static void expectSameFrames(const std::string& text, int frames, std::span<const int64_t> songRows = {}) {
        const auto single = run(text, frames, 1, songRows);
        const auto threaded = run(text, frames, GetParam().threads, songRows);
        ASSERT_EQ(single.size(), threaded.size());
        for (size_t k = 0; k < single.size(); ++k) {
            EXPECT_TRUE(anyLit(single[k])) << "frame " << k;
            EXPECT_TRUE(single[k] == threaded[k]) << "frame " << k;
        }
    }
};

TEST_P(ThreadedFrames, EveryBoxTypeGivesTheSingleThreadedFrames) {
    // The radial blur runs once with its centre on the frame and once off it
    // (ex, ey swing around 0), the deformation once from another surface and
    // once onto its own input, the object box in every mode and once with the
    // frame as its own texture.
    const std::string text = "[ZYL_FX_Generator]\n"
                             "ZYL_BoxCopier copie\nZYL_BoxSprite lueur add\nZYL_BoxSprite pose put\n"
                             "ZYL_BoxAnimator cube add 64\nZYL_BoxXBlur trainee\nZYL_BoxYBlur pluie\n"
                             "ZYL_BoxRadialBlur rayons\nZYL_BoxDeformation lentille\nZYL_BoxClearSurface efface\n"
                             "ZYL_BoxInverseVideo inverse\nZYL_BoxFader fondu mul\nZYL_BoxZoomer zoom\n"
                             "ZYL_BoxFDBoule boule\nZYL_BoxFDVoxel relief\nZYL_BoxFDTunnel couloir\n"
                             "ZYL_BoxParticules essaim 30\nZYL_BoxVoxelTunnel tunnel " +
                             path("heightmap.jpg") + "\nZYL_BoxObjet3D fil " + path("knot.lwo") +
                             " 0\nZYL_BoxObjet3D faces " + path("torus.lwo") + " 1\nZYL_BoxObjet3D reflet " +
                             path("knot.lwo") + " 2\n"
                             "[/ZYL_FX_Generator]\n" +
                             functions() + surfaces() +
                             "[CABLAGE]\n"
                             "tunnel OUT couleurs t on on\n"
                             "boule calque texture t on on\n"
                             "lueur OUT calque x y half half on\n"
                             "relief calque texture t on on\n"
                             "pose OUT calque y x one half on\n"
                             "lentille OUT fond t b c on on\n"
                             "cube calque film x y one one on half\n"
                             "rayons calque x y on on\n"
                             "rayons OUT ex ey on on\n"
                             "lueur OUT calque x y one one on\n"
                             "fil OUT texture ex ey ez zero zero zero on on\n"
                             "faces OUT texture ey ez ex zero zero zero on on\n"
                             "reflet OUT texture ez ex ey zero zero zero on on\n"
                             "reflet OUT OUT ex ez ey zero zero zero on on\n"
                             "trainee OUT half on beat\n"
                             "pluie OUT half on beat\n"
                             "couloir OUT t on on\n"
                             "essaim OUT balle t half on on\n"
                             "lentille OUT OUT t b c on on\n"
                             "fondu OUT half on on\n"
                             "inverse OUT beat on\n"
                             "zoom OUT on on\n"
                             "[/CABLAGE]\n";
    expectSameFrames(text, 4);
}

TEST_P(ThreadedFrames, TracksGiveTheSingleThreadedFramesAndTheSameAfterAReloadThatChangesNothing) {
    // A sprite and a flight on tracks, over a song whose second order is short.
    const std::string keys = "track x\n0:0 40 smooth\n2:16 470 linear\n5:0 100 step\n"
                             "track t\n0:0 0 ramp\n6:0 30 linear\n";
    testsupport::writeFile(*dir_ / "show.tracks", keys);
    const int64_t songRows[] = {0, 64, 96, 160, 224, 288, 352, 416};
    const std::string text = "[ZYL_FX_Generator]\nZYL_BoxFDBoule boule\nZYL_BoxSprite lueur add\n"
                             "[/ZYL_FX_Generator]\n[ZYL_Fonction]\nZYL_FnctIntervale on 0 65535\n"
                             "ZYL_FnctTrack x " + path("show.tracks") + " x\nZYL_FnctTrack t " + path("show.tracks") +
                             " t\nZYL_FnctSin one 0 0 0 1\nZYL_FnctSin y 2.1 0.5 80 128\n[/ZYL_Fonction]\n" +
                             surfaces() + "[CABLAGE]\nboule OUT texture t on on\nlueur OUT balle x y one one on\n"
                             "[/CABLAGE]\n";
    expectSameFrames(text, 7, songRows);
    const auto before = run(text, 7, GetParam().threads, songRows);
    testsupport::writeFile(*dir_ / "show.tracks", keys);
    EXPECT_TRUE(run(text, 7, GetParam().threads, songRows) == before);
    // The keys move what is drawn.
    EXPECT_FALSE(before[1] == before[2]);
}

// FNV-1a over a frame's pixels.
uint64_t frameHash(const std::vector<uint32_t>& pixels) {
    uint64_t h = 14695981039346656037ull;
    for (uint32_t p : pixels) h = (h ^ p) * 1099511628211ull;
    return h;
}

TEST_P(ThreadedFrames, BoxesDrawnOntoTheirOwnInputKeepTheirFrames) {
    // Every box type that reads an input surface, wired with its output as that
    // input, and two boxes sharing one surface. (The sphere and relief flights
    // and the voxel tunnel read inputs of another size than they draw, so they
    // cannot be wired so.) The hashes were recorded from the last release before
    // the pictures were read through views, so a refactor cannot move them
    // silently: there the animator on its own strip draws within the frame it
    // shows, and a later line reading the strip sees all of it.
    const std::string functions = "[ZYL_Fonction]\n"
                                  "ZYL_FnctStrobo f3 8 1 1\nZYL_FnctConstante off\nZYL_FnctTime t 1 0 0\n"
                                  "ZYL_FnctIntervale on 0 1000\nZYL_FnctSin x 1.3 0 180 256\n"
                                  "ZYL_FnctSin y 2.1 0.5 80 128\nZYL_FnctSin z 3 0 0.4 1.1\n"
                                  "ZYL_FnctSin half 0.7 0 0.3 0.5\nZYL_FnctSin c 0.6 0 0.2 1.0\n"
                                  "ZYL_FnctSin ex 0.5 1.5708 4.5 0\nZYL_FnctSin ey 0.3 0 1.5 0\n"
                                  "ZYL_FnctSin ez 0.5 0 4.5 0\nZYL_FnctConstante zero\n"
                                  "ZYL_FnctSin one 0 0 0 1\nZYL_FnctSin s 1.7 0 24 32\n"
                                  "[/ZYL_Fonction]\n";
    const struct {
        std::string boxes;
        const char* wiring;
        uint64_t hashes[3];
    } cases[] = {
        {"ZYL_BoxAnimator b1 add 32", "b1 couleurs couleurs f3 off t on on on\ncopie OUT couleurs on on",
         {4439514647895376549u, 4439514647895376549u, 4439514647895376549u}},
        {"ZYL_BoxAnimator b1 put 64", "copie OUT fond on on\nb1 OUT OUT x y z half on c",
         {4439514647895376549u, 908563799799361964u, 10869515267862812603u}},
        {"ZYL_BoxAnimator b1 put 64\nZYL_BoxAnimator b2 add 64",
         "copie OUT fond on on\nb1 OUT OUT x y one one on c\nb2 OUT OUT y x one half on c",
         {4439514647895376549u, 8901748260596747440u, 12937209026092463448u}},
        {"ZYL_BoxAnimator b1 add 64\nZYL_BoxSprite pose put",
         "b1 film film s s z one on c\npose OUT film x y one one on",
         {2489118137394441501u, 7530317954306755589u, 493605333855715957u}},
        {"ZYL_BoxAnimator b1 add 64\nZYL_BoxAnimator b2 put 64",
         "b1 film film s s z one on c\nb2 OUT film x y one half on c",
         {10985723269127299929u, 11159929071063434095u, 15041686250912193502u}},
        {"ZYL_BoxSprite lueur add", "copie OUT fond on on\nlueur OUT OUT x y z half on",
         {9819704693610040228u, 6377014013078229108u, 16110697494353742116u}},
        {"", "copie OUT fond on on\ncopie OUT OUT on on",
         {4439514647895376549u, 4439514647895376549u, 4439514647895376549u}},
        {"ZYL_BoxDeformation lentille", "lentille OUT fond t half c on on\nlentille OUT OUT t half c on on",
         {2629364913730925514u, 1933298919237625723u, 7885474458731623732u}},
        {"ZYL_BoxParticules essaim 30", "copie OUT fond on on\nessaim OUT OUT t half on on",
         {9600080459741012773u, 13875411205381971607u, 13220664634793131819u}},
        {"ZYL_BoxObjet3D reflet " + path("knot.lwo") + " 2",
         "copie OUT fond on on\nreflet OUT OUT ex ez ey zero zero zero on on",
         {12998005181987298234u, 13375137165000379158u, 5507555561345722855u}},
    };
    for (const auto& c : cases) {
        const std::string text = "[ZYL_FX_Generator]\nZYL_BoxCopier copie\n" + c.boxes +
                                 "\n[/ZYL_FX_Generator]\n" + functions + surfaces() + "[CABLAGE]\n" + c.wiring +
                                 "\n[/CABLAGE]\n";
        WorkerPool workers(GetParam().threads);
        DemoGraph graph;
        graph.useWorkers(&workers);
        ASSERT_EQ(graph.loadText(text), LoadResult::Loaded) << c.wiring;
        Surface frame;
        frame.allocate(512, 256);
        frame.clear();
        for (int k = 0; k < 3; ++k) {
            const TrackerPosition position = trackerPositionOf(makeChannelPosition(4, 46, 64));
            graph.evaluate(FrameInput{static_cast<float>(40.0 + k / 2.5), position}, frame);
            EXPECT_EQ(frameHash(testsupport::snapshot(frame)), c.hashes[k]) << c.wiring << "\nframe " << k;
        }
    }
}

#ifdef VELMORA_SHOW_DIR
TEST_P(ThreadedFrames, EveryOrderOfTheDefaultShowGivesTheSingleThreadedFrames) {
    const fs::path showDir = VELMORA_SHOW_DIR;
    if (!fs::exists(showDir / "script.zyl")) GTEST_SKIP() << "the default show is not built (target demo_show)";
    // File names in the script are relative to the show's folder.
    const fs::path before = fs::current_path();
    fs::current_path(showDir);
    auto render = [](int threads) {
        WorkerPool workers(threads);
        DemoGraph graph;  // fresh box state
        graph.useWorkers(&workers);
        EXPECT_EQ(graph.load("script.zyl"), LoadResult::Loaded);
        Surface frame;
        frame.allocate(512, 256);
        frame.clear();
        std::vector<std::vector<uint32_t>> frames;
        for (uint32_t order = 0; order < 7; ++order) {
            const TrackerPosition position = trackerPositionOf(makeChannelPosition(order, 17, 99));
            for (int k = 0; k < 2; ++k) {
                graph.evaluate(FrameInput{static_cast<float>(order * 8 + 3) + k / 50.0f, position}, frame);
                frames.emplace_back(frame.pixels, frame.pixels + frame.pixelCount());
            }
        }
        return frames;
    };
    const auto single = render(1);
    const auto threaded = render(GetParam().threads);
    fs::current_path(before);
    ASSERT_EQ(single.size(), threaded.size());
    for (size_t k = 0; k < single.size(); ++k)
        EXPECT_TRUE(single[k] == threaded[k]) << "order " << k / 2 << " frame " << k % 2;
}
#endif

std::string threadedCaseName(const ::testing::TestParamInfo<ThreadedCase>& info) {
    const char* level = info.param.level == SimdLevel::Plain ? "Plain" : info.param.level == SimdLevel::Sse2 ? "Sse2" : "Avx2";
    return std::string(level) + "_" + std::to_string(info.param.threads) + "Threads";
}

INSTANTIATE_TEST_SUITE_P(ThreadCounts, ThreadedFrames,
                         ::testing::Values(ThreadedCase{1, SimdLevel::Plain}, ThreadedCase{2, SimdLevel::Plain},
                                           ThreadedCase{3, SimdLevel::Plain}, ThreadedCase{8, SimdLevel::Plain},
                                           ThreadedCase{1, SimdLevel::Sse2}, ThreadedCase{2, SimdLevel::Sse2},
                                           ThreadedCase{1, SimdLevel::Avx2}, ThreadedCase{2, SimdLevel::Avx2},
                                           ThreadedCase{3, SimdLevel::Avx2}, ThreadedCase{8, SimdLevel::Avx2}),
                         threadedCaseName);
