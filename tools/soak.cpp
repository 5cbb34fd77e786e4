// Soak check, run by hand (tools/soak.sh): the default show rendered headless
// for many frames and reloaded many times in one process, as F5 reloads it,
// with the resident memory printed at intervals. It must stay flat: a leak
// per frame or per reload shows as a steady climb.
//
//   velmora_soak [FRAMES [RELOADS]]   (in the show's folder; 200000 and 500)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/Error.h"
#include "script/DemoGraph.h"
#include "show/MusicTransport.h"
#include "script/ScriptChecker.h"

using namespace velmora;

namespace {

// Resident memory of this process, in KiB, from /proc/self/statm.
long residentKiB() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return -1;
    long size = 0, resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// A new graph checked and loaded as F5 loads it, to take the running one's place.
std::unique_ptr<DemoGraph> reload() {
    CheckedScript checked = loadCheckedScript("script.zyl");
    if (!checked.graph || !checked.report.problems.empty()) {
        std::fprintf(stderr, "soak: script.zyl does not load cleanly\n");
        std::exit(2);
    }
    return std::move(checked.graph);
}

}  // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::atol(argv[1]) : 200000;
    const long reloads = argc > 2 ? std::atol(argv[2]) : 500;
    if (frames <= 0 || reloads < 0) {
        std::fprintf(stderr, "usage: velmora_soak [FRAMES [RELOADS]]\n");
        return 2;
    }
    const long framesPerReload = reloads > 0 ? frames / (reloads + 1) : frames + 1;
    const long reportEvery = frames / 20 > 0 ? frames / 20 : 1;

    try {
        std::unique_ptr<DemoGraph> graph = reload();
        Surface frame;
        frame.allocate(512, 256);
        frame.clear();

        // Flat: the peak of the last quarter of the run within 4 MiB of the
        // peak of the first (which warms up tables, pictures and the
        // allocator's pools, and holds two graphs at a time while reloading).
        long reloaded = 0, earlyPeakKiB = 0, latePeakKiB = 0, lastKiB = 0;
        std::printf("%10s %8s %14s\n", "frame", "reloads", "resident KiB");
        for (long k = 0; k < frames; ++k) {
            // 50 frames a second; the music walks every order of the show, 8 frames a row.
            const uint32_t position = makeChannelPosition(static_cast<uint32_t>(k / 512 % 7),
                                                          static_cast<uint32_t>(k / 8 % 64),
                                                          static_cast<uint32_t>(k % 8 * 32));
            graph->evaluate(FrameInput{static_cast<float>(k % 30000) / 50.0f, trackerPositionOf(position)}, frame);
            if (reloaded < reloads && (k + 1) % framesPerReload == 0) {
                graph = reload();  // the old graph goes as a reload drops it
                ++reloaded;
            }
            if ((k + 1) % reportEvery == 0) {
                lastKiB = residentKiB();
                if (k < frames / 4) earlyPeakKiB = std::max(earlyPeakKiB, lastKiB);
                if (k >= frames - frames / 4) latePeakKiB = std::max(latePeakKiB, lastKiB);
                std::printf("%10ld %8ld %14ld\n", k + 1, reloaded, lastKiB);
                std::fflush(stdout);
            }
        }
        const bool flat = latePeakKiB - earlyPeakKiB <= 4096;
        std::printf("peak resident KiB: first quarter %ld, last quarter %ld (%+ld): %s\n", earlyPeakKiB, latePeakKiB,
                    latePeakKiB - earlyPeakKiB, flat ? "flat" : "GROWING");
        return flat ? 0 : 1;
    } catch (const ShowError& error) {
        std::fprintf(stderr, "soak: %s\n", error.message.c_str());
        return 2;
    }
}
