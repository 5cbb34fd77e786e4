// Every box type against hostile wiring: NaN, infinite and huge function values
// in every slot, short lists, and surfaces of the wrong size in every slot. Run
// under AddressSanitizer and UBSan this finds any read or write outside an array.
// And the files around a load or an output: temporaries beside it, a stop asked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TestFunctions.h"
#include "TestSupport.h"
#include "core/AtomicFile.h"
#include "showkit/JpegWriter.h"
#include "object3d/Lwo2Writer.h"
#include "script/DemoGraph.h"
#include "script/TypeTable.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

using Value = testsupport::FixedFunction;

const float kHostile[] = {testsupport::kNaN,
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          3.0e38f,
                          -3.0e38f,
                          3.0e9f,
                          -3.0e9f,
                          -1.0f,
                          0.0f,
                          1.0f,
                          0.5f,
                          1.0e-30f};

// A scratch directory with the files the configurable boxes load.
class HostileInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_.emplace("hostile");
        std::vector<uint8_t> grey(512 * 512);
        for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
        ASSERT_TRUE(writeJpeg((*dir_ / "map.jpg").c_str(), 512, 512, 1, grey.data(), 90));
        const Float3 points[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        const MeshTriangle triangles[] = {{{0, 2, 1}}, {{0, 1, 3}}, {{0, 3, 2}}, {{1, 2, 3}}};
        ASSERT_TRUE(Lwo2Writer::save((*dir_ / "mesh.lwo").string(), Lwo2Writer::meshFile(points, triangles)));
    }
    static void TearDownTestSuite() { dir_.reset(); }

    // Parameter texts that make each box draw.
    static std::vector<std::string> parameterTexts(const std::string& word) {
        if (word == "ZYL_BoxFader") return {" sub", " add", " mul"};
        if (word == "ZYL_BoxSprite") return {" put", " add"};
        if (word == "ZYL_BoxAnimator") return {" put 16", " add 7"};
        if (word == "ZYL_BoxParticules") return {" 6"};
        if (word == "ZYL_BoxVoxelTunnel") return {std::string(" ").append((*dir_ / "map.jpg").string())};
        if (word == "ZYL_BoxObjet3D") {
            const std::string mesh = std::string(" ").append((*dir_ / "mesh.lwo").string());
            return {mesh + " 0", mesh + " 1", mesh + " 2"};
        }
        return {""};
    }

    static std::unique_ptr<Surface> surface(int32_t w, int32_t h) {
        auto s = std::make_unique<Surface>();
        s->allocate(w, h);
        for (size_t i = 0; i < s->pixelCount(); ++i) s->pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFFu;
        return s;
    }

    static std::unique_ptr<Surface> fitting(const SurfaceNeed& need, int32_t anyW, int32_t anyH) {
        if (need.kind == SurfaceNeed::Any) return surface(anyW, anyH);
        return surface(need.width, need.height);
    }

    // Two frames of a show of one box `declaration`, every function 1.0, `pic` a
    // picture that fits `need`, the frame a pattern beforehand: both frames' pixels.
    static std::vector<uint32_t> frames(const std::string& declaration, const SurfaceNeed& need,
                                        const std::string& wiring) {
        const int32_t w = need.kind == SurfaceNeed::Any ? 64 : need.width;
        const int32_t h = need.kind == SurfaceNeed::Any ? 64 : need.height;
        const std::string picture = dir_->file("pic" + std::to_string(w) + "x" + std::to_string(h) + ".jpg");
        if (!fs::exists(picture)) {
            std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
            for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
            EXPECT_TRUE(writeJpeg(picture.c_str(), w, h, 3, rgb.data(), 90));
        }
        DemoGraph graph;
        const std::string text = "[ZYL_FX_Generator]\n" + declaration + "\n[/ZYL_FX_Generator]\n"
                                 "[ZYL_Fonction]\nZYL_FnctTime on 0 0 1\n[/ZYL_Fonction]\n"
                                 "[ZYL_Surface]\nZYL_Surface pic \"" + picture + "\"\n[/ZYL_Surface]\n"
                                 "[CABLAGE]\n" + wiring + "[/CABLAGE]\n";
        EXPECT_EQ(graph.loadText(text), LoadResult::Loaded) << text;
        auto frame = surface(512, 256);
        std::vector<uint32_t> pixels;
        for (int i = 0; i < 2; ++i) {
            graph.evaluate(FrameInput{1.0f, {}}, *frame);
            pixels.insert(pixels.end(), frame->pixels, frame->pixels + frame->pixelCount());
        }
        return pixels;
    }

    static std::optional<testsupport::ScratchDirectory> dir_;
};

std::optional<testsupport::ScratchDirectory> HostileInput::dir_;

struct Wiring {
    std::vector<std::unique_ptr<Value>> values;
    std::vector<Function*> functions;
    std::vector<Surface*> inputs;
};

Wiring wiring(int functionCount, float fill, int hostileSlot, float hostile) {
    Wiring w;
    for (int k = 0; k < functionCount; ++k) {
        w.values.push_back(std::make_unique<Value>(k == hostileSlot ? hostile : fill));
        w.functions.push_back(w.values.back().get());
    }
    return w;
}

}  // namespace

TEST_F(HostileInput, EveryFunctionSlotTakesAnyValue) {
    for (const ScriptType& type : boxTypes()) {
        for (const std::string& text : parameterTexts(type.word)) {
            ShowState show;
            auto box = type.makeBox(show);
            box->configure(text.c_str());
            auto output = fitting(type.output, 512, 256);
            auto input = fitting(type.input0, 64, 64);
            const int slots = std::max(type.functionsRead(), 1);
            for (float hostile : kHostile) {
                // Every slot at once, then one slot at a time with the gates open.
                for (int slot = -1; slot < slots; ++slot) {
                    Wiring w = wiring(slots, slot < 0 ? hostile : 1.0f, slot, hostile);
                    Surface* inputs[] = {input.get()};
                    box->render(*output, w.functions, inputs);
                }
            }
            // Whatever the values, what is written is a pixel: nothing lands in
            // the top byte. (The voxel tunnel starts from an all-ones picture.)
            if (std::string(type.word) != "ZYL_BoxVoxelTunnel") {
                for (size_t i = 0; i < output->pixelCount(); ++i)
                    ASSERT_EQ(output->pixels[i] >> 24, 0u) << type.word << text << " pixel " << i;
            }
        }
    }
}

// A wiring line that names fewer functions, or fewer inputs, than its box reads
// draws nothing and leaves the box as it was: a full line after it draws what it
// draws alone, on the first frame (read from the text) and the next (replayed).
TEST_F(HostileInput, ShortLinesDrawNothingAndLeaveTheBoxAsItWas) {
    for (const ScriptType& type : boxTypes()) {
        const std::string input = type.inputs.empty() ? "" : " pic";
        auto line = [&](const std::string& in, int functions) {
            std::string text = "b OUT" + in;
            for (int i = 0; i < functions; ++i) text += " on";
            return text + "\n";
        };
        std::string shortLines;
        for (int count = 0; count < type.functionsRead(); ++count) shortLines += line(input, count);
        if (type.inputsRead() > 0) shortLines += line("", type.functionsRead());
        const std::string full = line(input, type.functionsRead());
        for (const std::string& text : parameterTexts(type.word)) {
            const std::string declaration = type.word + (" b" + text);
            const std::vector<uint32_t> untouched = frames(declaration, type.input0, "");
            EXPECT_EQ(frames(declaration, type.input0, shortLines), untouched) << type.word << text;
            EXPECT_EQ(frames(declaration, type.input0, shortLines + full), frames(declaration, type.input0, full))
                << type.word << text;
        }
    }
}

TEST_F(HostileInput, SurfacesOfTheWrongSizeInEverySlot) {
    const int32_t sizes[][2] = {{1, 1}, {16, 16}, {255, 256}, {512, 255}, {256, 512}, {600, 300}, {2, 2048}};
    for (const ScriptType& type : boxTypes()) {
        for (const std::string& text : parameterTexts(type.word)) {
            ShowState show;
            auto box = type.makeBox(show);
            box->configure(text.c_str());
            const int slots = std::max(type.functionsRead(), 1);
            for (const auto& size : sizes) {
                for (float v : {1.0f, 0.5f, 300.0f}) {
                    Wiring w = wiring(slots, v, -1, 0.0f);
                    // Wrong output, fitting input.
                    auto output = surface(size[0], size[1]);
                    auto input = fitting(type.input0, 64, 64);
                    const std::vector<uint32_t> before(output->pixels, output->pixels + output->pixelCount());
                    Surface* inputs[] = {input.get()};
                    box->render(*output, w.functions, inputs);
                    if (type.output.kind != SurfaceNeed::Any && !type.output.accepts(*output)) {
                        EXPECT_TRUE(std::equal(before.begin(), before.end(), output->pixels))
                            << type.word << text << " drew into " << size[0] << "x" << size[1];
                    }

                    // Fitting output, wrong input: the input is only read, and a
                    // box that needs another size of input draws nothing.
                    auto goodOutput = fitting(type.output, 512, 256);
                    auto badInput = surface(size[0], size[1]);
                    const std::vector<uint32_t> goodBefore(goodOutput->pixels,
                                                           goodOutput->pixels + goodOutput->pixelCount());
                    const std::vector<uint32_t> inputBefore(badInput->pixels, badInput->pixels + badInput->pixelCount());
                    Surface* badInputs[] = {badInput.get()};
                    box->render(*goodOutput, w.functions, badInputs);
                    EXPECT_TRUE(std::equal(inputBefore.begin(), inputBefore.end(), badInput->pixels))
                        << type.word << text << " wrote into its " << size[0] << "x" << size[1] << " input";
                    if (type.inputsRead() > 0 && type.input0.kind != SurfaceNeed::Any && !type.input0.accepts(*badInput)) {
                        EXPECT_TRUE(std::equal(goodBefore.begin(), goodBefore.end(), goodOutput->pixels))
                            << type.word << text << " drew from a " << size[0] << "x" << size[1] << " input";
                    }

                    // The output as its own input: two fresh boxes from the same
                    // start give the same picture (nothing read is undefined).
                    auto twin = fitting(type.output, 512, 256);
                    std::copy(goodOutput->pixels, goodOutput->pixels + goodOutput->pixelCount(), twin->pixels);
                    ShowState firstShow, twinShow;
                    auto first = type.makeBox(firstShow);
                    auto twinBox = type.makeBox(twinShow);
                    first->configure(text.c_str());
                    twinBox->configure(text.c_str());
                    Surface* selfInputs[] = {goodOutput.get()};
                    Surface* twinInputs[] = {twin.get()};
                    first->render(*goodOutput, w.functions, selfInputs);
                    twinBox->render(*twin, w.functions, twinInputs);
                    EXPECT_TRUE(std::equal(twin->pixels, twin->pixels + twin->pixelCount(), goodOutput->pixels))
                        << type.word << text << " as its own input";
                }
            }
        }
    }
}

TEST_F(HostileInput, APixellessSurfaceIsNeverTouched) {
    for (const ScriptType& type : boxTypes()) {
        for (const std::string& text : parameterTexts(type.word)) {
            ShowState show;
            auto box = type.makeBox(show);
            box->configure(text.c_str());
            Surface empty;  // declared but never sized: no pixels at all
            auto good = fitting(type.output, 512, 256);
            Wiring w = wiring(std::max(type.functionsRead(), 1), 1.0f, -1, 0.0f);
            Surface* inputs[] = {&empty};
            box->render(empty, w.functions, inputs);
            box->render(*good, w.functions, inputs);
            EXPECT_EQ(empty.pixels, nullptr) << type.word;
        }
    }
}

// Files beside an output that look like temporaries: the output's writer
// removes only its own kind's, left by a writer that has ended (nobody holds
// their lock), named after that output; never a user's file, a folder, a link.
TEST(HostileTemporaries, TheSweepRemovesOnlyAbandonedTemporariesOfTheOutput) {
    const testsupport::ScratchDirectory dir("sweep");
    testsupport::writeFile(dir / "elsewhere.txt", "theirs");
    enum Kind { File, Locked, Folder, Link };
    const struct {
        const char* name;
        Kind kind;
        bool removed;
    } cases[] = {
        {".notes.txt.4000000.part", File, false},                 // a user's file of the old pattern
        {".out.lwo.4000000.part", File, false},                   // a process id says nothing of an owner
        {".out.lwo.4000000.0123456789abcdef.part", File, false},
        {".out.lwo.velmora.0123456789abcdef.part", File, true},   // ours, its writer gone
        {".out.lwo.velmora.fedcba9876543210.part", Locked, false}, // ours, still being written
        {".other.lwo.velmora.0123456789abcdef.part", File, false}, // another output's
        {".out.lwo.velmora.0123456789abcdeg.part", File, false},
        {".out.lwo.velmora.0123.part", File, false},
        {".out.lwo.velmora.00112233445566aa.part", Folder, false},
        {".out.lwo.velmora.00112233445566bb.part", Link, false},
    };
    std::vector<int> held;
    for (const auto& c : cases) {
        const fs::path path = dir / c.name;
        if (c.kind == Folder) {
            fs::create_directories(path / "inside");
            testsupport::writeFile(path / "inside/keep", "kept");
        } else if (c.kind == Link) {
            fs::create_symlink(dir / "elsewhere.txt", path);
        } else {
            testsupport::writeFile(path, "x");
        }
        if (c.kind == Locked) {
            // Another writer's lock: a separate open file, as another process would hold.
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
            held.push_back(fd);
        }
    }
    {
        AtomicFile file((dir / "out.lwo").string());
        ASSERT_FALSE(file.tempPath().empty()) << file.openError();
        testsupport::writeFile(file.tempPath(), "mesh");
        std::string error;
        ASSERT_TRUE(file.commit(error)) << error;
    }
    EXPECT_EQ(testsupport::readFile(dir / "out.lwo"), "mesh");
    for (const auto& c : cases) {
        std::error_code ec;
        EXPECT_EQ(!fs::exists(fs::symlink_status(dir / c.name, ec)), c.removed) << c.name;
    }
    EXPECT_EQ(testsupport::readFile(dir / ".out.lwo.velmora.00112233445566aa.part/inside/keep"), "kept");
    EXPECT_EQ(testsupport::readFile(dir / "elsewhere.txt"), "theirs");
    // Once its writer lets go, the locked one is the next sweep's.
    for (const int fd : held) ::close(fd);
    EXPECT_EQ(removeStaleTemporaries((dir / "out.lwo").string()), 1);
    EXPECT_FALSE(fs::exists(dir / ".out.lwo.velmora.fedcba9876543210.part"));
}

// A load asked to stop stops: between declarations, and inside a picture's decode.
TEST(HostileLoads, ALoadAskedToStopRaisesLoadInterrupted) {
    const testsupport::ScratchDirectory dir("stop");
    std::vector<uint8_t> rgb(256 * 256 * 3, 90);
    ASSERT_TRUE(writeJpeg(dir.file("p.jpg").c_str(), 256, 256, 3, rgb.data(), 90));
    const std::string frame = "[ZYL_FX_Generator]\n[/ZYL_FX_Generator]\n[ZYL_Fonction]\nZYL_FnctTime t 0 0 1\n"
                              "[/ZYL_Fonction]\n[ZYL_Surface]\n";
    const std::string end = "[/ZYL_Surface]\n[CABLAGE]\n[/CABLAGE]\n";
    const struct {
        const char* what;
        std::string surfaces;
        int asksBeforeStop;  // the stop answers yes from this ask on
    } cases[] = {
        {"before the first declaration", "", 0},
        {"between declarations", "ZYL_Surface a 8 8\nZYL_Surface b 8 8\n", 2},
        {"inside a JPEG's decode", "ZYL_Surface p \"" + dir.file("p.jpg") + "\"\n", 2},
    };
    for (const auto& c : cases) {
        int asks = 0;
        DemoGraph graph;
        graph.setStopCheck([&] { return asks++ >= c.asksBeforeStop; });
        EXPECT_THROW(graph.loadText(frame + c.surfaces + end), LoadInterrupted) << c.what;
        EXPECT_GT(asks, c.asksBeforeStop) << c.what;
        DemoGraph unasked;
        unasked.setStopCheck([] { return false; });
        EXPECT_EQ(unasked.loadText(frame + c.surfaces + end), LoadResult::Loaded) << c.what;
    }
}
